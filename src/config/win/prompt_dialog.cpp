#include "config/win/prompt_dialog.h"

#include <algorithm>

#include "common/win/wide.h"
#include "config/control_texts.h"
#include "notify/win/form_support.h"

namespace lw {

PromptDialog::PromptDialog(const Frame& frame, const ControlTexts& texts,
                           std::function<void()> show_taskbar_button,
                           std::function<void()> hide_taskbar_button_unless_dialogs, HWND owner,
                           std::function<void()> idle)
    : frame_(frame),
      form_(Narrow(frame.class_name)),
      texts_(texts),
      show_taskbar_button_(std::move(show_taskbar_button)),
      hide_taskbar_button_unless_dialogs_(std::move(hide_taskbar_button_unless_dialogs)),
      owner_(owner),
      idle_(std::move(idle)) {}

PromptDialog::~PromptDialog() {
  if (tooltips_) DestroyWindow(tooltips_);
  if (window_ == nullptr) return;
  if (waiting_ && owner_) EnableWindow(owner_, TRUE);
  SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
  DestroyWindow(window_);
}

bool PromptDialog::Create() {
  if (window_) return true;
  ui::RegisterFormClass(frame_.class_name, ui::FormProc<PromptDialog>, 0,
                        reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1)));
  CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_DLGMODALFRAME, frame_.class_name, frame_.caption,
                  WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0, frame_.width, frame_.height, nullptr,
                  nullptr, GetModuleHandleW(nullptr), this);
  if (window_ == nullptr) return false;
  // Creation order is the order of Tab: OK and Cancel come last.
  CreateControls();
  button_ok_ = CreateButton(frame_.button_ok_id);
  button_cancel_ = CreateButton(frame_.button_cancel_id);
  tooltips_ = ui::CreateTooltips();
  ApplyTexts();
  UpdateButtonOk();
  return true;
}

HWND PromptDialog::CreateLabel(int id) {
  return ui::CreateControl(window_, L"STATIC", SS_LEFTNOWORDWRAP | SS_NOPREFIX, id);
}

HWND PromptDialog::CreateButton(int id) {
  return ui::CreateControl(window_, L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, id);
}

HWND PromptDialog::CreateEdit(DWORD style, int id) {
  HWND edit = ui::CreateControl(window_, L"EDIT", ES_AUTOHSCROLL | style, id);
  if (edit == nullptr) return nullptr;
  SetWindowLongPtrW(edit, GWL_EXSTYLE, GetWindowLongPtrW(edit, GWL_EXSTYLE) | WS_EX_CLIENTEDGE);
  SetWindowPos(edit, nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  return edit;
}

int PromptDialog::TextWidth(HWND control) {
  return ui::MeasureText(ui::MessageFont(), Widen(ui::WindowTextUtf8(control))).cx;
}

std::string PromptDialog::HintOf(HWND control) const { return ui::HintOf(tooltips_, control); }

void PromptDialog::ApplyButtonTexts() {
  for (auto [button, name] :
       {std::pair{button_ok_, "ButtonOk"}, std::pair{button_cancel_, "ButtonCancel"}}) {
    ui::SetWindowTextUtf8(button, texts_.Text(form_, name, ControlProperty::Caption));
    ui::SetHint(tooltips_, button, texts_.Text(form_, name, ControlProperty::Hint));
  }
}

int PromptDialog::ButtonRowWidth() const {
  const int ok_width = std::max(kButtonMinWidth, TextWidth(button_ok_) + 20);
  const int cancel_width = std::max(kButtonMinWidth, TextWidth(button_cancel_) + 20);
  return ok_width + kButtonGap + cancel_width;
}

void PromptDialog::PlaceButtonsAndFit(int width, int top) {
  const int ok_width = std::max(kButtonMinWidth, TextWidth(button_ok_) + 20);
  const int cancel_width = std::max(kButtonMinWidth, TextWidth(button_cancel_) + 20);
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

bool PromptDialog::RunModal(HWND focus, const std::function<void()>& before_hide) {
  confirmed_ = false;
  waiting_ = true;
  if (show_taskbar_button_) show_taskbar_button_();
  focus_ = focus;
  ShowWindow(window_, SW_SHOW);
  SetForegroundWindow(window_);
  SetFocus(focus);

  ui::RunModal({owner_, [this] { return !waiting_; }, idle_,
                [this](MSG& message) { return PreTranslate(message); }});
  waiting_ = false;

  if (before_hide) before_hide();
  ShowWindow(window_, SW_HIDE);
  if (hide_taskbar_button_unless_dialogs_) hide_taskbar_button_unless_dialogs_();
  return confirmed_;
}

void PromptDialog::Finish(bool confirmed) {
  if (!waiting_) return;
  confirmed_ = confirmed;
  waiting_ = false;
}

void PromptDialog::ButtonOkClick() {
  if (IsWindowEnabled(button_ok_)) Finish(true);
}

void PromptDialog::ButtonCancelClick() { Finish(false); }

bool PromptDialog::KeyDown(HWND target, WPARAM key) {
  if (key != VK_RETURN) return false;
  // Enter on Cancel presses it; anywhere else it is OK, which waits for what OK needs.
  if (!ControlDown() && target == button_cancel_) {
    ButtonCancelClick();
  } else {
    ButtonOkClick();
  }
  return true;
}

bool PromptDialog::PreTranslate(MSG& message) {
  if (window_ == nullptr || !waiting_) return false;
  if (message.hwnd != window_ && !IsChild(window_, message.hwnd)) return false;
  if (message.message == WM_KEYDOWN) {
    if (message.wParam == VK_ESCAPE) {
      ButtonCancelClick();
      return true;
    }
    if (KeyDown(message.hwnd, message.wParam)) return true;
  }
  return IsDialogMessageW(window_, &message) != FALSE;
}

HWND PromptDialog::RememberedFocus(HWND fallback) const {
  return focus_ && IsWindowEnabled(focus_) ? focus_ : fallback;
}

LRESULT PromptDialog::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND: {
      const int id = LOWORD(wparam);
      const int code = HIWORD(wparam);
      if (code == BN_CLICKED && (id == frame_.button_ok_id || id == IDOK)) {
        ButtonOkClick();
      } else if (code == BN_CLICKED && (id == frame_.button_cancel_id || id == IDCANCEL)) {
        ButtonCancelClick();
      } else {
        Command(id, code);
      }
      return 0;
    }
    case WM_ACTIVATE:
      // The focus leaves with the activation and comes back where the dialog wants it.
      if (LOWORD(wparam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(window_, focus)) focus_ = focus;
      } else {
        SetFocus(FocusOnActivation());
      }
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
