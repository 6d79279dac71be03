#include "config/win/input_form.h"

#include <algorithm>
#include <string_view>

#include "common/win/wide.h"
#include "config/control_texts.h"
#include "notify/win/form_support.h"

namespace lw {

namespace {

constexpr std::string_view kForm = "TInputForm";
// The control texts carry no caption for this window: it bears the program's name.
constexpr wchar_t kCaption[] = L"LarkWatch";
constexpr int kMargin = 8;
constexpr int kLabelGap = 4;
constexpr int kValueWidth = 280;
constexpr int kRowGap = 10;
constexpr int kButtonMinWidth = 75;
constexpr int kButtonHeight = 23;
constexpr int kButtonGap = 6;

bool ControlDown() { return (GetKeyState(VK_CONTROL) & 0x8000) != 0; }

int TextWidth(HWND control) {
  return ui::MeasureText(ui::MessageFont(), Widen(ui::WindowTextUtf8(control))).cx;
}

}  // namespace

TInputForm::TInputForm(const ControlTexts& texts, std::function<void()> show_taskbar_button,
                       std::function<void()> hide_taskbar_button_unless_dialogs, HWND owner,
                       std::function<void()> idle)
    : texts_(texts),
      show_taskbar_button_(std::move(show_taskbar_button)),
      hide_taskbar_button_unless_dialogs_(std::move(hide_taskbar_button_unless_dialogs)),
      owner_(owner),
      idle_(std::move(idle)) {}

TInputForm::~TInputForm() {
  if (tooltips_) DestroyWindow(tooltips_);
  if (window_ == nullptr) return;
  if (waiting_ && owner_) EnableWindow(owner_, TRUE);
  SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
  DestroyWindow(window_);
}

bool TInputForm::Create() {
  if (window_) return true;
  ui::RegisterFormClass(kClassName, ui::FormProc<TInputForm>, 0,
                        reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1)));
  CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_DLGMODALFRAME, kClassName, kCaption,
                  WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0, 320, 140, nullptr, nullptr,
                  GetModuleHandleW(nullptr), this);
  if (window_ == nullptr) return false;
  label_ = ui::CreateControl(window_, L"STATIC", SS_LEFTNOWORDWRAP | SS_NOPREFIX, kLabelId);
  value_ = ui::CreateControl(window_, L"EDIT", ES_AUTOHSCROLL | WS_TABSTOP, kValueId);
  SetWindowLongPtrW(value_, GWL_EXSTYLE, GetWindowLongPtrW(value_, GWL_EXSTYLE) | WS_EX_CLIENTEDGE);
  SetWindowPos(value_, nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  SendMessageW(value_, EM_SETLIMITTEXT, kMaxLength, 0);
  button_ok_ = ui::CreateControl(window_, L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, kButtonOkId);
  button_cancel_ =
      ui::CreateControl(window_, L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, kButtonCancelId);
  tooltips_ = ui::CreateTooltips();
  ApplyTexts();
  UpdateButtonOk();
  return true;
}

void TInputForm::ApplyTexts() {
  ui::SetWindowTextUtf8(button_ok_, texts_.Text(kForm, "ButtonOk", ControlProperty::Caption));
  ui::SetWindowTextUtf8(button_cancel_,
                        texts_.Text(kForm, "ButtonCancel", ControlProperty::Caption));
  ui::SetHint(tooltips_, button_ok_, texts_.Text(kForm, "ButtonOk", ControlProperty::Hint));
  ui::SetHint(tooltips_, button_cancel_, texts_.Text(kForm, "ButtonCancel", ControlProperty::Hint));
  Layout();
}

