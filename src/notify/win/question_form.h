#pragma once
// TQuestionForm: the yes/no question about a number or a connection, which answers no by
// itself when its countdown runs out. Asked modally from the main thread (ShowModal) or shown
// and polled from the deciding thread (through WinQuestions). Created once at start-up.

#include <cstdint>
#include <string>

#include "notify/win/question_window.h"

namespace lw {

class QuestionForm : public QuestionWindow {
 public:
  static constexpr wchar_t kClassName[] = L"TQuestionForm";
  static constexpr UINT_PTR kTimerId = 1;
  static constexpr UINT kTimerMs = 1000;
  static constexpr int kLabelQuestionId = 100;
  static constexpr int kLabelCounterId = 101;
  static constexpr int kButtonNoId = 102;
  static constexpr int kButtonYesId = 103;

  explicit QuestionForm(QuestionWindowDeps deps);

  // Main thread.
  // The question (UTF-8) and the seconds until an automatic no (0 or less: none).
  void SetQuestion(const std::string& text);
  void SetCountdown(int32_t seconds) { countdown_ = seconds; }
  int32_t countdown() const { return countdown_; }
  // Sets the question and shows the window without waiting.
  void Ask(const std::string& text, int32_t countdown);
  // Asks and runs messages until the question is answered; returns Answer (1 yes, 0 no).
  int32_t ShowModal(const std::string& text, int32_t countdown);

  HWND label_question() const { return label_; }
  HWND label_counter() const { return label_counter_; }
  HWND button_no() const { return button_no_; }
  HWND button_yes() const { return button_yes_; }
  std::string counter_text() const;
  bool timer_running() const { return timer_running_; }

  // Handlers.
  void FormShow();
  void TimerTimer();
  void ButtonNoClick() override;
  void ButtonYesClick() override;
  void ApplyTexts() override;

  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

 protected:
  void ButtonClick(int id) override;
  void StopTimers() override;

 private:
  HWND label_counter_ = nullptr;
  HWND button_no_ = nullptr;
  HWND button_yes_ = nullptr;
  int32_t countdown_ = 0;
  bool timer_running_ = false;
};

}  // namespace lw
