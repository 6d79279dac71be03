#include "config/settings_io.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "config/checksum.h"
#include "config/list_file.h"
#include "config/messages.h"
#include "config/stored_fields.h"
#include "fakes/fake_config_ui.h"
#include "fakes/fake_registry.h"
#include "fakes/temp_dir.h"

namespace lw {
namespace {

using test::FakeConfigUi;
using test::FakeRegistry;
using test::TempDir;

constexpr char kIdentity[] = "06/23/9955274-OEM-0011903-00102";
constexpr char kProgramPath[] = "C:\\Program Files\\LarkWatch\\larkwatch.exe";
constexpr Hive kUser = Hive::CurrentUser;

class SettingsIoTest : public ::testing::Test {
 protected:
  SettingsIoTest()
      : env_{store_, registry_, ui_, messages_, dir_.path(), kProgramPath, kIdentity, {}} {}

  const Settings& Current() {
    snapshot_ = store_.Snapshot();
    return *snapshot_;
  }
  // A new start of the program: initial settings and an options dialog that showed nothing.
  void Restart() {
    store_.Replace(Settings{});
    ui_ = FakeConfigUi();
  }
  // Saves a configured system (a safe number, only safe numbers) changed by `edit`, and
  // restarts. Returns what was saved.
  Settings Configure(const std::function<void(Settings&)>& edit = {}) {
    store_.Update([&](Settings& s) {
      s.AutoRun = true;
      s.SafeList = {"0202122"};
      s.OnlySafe = true;
      s.DefaultEntry =
          "Moje po\xB3\xB9"
          "czenie";
      if (edit) edit(s);
    });
    EXPECT_TRUE(SaveSettings(env_));
    Settings saved = Current();
    Restart();
    return saved;
  }
  std::vector<std::string> Texts(std::initializer_list<int> lines) const {
    std::vector<std::string> texts;
    for (int line : lines) texts.push_back(messages_.Text(line));
    return texts;
  }

