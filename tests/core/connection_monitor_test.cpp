#include "monitor/connection_monitor.h"

#include <gtest/gtest.h>

#include "common/codec.h"
#include "config/control_texts.h"
#include "config/messages.h"
#include "config/settings.h"
#include "fakes/fake_monitor.h"
#include "fakes/fake_ports.h"
#include "fakes/fake_registry.h"

namespace lw {
namespace {

using test::FakeWorkers;

constexpr uint32_t kPoland = 48;

EntryProperties Entry(uint32_t country, std::string area, std::string local, bool codes = true) {
  EntryProperties entry;
  entry.Options = codes ? kEntryUsesCountryAndAreaCodes : 0;
  entry.CountryId = country;
  entry.CountryCode = country;
  entry.AreaCode = std::move(area);
  entry.LocalNumber = std::move(local);
  entry.DeviceType = "modem";
  return entry;
}

ConnectionRecord Connection(uint64_t handle, std::string entry) {
  return {handle, std::move(entry), "modem", "Modem 56k"};
}

class MonitorTest : public ::testing::Test {
 protected:
  MonitorTest() {
    dialup.countries = {{48, "Polska"}, {239, "Sao Tome"}};
    dialup.entries["Dom"] = Entry(kPoland, "22", "7654321");
    dialup.credentials["Dom"] = {"jan", "tajne"};
    monitor.SetOwnCountryCode(kPoland);
  }

  void Configure(const std::function<void(Settings&)>& change) { settings.Update(change); }

  // The system reports a connection; the idle processing evaluates it.
  void Connect(std::vector<ConnectionRecord> connections) {
    dialup.connections = std::move(connections);
    monitor.OnRasEvent(ras_event::kConnected);
    monitor.IdleProcessing();
  }
  void Disconnect(std::vector<ConnectionRecord> remaining = {}) {
    dialup.connections = std::move(remaining);
    monitor.OnRasEvent(ras_event::kDisconnected);
    monitor.IdleProcessing();
  }
  std::string LastNotice() const {
    return notifier.notices.empty() ? std::string() : notifier.notices.back().text;
  }
  int LastImage() const { return notifier.notices.empty() ? -1 : notifier.notices.back().image; }

