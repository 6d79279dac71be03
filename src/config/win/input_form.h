#pragma once
// TInputForm: asks for one value (a number or a name) under a prompt the caller gives. A tool
// window centred on the screen, asked modally on the main thread; the program's idle processing
// goes on while it waits. OK (Ctrl+Enter) is enabled only while the value is not empty; Esc,
// Cancel and the close box cancel. Main thread only.

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "config/win/prompt_dialog.h"

namespace lw {

class ControlTexts;

class TInputForm : public PromptDialog {
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

  // Shows the prompt (UTF-8) over an empty value and waits; the value (UTF-8) when confirmed,
  // none when cancelled. The texts are taken from the control texts at each show.
  std::optional<std::string> Ask(const std::string& prompt);

  HWND label() const { return label_; }
  HWND value() const { return value_; }

 private:
  void CreateControls() override;
  void ApplyTexts() override;
  void UpdateButtonOk() override;
  void Command(int id, int code) override;
  HWND FocusOnActivation() const override { return value_; }
  void Layout();

  HWND label_ = nullptr;
  HWND value_ = nullptr;
};

}  // namespace lw