  TempDir dir_;
  FakeRegistry registry_;
  FakeConfigUi ui_;
  MessageTable messages_;
  SettingsStore store_;
  ConfigEnv env_;
  std::shared_ptr<const Settings> snapshot_;
};

// ---- Saving ----

TEST_F(SettingsIoTest, SaveWritesEveryValueInOrderWithTheChecksumOfTheSettingsText) {
  store_.Update([](Settings& s) { s.WarningsTime = "abc"; });
  ASSERT_TRUE(SaveSettings(env_));

  const std::vector<std::string> order = {"LarkWatch",
                                          "X",
                                          "Y",
                                          "InfoAppear",
                                          "WarningsTime",
                                          "WarningsDblClk",
                                          "StatsOnTop",
                                          "DangerDisNow",
                                          "RadioButtonDisAfter",
                                          "DisAfterTime",
                                          "DangerDoNothing",
                                          "DangerAsk",
                                          "DangerWaitFor",
                                          "DangerAskDiscAfter",
                                          "AskDiscAfterTime",
                                          "OnlySafe",
                                          "UseAcceleration",
                                          "DefaultEntry",
                                          "OnlyMyCountry",
                                          "DialDefault",
                                          "Permit",
                                          "Deny",
                                          "PDAsk",
                                          "CRCreg",
                                          "CRClwda",
                                          "CRClwsa",
                                          "CRClwp",
                                          "CRClwd"};
  EXPECT_EQ(registry_.written(), order);

  // AutoRun, InfoAppear, WarningsTime (fallback 5), WarningsDblClk, the danger actions with
  // DisAfterTime, the ask modes with AskDiscAfterTime, OnlySafe, UseAcceleration, DefaultEntry,
  // OnlyMyCountry, DialDefault, Permit, Deny, PDAsk. StatsOnTop is not part of it.
  const std::string text = std::string("0") + "1" + "5" + "1" + "0" + "0" + "3" + "1" + "0" + "0" +
                           "1" + "20" + "0" + "1" + "" + "0" + "0" + "0" + "1" + "1";
  EXPECT_EQ(registry_.GetDword(kUser, kSettingsKey, "CRCreg"), TextChecksum(kIdentity, text));
  EXPECT_EQ(registry_.GetDword(kUser, kSettingsKey, "WarningsTime"), 5u);
  EXPECT_EQ(registry_.GetDword(kUser, kSettingsKey, "X"), 700u);
  EXPECT_EQ(registry_.GetDword(kUser, kSettingsKey, "Y"), 500u);
  EXPECT_EQ(registry_.GetDword(kUser, kSettingsKey, "StatsOnTop"), 1u);
  EXPECT_EQ(registry_.GetString(kUser, kSettingsKey, "DefaultEntry"), "");
  EXPECT_FALSE(registry_.Get(kUser, kRunKey, kRunValue).has_value());
}

TEST_F(SettingsIoTest, SaveWritesTheAutorunValueOnlyWhenAutoRunIsSet) {
  store_.Update([](Settings& s) { s.AutoRun = true; });
  ASSERT_TRUE(SaveSettings(env_));
  EXPECT_EQ(registry_.GetString(kUser, kRunKey, kRunValue), kProgramPath);
  store_.Update([](Settings& s) { s.AutoRun = false; });
  ASSERT_TRUE(SaveSettings(env_));
  EXPECT_FALSE(registry_.Get(kUser, kRunKey, kRunValue).has_value());
}

TEST_F(SettingsIoTest, SaveWritesTheFourLists) {
  store_.Update([](Settings& s) {
    s.DangerList = {"0700*"};
    s.SafeList = {"0202122"};
    s.PermitList = {"C:\\a.exe"};
    s.DenyList = {"C:\\b.exe", "C:\\c.exe"};
  });
  ASSERT_TRUE(SaveSettings(env_));
  const ListStorage storage{registry_, dir_.path(), kIdentity, kProgramPath};
  for (ListKind kind : kAllLists) {
    ListReadResult read = ReadList(kind, storage);
    EXPECT_FALSE(read.damaged);
  }
  EXPECT_EQ(ReadList(ListKind::Deny, storage).entries, Current().DenyList);
}

TEST_F(SettingsIoTest, SaveReportsASettingsKeyThatCannotBeWritten) {
  registry_.SetUnopenable(kUser, kSettingsKey);
  EXPECT_FALSE(SaveSettings(env_));
}

// ---- First-run configuration ----

struct FirstRunCase {
  const char* name;
  std::deque<MessageAnswer> answers;
  ChosenEntry chooser;
  std::optional<std::string> access_number;  // LWNo
  std::vector<int> boxes;
  bool configured;  // saved, not left to the user
  std::vector<std::string> safe_list;
  bool use_acceleration;
};

void PrintTo(const FirstRunCase& c, std::ostream* os) { *os << c.name; }

class FirstRunTest : public SettingsIoTest, public ::testing::WithParamInterface<FirstRunCase> {};

TEST_P(FirstRunTest, FreshSystem) {
  const FirstRunCase& c = GetParam();
  ui_.answers = c.answers;
  ui_.chooser_result = c.chooser;
  if (c.access_number) registry_.PutString(kUser, kSettingsKey, "LWNo", *c.access_number);

  ASSERT_TRUE(LoadSettings(env_, true).ok);

  std::vector<std::string> expected;
  for (int line : c.boxes) expected.push_back(messages_.Text(line));
  EXPECT_EQ(ui_.Texts(), expected);
  const std::map<std::string, std::tuple<std::string, MessageIcon, MessageButtons>> look = {
      {messages_.Text(msg::FirstRunAsk),
       {"LarkWatch", MessageIcon::Information, MessageButtons::YesNo}},
      {messages_.Text(msg::ModemQuestion),
       {ui_.title, MessageIcon::Question, MessageButtons::YesNo}},
      {messages_.Text(msg::NoDefaultChosen),
       {ui_.title, MessageIcon::Information, MessageButtons::Ok}},
      {messages_.Text(msg::Configured),
       {"LarkWatch", MessageIcon::Information, MessageButtons::Ok}}};
  for (const FakeConfigUi::Box& box : ui_.boxes) {
    EXPECT_EQ(std::make_tuple(box.caption, box.icon, box.buttons), look.at(box.text)) << box.text;
  }

  const Settings& s = Current();
  EXPECT_TRUE(s.AutoRun);
  EXPECT_EQ(registry_.GetString(kUser, kRunKey, kRunValue), kProgramPath);
  EXPECT_EQ(s.SafeList, c.safe_list);
  EXPECT_EQ(s.OnlySafe, c.configured);
  EXPECT_EQ(s.DefaultEntry, c.configured ? c.chooser.name : "");
  EXPECT_EQ(s.UseAcceleration, c.use_acceleration);
  EXPECT_EQ(ui_.MustConfigure(), !c.configured);
  EXPECT_EQ(ui_.chooser_captions.size(), c.answers.front() == MessageAnswer::Yes ? 1u : 0u);
  for (const std::string& caption : ui_.chooser_captions) {
    EXPECT_EQ(caption, messages_.Text(msg::FirstRunChooserCaption));
  }
  // Left to the user: the options dialog on the safe numbers page.
  EXPECT_EQ(ui_.options_shown, c.configured ? std::vector<bool>{} : std::vector<bool>{true});
  EXPECT_EQ(registry_.GetDword(kUser, kSettingsKey, "CRCreg").has_value(), c.configured);

  if (c.configured) {
    // The next start finds everything as it was saved and warns of nothing.
    const Settings saved = s;
    Restart();
    ASSERT_TRUE(LoadSettings(env_, true).ok);
    EXPECT_EQ(ui_.Texts(), std::vector<std::string>{});
    EXPECT_EQ(Current(), saved);
    EXPECT_TRUE(ui_.options_shown.empty());
  }
}

const ChosenEntry kChosen{true, "Moje", "0-202 122", true};

INSTANTIATE_TEST_SUITE_P(
    Answers, FirstRunTest,
    ::testing::Values(
        FirstRunCase{"YesChosen",
                     {MessageAnswer::Yes},
                     kChosen,
                     std::nullopt,
                     {msg::FirstRunAsk, msg::Configured},
                     true,
                     {"0202122"},
                     true},
        FirstRunCase{"YesChosenEmptyAccessNumber",
                     {MessageAnswer::Yes},
                     kChosen,
                     "",
                     {msg::FirstRunAsk, msg::Configured},
                     true,
                     {"0202122"},
                     true},
        FirstRunCase{"YesChosenModemYes",
                     {MessageAnswer::Yes, MessageAnswer::Yes},
                     kChosen,
                     "0202478",
                     {msg::FirstRunAsk, msg::ModemQuestion, msg::Configured},
                     true,
                     {"0202122"},
                     true},
        FirstRunCase{"YesChosenModemNo",
                     {MessageAnswer::Yes, MessageAnswer::No},
                     kChosen,
                     "0202478",
                     {msg::FirstRunAsk, msg::ModemQuestion, msg::Configured},
                     true,
                     {"0202122"},
                     false},
        // The whole number of the entry is bounded to what the list can hold.
        FirstRunCase{"YesChosenLongNumber",
                     {MessageAnswer::Yes},
                     ChosenEntry{true, "Long", std::string(80, '7'), false},
                     std::nullopt,
                     {msg::FirstRunAsk, msg::Configured},
                     true,
                     {std::string(64, '7')},
                     true},
        FirstRunCase{"YesNothingChosen",
                     {MessageAnswer::Yes},
                     ChosenEntry{},
                     "0202478",
                     {msg::FirstRunAsk, msg::NoDefaultChosen},
                     false,
                     {},
                     true},
        // A number without digits gives no mask: as if nothing was chosen.
        FirstRunCase{"YesChosenWithoutDigits",
                     {MessageAnswer::Yes},
                     ChosenEntry{true, "Odd", "abc", false},
                     std::nullopt,
                     {msg::FirstRunAsk, msg::NoDefaultChosen},
                     false,
                     {},
                     true},
        FirstRunCase{
            "No", {MessageAnswer::No}, kChosen, "0202478", {msg::FirstRunAsk}, false, {}, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SettingsIoTest, FirstRunThatCannotSaveLeavesTheConfigurationToTheUser) {
  env_.program_dir = dir_.path() / "not-there";  // no list file can be written
  ui_.answers = {MessageAnswer::Yes};
  ui_.chooser_result = kChosen;
  ASSERT_TRUE(LoadSettings(env_, true).ok);
  EXPECT_EQ(ui_.Texts(), Texts({msg::FirstRunAsk}));
  EXPECT_TRUE(ui_.MustConfigure());
  EXPECT_EQ(ui_.options_shown, std::vector<bool>{true});
  EXPECT_EQ(Current().SafeList, std::vector<std::string>{"0202122"});
}

TEST_F(SettingsIoTest, NoFirstRunOnLaterLoads) {
  ASSERT_TRUE(LoadSettings(env_, false).ok);
  EXPECT_TRUE(ui_.boxes.empty());
  EXPECT_FALSE(Current().AutoRun);
  EXPECT_FALSE(ui_.MustConfigure());
}

TEST_F(SettingsIoTest, NoFirstRunWhenTheDangerListHoldsANumber) {
  Configure([](Settings& s) {
    s.SafeList.clear();
    s.OnlySafe = false;
    s.DangerList = {"0700*"};
  });
  ASSERT_TRUE(LoadSettings(env_, true).ok);
  EXPECT_TRUE(ui_.boxes.empty());
  EXPECT_TRUE(ui_.chooser_captions.empty());
}

// ---- Values restored ----

struct ChoiceCase {
  const char* name;
  void (Settings::*select)(bool);
  bool Settings::*member;
};

void PrintTo(const ChoiceCase& c, std::ostream* os) { *os << c.name; }

class ChoiceRestoredTest : public SettingsIoTest,
                           public ::testing::WithParamInterface<ChoiceCase> {};

TEST_P(ChoiceRestoredTest, SelectedMemberOfAGroupIsRestored) {
  const Settings saved = Configure([](Settings& s) {
    s.DangerList = {"0700*"};
    (s.*GetParam().select)(true);
  });
  ASSERT_TRUE(LoadSettings(env_, true).ok);
  EXPECT_EQ(ui_.Texts(), std::vector<std::string>{});  // CRCreg matches
  EXPECT_TRUE(Current().*GetParam().member);
  EXPECT_EQ(Current(), saved);
  EXPECT_EQ(ui_.danger_actions_enabled, std::vector<bool>{true});
}

INSTANTIATE_TEST_SUITE_P(
    Groups, ChoiceRestoredTest,
    ::testing::Values(
        ChoiceCase{"DangerDisNow", &Settings::SetDangerDisNow, &Settings::DangerDisNow},
        ChoiceCase{"RadioButtonDisAfter", &Settings::SetRadioButtonDisAfter,
                   &Settings::RadioButtonDisAfter},
        ChoiceCase{"DangerDoNothing", &Settings::SetDangerDoNothing, &Settings::DangerDoNothing},
        ChoiceCase{"DangerAsk", &Settings::SetDangerAsk, &Settings::DangerAsk},
        ChoiceCase{"DangerWaitFor", &Settings::SetDangerWaitFor, &Settings::DangerWaitFor},
        ChoiceCase{"Permit", &Settings::SetPermit, &Settings::Permit}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SettingsIoTest, RadioButtonDisAfterIsTheOnlyDangerActionAfterRestart) {
  Configure([](Settings& s) {
    s.DangerList = {"0700*"};
    s.SetRadioButtonDisAfter(true);
    s.DisAfterTime = "7";
  });
  ASSERT_TRUE(LoadSettings(env_, true).ok);
  const Settings& s = Current();
  EXPECT_TRUE(s.RadioButtonDisAfter);
  EXPECT_FALSE(s.DangerDisNow || s.DangerDoNothing || s.DangerAsk);
  EXPECT_EQ(s.DisAfterTime, "7");
  EXPECT_TRUE(ui_.boxes.empty());
}

struct NumberCase {
  const char* name;
  std::string Settings::*member;
  std::string text;
  uint32_t stored;
  std::string reloaded;
};

void PrintTo(const NumberCase& c, std::ostream* os) { *os << c.name; }

class NumberEditTest : public SettingsIoTest, public ::testing::WithParamInterface<NumberCase> {};

TEST_P(NumberEditTest, TextThatIsNoNumberStoresTheFallbackAndPassesAtTheNextStart) {
  const NumberCase& c = GetParam();
  Configure([&](Settings& s) { s.*c.member = c.text; });
  EXPECT_EQ(registry_.GetDword(kUser, kSettingsKey, c.name), c.stored);
  ASSERT_TRUE(LoadSettings(env_, true).ok);
  EXPECT_EQ(Current().*c.member, c.reloaded);
  EXPECT_TRUE(ui_.boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Edits, NumberEditTest,
    ::testing::Values(NumberCase{"WarningsTime", &Settings::WarningsTime, "abc", 5, "5"},
                      NumberCase{"DisAfterTime", &Settings::DisAfterTime, "x1", 3, "3"},
                      NumberCase{"AskDiscAfterTime", &Settings::AskDiscAfterTime, "", 20, "20"},
                      NumberCase{"WarningsTime", &Settings::WarningsTime, " 42", 42, "42"},
                      NumberCase{"DisAfterTime", &Settings::DisAfterTime, "-5", 0xFFFFFFFBu,
                                 "-5"}));

// ---- Values changed outside the program ----

struct OutsideCase {
  const char* name;
  std::function<void(FakeRegistry&)> change;
  bool warned;
};

void PrintTo(const OutsideCase& c, std::ostream* os) { *os << c.name; }

class ChangedOutsideTest : public SettingsIoTest,
                           public ::testing::WithParamInterface<OutsideCase> {};

TEST_P(ChangedOutsideTest, NextStartWarnsAndOffersTheOptions) {
  Configure([](Settings& s) { s.SetPermit(true); });
  GetParam().change(registry_);
  ui_.answers = {MessageAnswer::Yes};
  ASSERT_TRUE(LoadSettings(env_, true).ok);
  if (GetParam().warned) {
    EXPECT_EQ(ui_.Texts(), Texts({msg::SettingsChecksumBad, msg::WarningsShownAsk}));
    EXPECT_EQ(ui_.boxes[0].icon, MessageIcon::Warning);
    EXPECT_EQ(ui_.boxes[1].icon, MessageIcon::Warning);
    EXPECT_EQ(ui_.boxes[1].buttons, MessageButtons::YesNo);
    EXPECT_EQ(ui_.boxes[1].caption, "LarkWatch");
    EXPECT_TRUE(ui_.MustConfigure());
    EXPECT_EQ(ui_.options_shown, std::vector<bool>{false});
  } else {
    EXPECT_TRUE(ui_.boxes.empty());
    EXPECT_FALSE(ui_.MustConfigure());
    EXPECT_TRUE(ui_.options_shown.empty());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Values, ChangedOutsideTest,
    ::testing::Values(
        OutsideCase{"OnlySafe",
                    [](FakeRegistry& r) { r.PutDword(kUser, kSettingsKey, "OnlySafe", 0); }, true},
        OutsideCase{
            "DefaultEntry",
            [](FakeRegistry& r) { r.PutString(kUser, kSettingsKey, "DefaultEntry", "Dialer"); },
            true},
        OutsideCase{"InfoAppear",
                    [](FakeRegistry& r) { r.PutDword(kUser, kSettingsKey, "InfoAppear", 0); },
                    true},
        OutsideCase{"Deny", [](FakeRegistry& r) { r.PutDword(kUser, kSettingsKey, "Deny", 1); },
                    true},
        OutsideCase{"AutorunRemoved",
                    [](FakeRegistry& r) { r.RemoveValue(kUser, kRunKey, kRunValue); }, true},
        OutsideCase{"ChecksumRemoved",
                    [](FakeRegistry& r) { r.RemoveValue(kUser, kSettingsKey, "CRCreg"); }, true},
        OutsideCase{"StatsOnTop",
                    [](FakeRegistry& r) { r.PutDword(kUser, kSettingsKey, "StatsOnTop", 0); },
                    false},
        OutsideCase{"WindowPosition",
                    [](FakeRegistry& r) { r.PutDword(kUser, kSettingsKey, "X", 3); }, false},
        // Any non-zero value reads as true: the settings text does not change.
        OutsideCase{"NonZeroFlag",
                    [](FakeRegistry& r) { r.PutDword(kUser, kSettingsKey, "PDAsk", 7); }, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SettingsIoTest, ChecksumWarningAnsweredNoLeavesTheDialogClosed) {
  Configure();
  registry_.PutDword(kUser, kSettingsKey, "OnlySafe", 0);
  ui_.answers = {MessageAnswer::No};
  ASSERT_TRUE(LoadSettings(env_, true).ok);
  EXPECT_EQ(ui_.Texts(), Texts({msg::SettingsChecksumBad, msg::WarningsShownAsk}));
  EXPECT_FALSE(ui_.MustConfigure());
  EXPECT_TRUE(ui_.options_shown.empty());
}

TEST_F(SettingsIoTest, ChecksumIsComparedOnlyAtStartUp) {
  Configure();
  registry_.PutDword(kUser, kSettingsKey, "OnlySafe", 0);
  ASSERT_TRUE(LoadSettings(env_, false).ok);
  EXPECT_TRUE(ui_.boxes.empty());
  EXPECT_FALSE(Current().OnlySafe);
}

TEST_F(SettingsIoTest, StatsOnTopIsReadAndApplied) {
  Configure();
  registry_.PutDword(kUser, kSettingsKey, "StatsOnTop", 0);
  ASSERT_TRUE(LoadSettings(env_, true).ok);
  EXPECT_FALSE(Current().StatsOnTop);
  EXPECT_EQ(ui_.stats_on_top, std::vector<bool>{false});
}

// ---- Autorun ----

struct AutoRunCase {
  const char* name;
  std::optional<std::string> run_value;
  bool auto_run;
};

void PrintTo(const AutoRunCase& c, std::ostream* os) { *os << c.name; }

class AutoRunTest : public SettingsIoTest, public ::testing::WithParamInterface<AutoRunCase> {};

TEST_P(AutoRunTest, HoldsExactlyWhenTheRunValueNamesThisProgram) {
  Configure();
  registry_.RemoveValue(kUser, kRunKey, kRunValue);
  if (GetParam().run_value) {
    registry_.PutString(kUser, kRunKey, kRunValue, *GetParam().run_value);
  }
  ASSERT_TRUE(LoadSettings(env_, false).ok);
  EXPECT_EQ(Current().AutoRun, GetParam().auto_run);
}

INSTANTIATE_TEST_SUITE_P(
    RunValues, AutoRunTest,
    ::testing::Values(AutoRunCase{"Same", kProgramPath, true},
                      AutoRunCase{"OtherCase", FakeRegistry::Lower(kProgramPath), false},
                      AutoRunCase{"OtherPath", "C:\\dialer.exe", false},
                      AutoRunCase{"Empty", "", false}, AutoRunCase{"Absent", std::nullopt, false}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Failures ----

struct WrongTypeCase {
  const char* name;
  std::string_view key;
  bool string_value;  // the value is put as a string (else as a binary value)
  bool read_before;   // PDAsk was read before the failure
};

void PrintTo(const WrongTypeCase& c, std::ostream* os) { *os << c.name; }

class WrongTypeTest : public SettingsIoTest, public ::testing::WithParamInterface<WrongTypeCase> {};

TEST_P(WrongTypeTest, StopsTheLoadWithTheRegistryError) {
  const WrongTypeCase& c = GetParam();
  Configure([](Settings& s) { s.PDAsk = false; });
  if (c.string_value) {
    registry_.PutString(kUser, c.key, c.name, "1");
  } else {
    registry_.PutOther(kUser, c.key, c.name);
  }
  ui_.answers = {MessageAnswer::Yes};

  const LoadOutcome outcome = LoadSettings(env_, true);
  EXPECT_FALSE(outcome.ok);
  EXPECT_EQ(outcome.error, std::string("Nieprawidłowy typ danych wartości '") + c.name + "'");
  // What came before stays; the rest is skipped.
  EXPECT_EQ(Current().SafeList, std::vector<std::string>{"0202122"});
  EXPECT_EQ(Current().PDAsk, !c.read_before);
  EXPECT_TRUE(ui_.boxes.empty());
  EXPECT_TRUE(ui_.stats_on_top.empty());
  EXPECT_TRUE(ui_.options_shown.empty());

  ReportLoadFailure(env_, true, outcome);
  ReportLoadFailure(env_, false, outcome);
  EXPECT_EQ(ui_.Texts(),
            (std::vector<std::string>{messages_.Text(msg::ConfigInitError), outcome.error}));
  EXPECT_EQ(ui_.boxes[0].caption, "LarkWatch");
}

INSTANTIATE_TEST_SUITE_P(Values, WrongTypeTest,
                         ::testing::Values(WrongTypeCase{"LarkWatch", kRunKey, false, false},
                                           WrongTypeCase{"InfoAppear", kSettingsKey, true, false},
                                           WrongTypeCase{"StatsOnTop", kSettingsKey, false, false},
                                           WrongTypeCase{"DefaultEntry", kSettingsKey, false,
                                                         false},
                                           WrongTypeCase{"PDAsk", kSettingsKey, true, false},
                                           WrongTypeCase{"CRCreg", kSettingsKey, true, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SettingsIoTest, WrongTypeOfTheAccessNumberStopsTheFirstRun) {
  registry_.PutOther(kUser, kSettingsKey, "LWNo");
  ui_.answers = {MessageAnswer::Yes};
  ui_.chooser_result = kChosen;
  const LoadOutcome outcome = LoadSettings(env_, true);
  EXPECT_FALSE(outcome.ok);
  EXPECT_EQ(outcome.error, "Nieprawidłowy typ danych wartości 'LWNo'");
  EXPECT_FALSE(registry_.GetDword(kUser, kSettingsKey, "CRCreg").has_value());
}

TEST_F(SettingsIoTest, MissingKeyIsCreatedAndFieldsKeepTheirValues) {
  ASSERT_TRUE(LoadSettings(env_, false).ok);
  EXPECT_TRUE(registry_.HasKey(kUser, kSettingsKey));
  EXPECT_TRUE(registry_.HasKey(kUser, kRunKey));
  EXPECT_EQ(Current(), Settings{});
}

TEST_F(SettingsIoTest, KeyThatCannotBeOpenedSkipsAllValues) {
  Configure();
  store_.Update([](Settings& s) {
    s.WarningsTime = "99";
    s.PDAsk = false;
  });
  registry_.SetUnopenable(kUser, kSettingsKey);
  ASSERT_TRUE(LoadSettings(env_, false).ok);
  EXPECT_EQ(Current().WarningsTime, "99");
  EXPECT_FALSE(Current().PDAsk);
}

// ---- Lists ----

struct DamageCase {
  ListKind kind;
  int message;
};

void PrintTo(const DamageCase& c, std::ostream* os) { *os << InfoOf(c.kind).file; }

class DamagedListTest : public SettingsIoTest, public ::testing::WithParamInterface<DamageCase> {
 protected:
  void DamageList() {
    Configure([](Settings& s) {
      s.DangerList = {"0700*"};
      s.PermitList = {"C:\\a.exe"};
      s.DenyList = {"C:\\b.exe"};
    });
    std::ofstream out(dir_.path() / InfoOf(GetParam().kind).file, std::ios::binary | std::ios::app);
    out.write(
        "\x01"
        "9",
        2);
  }
};

TEST_P(DamagedListTest, StartUpColoursTheCaptionAndWarns) {
  DamageList();
  ASSERT_TRUE(LoadSettings(env_, true).ok);
  EXPECT_EQ(ui_.Texts(), Texts({GetParam().message, msg::WarningsShownAsk}));
  EXPECT_EQ(ui_.boxes[0].caption, "LarkWatch");
  EXPECT_EQ(ui_.boxes[0].icon, MessageIcon::Warning);
  EXPECT_EQ(ui_.boxes[0].buttons, MessageButtons::Ok);
  for (ListKind kind : kAllLists) {
    EXPECT_EQ(ui_.caption_alert.at(kind), kind == GetParam().kind);
  }
  // The entries read stay.
  EXPECT_EQ(ListOf(Current(), GetParam().kind).size(), 2u);
}

TEST_P(DamagedListTest, LaterLoadsKeepQuiet) {
  DamageList();
  ASSERT_TRUE(LoadSettings(env_, false).ok);
  EXPECT_TRUE(ui_.boxes.empty());
  for (ListKind kind : kAllLists) EXPECT_FALSE(ui_.caption_alert.at(kind));
}

INSTANTIATE_TEST_SUITE_P(Lists, DamagedListTest,
                         ::testing::Values(DamageCase{ListKind::Danger, msg::DangerListDamaged},
                                           DamageCase{ListKind::Safe, msg::SafeListDamaged},
                                           DamageCase{ListKind::Permit, msg::PermitListDamaged},
                                           DamageCase{ListKind::Deny, msg::DenyListDamaged}));

TEST_F(SettingsIoTest, OnlySafeWithoutSafeNumbersIsRefused) {
  Configure([](Settings& s) { s.DangerList = {"0700*"}; });
  std::filesystem::remove(dir_.path() / "lwsa.dat");
  registry_.RemoveValue(kUser, kSettingsKey, "CRClwsa");
  ASSERT_TRUE(LoadSettings(env_, true).ok);
  EXPECT_FALSE(Current().OnlySafe);
  // The refusal, then the settings text no longer matches.
  EXPECT_EQ(ui_.Texts(),
            Texts({msg::AddSafeNumbersFirst, msg::SettingsChecksumBad, msg::WarningsShownAsk}));
}

TEST_F(SettingsIoTest, EmptyDangerListSelectsDoNothing) {
  store_.Update([](Settings& s) { s.SetDangerAsk(true); });
  ASSERT_TRUE(LoadSettings(env_, false).ok);
  EXPECT_TRUE(Current().DangerDoNothing);
  EXPECT_FALSE(Current().DangerAsk);
  EXPECT_EQ(ui_.danger_actions_enabled, std::vector<bool>{false});
}

TEST_F(SettingsIoTest, ReloadDiscardsUnsavedChanges) {
  const Settings saved = Configure([](Settings& s) { s.DangerList = {"0700*"}; });
  ASSERT_TRUE(LoadSettings(env_, true).ok);
  store_.Update([](Settings& s) {
    s.DangerList.push_back("0300*");
    s.SetDangerDisNow(true);
    s.OnlySafe = false;
  });
  const std::shared_ptr<const Settings> before = store_.Snapshot();
  ASSERT_TRUE(LoadSettings(env_, false).ok);
  EXPECT_EQ(Current(), saved);
  // A reader's snapshot taken before the reload is unaffected.
  EXPECT_EQ(before->DangerList.size(), 2u);
}

}  // namespace
}  // namespace lw
