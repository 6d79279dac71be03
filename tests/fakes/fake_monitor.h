#pragma once
// Fakes of the monitor's ports: the windows, the tray icon and the workers record what they
// are asked, and the modal windows answer from a script.

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "monitor/monitor_ports.h"

namespace lw::test {

class FakeTray : public TrayState {
 public:
  void SetTrayImage(int value) override { image = value; }
  void SetTrayHint(const std::string& value) override { hint = value; }
  int TrayImage() const override { return image; }
  std::string TrayHint() const override { return hint; }
  int image = 7;
  std::string hint = "Czuwanie...";
};

class FakeMonitorUi : public MonitorUi {
 public:
  struct Question {
    std::string text;
    int32_t countdown;
  };
  void ShowConnection(const ConnectionView& view) override {
    shown = view;
    ++draws;
  }
  void ErrorBox(const std::string& text) override { errors.push_back(text); }
  void WarningBox(const std::string& text) override { warnings.push_back(text); }
  bool QuestionVisible() override { return question_visible; }
  int32_t AskQuestion(const std::string& text, int32_t countdown) override {
    questions.push_back({text, countdown});
    if (during_question) during_question();
    return answers.empty() ? 0 : Pop(answers);
  }
  bool LoginVisible() override { return login_visible; }
  bool AskLogin(LoginFields& fields) override {
    logins.push_back(fields);
    if (login_answers.empty()) return false;
    const LoginFields typed = Pop(login_answers);
    fields.user = typed.user;
    fields.password = typed.password;
    return true;
  }
  void SetAccelerationTimer(bool on) override { timer_on = on; }

  ConnectionView shown;
  int draws = 0;
  std::vector<std::string> errors, warnings;
  bool question_visible = false;
  std::vector<Question> questions;
  std::deque<int32_t> answers;  // 1 keep, 0 hang up
  std::function<void()> during_question;
  bool login_visible = false;
  std::vector<LoginFields> logins;
  std::deque<LoginFields> login_answers;  // confirmed prompts; none left: cancelled
  bool timer_on = false;

 private:
  template <typename T>
  static T Pop(std::deque<T>& queue) {
    T value = queue.front();
    queue.pop_front();
    return value;
  }
};

class FakeWorkers : public MonitorWorkers {
 public:
  struct HangUp {
    uint64_t handle;
    int32_t delay;
    bool by_user;
    bool operator==(const HangUp&) const = default;
  };
  void StartHangUp(uint64_t handle, int32_t delay, bool by_user) override {
    hang_ups.push_back({handle, delay, by_user});
  }
  void StartDial(const DialParams& params, bool accelerated) override {
    dials.push_back(params);
    dial_accelerated.push_back(accelerated);
  }
  void StartUpdateCheck() override { ++update_checks; }
  std::vector<HangUp> hang_ups;
  std::vector<DialParams> dials;
  std::vector<bool> dial_accelerated;
  int update_checks = 0;
};

}  // namespace lw::test
