#include "config/win/login_form.h"

#include <algorithm>
#include <string_view>

#include "common/win/wide.h"
#include "config/control_texts.h"
#include "monitor/connection_view.h"
#include "notify/win/form_support.h"

namespace lw {

namespace {

constexpr std::string_view kForm = "TLoginForm";
constexpr int kMargin = 8;
constexpr int kLabelGap = 8;
constexpr int kEditWidth = 170;
constexpr int kRowGap = 6;
// Between the fields of the connection and the two the user fills in.
constexpr int kGroupGap = 8;
constexpr int kButtonMinWidth = 75;
constexpr int kButtonHeight = 23;
constexpr int kButtonGap = 6;

bool ControlDown() { return (GetKeyState(VK_CONTROL) & 0x8000) != 0; }

HWND CreateEdit(HWND parent, DWORD style, int id) {
  HWND edit = ui::CreateControl(parent, L"EDIT", ES_AUTOHSCROLL | style, id);
  if (edit == nullptr) return nullptr;
  SetWindowLongPtrW(edit, GWL_EXSTYLE, GetWindowLongPtrW(edit, GWL_EXSTYLE) | WS_EX_CLIENTEDGE);
  SetWindowPos(edit, nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  return edit;
}

// At most `limit` UTF-16 units of a text, never half of a surrogate pair: what the edits keep.
std::string Truncated(const std::string& utf8, int limit) {
  std::wstring wide = Widen(utf8);
  if (wide.size() <= static_cast<std::size_t>(limit)) return utf8;
  std::size_t keep = static_cast<std::size_t>(limit);
  if (wide[keep - 1] >= 0xD800 && wide[keep - 1] <= 0xDBFF) --keep;
  return Narrow(std::wstring_view(wide).substr(0, keep));
}

int TextWidth(HWND control) {
  return ui::MeasureText(ui::MessageFont(), Widen(ui::WindowTextUtf8(control))).cx;
}

}  // namespace

TLoginForm::TLoginForm(const ControlTexts& texts, std::function<void()> show_taskbar_button,
                       std::function<void()> hide_taskbar_button_unless_dialogs, HWND owner,
                       std::function<void()> idle)
    : texts_(texts),
      show_taskbar_button_(std::move(show_taskbar_button)),
      hide_taskbar_button_unless_dialogs_(std::move(hide_taskbar_button_unless_dialogs)),
      owner_(owner),
      idle_(std::move(idle)) {}

TLoginForm::~TLoginForm() {
  if (tooltips_) DestroyWindow(tooltips_);
  if (window_ == nullptr) return;
  if (waiting_ && owner_) EnableWindow(owner_, TRUE);
  SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
  DestroyWindow(window_);
}

bool TLoginForm::Create() {
  if (window_) return true;
  ui::RegisterFormClass(kClassName, ui::FormProc<TLoginForm>, 0,
                        reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1)));
  CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_DLGMODALFRAME, kClassName, L"",
                  WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0, 360, 220, nullptr, nullptr,
                  GetModuleHandleW(nullptr), this);
  if (window_ == nullptr) return false;
  // Creation order is the order of Tab: the fields of the connection are only read, the two
  // edits and the buttons take the focus.
  auto label = [&](int id) {
    return ui::CreateControl(window_, L"STATIC", SS_LEFTNOWORDWRAP | SS_NOPREFIX, id);
  };
  label_entry_ = label(kLabelEntryNameId);
  entry_name_ = CreateEdit(window_, ES_READONLY, kEntryNameId);
  label_country_ = label(kLabelCountryId);
  country_ = CreateEdit(window_, ES_READONLY, kCountryId);
  label_phone_ = label(kLabelPhoneNoId);
  phone_no_ = CreateEdit(window_, ES_READONLY, kPhoneNoId);
  label_user_ = label(kLabelUserId);
  user_edit_ = CreateEdit(window_, WS_TABSTOP, kUserEditId);
  label_pass_ = label(kLabelPassId);
  pass_edit_ = CreateEdit(window_, WS_TABSTOP | ES_PASSWORD, kPassEditId);
  button_ok_ = ui::CreateControl(window_, L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, kButtonOkId);
  button_cancel_ =
      ui::CreateControl(window_, L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, kButtonCancelId);
  SendMessageW(user_edit_, EM_SETLIMITTEXT, kMaxLength, 0);
  SendMessageW(pass_edit_, EM_SETLIMITTEXT, kMaxLength, 0);
  SendMessageW(pass_edit_, EM_SETPASSWORDCHAR, L'*', 0);
  tooltips_ = ui::CreateTooltips();
  ApplyTexts();
  UpdateButtonOk();
  return true;
}

void TLoginForm::ApplyTexts() {
  auto caption = [&](const char* control) {
    return texts_.Text(kForm, control, ControlProperty::Caption);
  };
  ui::SetWindowTextUtf8(window_, texts_.Text(kForm, "", ControlProperty::WindowCaption));
  ui::SetWindowTextUtf8(label_user_, caption("Label"));
  ui::SetWindowTextUtf8(label_pass_, caption("Label1"));
  ui::SetWindowTextUtf8(label_entry_, caption("Label2"));
  ui::SetWindowTextUtf8(label_country_, caption("Label3"));
  ui::SetWindowTextUtf8(label_phone_, caption("Label4"));
  ui::SetWindowTextUtf8(button_ok_, caption("ButtonOk"));
  ui::SetWindowTextUtf8(button_cancel_, caption("ButtonCancel"));
  ui::SetHint(tooltips_, button_ok_, texts_.Text(kForm, "ButtonOk", ControlProperty::Hint));
  ui::SetHint(tooltips_, button_cancel_, texts_.Text(kForm, "ButtonCancel", ControlProperty::Hint));
  Layout();
}

