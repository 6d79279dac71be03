#pragma once
// The Questions port on Windows, for the deciding thread. Showing a question marks it active
// at once (so the caller's first poll sees it) and posts the show to the main thread; the
// polls read the windows' atomic fields and never wait for the main thread.

#include <atomic>
#include <cstdint>
#include <optional>
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

  // Whether a decision's question waits for the window or for its answer to be read.
  bool Busy() const { return waiting_.load(); }
  // Main thread. The yes/no window was closed: a question that waited for it is asked now.
  void QuestionClosed();
  // The program ends: a question still waiting for the window is answered no.
  void Abandon();

 private:
  struct Deferred {
    std::string text;
    int32_t countdown;
  };
  // Main thread: asks now, or when the window is free (the connection monitor may be asking
  // in it; one window never carries two questions, so no answer goes to the wrong one).
  void AskWhenFree(const std::string& text, int32_t countdown);

  // The deciding thread's own question: waiting from ShowQuestion until its window closed.
  std::atomic<bool> waiting_{false};
  std::atomic<bool> asked_{false};
  std::optional<Deferred> deferred_;  // main thread
  QuestionForm& question_;
  QuestionAppForm& app_question_;
};

}  // namespace lw
