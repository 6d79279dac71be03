#pragma once
// Fakes of the ports the policy talks to: they record what they are told and answer from a
// script, so every branch of a decision runs instantly and can be inspected.

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/clock.h"
#include "dialup/dialup.h"
#include "notify/notifier.h"
#include "policy/program_state.h"

namespace lw::test {

struct Notice {
  std::string text;
  int image;
  bool operator==(const Notice&) const = default;
};

class RecordingNotifier : public Notifier {
 public:
  void ShowInfo(const std::string& text, int image) override { notices.push_back({text, image}); }
  void HideInfo() override { ++hides; }
  std::vector<Notice> notices;
  int hides = 0;
};

// Answers each question after it has stayed active for `polls_before_answer` polls of Active.
class ScriptedQuestions : public Questions {
 public:
  struct Asked {
    std::string text;
    std::string app_path;  // application question
    int32_t countdown;     // yes/no question
  };

  void ShowAppQuestion(const std::string& text, const std::string& app_path) override {
    app_asked.push_back({text, app_path, 0});
    app_polls_left = polls_before_answer;
  }
  bool AppQuestionActive() override { return app_polls_left-- > 0; }
  int32_t AppQuestionAnswer() override { return Next(app_answers); }

  bool QuestionVisible() override { return question_visible; }
  void ShowQuestion(const std::string& text, int32_t countdown) override {
    asked.push_back({text, {}, countdown});
    polls_left = polls_before_answer;
  }
  bool QuestionActive() override { return polls_left-- > 0; }
  int32_t QuestionAnswer() override { return Next(answers); }

  std::deque<int32_t> app_answers;  // answers of the application question, in order
  std::deque<int32_t> answers;      // answers of the yes/no question, in order
  std::vector<Asked> app_asked;
  std::vector<Asked> asked;
  bool question_visible = false;
  int polls_before_answer = 3;

 private:
  static int32_t Next(std::deque<int32_t>& script) {
    if (script.empty()) return 0;
    int32_t answer = script.front();
    script.pop_front();
    return answer;
  }
  int app_polls_left = 0;
  int polls_left = 0;
};

class FakeClock : public Clock {
 public:
  void Sleep(uint32_t milliseconds) override { sleeps.push_back(milliseconds); }
  std::string LocalDateTimeText() override { return now; }
  std::vector<uint32_t> sleeps;
  std::string now = "2026-12-10 12:34:56";
};

class FakeDialUp : public DialUp {
 public:
  std::optional<EntryProperties> GetEntryProperties(std::string_view phonebook,
                                                    std::string_view entry) override {
    property_reads.emplace_back(phonebook, entry);
    auto it = entries.find(std::string(entry));
    if (it == entries.end()) return std::nullopt;
    return it->second;
  }
  std::optional<std::string> GetCountryName(uint32_t country_id) override {
    auto it = countries.find(country_id);
    if (it == countries.end()) return std::nullopt;
    return it->second;
  }
  std::map<std::string, EntryProperties> entries;
  std::map<uint32_t, std::string> countries;
  std::vector<std::pair<std::string, std::string>> property_reads;
};

class FakeProgramState : public ProgramState {
 public:
  std::string ProgramPath() override { return program_path; }
  int32_t OwnCountryCode() override { return own_country_code; }
  bool OwnDialPending() override { return own_dial_pending; }
  void EnableAccelerationTimer() override { ++timer_enabled; }
  std::string program_path = "C:\\Program Files\\LarkWatch\\larkwatch.exe";
  int32_t own_country_code = 48;
  bool own_dial_pending = false;
  int timer_enabled = 0;
};

}  // namespace lw::test