// The prompt above the value, the buttons at the bottom right; the window takes the size this
// needs and stands in the middle of the screen.
void TInputForm::Layout() {
  const int line = ui::MeasureText(ui::MessageFont(), L"").cy;
  const SIZE prompt = ui::MeasureText(ui::MessageFont(), Widen(ui::WindowTextUtf8(label_)));
  const int edit_height = std::max(21, line + 8);
  const int ok_width = std::max(kButtonMinWidth, TextWidth(button_ok_) + 20);
  const int cancel_width = std::max(kButtonMinWidth, TextWidth(button_cancel_) + 20);
  const int width =
      std::max({kValueWidth, static_cast<int>(prompt.cx), ok_width + kButtonGap + cancel_width}) +
      2 * kMargin;
  int top = kMargin;
  MoveWindow(label_, kMargin, top, width - 2 * kMargin, prompt.cy, FALSE);
  top += prompt.cy + kLabelGap;
  MoveWindow(value_, kMargin, top, width - 2 * kMargin, edit_height, FALSE);
  top += edit_height + kRowGap;
  MoveWindow(button_cancel_, width - kMargin - cancel_width, top, cancel_width, kButtonHeight,
             FALSE);
  MoveWindow(button_ok_, width - kMargin - cancel_width - kButtonGap - ok_width, top, ok_width,
             kButtonHeight, FALSE);
  const SIZE window = ui::SizeForClient(window_, width, top + kButtonHeight + kMargin);
  const SIZE desktop = ui::DesktopSize();
  SetWindowPos(window_, nullptr, (desktop.cx - window.cx) / 2, (desktop.cy - window.cy) / 2,
               window.cx, window.cy, SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateRect(window_, nullptr, TRUE);
}

std::string TInputForm::HintOf(HWND control) const { return ui::HintOf(tooltips_, control); }

void TInputForm::UpdateButtonOk() {
  EnableWindow(button_ok_, GetWindowTextLengthW(value_) > 0 ? TRUE : FALSE);
}

std::optional<std::string> TInputForm::Ask(const std::string& prompt) {
  if (window_ == nullptr || waiting_) return std::nullopt;
  ui::SetWindowTextUtf8(label_, prompt);
  ApplyTexts();
  SetWindowTextW(value_, L"");
  UpdateButtonOk();

  confirmed_ = false;
  waiting_ = true;
  if (show_taskbar_button_) show_taskbar_button_();
  ShowWindow(window_, SW_SHOW);
  SetForegroundWindow(window_);
  SetFocus(value_);

  ui::RunModal({owner_, [this] { return !waiting_; }, idle_,
                [this](MSG& message) { return PreTranslate(message); }});
  waiting_ = false;

  std::optional<std::string> result;
  if (confirmed_) result = ui::WindowTextUtf8(value_);
  ShowWindow(window_, SW_HIDE);
  if (hide_taskbar_button_unless_dialogs_) hide_taskbar_button_unless_dialogs_();
  return result;
}

void TInputForm::Finish(bool confirmed) {
  if (!waiting_) return;
  confirmed_ = confirmed;
  waiting_ = false;
}

void TInputForm::ButtonOkClick() {
  if (IsWindowEnabled(button_ok_)) Finish(true);
}

void TInputForm::ButtonCancelClick() { Finish(false); }

bool TInputForm::PreTranslate(MSG& message) {
  if (window_ == nullptr || !waiting_) return false;
  if (message.hwnd != window_ && !IsChild(window_, message.hwnd)) return false;
  if (message.message == WM_KEYDOWN) {
    switch (message.wParam) {
      case VK_ESCAPE:
        ButtonCancelClick();
        return true;
      case VK_RETURN:
        // Enter on Cancel presses it; anywhere else it is OK, which waits for a value.
        if (!ControlDown() && message.hwnd == button_cancel_) {
          ButtonCancelClick();
        } else {
          ButtonOkClick();
        }
        return true;
      default:
        break;
    }
  }
  return IsDialogMessageW(window_, &message) != FALSE;
}

LRESULT TInputForm::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND: {
      const int id = LOWORD(wparam);
      const int code = HIWORD(wparam);
      if (code == EN_CHANGE && id == kValueId) {
        UpdateButtonOk();
      } else if (code == BN_CLICKED && (id == kButtonOkId || id == IDOK)) {
        ButtonOkClick();
      } else if (code == BN_CLICKED && (id == kButtonCancelId || id == IDCANCEL)) {
        ButtonCancelClick();
      }
      return 0;
    }
    case WM_ACTIVATE:
      if (LOWORD(wparam) != WA_INACTIVE) SetFocus(value_);
      return 0;
    case WM_CLOSE:
      ButtonCancelClick();
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window_, message, wparam, lparam);
}

}  // namespace lw
