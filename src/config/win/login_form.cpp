#include "config/win/login_form.h"

#include <algorithm>
#include <string_view>

#include "common/win/wide.h"
#include "config/control_texts.h"
#include "monitor/connection_view.h"
#include "notify/win/form_support.h"

namespace lw {

namespace {

constexpr int kLabelGap = 8;
constexpr int kEditWidth = 170;
constexpr int kRowGap = 6;
// Between the fields of the connection and the two the user fills in.
constexpr int kGroupGap = 8;

// At most `limit` UTF-16 units of a text, never half of a surrogate pair: what the edits keep.
std::string Truncated(const std::string& utf8, int limit) {
  std::wstring wide = Widen(utf8);
  if (wide.size() <= static_cast<std::size_t>(limit)) return utf8;
  std::size_t keep = static_cast<std::size_t>(limit);
  if (wide[keep - 1] >= 0xD800 && wide[keep - 1] <= 0xDBFF) --keep;
  return Narrow(std::wstring_view(wide).substr(0, keep));
}

}  // namespace

TLoginForm::TLoginForm(const ControlTexts& texts, std::function<void()> show_taskbar_button,
                       std::function<void()> hide_taskbar_button_unless_dialogs, HWND owner,
                       std::function<void()> idle)
    : PromptDialog({kClassName, L"", 360, 220, kButtonOkId, kButtonCancelId}, texts,
                   std::move(show_taskbar_button), std::move(hide_taskbar_button_unless_dialogs),
                   owner, std::move(idle)) {}

// Creation order is the order of Tab: the fields of the connection are only read, the two edits
// and the buttons take the focus.
void TLoginForm::CreateControls() {
  label_entry_ = CreateLabel(kLabelEntryNameId);
  entry_name_ = CreateEdit(ES_READONLY, kEntryNameId);
  label_country_ = CreateLabel(kLabelCountryId);
  country_ = CreateEdit(ES_READONLY, kCountryId);
  label_phone_ = CreateLabel(kLabelPhoneNoId);
  phone_no_ = CreateEdit(ES_READONLY, kPhoneNoId);
  label_user_ = CreateLabel(kLabelUserId);
  user_edit_ = CreateEdit(WS_TABSTOP, kUserEditId);
  label_pass_ = CreateLabel(kLabelPassId);
  pass_edit_ = CreateEdit(WS_TABSTOP | ES_PASSWORD, kPassEditId);
  SendMessageW(user_edit_, EM_SETLIMITTEXT, kMaxLength, 0);
  SendMessageW(pass_edit_, EM_SETLIMITTEXT, kMaxLength, 0);
  SendMessageW(pass_edit_, EM_SETPASSWORDCHAR, L'*', 0);
}

void TLoginForm::ApplyTexts() {
  auto caption = [&](const char* control) {
    return texts().Text(form_name(), control, ControlProperty::Caption);
  };
  ui::SetWindowTextUtf8(hwnd(), texts().Text(form_name(), "", ControlProperty::WindowCaption));
  ui::SetWindowTextUtf8(label_user_, caption("Label"));
  ui::SetWindowTextUtf8(label_pass_, caption("Label1"));
  ui::SetWindowTextUtf8(label_entry_, caption("Label2"));
  ui::SetWindowTextUtf8(label_country_, caption("Label3"));
  ui::SetWindowTextUtf8(label_phone_, caption("Label4"));
  ApplyButtonTexts();
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
  const int width = std::max(field_left + kEditWidth, kMargin + ButtonRowWidth()) + kMargin;
  PlaceButtonsAndFit(width, top + kGroupGap - kRowGap);
}

void TLoginForm::UpdateButtonOk() {
  const bool filled = GetWindowTextLengthW(user_edit_) > 0 && GetWindowTextLengthW(pass_edit_) > 0;
  EnableWindow(button_ok(), filled ? TRUE : FALSE);
}

void TLoginForm::Command(int id, int code) {
  if (code == EN_CHANGE && (id == kUserEditId || id == kPassEditId)) UpdateButtonOk();
}

bool TLoginForm::ShowModal(LoginFields& fields) {
  if (!CanShow()) return false;
  ApplyTexts();
  ui::SetWindowTextUtf8(entry_name_, fields.entry_name);
  ui::SetWindowTextUtf8(country_, fields.country);
  ui::SetWindowTextUtf8(phone_no_, fields.phone_no);
  // A text set by the program is not held to the limit of the typed one.
  ui::SetWindowTextUtf8(user_edit_, Truncated(fields.user, kMaxLength));
  ui::SetWindowTextUtf8(pass_edit_, Truncated(fields.password, kMaxLength));
  UpdateButtonOk();
  // The user name is selected whole when it takes the focus.
  SendMessageW(user_edit_, EM_SETSEL, 0, -1);

  return RunModal(user_edit_, [&] {
    fields.user = ui::WindowTextUtf8(user_edit_);
    fields.password = ui::WindowTextUtf8(pass_edit_);
    // The password does not stay in a hidden window.
    SetWindowTextW(pass_edit_, L"");
  });
}

}  // namespace lw