  SettingsStore settings;
  test::FakeDialUp dialup;
  test::RecordingNotifier notifier;
  test::FakeTray tray;
  test::FakeMonitorUi ui;
  FakeWorkers workers;
  test::FakeRegistry registry;
  MessageTable messages;
  ControlTexts texts;
  Cp1250Codec codec;
  ConnectionMonitor monitor{
      {settings, dialup, notifier, tray, ui, workers, registry, messages, texts, codec}};
};

TEST_F(MonitorTest, WithoutConnectionsTheWindowShowsDashesAndNothingIsPending) {
  monitor.OnRasEvent(ras_event::kRefresh);
  EXPECT_FALSE(ui.shown.has_connections);
  EXPECT_EQ(ui.shown.book_entry, "-");
  EXPECT_EQ(ui.shown.country, "-");
  EXPECT_EQ(ui.shown.status, "Status: brak połączeń telefonicznych");
  EXPECT_EQ(monitor.pending_ras_event(), pending::kNone);
}

TEST_F(MonitorTest, AnEntryOfTheOwnCountryIsDrawnFromItsProperties) {
  dialup.connections = {Connection(0x11, "Dom")};
  monitor.OnRasEvent(ras_event::kConnected);
  const ConnectionView& view = ui.shown;
  EXPECT_TRUE(view.has_connections);
  EXPECT_EQ(view.position, "1/1");
  EXPECT_EQ(view.book_entry, "Dom");
  EXPECT_EQ(view.phone_no, "22 7654321");
  EXPECT_EQ(view.country, "(48) Polska");
  EXPECT_EQ(view.country_colour, TextColour::WindowText);
  EXPECT_EQ(view.phone_no_colour, TextColour::WindowText);
  EXPECT_EQ(view.dev_type, "modem");
  EXPECT_EQ(view.dev_name, "Modem 56k");
  EXPECT_EQ(view.status, "Status: wykrytych połączeń telefonicznych 1");
  EXPECT_EQ(monitor.current_connection(), 0);
  EXPECT_EQ(monitor.pending_ras_event(), pending::kConnected);
}

TEST_F(MonitorTest, ColoursMarkForeignCountriesDangerousNumbersAndConnectionsWithoutEntry) {
  dialup.entries["Wyspy"] = Entry(239, "", "123456");
  Configure([](Settings& s) {
    s.OnlyMyCountry = true;
    s.DangerList = {"0700*"};
  });
  dialup.connections = {Connection(1, "Wyspy")};
  monitor.OnRasEvent(ras_event::kConnected);
  EXPECT_EQ(ui.shown.country, "(239) Sao Tome");
  EXPECT_EQ(ui.shown.country_colour, TextColour::Red);
  EXPECT_TRUE(monitor.foreign_country());

  dialup.connections = {Connection(2, ".0-700 123")};
  monitor.OnRasEvent(ras_event::kConnected);
  EXPECT_EQ(ui.shown.book_entry, "brak wpisu do książki");
  EXPECT_EQ(ui.shown.book_entry_colour, TextColour::Red);
  EXPECT_EQ(ui.shown.phone_no, "0-700 123");
  EXPECT_EQ(ui.shown.phone_no_colour, TextColour::Red);
  EXPECT_EQ(ui.shown.country, "(239) Sao Tome") << "kept from before";
}

TEST_F(MonitorTest, TheAcceleratedNumberIsRecognisedOnlyWhenOneIsKnown) {
  dialup.connections = {Connection(1, "")};
  monitor.OnRasEvent(ras_event::kConnected);
  EXPECT_FALSE(monitor.safe_connection_active()) << "a nameless connection is not the safe one";

  monitor.SetAcceleratedNumber("0202122");
  dialup.connections = {Connection(2, ".0202122")};
  monitor.OnRasEvent(ras_event::kConnected);
  EXPECT_TRUE(monitor.safe_connection_active());
  EXPECT_EQ(ui.shown.book_entry, "Bezpieczne połączenie LarkWatch");
  EXPECT_EQ(ui.shown.book_entry_colour, TextColour::WindowText);
}

TEST_F(MonitorTest, SteppingWrapsAndActsOnTheConnectionShown) {
  dialup.entries["A"] = dialup.entries["B"] = dialup.entries["C"] = Entry(kPoland, "22", "1");
  dialup.connections = {Connection(0xA, "A"), Connection(0xB, "B"), Connection(0xC, "C")};
  monitor.OnRasEvent(ras_event::kConnected);
  EXPECT_EQ(ui.shown.position, "3/3") << "right after enumeration the last one is shown";
  EXPECT_EQ(monitor.shown_handle(), 0xCu);
  monitor.ButtonNextClick();
  EXPECT_EQ(ui.shown.position, "2/3");
  monitor.ButtonPrevClick();
  EXPECT_EQ(ui.shown.position, "3/3");
  monitor.ButtonDisconnectClick();
  ASSERT_EQ(workers.hang_ups.size(), 1u);
  EXPECT_EQ(workers.hang_ups[0], (FakeWorkers::HangUp{0xC, 0, true}))
      << "the connection hung up is the one the window shows";
  EXPECT_EQ(LastNotice(),
            "Rozpoczynam rozłączanie na żądanie użytkownika.\r\nMoże to zająć chwilkę...");
}

TEST_F(MonitorTest, EventCodesLeaveTheLastOneForTheIdleProcessing) {
  dialup.connections = {Connection(1, "Dom")};
  const struct {
    int code;
    int32_t pending;
  } cases[] = {{ras_event::kConnected, pending::kConnected},
               {ras_event::kDisconnected, pending::kDisconnected},
               {ras_event::kLinkAdded, pending::kConnected},
               {ras_event::kLinkRemoved, pending::kDisconnected},
               {ras_event::kRefresh, pending::kNone}};
  for (const auto& c : cases) {
    monitor.OnRasEvent(c.code);
    EXPECT_EQ(monitor.pending_ras_event(), c.pending) << "code " << c.code;
  }
  monitor.OnRasEvent(ras_event::kConnected);
  monitor.OnRasEvent(ras_event::kDisconnected);
  EXPECT_EQ(monitor.pending_ras_event(), pending::kDisconnected);
  monitor.ButtonRefreshStatsClick();
  EXPECT_EQ(monitor.pending_ras_event(), pending::kNone) << "F5 asks for no new evaluation";
}

TEST_F(MonitorTest, EnumerationErrorsAreReportedAndLeaveEmptyLists) {
  dialup.connections = {Connection(1, "Dom")};
  dialup.enum_connections_code = 600;
  dialup.enum_entries_code = 621;
  monitor.OnRasEvent(ras_event::kConnected);
  EXPECT_EQ(ui.errors, (std::vector<std::string>{"Błąd pobierania listy połączeń.",
                                                 "Błąd pobierania książki telefonicznej."}));
  EXPECT_TRUE(monitor.connections().empty());
  EXPECT_FALSE(ui.shown.has_connections);
}

TEST_F(MonitorTest, AnOrdinaryConnectionIsAnnouncedOnceAndStartsTheOneUpdateCheck) {
  Connect({Connection(1, "Dom")});
  EXPECT_EQ(
      notifier.notices,
      (std::vector<test::Notice>{{"Połączono z numerem 22 7654321.\r\nKraj: (48) Polska", 12}}));
  EXPECT_EQ(tray.image, 12);
  EXPECT_EQ(tray.hint, "Połączony...");
  EXPECT_EQ(monitor.pending_ras_event(), pending::kNone);
  monitor.IdleProcessing();
  EXPECT_EQ(notifier.notices.size(), 1u) << "nothing new happens until the next event";
  Disconnect();
  Connect({Connection(2, "Dom")});
  EXPECT_EQ(workers.update_checks, 1);
  EXPECT_TRUE(workers.hang_ups.empty());
}

struct EnforcementCase {
  const char* name;
  std::function<void(Settings&)> settings;
  std::string notice;
  int image;
  int32_t hang_up_delay;  // -1: no hang-up
};

class EnforcementTest : public MonitorTest,
                        public ::testing::WithParamInterface<EnforcementCase> {};

TEST_P(EnforcementTest, ActsOnTheConnectionAsConfigured) {
  const EnforcementCase& c = GetParam();
  dialup.entries["Drogi"] = Entry(kPoland, "0", "700123456");
  dialup.entries["Obcy"] = Entry(239, "12", "700123456");
  Configure(c.settings);
  const bool foreign = std::string(c.name).find("Foreign") != std::string::npos;
  Connect({Connection(7, foreign ? "Obcy" : "Drogi")});
  EXPECT_EQ(LastNotice(), c.notice);
  EXPECT_EQ(LastImage(), c.image);
  if (c.hang_up_delay < 0) {
    EXPECT_TRUE(workers.hang_ups.empty());
  } else {
    ASSERT_EQ(workers.hang_ups.size(), 1u);
    EXPECT_EQ(workers.hang_ups[0], (FakeWorkers::HangUp{7, c.hang_up_delay, false}));
    EXPECT_TRUE(monitor.redial_pending());
  }
  EXPECT_EQ(workers.update_checks, 0) << "a dangerous connection does not reach the tail";
}

void Danger(Settings& s) { s.DangerList = {"0700*"}; }

INSTANTIATE_TEST_SUITE_P(
    Cases, EnforcementTest,
    ::testing::Values(
        EnforcementCase{"OnlySafeWithoutMatch",
                        [](Settings& s) {
                          s.OnlySafe = true;
                          s.SafeList = {"0202*"};
                        },
                        "Połączono z numerem nie znanym jako bezpieczny.\r\nNumer: 0700123456"
                        "\r\n\r\nRozłączam...",
                        13, 0},
        EnforcementCase{"ForeignBeforeDanger",
                        [](Settings& s) {
                          Danger(s);
                          s.OnlyMyCountry = true;
                        },
                        "Połączono z niedozwolonym krajem (239) Sao Tome.\r\nNumer: "
                        "12 700123456\r\n\r\nRozłączam...",
                        6, 0},
        EnforcementCase{"DangerNow",
                        [](Settings& s) {
                          Danger(s);
                          s.SetDangerDisNow(true);
                        },
                        "Połączono z numerem niebezpiecznym.\r\nNumer: 0700123456\r\nKraj: (48) "
                        "Polska\r\n\r\nRozłączam...",
                        6, 0},
        EnforcementCase{"DangerAfterMinutes",
                        [](Settings& s) {
                          Danger(s);
                          s.SetRadioButtonDisAfter(true);
                          s.DisAfterTime = "5";
                        },
                        "Połączono z numerem niebezpiecznym.\r\nNumer: 0700123456\r\nKraj: (48) "
                        "Polska\r\n\r\nRozłączam po 5 minutach...",
                        6, 300},
        EnforcementCase{"DangerAfterMinutesNotANumber",
                        [](Settings& s) {
                          Danger(s);
                          s.SetRadioButtonDisAfter(true);
                          s.DisAfterTime = "pięć";
                        },
                        "Połączono z numerem niebezpiecznym.\r\nNumer: 0700123456\r\nKraj: (48) "
                        "Polska\r\n\r\nRozłączam po 3 minutach...",
                        6, 180},
        EnforcementCase{"DangerWarnOnly",
                        [](Settings& s) {
                          Danger(s);
                          s.SetDangerDoNothing(true);
                        },
                        "UWAGA !!!!\r\nPołączono z numerem niebezpiecznym.\r\nNumer: "
                        "0700123456\r\nKraj: (48) Polska\r\n\r\nRozłącz używając przycisku w "
                        "statystyce Połączenia...",
                        18, -1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MonitorTest, TheQuestionWithCountdownHangsUpUnlessTheUserKeepsTheConnection) {
  dialup.entries["Drogi"] = Entry(kPoland, "0", "700123456");
  Configure([](Settings& s) {
    Danger(s);
    s.SetDangerAsk(true);
    s.SetDangerAskDiscAfter(true);
    s.AskDiscAfterTime = "2";
  });
  ui.answers = {0, 1};
  Connect({Connection(7, "Drogi")});
  ASSERT_EQ(ui.questions.size(), 1u);
  EXPECT_EQ(ui.questions[0].countdown, 2);
  EXPECT_EQ(ui.questions[0].text,
            "Połączono z numerem niebezpiecznym: 0700123456\r\nKraj: (48) Polska\r\n\r\nCzy "
            "utrzymać to połączenie ?");
  EXPECT_EQ(workers.hang_ups, (std::vector<FakeWorkers::HangUp>{{7, 0, false}}));

  Disconnect();
  Connect({Connection(8, "Drogi")});
  EXPECT_EQ(ui.questions.size(), 2u);
  EXPECT_EQ(workers.hang_ups.size(), 1u) << "kept: nothing further happens";
}

TEST_F(MonitorTest, TheQuestionWithoutCountdownIsSkippedWhileTheWindowIsBusyOrTheProgramDials) {
  dialup.entries["Drogi"] = Entry(kPoland, "0", "700123456");
  Configure([](Settings& s) {
    Danger(s);
    s.SetDangerAsk(true);
    s.SetDangerWaitFor(true);
  });
  ui.question_visible = true;
  Connect({Connection(7, "Drogi")});
  EXPECT_TRUE(ui.questions.empty());

  ui.question_visible = false;
  dialup.credentials["Dom"] = {"jan", "tajne"};
  Configure([](Settings& s) { s.DefaultEntry = "Dom"; });
  ui.login_answers = {{"", "", "", "jan", "tajne"}};
  ASSERT_TRUE(monitor.DialDefaultEntry());
  Connect({Connection(8, "Drogi")});
  EXPECT_TRUE(ui.questions.empty()) << "the program's own dial is not questioned";
}

TEST_F(MonitorTest, EventsDuringTheQuestionWaitUntilItCloses) {
  dialup.entries["Drogi"] = Entry(kPoland, "0", "700123456");
  Configure([](Settings& s) {
    Danger(s);
    s.SetDangerAsk(true);
    s.SetDangerWaitFor(true);
  });
  ui.answers = {1};
  ui.during_question = [&] {
    dialup.connections.clear();
    monitor.OnRasEvent(ras_event::kDisconnected);
    monitor.IdleProcessing();  // the question's own idle moments
    EXPECT_EQ(monitor.pending_ras_event(), pending::kDisconnected);
  };
  Connect({Connection(7, "Drogi")});
  EXPECT_EQ(monitor.pending_ras_event(), pending::kDisconnected);
  ui.during_question = nullptr;
  monitor.IdleProcessing();
  EXPECT_EQ(LastNotice(), "Rozłączono połączenie modemowe.");
}

TEST_F(MonitorTest, ADisconnectionIsReportedAndRedialsTheDefaultEntryAfterAnEnforcedHangUp) {
  Configure([](Settings& s) {
    Danger(s);
    s.SetDangerDisNow(true);
    s.DialDefault = true;
    s.DefaultEntry = "Dom";
  });
  dialup.entries["Drogi"] = Entry(kPoland, "0", "700123456");
  Connect({Connection(7, "Drogi")});
  tray.image = 13;
  ui.login_answers = {{"", "", "", "jan", "nowe"}};
  Disconnect();
  EXPECT_EQ(notifier.notices.back(), (test::Notice{"Rozłączono połączenie modemowe.", 13}));
  ASSERT_EQ(ui.logins.size(), 1u);
  EXPECT_EQ(ui.logins[0].entry_name, "Dom");
  EXPECT_EQ(ui.logins[0].phone_no, "22 7654321");
  EXPECT_EQ(ui.logins[0].country, "(48) Polska");
  EXPECT_EQ(ui.logins[0].password, "tajne");
  ASSERT_EQ(workers.dials.size(), 1u);
  EXPECT_EQ(workers.dials[0].EntryName, "Dom");
  EXPECT_EQ(workers.dials[0].Password, "nowe");
  EXPECT_TRUE(monitor.OwnDialPending());
  EXPECT_EQ(tray.image, 14);
  EXPECT_EQ(tray.hint, "Nawiązywanie połączenia...");

  // A reset of the modem (no fewer connections than before) is not a disconnection.
  dialup.connections = {};
  monitor.OnRasEvent(ras_event::kLinkRemoved);
  monitor.IdleProcessing();
  EXPECT_EQ(notifier.notices.back(), (test::Notice{"Zresetowano modem.", 9}));
  EXPECT_FALSE(monitor.OwnDialPending());
  EXPECT_EQ(workers.dials.size(), 1u) << "no redial without an enforced hang-up";
}

TEST_F(MonitorTest, AConnectionEndingWhileAnotherStaysUpIsADisconnection) {
  dialup.entries["Praca"] = Entry(kPoland, "12", "5550100");
  Connect({Connection(1, "Dom"), Connection(2, "Praca")});
  Disconnect({Connection(2, "Praca")});
  EXPECT_EQ(notifier.notices.back(), (test::Notice{"Rozłączono połączenie modemowe.", 13}));
  EXPECT_EQ(monitor.previous_connection_count(), 1u);
  monitor.OnRasEvent(ras_event::kDisconnected);  // no connection fewer than before
  monitor.IdleProcessing();
  EXPECT_EQ(notifier.notices.back(), (test::Notice{"Zresetowano modem.", 9}));
}

TEST_F(MonitorTest, TheDefaultEntryDialReportsWhatStopsIt) {
  Configure([](Settings& s) { s.DefaultEntry = "Brak"; });
  EXPECT_FALSE(monitor.DialDefaultEntry());
  dialup.dial_params_code = 621;
  EXPECT_FALSE(monitor.DialDefaultEntry());
  EXPECT_EQ(ui.errors,
            (std::vector<std::string>{
                "Nie znalazłem wpisu \"Brak\" w książce telefonicznej.\r\nWybierz wpis w "
                "konfiguracji.",
                "Brakuje książki telefonicznej lub jest uszkodzona."}));
  dialup.dial_params_code = 0;

  Configure([](Settings& s) { s.DefaultEntry = "Dom"; });
  ui.login_answers = {{"", "", "", "jan", ""}};
  EXPECT_FALSE(monitor.DialDefaultEntry());
  EXPECT_EQ(ui.errors.back(), "Nie podano hasła dla użytkownika \"jan\".\r\nPołączenie anulowane.");
  ui.login_visible = true;
  EXPECT_FALSE(monitor.DialDefaultEntry());
  EXPECT_EQ(ui.logins.size(), 1u) << "a prompt already open is not shown again";
  EXPECT_TRUE(workers.dials.empty());
}

TEST_F(MonitorTest, AnEntryWithoutCodesIsShownInThePromptWithoutThem) {
  dialup.entries["Dom"] = Entry(kPoland, "22", "7654321", false);
  Configure([](Settings& s) { s.DefaultEntry = "Dom"; });
  monitor.DialDefaultEntry();
  ASSERT_EQ(ui.logins.size(), 1u);
  EXPECT_EQ(ui.logins[0].phone_no, "(brak strefy) 7654321");
  EXPECT_EQ(ui.logins[0].country, "brak danych");
}

TEST_F(MonitorTest, ADialThatDoesNotStartOrFailsLaterLeavesNothingPending) {
  Configure([](Settings& s) { s.DefaultEntry = "Dom"; });
  ui.login_answers = {{"", "", "", "jan", "tajne"}, {"", "", "", "jan", "tajne"}};
  monitor.DialDefaultClick();
  EXPECT_TRUE(monitor.OwnDialPending()) << "until the worker has started the dial";
  monitor.DialStartResult(false, 633);
  EXPECT_FALSE(monitor.OwnDialPending());
  EXPECT_TRUE(monitor.redial_pending());
  EXPECT_EQ(tray.image, 7);
  EXPECT_EQ(notifier.hides, 1);

  dialup.error_texts[678] = "There is no answer. The line may be busy.";
  monitor.DialDefaultEntry();
  monitor.DialStartResult(false, 0);
  monitor.DialProgress(dial_state::kConnectDevice, 678);
  EXPECT_EQ(notifier.notices.back(),
            (test::Notice{"There is no answer.\r\nThe line may be busy.", 9}));
  EXPECT_FALSE(monitor.OwnDialPending());
  EXPECT_EQ(tray.image, 7);
  EXPECT_EQ(tray.hint, "Czuwanie...");
}

TEST_F(MonitorTest, ProgressTextsDependOnWhichConnectionIsDialled) {
  const struct {
    uint32_t state;
    const char* entry_text;  // default entry
    const char* safe_text;   // accelerated connection
  } cases[] = {
      {dial_state::kOpenPort, "Otwieram port...", nullptr},
      {dial_state::kPortOpened, "Port otwarty.", nullptr},
      {dial_state::kConnectDevice, "Rozpoczynam łączenie ze zdalnym komputerem...", nullptr},
      {dial_state::kDeviceConnected, nullptr, "Połączono ze zdlanym komputerem..."},
      {dial_state::kAuthenticate, nullptr, "Weryfikacja nazwy użytkownika i hasła..."},
      {dial_state::kAuthNotify, nullptr, "Weryfikacja w toku..."},
      {dial_state::kAuthRetry, nullptr, "Ponowna próba logowania..."},
      {dial_state::kAuthProject, nullptr, "Rejsetrowanie komputera w sieci..."},
      {dial_state::kAuthenticated, nullptr, "Zalogowano :o)"},
      {dial_state::kConnected, nullptr, "Połączono :o)"},
      {dial_state::kDisconnected, nullptr, "Rozłączono."},
      {12, nullptr, nullptr},
  };
  for (bool safe : {false, true}) {
    if (safe) monitor.DialAccelerated();
    for (const auto& c : cases) {
      notifier.notices.clear();
      monitor.DialProgress(c.state, 0);
      const char* expected = safe ? c.safe_text : c.entry_text;
      if (expected == nullptr) {
        EXPECT_TRUE(notifier.notices.empty()) << c.state;
      } else {
        EXPECT_EQ(notifier.notices, (std::vector<test::Notice>{{expected, 14}})) << c.state;
      }
    }
  }
}

TEST_F(MonitorTest, TheMenuDialsTheAcceleratedConnectionWhenItsParametersAreKnown) {
  monitor.SetAcceleratedNumber("0202122");
  Configure([](Settings& s) { s.DefaultEntry = "Dom"; });
  registry.AddKey(Hive::CurrentUser, kSettingsKey);
  // The number known at start-up, but nothing stored now: a warning, then the default entry.
  ui.login_answers = {{"", "", "", "jan", "tajne"}};
  monitor.DialDefaultClick();
  EXPECT_EQ(ui.warnings.size(), 1u);
  ASSERT_EQ(workers.dials.size(), 1u);
  EXPECT_EQ(workers.dials[0].EntryName, "Dom");

  registry.PutString(Hive::CurrentUser, kSettingsKey, "LWNo", "0202122");
  registry.PutString(Hive::CurrentUser, kSettingsKey, "LWUser", "lw");
  registry.PutString(Hive::CurrentUser, kSettingsKey, "LWPass", "haslo");
  ui.timer_on = true;
  monitor.DialDefaultClick();
  ASSERT_EQ(workers.dials.size(), 2u);
  EXPECT_TRUE(workers.dial_accelerated[1]);
  EXPECT_EQ(workers.dials[1].EntryName, "");
  EXPECT_EQ(workers.dials[1].PhoneNumber, "0202122");
  EXPECT_EQ(workers.dials[1].UserName, "lw");
  EXPECT_EQ(workers.dials[1].Password, "haslo");
  EXPECT_FALSE(ui.timer_on);
  EXPECT_TRUE(monitor.safe_connection_active());
  EXPECT_NE(LastNotice().find("(0202122)"), std::string::npos);
  EXPECT_NE(LastNotice().find("menu Opcje->Połączenia bezpieczne."), std::string::npos);
  EXPECT_TRUE(monitor.OwnDialPending());
  monitor.DialStartResult(true, 0);
  EXPECT_FALSE(monitor.OwnDialPending()) << "the menu's dial has started";

  // The accelerated connection comes up and is recognised as safe.
  Connect({Connection(3, ".0202122")});
  EXPECT_EQ(LastNotice(), "Połączono z bezpiecznym numerem LarkWatch (0202122).");
}

}  // namespace
}  // namespace lw
