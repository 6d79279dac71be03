#pragma once
// PromptDialog: what the small modal dialogs of the settings have in common. A hidden tool
// window centred on the screen with OK and Cancel at its bottom right, asked modally on the main
// thread while `owner` is disabled and the program's idle processing goes on. Esc, Cancel and
// the close box cancel; OK confirms while it is enabled. The dialog itself brings its other
// controls, its texts, its layout and its further keys. Main thread only.

#include <windows.h>

#include <functional>
#include <string>

namespace lw {

class ControlTexts;

class PromptDialog {
 public:
  // The window of a dialog: its class, its caption before the texts are applied, its size
  // before the layout, and the ids of its OK and Cancel buttons.
  struct Frame {
    const wchar_t* class_name;
    const wchar_t* caption;
    int width;
    int height;
    int button_ok_id;
    int button_cancel_id;
  };

  virtual ~PromptDialog();
  PromptDialog(const PromptDialog&) = delete;
  PromptDialog& operator=(const PromptDialog&) = delete;

  // Creates the hidden window; false when the system refuses.
  bool Create();
  HWND hwnd() const { return window_; }
  bool IsVisible() const { return window_ && IsWindowVisible(window_); }

  HWND button_ok() const { return button_ok_; }
  HWND button_cancel() const { return button_cancel_; }
  // The hint of a control (UTF-8), as its tooltip shows it.
  std::string HintOf(HWND control) const;

  // Handlers.
  void ButtonOkClick();
  void ButtonCancelClick();
  // Keys of the whole window while the dialog waits: Esc cancels, the rest goes to KeyDown,
  // then to the dialog manager (Tab).
  bool PreTranslate(MSG& message);

  // For the window procedure.
  void AttachWindow(HWND window) { window_ = window; }
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);

 protected:
  // `owner` is disabled while the dialog waits (may be null); `idle` runs whenever the dialog's
  // message queue is empty. Any callback may be empty.
  PromptDialog(const Frame& frame, const ControlTexts& texts,
               std::function<void()> show_taskbar_button,
               std::function<void()> hide_taskbar_button_unless_dialogs, HWND owner,
               std::function<void()> idle);

  // The controls before OK and Cancel, in the order of Tab.
  virtual void CreateControls() = 0;
  // The texts of the control texts, and the layout fitted to them.
  virtual void ApplyTexts() = 0;
  // Enables OK by what is filled in; by default OK is left as it is.
  virtual void UpdateButtonOk() {}
  // A key pressed while the dialog waits, other than Esc; true when it was taken. By default
  // Enter on Cancel presses it and Enter anywhere else (or Ctrl+Enter) is OK.
  virtual bool KeyDown(HWND target, WPARAM key);
  // A WM_COMMAND other than a click of OK or Cancel.
  virtual void Command(int /*id*/, int /*code*/) {}
  // The control that takes the focus when the window is activated again.
  virtual HWND FocusOnActivation() const = 0;

  // The control that had the focus when the window was deactivated, while it is enabled, else
  // `fallback`.
  HWND RememberedFocus(HWND fallback) const;

  bool CanShow() const { return window_ != nullptr && !waiting_; }
  bool waiting() const { return waiting_; }
  // Shows the window with the focus on `focus`, waits for OK or Cancel, runs `before_hide`, and
  // hides the window again. True when confirmed.
  bool RunModal(HWND focus, const std::function<void()>& before_hide = {});

  // The captions and hints of OK and Cancel from the control texts of this window.
  void ApplyButtonTexts();
  // Width of OK and Cancel side by side.
  int ButtonRowWidth() const;
  // OK and Cancel at the right of a client area `width` wide with their top at `top`; the
  // window takes the size this needs and stands in the middle of the screen.
  void PlaceButtonsAndFit(int width, int top);

  // A label, a push button, an edit with the sunken edge.
  HWND CreateLabel(int id);
  HWND CreateButton(int id);
  HWND CreateEdit(DWORD style, int id);

  static bool ControlDown() { return (GetKeyState(VK_CONTROL) & 0x8000) != 0; }
  static int TextWidth(HWND control);

  // The name of this window in the control texts: its class name.
  const std::string& form_name() const { return form_; }
  const ControlTexts& texts() const { return texts_; }
  HWND tooltips() const { return tooltips_; }

  static constexpr int kMargin = 8;
  static constexpr int kButtonMinWidth = 75;
  static constexpr int kButtonHeight = 23;
  static constexpr int kButtonGap = 6;

 private:
  void Finish(bool confirmed);

  Frame frame_;
  std::string form_;
  const ControlTexts& texts_;
  std::function<void()> show_taskbar_button_;
  std::function<void()> hide_taskbar_button_unless_dialogs_;
  HWND owner_;
  std::function<void()> idle_;

  HWND window_ = nullptr;
  HWND tooltips_ = nullptr;
  HWND button_ok_ = nullptr;
  HWND button_cancel_ = nullptr;
  HWND focus_ = nullptr;  // the control that had the focus when the window was deactivated
  bool waiting_ = false;
  bool confirmed_ = false;
};

}  // namespace lw
