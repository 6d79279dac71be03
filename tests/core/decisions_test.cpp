#include "policy/decisions.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "common/format.h"
#include "support/policy_rig.h"

namespace lw {
namespace {

using test::Notice;

constexpr const char* kApp = "C:\\Dialer\\dialer.exe";

class DecisionTest : public ::testing::Test, protected test::PolicyRig {
 protected:
  void SetUp() override {
    dialup.entries["Modem"] = {kEntryUsesCountryAndAreaCodes, 48, 48, "22", "123-45-67", "modem"};
    dialup.entries["NoCodes"] = {0, 48, 48, "22", "0-700 123", "modem"};
    dialup.entries["Isdn"] = {kEntryUsesCountryAndAreaCodes, 48, 48, "22", "1234567", "isdn"};
    dialup.entries["Loud"] = {kEntryUsesCountryAndAreaCodes, 48, 48, "22", "1234567", "MODEM"};
    dialup.countries[48] = "Polska";
    // Most cases are not about the accelerated connection or the application question.
    Change([](Settings& s) {
      s.UseAcceleration = false;
      s.PDAsk = false;
    });
  }

  template <typename F>
  void Change(F f) {
    store.Update(f);
  }

  DialFields Dial(std::string entry = "Modem", int32_t country = 48, std::string app = kApp) {
    const EntryProperties* e = dialup.entries.count(entry) ? &dialup.entries[entry] : nullptr;
    return {country, e ? e->AreaCode : "22", e ? e->LocalNumber : "1234567", entry, "", app};
  }

