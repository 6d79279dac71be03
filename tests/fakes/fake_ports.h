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
  void Sleep(uint32_t milliseconds) override {
    sleeps.push_back(milliseconds);
    elapsed += milliseconds + machine_sleep_ms;
    machine_sleep_ms = 0;
  }
  uint64_t ElapsedMs() override { return elapsed; }
  std::string LocalDateTimeText() override { return now; }
  std::vector<uint32_t> sleeps;
  uint64_t elapsed = 1000;
  // Time the machine spends asleep during the next Sleep.
  uint64_t machine_sleep_ms = 0;
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
  uint32_t EnumConnections(std::vector<ConnectionRecord>& out) override {
    out = enum_connections_code ? std::vector<ConnectionRecord>{} : connections;
    return enum_connections_code;
  }
  uint32_t EnumEntries(std::vector<std::string>& out) override {
    out.clear();
    if (enum_entries_code) return enum_entries_code;
    for (const auto& entry : entries) out.push_back(entry.first);
    return 0;
  }
  uint32_t GetEntryDialParams(std::string_view entry, StoredCredentials& out) override {
    if (dial_params_code) return dial_params_code;
    auto it = credentials.find(std::string(entry));
    if (it == credentials.end()) return 623;
    out = it->second;
    return 0;
  }
  uint32_t Dial(const DialParams& params, DialNotifier notifier) override {
    dials.push_back(params);
    last_notifier = std::move(notifier);
    return dial_code;
  }
  std::optional<std::string> GetErrorString(uint32_t code) override {
    auto it = error_texts.find(code);
    if (it == error_texts.end()) return std::nullopt;
    return it->second;
  }
  uint32_t HangUp(uint64_t handle) override {
    hang_ups.push_back(handle);
    return hang_up_code;
  }

  std::map<std::string, EntryProperties> entries;
  std::map<uint32_t, std::string> countries;
  std::vector<std::pair<std::string, std::string>> property_reads;
  std::vector<ConnectionRecord> connections;
  uint32_t enum_connections_code = 0;
  uint32_t enum_entries_code = 0;
  std::map<std::string, StoredCredentials> credentials;
  uint32_t dial_params_code = 0;
  std::vector<DialParams> dials;
  DialNotifier last_notifier;
  uint32_t dial_code = 0;
  std::map<uint32_t, std::string> error_texts;
  std::vector<uint64_t> hang_ups;
  uint32_t hang_up_code = 0;
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
