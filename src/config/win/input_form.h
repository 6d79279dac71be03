#pragma once
// TInputForm: asks for one value (a number or a name) under a prompt the caller gives. A tool
// window centred on the screen, asked modally on the main thread; the program's idle processing
// goes on while it waits. OK (Ctrl+Enter) is enabled only while the value is not empty; Esc,
// Cancel and the close box cancel. Main thread only.

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

namespace lw {

class ControlTexts;

class TInputForm {
 public:
  static constexpr wchar_t kClassName[] = L"TInputForm";
  // The longest value the edit takes, in characters.
  static constexpr int kMaxLength = 64;

  static constexpr int kLabelId = 100;
  static constexpr int kValueId = 101;
  static constexpr int kButtonOkId = 102;
  static constexpr int kButtonCancelId = 103;

  // `owner` is disabled while the prompt waits (may be null); `idle` runs whenever the prompt's
  // message queue is empty. Either callback may be empty.
  TInputForm(const ControlTexts& texts, std::function<void()> show_taskbar_button,
             std::function<void()> hide_taskbar_button_unless_dialogs, HWND owner,
             std::function<void()> idle);
  ~TInputForm();
  TInputForm(const TInputForm&) = delete;
  TInputForm& operator=(const TInputForm&) = delete;

  // Creates the hidden window; false when the system refuses.
  bool Create();
  HWND hwnd() const { return window_; }
  bool IsVisible() const { return window_ && IsWindowVisible(window_); }

  // Shows the prompt (UTF-8) over an empty value and waits; the value (UTF-8) when confirmed,
  // none when cancelled. The texts are taken from the control texts at each show.
  std::optional<std::string> Ask(const std::string& prompt);

  HWND label() const { return label_; }
  HWND value() const { return value_; }
  HWND button_ok() const { return button_ok_; }
  HWND button_cancel() const { return button_cancel_; }
  // The hint of a control (UTF-8), as its tooltip shows it.
  std::string HintOf(HWND control) const;

  // Handlers.
  void ButtonOkClick();
  void ButtonCancelClick();
  // Keys of the whole window while the prompt waits: Esc, Enter, Ctrl+Enter, Tab.
  bool PreTranslate(MSG& message);

  // For the window procedure.
  void AttachWindow(HWND window) { window_ = window; }
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);

 private:
  void ApplyTexts();
  void Layout();
  void UpdateButtonOk();
  void Finish(bool confirmed);

  const ControlTexts& texts_;
  std::function<void()> show_taskbar_button_;
  std::function<void()> hide_taskbar_button_unless_dialogs_;
  HWND owner_;
  std::function<void()> idle_;

  HWND window_ = nullptr;
  HWND tooltips_ = nullptr;
  HWND label_ = nullptr;
  HWND value_ = nullptr;
  HWND button_ok_ = nullptr;
  HWND button_cancel_ = nullptr;
  bool waiting_ = false;
  bool confirmed_ = false;
};

}  // namespace lw
