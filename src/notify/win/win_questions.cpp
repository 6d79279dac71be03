#include "notify/win/win_questions.h"

#include "notify/win/question_app_form.h"
#include "notify/win/question_form.h"
#include "shell/win/main_thread.h"

namespace lw {

void WinQuestions::ShowAppQuestion(const std::string& text, const std::string& app_path) {
  QuestionAppForm* form = &app_question_;
  form->MarkActive();
  // Without the main thread nobody could answer: the caller must not wait forever.
  if (!RunOnMainThread([form, text, app_path] { form->Ask(text, app_path); })) form->Abandon();
}

bool WinQuestions::AppQuestionActive() { return app_question_.Active(); }

int32_t WinQuestions::AppQuestionAnswer() { return app_question_.Answer(); }

bool WinQuestions::QuestionVisible() { return question_.Visible(); }

void WinQuestions::ShowQuestion(const std::string& text, int32_t countdown) {
  asked_.store(false);
  waiting_.store(true);
  if (!RunOnMainThread([this, text, countdown] { AskWhenFree(text, countdown); })) {
    waiting_.store(false);
  }
}

void WinQuestions::AskWhenFree(const std::string& text, int32_t countdown) {
  if (!waiting_.load()) return;
  if (question_.Visible() || question_.Active()) {
    deferred_ = Deferred{text, countdown};
    return;
  }
  question_.MarkActive();
  question_.Ask(text, countdown);
  asked_.store(true);
}

void WinQuestions::QuestionClosed() {
  if (!deferred_) return;
  Deferred next = std::move(*deferred_);
  deferred_.reset();
  AskWhenFree(next.text, next.countdown);
}

void WinQuestions::Abandon() {
  deferred_.reset();
  waiting_.store(false);
  question_.Abandon();
}

bool WinQuestions::QuestionActive() {
  if (!waiting_.load()) return false;
  // Asked (the window's Active was set before) and answered: the wait is over.
  if (asked_.load() && !question_.Active()) waiting_.store(false);
  return waiting_.load();
}

int32_t WinQuestions::QuestionAnswer() { return question_.Answer(); }

}  // namespace lw
