#include "notify/win/question_form.h"

#include <algorithm>

#include "common/format.h"
#include "config/control_texts.h"
#include "config/message_lines.h"
#include "config/messages.h"
#include "notify/win/form_support.h"

namespace lw {

namespace {

constexpr std::string_view kForm = "TQuestionForm";
constexpr int kMinWidth = 324;
constexpr int kButtonWidth = 62;
constexpr int kCounterLeft = 91;

}  // namespace

QuestionForm::QuestionForm(QuestionWindowDeps deps)
    : QuestionWindow(std::move(deps), kClassName, kLabelQuestionId) {
  if (window_ == nullptr) return;
  label_counter_ = ui::CreateControl(window_, L"STATIC", SS_CENTER | SS_NOPREFIX, kLabelCounterId);
  button_no_ = AddButton(kButtonNoId);
  button_yes_ = AddButton(kButtonYesId);
  ApplyTexts();
  // The design size until the first question lays the window out.
  const SIZE size = ui::SizeForClient(window_, 316, 51);
  SetWindowPos(window_, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER);
}

void QuestionForm::ApplyTexts() {
  ui::SetWindowTextUtf8(window_, deps_.texts.Text(kForm, "", ControlProperty::WindowCaption));
  ui::SetWindowTextUtf8(button_no_, deps_.texts.Text(kForm, "ButtonNo", ControlProperty::Caption));
  ui::SetWindowTextUtf8(button_yes_,
                        deps_.texts.Text(kForm, "ButtonYes", ControlProperty::Caption));
}

void QuestionForm::SetQuestion(const std::string& text) { ui::SetWindowTextUtf8(label_, text); }

std::string QuestionForm::counter_text() const { return ui::WindowTextUtf8(label_counter_); }

void QuestionForm::Ask(const std::string& text, int32_t countdown) {
  SetQuestion(text);
  SetCountdown(countdown);
  FormShow();
}

int32_t QuestionForm::ShowModal(const std::string& text, int32_t countdown) {
  Ask(text, countdown);
  return RunModal();
}

void QuestionForm::FormShow() {
  if (window_ == nullptr) {
    active_.store(false);
    return;
  }
  if (deps_.show_taskbar_button) deps_.show_taskbar_button();
  ApplyTexts();

  // Sizes of the client area.
  const SIZE label = PlaceLabel();
  int width = label.cx + 16;
  const int height = label.cy + 56;
  const int button_top = height - kButtonHeight - 28;
  const int counter_height = ui::MeasureText(ui::MessageFont(), L"").cy;
  const int counter_top = height - counter_height - 32;
  width = std::max(width, kMinWidth);
  MoveWindow(button_no_, kLabelLeft, button_top, kButtonWidth, kButtonHeight, FALSE);
  MoveWindow(button_yes_, width - 70, button_top, kButtonWidth, kButtonHeight, FALSE);
  MoveWindow(label_counter_, kCounterLeft, counter_top, width - 183, counter_height, FALSE);

  answer_.store(0);
  active_.store(true);
  if (countdown_ <= 0) {
    KillTimer(window_, kTimerId);
    timer_running_ = false;
    SetWindowTextW(label_counter_, L"");
  } else {
    // The counter keeps its text until the first tick.
    SetTimer(window_, kTimerId, kTimerMs, nullptr);
    timer_running_ = true;
  }
  Present(width, height);
}

void QuestionForm::TimerTimer() {
  countdown_ -= 1;
  if (countdown_ != 0) {
    ui::SetWindowTextUtf8(label_counter_, FormatText(deps_.messages.Text(msg::CountdownLine),
                                                     {static_cast<int64_t>(countdown_)}));
  } else {
    answer_.store(0);
    Close();
  }
}

void QuestionForm::ButtonYesClick() {
  answer_.store(1);
  Close();
}

void QuestionForm::ButtonNoClick() { Close(); }

void QuestionForm::ButtonClick(int id) {
  if (id == kButtonYesId) ButtonYesClick();
  if (id == kButtonNoId) ButtonNoClick();
}

void QuestionForm::StopTimers() {
  KillTimer(window_, kTimerId);
  timer_running_ = false;
}

LRESULT QuestionForm::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_TIMER && wparam == kTimerId) {
    TimerTimer();
    return 0;
  }
  return QuestionWindow::HandleMessage(message, wparam, lparam);
}

}  // namespace lw
