#include "config/win/input_form.h"

#include <algorithm>

#include "common/win/wide.h"
#include "notify/win/form_support.h"

namespace lw {

namespace {

// The control texts carry no caption for this window: it bears the program's name.
constexpr wchar_t kCaption[] = L"LarkWatch";
constexpr int kLabelGap = 4;
constexpr int kValueWidth = 280;
constexpr int kRowGap = 10;

}  // namespace

TInputForm::TInputForm(const ControlTexts& texts, std::function<void()> show_taskbar_button,
                       std::function<void()> hide_taskbar_button_unless_dialogs, HWND owner,
                       std::function<void()> idle)
    : PromptDialog({kClassName, kCaption, 320, 140, kButtonOkId, kButtonCancelId}, texts,
                   std::move(show_taskbar_button), std::move(hide_taskbar_button_unless_dialogs),
                   owner, std::move(idle)) {}

void TInputForm::CreateControls() {
  label_ = CreateLabel(kLabelId);
  value_ = CreateEdit(WS_TABSTOP, kValueId);
  SendMessageW(value_, EM_SETLIMITTEXT, kMaxLength, 0);
}

void TInputForm::ApplyTexts() {
  ApplyButtonTexts();
  Layout();
}

// The prompt above the value, the buttons at the bottom right; the window takes the size this
// needs and stands in the middle of the screen.
void TInputForm::Layout() {
  const int line = ui::MeasureText(ui::MessageFont(), L"").cy;
  const SIZE prompt = ui::MeasureText(ui::MessageFont(), Widen(ui::WindowTextUtf8(label_)));
  const int edit_height = std::max(21, line + 8);
  const int width =
      std::max({kValueWidth, static_cast<int>(prompt.cx), ButtonRowWidth()}) + 2 * kMargin;
  int top = kMargin;
  MoveWindow(label_, kMargin, top, width - 2 * kMargin, prompt.cy, FALSE);
  top += prompt.cy + kLabelGap;
  MoveWindow(value_, kMargin, top, width - 2 * kMargin, edit_height, FALSE);
  top += edit_height + kRowGap;
  PlaceButtonsAndFit(width, top);
}

void TInputForm::UpdateButtonOk() {
  EnableWindow(button_ok(), GetWindowTextLengthW(value_) > 0 ? TRUE : FALSE);
}

void TInputForm::Command(int id, int code) {
  if (code == EN_CHANGE && id == kValueId) UpdateButtonOk();
}

std::optional<std::string> TInputForm::Ask(const std::string& prompt) {
  if (!CanShow()) return std::nullopt;
  ui::SetWindowTextUtf8(label_, prompt);
  ApplyTexts();
  SetWindowTextW(value_, L"");
  UpdateButtonOk();

  std::optional<std::string> result;
  if (RunModal(value_)) result = ui::WindowTextUtf8(value_);
  return result;
}

}  // namespace lw
