#include "hooking/intake.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace lw {
namespace {

// Records every step of a request, from all the parties, in the order they happen.
struct Journal {
  std::mutex mutex;
  std::vector<std::string> events;
  void Add(std::string event) {
    std::lock_guard<std::mutex> lock(mutex);
    events.push_back(std::move(event));
  }
};

class JournalDecider : public DialDecider {
 public:
  explicit JournalDecider(Journal& j) : j_(j) {}
  int32_t DecideDial(const DialFields& f) override {
    j_.Add("decide dial " + f.Application);
    if (before_answer) before_answer();
    return dial_answer;
  }
  int32_t DecideHangUp(uint32_t word, const std::string& app) override {
    j_.Add("decide hang-up " + app + " " + std::to_string(word));
    return hang_up_answer;
  }
  int32_t dial_answer = 1;
  int32_t hang_up_answer = 1;
  std::function<void()> before_answer;

 private:
  Journal& j_;
};

class JournalExtensions : public ExtensionNotifications {
 public:
  explicit JournalExtensions(Journal& j) : j_(j) {}
  void NotifyConnect(const DialFields& f) override { j_.Add("connect " + f.LocalNumber); }
  void NotifyIllegal(const DialFields& f) override { j_.Add("illegal " + f.LocalNumber); }
  void NotifyDisconnect() override { j_.Add("disconnect"); }

 private:
  Journal& j_;
};

class JournalLog : public AttemptLogger {
 public:
  explicit JournalLog(Journal& j) : j_(j) {}
  void LogAttempt(AttemptKind kind, const std::string& app, int32_t country,
                  const std::string& area, const std::string& number, const std::string& entry,
                  const std::string& phonebook, bool allowed) override {
    j_.Add(std::string(kind == AttemptKind::Connect ? "log connect " : "log disconnect ") + app +
           " " + std::to_string(country) + " [" + area + "][" + number + "][" + entry + "][" +
           phonebook + "] " + (allowed ? "allowed" : "refused"));
  }

 private:
  Journal& j_;
};

class IntakeTest : public ::testing::Test {
 protected:
  void Handle(const std::vector<uint8_t>& message) {
    intake.HandleDialRequest(message,
                             [this](int32_t a) { journal.Add("answer " + std::to_string(a)); });
  }
  std::vector<uint8_t> Dial(RequestType type = RequestType::Dial) {
    return BuildDialMessage(type, {48, "22", "5551234", "Wpis", "", "C:\\d.exe"});
  }

  Journal journal;
  std::mutex decision_lock;
  JournalDecider decider{journal};
  JournalExtensions extensions{journal};
  JournalLog log{journal};
  DialIntake intake{decision_lock, decider, extensions, log};
};

TEST_F(IntakeTest, AllowedDialIsAnsweredThenNotifiedThenLogged) {
  for (RequestType type : {RequestType::Dial, RequestType::DialOther}) {
    journal.events.clear();
    Handle(Dial(type));
    EXPECT_EQ(journal.events,
              (std::vector<std::string>{"decide dial C:\\d.exe", "answer 1", "connect 5551234",
                                        "log connect C:\\d.exe 48 [22][5551234][Wpis][] allowed"}));
  }
}

TEST_F(IntakeTest, RefusedDialNotifiesTheIllegalEntryPoint) {
  decider.dial_answer = 0;
  Handle(Dial());
  EXPECT_EQ(journal.events,
            (std::vector<std::string>{"decide dial C:\\d.exe", "answer 0", "illegal 5551234",
                                      "log connect C:\\d.exe 48 [22][5551234][Wpis][] refused"}));
}

TEST_F(IntakeTest, HangUpIsLoggedWithoutNumberAndNotifiedOnlyWhenAllowed) {
  Handle(BuildHangUpMessage("C:\\h.exe", 77));
  EXPECT_EQ(journal.events,
            (std::vector<std::string>{"decide hang-up C:\\h.exe 77", "answer 1", "disconnect",
                                      "log disconnect C:\\h.exe 0 [][][][] allowed"}));
  journal.events.clear();
  decider.hang_up_answer = 0;
  Handle(BuildHangUpMessage("C:\\h.exe"));
  EXPECT_EQ(journal.events,
            (std::vector<std::string>{"decide hang-up C:\\h.exe 0", "answer 0",
                                      "log disconnect C:\\h.exe 0 [][][][] refused"}));
}

TEST_F(IntakeTest, AnswersAreOnlyEverOneOrZero) {
  decider.dial_answer = 7;
  Handle(Dial());
  EXPECT_EQ(journal.events[1], "answer 1");
}

TEST_F(IntakeTest, MalformedMessagesAreRefusedWithoutDecisionNotificationOrLog) {
  std::vector<uint8_t> unknown = Dial();
  unknown[0] = 9;
  std::vector<uint8_t> short_dial = Dial();
  short_dial.resize(100);
  for (const auto& message : {unknown, short_dial, std::vector<uint8_t>{}}) {
    journal.events.clear();
    Handle(message);
    EXPECT_EQ(journal.events, std::vector<std::string>{"answer 0"});
  }
}

TEST_F(IntakeTest, ConcurrentRequestsAreHandledOneAfterTheOther) {
  // The first decision waits until the second request has certainly arrived at the lock.
  std::mutex m;
  std::condition_variable cv;
  bool second_started = false;
  int decisions = 0;  // counted under the decision lock
  decider.before_answer = [&] {
    if (decisions++ != 0) return;
    std::unique_lock<std::mutex> lock(m);
    cv.wait(lock, [&] { return second_started; });
    // The second thread is now blocked on the decision lock (or about to be); give it every
    // chance to overtake if the lock did not hold it.
    lock.unlock();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  };
  std::thread first([&] { Handle(Dial()); });
  while (true) {
    std::lock_guard<std::mutex> lock(journal.mutex);
    if (!journal.events.empty()) break;
  }
  std::thread second([&] {
    {
      std::lock_guard<std::mutex> lock(m);
      second_started = true;
    }
    cv.notify_all();
    Handle(BuildHangUpMessage("C:\\second.exe"));
  });
  first.join();
  second.join();
  ASSERT_EQ(journal.events.size(), 8u);
  EXPECT_EQ(journal.events[3].rfind("log connect", 0), 0u);
  EXPECT_EQ(journal.events[4], "decide hang-up C:\\second.exe 0");
}

}  // namespace
}  // namespace lw
