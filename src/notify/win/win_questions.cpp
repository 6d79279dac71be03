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
  QuestionForm* form = &question_;
  form->MarkActive();
  if (!RunOnMainThread([form, text, countdown] { form->Ask(text, countdown); })) form->Abandon();
}

bool WinQuestions::QuestionActive() { return question_.Active(); }

int32_t WinQuestions::QuestionAnswer() { return question_.Answer(); }

}  // namespace lw