// Labels in a column as wide as the widest of them, the fields beside them, the buttons at the
// bottom right; the window takes the size this needs.
void TLoginForm::Layout() {
  const HWND labels[] = {label_entry_, label_country_, label_phone_, label_user_, label_pass_};
  const HWND fields[] = {entry_name_, country_, phone_no_, user_edit_, pass_edit_};
  int label_width = 0;
  for (HWND label : labels) label_width = std::max(label_width, TextWidth(label));
  const int line = ui::MeasureText(ui::MessageFont(), L"").cy;
  const int edit_height = std::max(21, line + 8);
  const int field_left = kMargin + label_width + kLabelGap;
  int top = kMargin;
  for (int i = 0; i < 5; ++i) {
    if (i == 3) top += kGroupGap;
    MoveWindow(labels[i], kMargin, top + (edit_height - line) / 2, label_width, line, FALSE);
    MoveWindow(fields[i], field_left, top, kEditWidth, edit_height, FALSE);
    top += edit_height + kRowGap;
  }
  const int ok_width = std::max(kButtonMinWidth, TextWidth(button_ok_) + 20);
  const int cancel_width = std::max(kButtonMinWidth, TextWidth(button_cancel_) + 20);
  const int width =
      std::max(field_left + kEditWidth, kMargin + ok_width + kButtonGap + cancel_width) + kMargin;
  const int button_top = top + kGroupGap - kRowGap;
  MoveWindow(button_cancel_, width - kMargin - cancel_width, button_top, cancel_width,
             kButtonHeight, FALSE);
  MoveWindow(button_ok_, width - kMargin - cancel_width - kButtonGap - ok_width, button_top,
             ok_width, kButtonHeight, FALSE);
  const SIZE window = ui::SizeForClient(window_, width, button_top + kButtonHeight + kMargin);
  const SIZE desktop = ui::DesktopSize();
  SetWindowPos(window_, nullptr, (desktop.cx - window.cx) / 2, (desktop.cy - window.cy) / 2,
               window.cx, window.cy, SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateRect(window_, nullptr, TRUE);
}

std::string TLoginForm::HintOf(HWND control) const { return ui::HintOf(tooltips_, control); }

void TLoginForm::UpdateButtonOk() {
  const bool filled = GetWindowTextLengthW(user_edit_) > 0 && GetWindowTextLengthW(pass_edit_) > 0;
  EnableWindow(button_ok_, filled ? TRUE : FALSE);
}

bool TLoginForm::ShowModal(LoginFields& fields) {
  if (window_ == nullptr || waiting_) return false;
  ApplyTexts();
  ui::SetWindowTextUtf8(entry_name_, fields.entry_name);
  ui::SetWindowTextUtf8(country_, fields.country);
  ui::SetWindowTextUtf8(phone_no_, fields.phone_no);
  // A text set by the program is not held to the limit of the typed one.
  ui::SetWindowTextUtf8(user_edit_, Truncated(fields.user, kMaxLength));
  ui::SetWindowTextUtf8(pass_edit_, Truncated(fields.password, kMaxLength));
  UpdateButtonOk();

  confirmed_ = false;
  waiting_ = true;
  if (show_taskbar_button_) show_taskbar_button_();
  focus_ = user_edit_;
  ShowWindow(window_, SW_SHOW);
  SetForegroundWindow(window_);
  SetFocus(user_edit_);
  SendMessageW(user_edit_, EM_SETSEL, 0, -1);

  ui::RunModal({owner_, [this] { return !waiting_; }, idle_,
                [this](MSG& message) { return PreTranslate(message); }});
  waiting_ = false;

  fields.user = ui::WindowTextUtf8(user_edit_);
  fields.password = ui::WindowTextUtf8(pass_edit_);
  // The password does not stay in a hidden window.
  SetWindowTextW(pass_edit_, L"");
  ShowWindow(window_, SW_HIDE);
  if (hide_taskbar_button_unless_dialogs_) hide_taskbar_button_unless_dialogs_();
  return confirmed_;
}

void TLoginForm::Finish(bool confirmed) {
  if (!waiting_) return;
  confirmed_ = confirmed;
  waiting_ = false;
}

void TLoginForm::ButtonOkClick() {
  if (IsWindowEnabled(button_ok_)) Finish(true);
}

void TLoginForm::ButtonCancelClick() { Finish(false); }

bool TLoginForm::PreTranslate(MSG& message) {
  if (window_ == nullptr || !waiting_) return false;
  if (message.hwnd != window_ && !IsChild(window_, message.hwnd)) return false;
  if (message.message == WM_KEYDOWN) {
    switch (message.wParam) {
      case VK_ESCAPE:
        ButtonCancelClick();
        return true;
      case VK_RETURN:
        // Enter on Cancel presses it; anywhere else it is OK, which waits for both fields.
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

LRESULT TLoginForm::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND: {
      const int id = LOWORD(wparam);
      const int code = HIWORD(wparam);
      if (code == EN_CHANGE && (id == kUserEditId || id == kPassEditId)) {
        UpdateButtonOk();
      } else if (code == BN_CLICKED && (id == kButtonOkId || id == IDOK)) {
        ButtonOkClick();
      } else if (code == BN_CLICKED && (id == kButtonCancelId || id == IDCANCEL)) {
        ButtonCancelClick();
      }
      return 0;
    }
    case WM_ACTIVATE:
      // The focus leaves with the activation and comes back to the control that had it.
      if (LOWORD(wparam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(window_, focus)) focus_ = focus;
      } else {
        SetFocus(focus_ && IsWindowEnabled(focus_) ? focus_ : user_edit_);
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