  // The text of a message filled as the decisions fill it.
  std::string Text(int message, std::initializer_list<FormatArg> args) {
    return FormatText(messages.Text(message), args);
  }
};

TEST_F(DecisionTest, AnOrdinaryDialIsAllowedWithTheNumberAndCountryShown) {
  EXPECT_EQ(policy.DecideDial(Dial()), 1);
  ASSERT_EQ(notifier.notices.size(), 1u);
  EXPECT_EQ(notifier.notices[0].text,
            "Aplikacja C:\\Dialer\\dialer.exe\r\nnawiązuje połączenie z numerem: 22 "
            "123-45-67\r\nKraj: (48) Polska");
  EXPECT_EQ(notifier.notices[0].image, image::kConnected);
  EXPECT_EQ(dialup.property_reads.back(), (std::pair<std::string, std::string>{"", "Modem"}));
}

TEST_F(DecisionTest, EntryWithoutCodesOrUnreadableShowsTheLocalNumberAndNoCountry) {
  for (const char* entry : {"NoCodes", "Unknown"}) {
    notifier.notices.clear();
    DialFields d = Dial(entry);
    EXPECT_EQ(policy.DecideDial(d), 1);
    EXPECT_EQ(notifier.notices.back().text,
              Text(msg::DialAllowed, {kApp, d.LocalNumber, messages.Text(msg::NoCountryInfo)}));
  }
}

TEST_F(DecisionTest, ApplicationQuestionDecidesAndIsPolledEveryHalfSecond) {
  Change([](Settings& s) {
    s.PDAsk = true;
    s.SetPermit(true);  // a yes in the question passes the permitted list
  });
  questions.app_answers = {0, 1};

  EXPECT_EQ(policy.DecideDial(Dial()), 0);
  EXPECT_TRUE(notifier.notices.empty());
  ASSERT_EQ(questions.app_asked.size(), 1u);
  EXPECT_EQ(questions.app_asked[0].text,
            "Następująca aplikacja próbuje nawiązać połączenie\r\nC:\\Dialer\\dialer.exe"
            "\r\n\r\nPozwolić aplikacji na wybranie numeru ?");
  EXPECT_EQ(questions.app_asked[0].app_path, kApp);
  EXPECT_EQ(clock.sleeps, (std::vector<uint32_t>{500, 500, 500}));

  EXPECT_EQ(policy.DecideDial(Dial()), 1);
  EXPECT_EQ(notifier.notices.back().image, image::kConnected);
}

TEST_F(DecisionTest, ApplicationListsInForceDecide) {
  struct Case {
    bool permit, deny;
    std::vector<std::string> permit_list, deny_list;
    int32_t answer;
    int message;  // 0: allowed
  };
  const std::string upper = "C:\\DIALER\\DIALER.EXE";
  const Case cases[] = {
      {true, false, {}, {}, 0, msg::DialNotPermitted},
      {true, false, {upper}, {}, 1, 0},  // letter case does not count
      {false, true, {}, {upper}, 0, msg::DialDenied},
      {false, true, {}, {"C:\\other.exe"}, 1, 0},
      {false, false, {}, {kApp}, 1, 0},  // a list not in force
  };
  for (const Case& c : cases) {
    Change([&](Settings& s) {
      s.Permit = c.permit;
      s.Deny = c.deny;
      s.PermitList = c.permit_list;
      s.DenyList = c.deny_list;
    });
    notifier.notices.clear();
    EXPECT_EQ(policy.DecideDial(Dial()), c.answer);
    ASSERT_EQ(notifier.notices.size(), 1u);
    if (c.message != 0) {
      EXPECT_EQ(notifier.notices[0],
                (Notice{Text(c.message, {kApp, "22 123-45-67", "(48) Polska"}), image::kRefused}));
    }
  }
}

TEST_F(DecisionTest, AnApplicationOnBothListsWithAllOptionsIsRefusedByTheDeniedList) {
  Change([](Settings& s) {
    s.PDAsk = true;
    s.Permit = true;
    s.Deny = true;  // both set directly: the one-of rule belongs to the dialog
    s.PermitList = {kApp};
    s.DenyList = {kApp};
  });
  EXPECT_EQ(policy.DecideDial(Dial()), 0);
  EXPECT_TRUE(questions.app_asked.empty());
  EXPECT_EQ(notifier.notices.back().text,
            Text(msg::DialDenied, {kApp, "22 123-45-67", "(48) Polska"}));
}

TEST_F(DecisionTest, TheProgramsOwnDialSkipsApplicationRulesAndTheFinalNotice) {
  Change([&](Settings& s) {
    s.PDAsk = true;
    s.SetPermit(true);
  });
  EXPECT_EQ(policy.DecideDial(Dial("Modem", 48, program.program_path)), 1);
  EXPECT_TRUE(questions.app_asked.empty());
  EXPECT_TRUE(notifier.notices.empty());

  Change([](Settings& s) { s.DangerList = {"22*"}; });
  EXPECT_EQ(policy.DecideDial(Dial("Modem", 48, program.program_path)), 1);
  EXPECT_EQ(
      notifier.notices.back(),
      (Notice{Text(msg::DangerDoNothingOwn, {program.program_path, "221234567", "(48) Polska"}),
              image::kDangerWarning}));
}

TEST_F(DecisionTest, AcceleratedConnectionReplacesModemDials) {
  Change([](Settings& s) { s.UseAcceleration = true; });
  const std::string key(kSettingsKey);
  auto start_notice = Notice{Text(msg::AccelerationStart, {kApp}), image::kAcceleration};

  // No settings key: the accelerated way is taken.
  EXPECT_EQ(policy.DecideDial(Dial()), 0);
  EXPECT_EQ(notifier.notices.back(), start_notice);
  EXPECT_EQ(program.timer_enabled, 1);

  // Device type compared without letter case; all three dial parameters present.
  registry.PutString(Hive::CurrentUser, key, "LWNo", "0202122");
  registry.PutString(Hive::CurrentUser, key, "LWUser", "lw");
  registry.PutString(Hive::CurrentUser, key, "LWPass", "lw");
  EXPECT_EQ(policy.DecideDial(Dial("Loud")), 0);
  EXPECT_EQ(program.timer_enabled, 2);

  // Not a modem: no acceleration.
  EXPECT_EQ(policy.DecideDial(Dial("Isdn")), 1);
  EXPECT_EQ(program.timer_enabled, 2);

  // The program's own accelerated dial goes through at once, even to a dangerous number.
  Change([](Settings& s) {
    s.DangerList = {"*"};
    s.SetDangerDisNow(true);
  });
  program.own_dial_pending = true;
  notifier.notices.clear();
  EXPECT_EQ(policy.DecideDial(Dial()), 1);
  EXPECT_TRUE(notifier.notices.empty());
}

TEST_F(DecisionTest, MissingDialParametersGiveTheFailureNoticeAPauseAndTheOrdinaryChecks) {
  Change([](Settings& s) { s.UseAcceleration = true; });
  const std::string key(kSettingsKey);
  registry.PutString(Hive::CurrentUser, key, "LWNo", "0202122");
  registry.PutString(Hive::CurrentUser, key, "LWUser", "lw");
  for (int variant = 0; variant < 3; ++variant) {
    if (variant == 1) registry.PutString(Hive::CurrentUser, key, "LWPass", "");
    if (variant == 2) registry.PutDword(Hive::CurrentUser, key, "LWPass", 1);  // unreadable
    notifier.notices.clear();
    clock.sleeps.clear();
    EXPECT_EQ(policy.DecideDial(Dial()), 1);
    ASSERT_EQ(notifier.notices.size(), 2u);
    EXPECT_EQ(notifier.notices[0],
              (Notice{messages.Text(msg::AccelerationFailed), image::kAcceleration}));
    EXPECT_EQ(notifier.notices[1].image, image::kConnected);
    EXPECT_EQ(clock.sleeps, std::vector<uint32_t>{2000});
    EXPECT_EQ(program.timer_enabled, 0);
  }
}

TEST_F(DecisionTest, OnlySafeNumbersAndOwnCountry) {
  // An empty safe list refuses every dial; the number is shown as composed.
  Change([](Settings& s) { s.OnlySafe = true; });
  EXPECT_EQ(policy.DecideDial(Dial()), 0);
  EXPECT_EQ(
      notifier.notices.back(),
      (Notice{Text(msg::NotSafeNumber, {kApp, "22 123-45-67", "(48) Polska"}), image::kRefused}));

  // After a walk over a non-empty list the number is shown reduced.
  Change([](Settings& s) { s.SafeList = {"0700*"}; });
  EXPECT_EQ(policy.DecideDial(Dial()), 0);
  EXPECT_EQ(notifier.notices.back().text,
            Text(msg::NotSafeNumber, {kApp, "221234567", "(48) Polska"}));

  // A safe number from another country is refused when only the own country is allowed,
  // judged on the request's country code even for an entry without codes.
  Change([](Settings& s) {
    s.SafeList = {"22*", "0700*"};
    s.OnlyMyCountry = true;
  });
  EXPECT_EQ(policy.DecideDial(Dial("Modem", 48)), 1);
  EXPECT_EQ(policy.DecideDial(Dial("NoCodes", 49)), 0);
  EXPECT_EQ(notifier.notices.back(),
            (Notice{Text(msg::ForeignCountry, {kApp, "0700123", messages.Text(msg::NoCountryInfo)}),
                    image::kPolicyHangUp}));
  Change([](Settings& s) { s.OnlyMyCountry = false; });
  EXPECT_EQ(policy.DecideDial(Dial("NoCodes", 49)), 1);
}

TEST_F(DecisionTest, DangerousNumberActions) {
  struct Case {
    void (Settings::*action)(bool);
    std::string minutes;
    int32_t answer;
    int message;
    int image;
  };
  const Case cases[] = {
      {&Settings::SetDangerDisNow, "3", 0, msg::DangerRefused, image::kPolicyHangUp},
      {&Settings::SetDangerDoNothing, "3", 1, msg::DangerDoNothing, image::kDangerWarning},
  };
  for (const Case& c : cases) {
    Change([&](Settings& s) {
      s.DangerList = {"0800*", "221*"};
      (s.*c.action)(true);
    });
    EXPECT_EQ(policy.DecideDial(Dial()), c.answer);
    EXPECT_EQ(notifier.notices.back(),
              (Notice{Text(c.message, {kApp, "221234567", "(48) Polska"}), c.image}));
  }

  // Disconnect after some minutes: allowed now, with the minutes (3 when not an integer).
  for (auto [text, minutes] : {std::pair{"7", 7}, std::pair{"abc", 3}}) {
    Change([&](Settings& s) {
      s.SetRadioButtonDisAfter(true);
      s.DisAfterTime = text;
    });
    EXPECT_EQ(policy.DecideDial(Dial()), 1);
    EXPECT_EQ(notifier.notices.back(),
              (Notice{Text(msg::DangerDisconnectAfter,
                           {kApp, int64_t{minutes}, "221234567", "(48) Polska"}),
                      image::kPolicyHangUp}));
  }

  // No action selected at all: the number is allowed as any other.
  Change([](Settings& s) { s.RadioButtonDisAfter = false; });
  EXPECT_EQ(policy.DecideDial(Dial()), 1);
  EXPECT_EQ(notifier.notices.back().image, image::kConnected);
}

TEST_F(DecisionTest, ADangerousNumberThatIsAlsoSafeIsStillDangerous) {
  Change([](Settings& s) {
    s.OnlySafe = true;
    s.SafeList = {"22*"};
    s.DangerList = {"221234567"};
    s.SetDangerDisNow(true);
  });
  EXPECT_EQ(policy.DecideDial(Dial()), 0);
  EXPECT_EQ(notifier.notices.back().text,
            Text(msg::DangerRefused, {kApp, "221234567", "(48) Polska"}));
}

TEST_F(DecisionTest, AskingAboutADangerousNumber) {
  Change([](Settings& s) {
    s.DangerList = {"22*"};
    s.SetDangerAsk(true);
    s.SetDangerAskDiscAfter(true);
    s.AskDiscAfterTime = "15";
  });
  const std::string countdown_text =
      Text(msg::DangerAskCountdown, {kApp, "221234567", "(48) Polska"});

  // With a countdown: asked even while the window is open; a no refuses without a notice.
  questions.question_visible = true;
  questions.answers = {0, 1};
  EXPECT_EQ(policy.DecideDial(Dial()), 0);
  EXPECT_TRUE(notifier.notices.empty());
  EXPECT_EQ(notifier.hides, 1);
  EXPECT_EQ(clock.sleeps, (std::vector<uint32_t>{500, 500, 500}));
  EXPECT_EQ(policy.DecideDial(Dial()), 1);
  EXPECT_EQ(notifier.notices.back().image, image::kConnected);
  ASSERT_EQ(questions.asked.size(), 2u);
  EXPECT_EQ(questions.asked[0].text, countdown_text);
  EXPECT_EQ(questions.asked[0].countdown, 15);

  // Countdown texts that are not integers fall back to 20; 0 or less means no countdown.
  for (auto [text, seconds] : {std::pair{"x", 20}, std::pair{"0", 0}, std::pair{"-5", -5}}) {
    Change([&](Settings& s) { s.AskDiscAfterTime = text; });
    policy.DecideDial(Dial());
    EXPECT_EQ(questions.asked.back().countdown, seconds);
  }

  // Waiting for the user: no countdown; not asked while the window is open for something else.
  Change([](Settings& s) { s.SetDangerWaitFor(true); });
  questions.asked.clear();
  questions.question_visible = false;
  questions.answers = {1};
  EXPECT_EQ(policy.DecideDial(Dial()), 1);
  ASSERT_EQ(questions.asked.size(), 1u);
  EXPECT_EQ(questions.asked[0].countdown, 0);
  EXPECT_EQ(questions.asked[0].text,
            Text(msg::DangerAskWaitFor, {kApp, "221234567", "(48) Polska"}));
  questions.question_visible = true;
  EXPECT_EQ(policy.DecideDial(Dial()), 1);
  EXPECT_EQ(questions.asked.size(), 1u);
  EXPECT_EQ(notifier.notices.back().text,
            Text(msg::DialAllowed, {kApp, "221234567", "(48) Polska"}));
}

TEST_F(DecisionTest, EachDecisionReadsOneSnapshotOfTheSettings) {
  // The user changes the settings while the decision waits for the application question: the
  // decision goes on with what it read at its start.
  Change([](Settings& s) { s.PDAsk = true; });
  questions.app_answers = {1};
  auto change_during_question = [&] {
    store.Update([](Settings& s) {
      s.DangerList = {"*"};
      s.SetDangerDisNow(true);
    });
  };
  // Run the change from the poll of the question.
  class Hooked : public test::FakeClock {
   public:
    std::function<void()> on_sleep;
    void Sleep(uint32_t ms) override {
      if (on_sleep) std::exchange(on_sleep, nullptr)();
      FakeClock::Sleep(ms);
    }
  } hooked;
  hooked.on_sleep = change_during_question;
  Policy with_hook(
      {store, dialup, notifier, questions, hooked, registry, messages, program, codec});
  EXPECT_EQ(with_hook.DecideDial(Dial()), 1);
  EXPECT_EQ(notifier.notices.back().image, image::kConnected);
  // The next decision sees the change.
  EXPECT_EQ(with_hook.DecideDial(Dial()), 0);
}

TEST_F(DecisionTest, HangUpDecisions) {
  // The program's own hang-ups pass silently.
  Change([](Settings& s) { s.SetPermit(true); });
  EXPECT_EQ(policy.DecideHangUp(0, program.program_path), 1);
  EXPECT_TRUE(notifier.notices.empty());

  // Permitted list in force, application not on it.
  EXPECT_EQ(policy.DecideHangUp(0, kApp), 0);
  EXPECT_EQ(notifier.notices.back(),
            (Notice{Text(msg::HangUpNotPermitted, {kApp}), image::kRefused}));

  // Denied list with the question: a listed application is refused without asking, another one
  // is asked about; a yes passes even an application that the permitted list would refuse.
  Change([](Settings& s) {
    s.SetDeny(true);
    s.PDAsk = true;
    s.DenyList = {"c:\\dialer\\DIALER.exe"};
  });
  EXPECT_EQ(policy.DecideHangUp(0, kApp), 0);
  EXPECT_TRUE(questions.app_asked.empty());
  EXPECT_EQ(notifier.notices.back(), (Notice{Text(msg::HangUpDenied, {kApp}), image::kRefused}));

  questions.app_answers = {0, 1};
  EXPECT_EQ(policy.DecideHangUp(0, "C:\\other.exe"), 0);
  ASSERT_EQ(questions.app_asked.size(), 1u);
  EXPECT_EQ(questions.app_asked[0].text,
            "Następująca aplikacja próbuje rozłączyć połączenie\r\nC:\\other.exe\r\n\r\n"
            "Pozwolić aplikacji na rozłączanie połączenia ?");
  Change([](Settings& s) { s.Permit = true; });
  EXPECT_EQ(policy.DecideHangUp(0, "C:\\other.exe"), 1);
  EXPECT_EQ(notifier.notices.back(),
            (Notice{"Następująca aplikacja rozłącza połączenie telefoniczne\r\nC:\\other.exe\r\n"
                    "Może to zająć chwileczkę.",
                    image::kConnected}));
}

}  // namespace
}  // namespace lw
