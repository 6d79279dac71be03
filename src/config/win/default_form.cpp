#include "config/win/default_form.h"

#include <algorithm>

#include "common/codec.h"
#include "common/format.h"
#include "config/control_texts.h"
#include "config/message_lines.h"
#include "config/messages.h"
#include "dialup/dialup.h"
#include "notify/win/form_support.h"

namespace lw {

namespace {

constexpr int kFieldWidth = 300;
constexpr int kLabelGap = 2;
constexpr int kRowGap = 8;
constexpr int kStepButtonWidth = 28;
constexpr int kCounterWidth = 64;

}  // namespace

TDefaultForm::TDefaultForm(DialUp& dialup, CreateEntryFn create_entry, EditEntryFn edit_entry,
                           const ControlTexts& texts, const MessageTable& messages,
                           const AnsiCodec& codec, std::function<void()> show_taskbar_button,
                           std::function<void()> hide_taskbar_button_unless_dialogs, HWND owner,
                           std::function<void()> idle)
    : PromptDialog({kClassName, L"", 340, 200, kButtonOkId, kButtonCancelId}, texts,
                   std::move(show_taskbar_button), std::move(hide_taskbar_button_unless_dialogs),
                   owner, std::move(idle)),
      dialup_(dialup),
      create_entry_(std::move(create_entry)),
      edit_entry_(std::move(edit_entry)),
      messages_(messages),
      codec_(codec) {}

// Creation order is the order of Tab: the fields are only read, the buttons take the focus.
void TDefaultForm::CreateControls() {
  label_book_entry_ = CreateLabel(kLabelBookEntryId);
  book_entry_ = CreateEdit(ES_READONLY, kBookEntryId);
  label_phone_no_ = CreateLabel(kLabelPhoneNoId);
  phone_no_ = CreateEdit(ES_READONLY, kPhoneNoId);
  button_prev_ = CreateButton(kButtonPrevId);
  cur_conn_text_ = CreateEdit(ES_READONLY | ES_CENTER, kCurConnTextId);
  button_next_ = CreateButton(kButtonNextId);
  button_create_entry_ = CreateButton(kButtonCreateEntryId);
  button_edit_entry_ = CreateButton(kButtonEditEntryId);
  // The buttons without a caption of the control texts show what they do as a sign; their
  // hints say it in words.
  SetWindowTextW(button_prev_, L"<");
  SetWindowTextW(button_next_, L">");
  SetWindowTextW(button_create_entry_, L"+");
  SetWindowTextW(button_edit_entry_, L"...");
}

void TDefaultForm::ApplyTexts() {
  if (hwnd() == nullptr) return;
  auto caption = [&](const char* control) {
    return texts().Text(form_name(), control, ControlProperty::Caption);
  };
  auto hint = [&](HWND control, const char* name) {
    ui::SetHint(tooltips(), control, texts().Text(form_name(), name, ControlProperty::Hint));
  };
  ui::SetWindowTextUtf8(hwnd(), texts().Text(form_name(), "", ControlProperty::WindowCaption));
  ui::SetWindowTextUtf8(label_book_entry_, caption("Label1"));
  ui::SetWindowTextUtf8(label_phone_no_, caption("Label4"));
  ApplyButtonTexts();
  hint(phone_no_, "PhoneNo");
  hint(button_prev_, "ButtonPrev");
  hint(button_next_, "ButtonNext");
  hint(button_create_entry_, "ButtonCreateEntry");
  hint(button_edit_entry_, "ButtonEditEntry");
  Layout();
}

// The name and the number each under its label, the stepping row below them with the entry
// buttons at its right, OK and Cancel at the bottom right; the window takes the size this needs.
void TDefaultForm::Layout() {
  const int line = ui::MeasureText(ui::MessageFont(), L"").cy;
  const int edit_height = std::max(21, line + 8);
  const int width = std::max({kMargin + kFieldWidth, kMargin + TextWidth(label_book_entry_),
                              kMargin + TextWidth(label_phone_no_), kMargin + ButtonRowWidth()}) +
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
  PlaceButtonsAndFit(width, top);
}

void TDefaultForm::RefreshEntries() {
  entries_.clear();
  // A failed enumeration leaves the list empty: the chooser then offers to create an entry.
  if (dialup_.EnumEntries(entries_) != ras::kOk) entries_.clear();
}

void TDefaultForm::EnableEntryControls(bool enable) {
  const BOOL state = enable ? TRUE : FALSE;
  for (HWND control :
       {button_prev_, cur_conn_text_, button_next_, button_ok(), button_edit_entry_}) {
    EnableWindow(control, state);
  }
  // The focus does not stay on a control that was just disabled.
  HWND focus = GetFocus();
  if (!enable && focus && IsChild(hwnd(), focus) && !IsWindowEnabled(focus)) {
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
    ui::SetHint(tooltips(), book_entry_, none);
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
  ui::SetHint(tooltips(), book_entry_, name);
  ui::SetWindowTextUtf8(phone_no_, number_text);
  ui::SetHint(tooltips(), phone_no_, number_text);
}

ChosenEntry TDefaultForm::ShowModal(const std::string& caption) {
  if (!CanShow()) return {};
  ApplyTexts();
  if (!caption.empty()) ui::SetWindowTextUtf8(hwnd(), caption);
  RefreshEntries();
  index_ = 0;
  ShowEntry(0);

  const bool chosen = RunModal(IsWindowEnabled(button_ok()) ? button_ok() : button_create_entry_);
  shown_.chosen = chosen;
  return shown_;
}

void TDefaultForm::ButtonCreateEntryClick() {
  if (!waiting() || !create_entry_) return;
  if (create_entry_(hwnd()) != ras::kOk) return;
  RefreshEntries();
  ShowEntry(0);
}

void TDefaultForm::ButtonEditEntryClick() {
  if (!waiting() || !edit_entry_ || !IsWindowEnabled(button_edit_entry_)) return;
  // The entry may be renamed or gone afterwards: the list is read again either way.
  const std::string name = shown_.name;
  if (edit_entry_(hwnd(), name) != ras::kOk) return;
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

void TDefaultForm::Command(int id, int code) {
  if (code == BN_CLICKED) Click(id);
}

bool TDefaultForm::KeyDown(HWND target, WPARAM key) {
  switch (key) {
    case VK_RETURN:
      // Ctrl+Enter is OK anywhere; Enter presses the button that has the focus.
      if (ControlDown()) {
        ButtonOkClick();
      } else if (target != hwnd() && IsWindowEnabled(target)) {
        Click(GetDlgCtrlID(target));
      }
      return true;
    case VK_INSERT:
      if (!ControlDown()) return false;
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
      return false;
  }
}

}  // namespace lw
