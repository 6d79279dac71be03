#pragma once
// The Questions port on Windows, for the deciding thread. Showing a question marks it active
// at once (so the caller's first poll sees it) and posts the show to the main thread; the
// polls read the windows' atomic fields and never wait for the main thread.

#include <cstdint>
#include <string>

#include "notify/notifier.h"

namespace lw {

class QuestionForm;
class QuestionAppForm;

class WinQuestions : public Questions {
 public:
  // The windows must outlive the main thread's dispatcher.
  WinQuestions(QuestionForm& question, QuestionAppForm& app_question)
      : question_(question), app_question_(app_question) {}

  void ShowAppQuestion(const std::string& text, const std::string& app_path) override;
  bool AppQuestionActive() override;
  int32_t AppQuestionAnswer() override;

  bool QuestionVisible() override;
  void ShowQuestion(const std::string& text, int32_t countdown) override;
  bool QuestionActive() override;
  int32_t QuestionAnswer() override;

 private:
  QuestionForm& question_;
  QuestionAppForm& app_question_;
};

}  // namespace lw
