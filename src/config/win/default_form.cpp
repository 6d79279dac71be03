#include "config/win/default_form.h"

#include <algorithm>
#include <string_view>

#include "common/codec.h"
#include "common/format.h"
#include "common/win/wide.h"
#include "config/control_texts.h"
#include "config/message_lines.h"
#include "config/messages.h"
#include "dialup/dialup.h"
#include "notify/win/form_support.h"

namespace lw {

namespace {

constexpr std::string_view kForm = "TDefaultForm";
constexpr int kMargin = 8;
constexpr int kFieldWidth = 300;
constexpr int kLabelGap = 2;
constexpr int kRowGap = 8;
constexpr int kStepButtonWidth = 28;
constexpr int kCounterWidth = 64;
constexpr int kButtonMinWidth = 75;
constexpr int kButtonHeight = 23;
constexpr int kButtonGap = 6;

bool ControlDown() { return (GetKeyState(VK_CONTROL) & 0x8000) != 0; }

HWND CreateReadOnlyEdit(HWND parent, int id, DWORD style = 0) {
  HWND edit = ui::CreateControl(parent, L"EDIT", ES_AUTOHSCROLL | ES_READONLY | style, id);
  if (edit == nullptr) return nullptr;
  SetWindowLongPtrW(edit, GWL_EXSTYLE, GetWindowLongPtrW(edit, GWL_EXSTYLE) | WS_EX_CLIENTEDGE);
  SetWindowPos(edit, nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  return edit;
}

int TextWidth(HWND control) {
  return ui::MeasureText(ui::MessageFont(), Widen(ui::WindowTextUtf8(control))).cx;
}

}  // namespace

TDefaultForm::TDefaultForm(DialUp& dialup, CreateEntryFn create_entry, EditEntryFn edit_entry,
                           const ControlTexts& texts, const MessageTable& messages,
                           const AnsiCodec& codec, std::function<void()> show_taskbar_button,
                           std::function<void()> hide_taskbar_button_unless_dialogs, HWND owner,
                           std::function<void()> idle)
    : dialup_(dialup),
      create_entry_(std::move(create_entry)),
      edit_entry_(std::move(edit_entry)),
      texts_(texts),
      messages_(messages),
      codec_(codec),
      show_taskbar_button_(std::move(show_taskbar_button)),
      hide_taskbar_button_unless_dialogs_(std::move(hide_taskbar_button_unless_dialogs)),
      owner_(owner),
      idle_(std::move(idle)) {}

TDefaultForm::~TDefaultForm() {
  if (tooltips_) DestroyWindow(tooltips_);
  if (window_ == nullptr) return;
  if (waiting_ && owner_) EnableWindow(owner_, TRUE);
  SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
  DestroyWindow(window_);
}

bool TDefaultForm::Create() {
  if (window_) return true;
  ui::RegisterFormClass(kClassName, ui::FormProc<TDefaultForm>, 0,
                        reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1)));
  CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_DLGMODALFRAME, kClassName, L"",
                  WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0, 340, 200, nullptr, nullptr,
                  GetModuleHandleW(nullptr), this);
  if (window_ == nullptr) return false;
  // Creation order is the order of Tab: the fields are only read, the buttons take the focus.
  auto label = [&](int id) {
    return ui::CreateControl(window_, L"STATIC", SS_LEFTNOWORDWRAP | SS_NOPREFIX, id);
  };
  auto button = [&](int id) {
    return ui::CreateControl(window_, L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, id);
  };
  label_book_entry_ = label(kLabelBookEntryId);
  book_entry_ = CreateReadOnlyEdit(window_, kBookEntryId);
  label_phone_no_ = label(kLabelPhoneNoId);
  phone_no_ = CreateReadOnlyEdit(window_, kPhoneNoId);
  button_prev_ = button(kButtonPrevId);
  cur_conn_text_ = CreateReadOnlyEdit(window_, kCurConnTextId, ES_CENTER);
  button_next_ = button(kButtonNextId);
  button_create_entry_ = button(kButtonCreateEntryId);
  button_edit_entry_ = button(kButtonEditEntryId);
  button_ok_ = button(kButtonOkId);
  button_cancel_ = button(kButtonCancelId);
  // The buttons without a caption of the control texts show what they do as a sign; their
  // hints say it in words.
  SetWindowTextW(button_prev_, L"<");
  SetWindowTextW(button_next_, L">");
  SetWindowTextW(button_create_entry_, L"+");
  SetWindowTextW(button_edit_entry_, L"...");
  tooltips_ = ui::CreateTooltips();
  ApplyTexts();
  return true;
}

void TDefaultForm::ApplyTexts() {
  if (window_ == nullptr) return;
  auto caption = [&](const char* control) {
    return texts_.Text(kForm, control, ControlProperty::Caption);
  };
  auto hint = [&](HWND control, const char* name) {
    ui::SetHint(tooltips_, control, texts_.Text(kForm, name, ControlProperty::Hint));
  };
  ui::SetWindowTextUtf8(window_, texts_.Text(kForm, "", ControlProperty::WindowCaption));
  ui::SetWindowTextUtf8(label_book_entry_, caption("Label1"));
  ui::SetWindowTextUtf8(label_phone_no_, caption("Label4"));
  ui::SetWindowTextUtf8(button_ok_, caption("ButtonOk"));
  ui::SetWindowTextUtf8(button_cancel_, caption("ButtonCancel"));
  hint(phone_no_, "PhoneNo");
  hint(button_prev_, "ButtonPrev");
  hint(button_next_, "ButtonNext");
  hint(button_ok_, "ButtonOk");
  hint(button_cancel_, "ButtonCancel");
  hint(button_create_entry_, "ButtonCreateEntry");
  hint(button_edit_entry_, "ButtonEditEntry");
  Layout();
}

// The name and the number each under its label, the stepping row below them with the entry
// buttons at its right, OK and Cancel at the bottom right; the window takes the size this needs.
void TDefaultForm::Layout() {
  const int line = ui::MeasureText(ui::MessageFont(), L"").cy;
  const int edit_height = std::max(21, line + 8);
  const int ok_width = std::max(kButtonMinWidth, TextWidth(button_ok_) + 20);
  const int cancel_width = std::max(kButtonMinWidth, TextWidth(button_cancel_) + 20);
  const int width = std::max({kMargin + kFieldWidth, kMargin + TextWidth(label_book_entry_),
                              kMargin + TextWidth(label_phone_no_),
                              kMargin + ok_width + kButtonGap + cancel_width}) +
                    kMargin;
  const int field_width = width - 2 * kMargin;
  int top = kMargin;
  for (auto [label, field] :
       {std::pair{label_book_entry_, book_entry_}, std::pair{label_phone_no_, phone_no_}}) {
    MoveWindow(label, kMargin, top, field_width, line, FALSE);
    top += line + kLabelGap;
    MoveWindow(field, kMargin, top, field_width, edit_height, FALSE);
    top += edit_height + kRowGap;
  }
  const int step_top = top + (edit_height - kButtonHeight) / 2;
  int left = kMargin;
  MoveWindow(button_prev_, left, step_top, kStepButtonWidth, kButtonHeight, FALSE);
  left += kStepButtonWidth + kButtonGap;
  MoveWindow(cur_conn_text_, left, top, kCounterWidth, edit_height, FALSE);
  left += kCounterWidth + kButtonGap;
  MoveWindow(button_next_, left, step_top, kStepButtonWidth, kButtonHeight, FALSE);
  MoveWindow(button_edit_entry_, width - kMargin - kStepButtonWidth, step_top, kStepButtonWidth,
             kButtonHeight, FALSE);
  MoveWindow(button_create_entry_, width - kMargin - 2 * kStepButtonWidth - kButtonGap, step_top,
             kStepButtonWidth, kButtonHeight, FALSE);
  top += edit_height + kRowGap + kRowGap;
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

std::string TDefaultForm::HintOf(HWND control) const { return ui::HintOf(tooltips_, control); }

void TDefaultForm::RefreshEntries() {
  entries_.clear();
  // A failed enumeration leaves the list empty: the chooser then offers to create an entry.
  if (dialup_.EnumEntries(entries_) != ras::kOk) entries_.clear();
}

void TDefaultForm::EnableEntryControls(bool enable) {
  const BOOL state = enable ? TRUE : FALSE;
  for (HWND control :
       {button_prev_, cur_conn_text_, button_next_, button_ok_, button_edit_entry_}) {
    EnableWindow(control, state);
  }
  // The focus does not stay on a control that was just disabled.
  HWND focus = GetFocus();
  if (!enable && focus && IsChild(window_, focus) && !IsWindowEnabled(focus)) {
    SetFocus(button_create_entry_);
  }
}

void TDefaultForm::ShowEntry(int step) {
  const int count = static_cast<int>(entries_.size());
  index_ += step;
  if (index_ < 0) index_ = count - 1;
  if (index_ >= count) index_ = 0;
  shown_ = ChosenEntry{};
  if (count == 0) {
    index_ = 0;
    ui::SetWindowTextUtf8(cur_conn_text_, "0/0");
    EnableEntryControls(false);
    const std::string none = messages_.Text(msg::NoPhonebookEntries);
    ui::SetWindowTextUtf8(book_entry_, none);
    ui::SetHint(tooltips_, book_entry_, none);
    ui::SetWindowTextUtf8(phone_no_, "");
    return;
  }
  ui::SetWindowTextUtf8(cur_conn_text_, FormatText("%i/%i", {int64_t{index_} + 1, int64_t{count}}));
  EnableEntryControls(true);
  shown_.name = entries_[static_cast<std::size_t>(index_)];
  std::string number_text = "-";
  if (std::optional<EntryProperties> entry = dialup_.GetEntryProperties("", shown_.name)) {
    if (entry->Options & kEntryUsesCountryAndAreaCodes) {
      number_text = FormatText(messages_.Text(msg::ChooserNumberWithCodes),
                               {int64_t{entry->CountryCode}, codec_.ToUtf8(entry->AreaCode),
                                codec_.ToUtf8(entry->LocalNumber)});
      shown_.number = entry->AreaCode + entry->LocalNumber;
      shown_.has_codes = true;
    } else {
      number_text = FormatText(messages_.Text(msg::ChooserNumberWithoutCodes),
                               {codec_.ToUtf8(entry->LocalNumber)});
      shown_.number = entry->LocalNumber;
    }
  }
  const std::string name = codec_.ToUtf8(shown_.name);
  ui::SetWindowTextUtf8(book_entry_, name);
  ui::SetHint(tooltips_, book_entry_, name);
  ui::SetWindowTextUtf8(phone_no_, number_text);
  ui::SetHint(tooltips_, phone_no_, number_text);
}

ChosenEntry TDefaultForm::ShowModal(const std::string& caption) {
  if (window_ == nullptr || waiting_) return {};
  ApplyTexts();
  if (!caption.empty()) ui::SetWindowTextUtf8(window_, caption);
  RefreshEntries();
  index_ = 0;
  ShowEntry(0);

  waiting_ = true;
  if (show_taskbar_button_) show_taskbar_button_();
  focus_ = IsWindowEnabled(button_ok_) ? button_ok_ : button_create_entry_;
  ShowWindow(window_, SW_SHOW);
  SetForegroundWindow(window_);
  SetFocus(focus_);

  ui::RunModal({owner_, [this] { return !waiting_; }, idle_,
                [this](MSG& message) { return PreTranslate(message); }});
  waiting_ = false;

  ShowWindow(window_, SW_HIDE);
  if (hide_taskbar_button_unless_dialogs_) hide_taskbar_button_unless_dialogs_();
  return shown_;
}

void TDefaultForm::Finish(bool chosen) {
  if (!waiting_) return;
  shown_.chosen = chosen;
  waiting_ = false;
}

void TDefaultForm::ButtonOkClick() {
  if (IsWindowEnabled(button_ok_)) Finish(true);
}

void TDefaultForm::ButtonCancelClick() { Finish(false); }

void TDefaultForm::ButtonCreateEntryClick() {
  if (!waiting_ || !create_entry_) return;
  if (create_entry_(window_) != ras::kOk) return;
  RefreshEntries();
  ShowEntry(0);
}

void TDefaultForm::ButtonEditEntryClick() {
  if (!waiting_ || !edit_entry_ || !IsWindowEnabled(button_edit_entry_)) return;
  // The entry may be renamed or gone afterwards: the list is read again either way.
  const std::string name = shown_.name;
  if (edit_entry_(window_, name) != ras::kOk) return;
  RefreshEntries();
  ShowEntry(0);
}

void TDefaultForm::Click(int id) {
  switch (id) {
    case kButtonPrevId:
      if (IsWindowEnabled(button_prev_)) ButtonPrevClick();
      break;
    case kButtonNextId:
      if (IsWindowEnabled(button_next_)) ButtonNextClick();
      break;
    case kButtonOkId:
    case IDOK:
      ButtonOkClick();
      break;
    case kButtonCancelId:
    case IDCANCEL:
      ButtonCancelClick();
      break;
    case kButtonCreateEntryId:
      ButtonCreateEntryClick();
      break;
    case kButtonEditEntryId:
      ButtonEditEntryClick();
      break;
    default:
      break;
  }
}

bool TDefaultForm::PreTranslate(MSG& message) {
  if (window_ == nullptr || !waiting_) return false;
  if (message.hwnd != window_ && !IsChild(window_, message.hwnd)) return false;
  if (message.message == WM_KEYDOWN) {
    switch (message.wParam) {
      case VK_ESCAPE:
        ButtonCancelClick();
        return true;
      case VK_RETURN:
        // Ctrl+Enter is OK anywhere; Enter presses the button that has the focus.
        if (ControlDown()) {
          ButtonOkClick();
        } else if (message.hwnd != window_ && IsWindowEnabled(message.hwnd)) {
          Click(GetDlgCtrlID(message.hwnd));
        }
        return true;
      case VK_INSERT:
        if (!ControlDown()) break;
        ButtonCreateEntryClick();
        return true;
      case VK_F12:
        ButtonEditEntryClick();
        return true;
      case VK_NEXT:
      case VK_ADD:
      case VK_OEM_PLUS:
        Click(kButtonNextId);
        return true;
      case VK_PRIOR:
      case VK_SUBTRACT:
      case VK_OEM_MINUS:
        Click(kButtonPrevId);
        return true;
      default:
        break;
    }
  }
  return IsDialogMessageW(window_, &message) != FALSE;
}

LRESULT TDefaultForm::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      if (HIWORD(wparam) == BN_CLICKED) Click(LOWORD(wparam));
      return 0;
    case WM_ACTIVATE:
      // The focus leaves with the activation and comes back to the control that had it.
      if (LOWORD(wparam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(window_, focus)) focus_ = focus;
      } else {
        SetFocus(focus_ && IsWindowEnabled(focus_) ? focus_ : button_create_entry_);
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
