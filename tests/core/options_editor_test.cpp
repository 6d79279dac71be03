// The options dialog's rules without its window: a recording fake answers the message boxes,
// the input prompt, the entry chooser and the open dialog from a script.

#include "config/options_editor.h"

#include <gtest/gtest.h>

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "config/control_texts.h"
#include "config/message_lines.h"
#include "config/messages.h"

namespace lw {
namespace {

struct Box {
  std::string text;
  std::string caption;
  MessageIcon icon;
  MessageButtons buttons;
};

class OptionsEditorTest : public ::testing::Test {
 protected:
  OptionsEditorTest() {
    OptionsPorts ports;
    ports.message = [this](std::string_view text, std::string_view caption, MessageIcon icon,
                           MessageButtons buttons) {
      boxes.push_back({std::string(text), std::string(caption), icon, buttons});
      if (buttons == MessageButtons::Ok) return MessageAnswer::Ok;
      MessageAnswer answer = answers.empty() ? MessageAnswer::No : answers.front();
      if (!answers.empty()) answers.pop_front();
      return answer;
    };
    ports.application_title = [] { return std::string("LarkWatch title"); };
    ports.ask_value = [this](std::string_view prompt) {
      prompts.emplace_back(prompt);
      return typed;
    };
    ports.choose_entry = [this] { return chosen; };
    ports.open_file = [this](std::string_view title) {
      titles.emplace_back(title);
      return file;
    };
    ports.save = [this] {
      saved.push_back(*store.Snapshot());
      return true;
    };
    ports.reload = [this] { store.Replace(stored); };
    ports.on_saved = [this] { ++on_saved; };
    editor = std::make_unique<OptionsEditor>(store, texts, messages, "C:\\LW\\larkwatch.exe",
                                             std::move(ports));
  }

  const Settings& Now() {
    snapshot = store.Snapshot();
    return *snapshot;
  }
  void Set(const std::function<void(Settings&)>& change) { store.Update(change); }
  std::string Msg(int line) { return messages.Text(line); }

  SettingsStore store;
  ControlTexts texts;
  MessageTable messages;
  std::unique_ptr<OptionsEditor> editor;
  std::shared_ptr<const Settings> snapshot;
  Settings stored;
  std::vector<Box> boxes;
  std::deque<MessageAnswer> answers;
  std::vector<std::string> prompts;
  std::vector<std::string> titles;
  std::optional<std::string> typed;
  std::optional<std::string> file;
  ChosenEntry chosen;
  std::vector<Settings> saved;
  int on_saved = 0;
};

TEST_F(OptionsEditorTest, FirstDangerNumberSelectsAskAndEnablesTheActions) {
  editor->UpdateDangerActions();
  EXPECT_FALSE(editor->DangerActionsEnabled());
  typed = "0-700 123";
  EXPECT_TRUE(editor->AddNumber(NumberList::Danger));
  ASSERT_EQ(prompts.size(), 1u);
  EXPECT_EQ(prompts[0], Msg(msg::EnterDangerNumber));
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].text.find(
                texts.Text("TOptionsForm", "RadioButtonDangerAsk", ControlProperty::Caption)),
            std::string::npos);
  EXPECT_EQ(boxes[0].caption, "LarkWatch");
  EXPECT_EQ(Now().DangerList, std::vector<std::string>{"0700123"});
  EXPECT_TRUE(Now().DangerAsk);
  EXPECT_FALSE(Now().DangerDoNothing);
  EXPECT_TRUE(editor->DangerActionsEnabled());
  EXPECT_FALSE(editor->Flashing());
}

TEST_F(OptionsEditorTest, DangerNumberWithSafeNumbersKeepsTheActionAndAllowsDuplicates) {
  Set([](Settings& s) {
    s.SafeList = {"0202122"};
    s.SetDangerDisNow(true);
  });
  typed = "0700";
  EXPECT_TRUE(editor->AddNumber(NumberList::Danger));
  EXPECT_TRUE(editor->AddNumber(NumberList::Danger));
  EXPECT_TRUE(boxes.empty());
  EXPECT_TRUE(Now().DangerDisNow);
  EXPECT_EQ(Now().DangerList, (std::vector<std::string>{"0700", "0700"}));
}

TEST_F(OptionsEditorTest, AddNumberStopsOnCancelOrAnEmptyMask) {
  for (const std::optional<std::string>& input :
       {std::optional<std::string>(), std::optional<std::string>("abc"),
        std::optional<std::string>("")}) {
    typed = input;
    EXPECT_FALSE(editor->AddNumber(NumberList::Danger));
    EXPECT_FALSE(editor->AddNumber(NumberList::Safe));
  }
  EXPECT_TRUE(Now().DangerList.empty());
  EXPECT_TRUE(Now().SafeList.empty());
  EXPECT_TRUE(boxes.empty());
}

TEST_F(OptionsEditorTest, AStarAloneIsAskedAbout) {
  struct Case {
    NumberList list;
    int question;
    MessageAnswer answer;
    bool added;
  };
  const Case cases[] = {
      {NumberList::Danger, msg::AllNumbersDangerous, MessageAnswer::No, false},
      {NumberList::Danger, msg::AllNumbersDangerous, MessageAnswer::Yes, true},
      {NumberList::Safe, msg::AllNumbersSafe, MessageAnswer::No, false},
      {NumberList::Safe, msg::AllNumbersSafe, MessageAnswer::Yes, true},
  };
  for (const Case& c : cases) {
    store.Replace(Settings{});
    boxes.clear();
    Set([](Settings& s) {
      s.DangerList = {"1"};
      s.SafeList = {"2"};
    });
    typed = "*";
    answers = {c.answer};
    EXPECT_EQ(editor->AddNumber(c.list), c.added);
    ASSERT_GE(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, Msg(c.question));
    EXPECT_EQ(boxes[0].icon, MessageIcon::Question);
    EXPECT_EQ(boxes[0].buttons, MessageButtons::YesNo);
    const auto& list = c.list == NumberList::Danger ? Now().DangerList : Now().SafeList;
    EXPECT_EQ(list.size(), c.added ? 2u : 1u);
  }
  // A star among other characters is not asked about.
  boxes.clear();
  typed = "0*";
  EXPECT_TRUE(editor->AddNumber(NumberList::Danger));
  EXPECT_TRUE(boxes.empty());
}

TEST_F(OptionsEditorTest, FirstSafeNumberSwitchesOnOnlySafe) {
  editor->UpdateFlashing();
  EXPECT_TRUE(editor->Flashing());
  typed = "0202122";
  EXPECT_TRUE(editor->AddNumber(NumberList::Safe));
  EXPECT_EQ(prompts[0], Msg(msg::EnterSafeNumber));
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(
      boxes[0].text.find(texts.Text("TOptionsForm", "CheckBoxOnlySafe", ControlProperty::Caption)),
      std::string::npos);
  EXPECT_TRUE(Now().OnlySafe);
  EXPECT_FALSE(editor->Flashing());
  // The second one only appends.
  boxes.clear();
  Set([](Settings& s) { s.OnlySafe = false; });
  EXPECT_TRUE(editor->AddNumber(NumberList::Safe));
  EXPECT_TRUE(boxes.empty());
  EXPECT_FALSE(Now().OnlySafe);
  EXPECT_EQ(Now().SafeList.size(), 2u);
}

TEST_F(OptionsEditorTest, DeleteNumberAsksAndUpdatesTheRules) {
  Set([](Settings& s) {
    s.DangerList = {"0700"};
    s.SetDangerAsk(true);
  });
  EXPECT_FALSE(editor->DeleteNumber(NumberList::Danger, std::nullopt));
  EXPECT_TRUE(boxes.empty());
  answers = {MessageAnswer::No};
  EXPECT_FALSE(editor->DeleteNumber(NumberList::Danger, 0));
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, Msg(msg::AskDeleteDanger));
  EXPECT_EQ(boxes[0].icon, MessageIcon::Warning);
  answers = {MessageAnswer::Yes};
  EXPECT_TRUE(editor->DeleteNumber(NumberList::Danger, 0));
  EXPECT_TRUE(Now().DangerList.empty());
  EXPECT_TRUE(Now().DangerDoNothing);
  EXPECT_FALSE(Now().DangerAsk);
  EXPECT_FALSE(editor->DangerActionsEnabled());
  EXPECT_TRUE(editor->Flashing());
}

TEST_F(OptionsEditorTest, DeletingTheLastSafeNumberClearsOnlySafe) {
  Set([](Settings& s) {
    s.SafeList = {"1", "2"};
    s.OnlySafe = true;
  });
  answers = {MessageAnswer::Yes, MessageAnswer::Yes};
  EXPECT_TRUE(editor->DeleteNumber(NumberList::Safe, 1));
  EXPECT_TRUE(Now().OnlySafe);
  EXPECT_EQ(boxes.size(), 1u);
  EXPECT_TRUE(editor->DeleteNumber(NumberList::Safe, 0));
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[1].text, Msg(msg::AskDeleteSafe));
  EXPECT_EQ(boxes[2].text, Msg(msg::SafeListEmptied));
  EXPECT_EQ(boxes[2].icon, MessageIcon::Information);
  EXPECT_FALSE(Now().OnlySafe);
}

TEST_F(OptionsEditorTest, OnlySafeNeedsSafeNumbers) {
  EXPECT_FALSE(editor->SetOnlySafe(true));
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, Msg(msg::AddSafeNumbersFirst));
  Set([](Settings& s) { s.SafeList = {"1"}; });
  EXPECT_TRUE(editor->SetOnlySafe(true));
  EXPECT_TRUE(Now().OnlySafe);
  EXPECT_FALSE(editor->SetOnlySafe(false));
  EXPECT_EQ(boxes.size(), 1u);
}

TEST_F(OptionsEditorTest, PermitAndDenyExcludeEachOther) {
  editor->SetPermit(true);
  EXPECT_TRUE(Now().Permit);
  EXPECT_FALSE(Now().Deny);
  editor->SetDeny(true);
  EXPECT_FALSE(Now().Permit);
  EXPECT_TRUE(Now().Deny);
  editor->SetDeny(false);
  EXPECT_FALSE(Now().Permit);
  EXPECT_FALSE(Now().Deny);
}

TEST_F(OptionsEditorTest, AddApplicationRefusesTheProgramAndSelectsADuplicate) {
  struct Case {
    AppList list;
    int title;
    int own;
  };
  for (const Case& c : {Case{AppList::Permit, msg::ChoosePermittedApp, msg::OwnProgramPermitted},
                        Case{AppList::Deny, msg::ChooseDeniedApp, msg::OwnProgramDenied}}) {
    store.Replace(Settings{});
    boxes.clear();
    titles.clear();
    file.reset();
    EXPECT_EQ(editor->AddApplication(c.list), std::nullopt);
    ASSERT_EQ(titles.size(), 1u);
    EXPECT_EQ(titles[0], Msg(c.title));
    file = "C:\\LW\\larkwatch.exe";
    EXPECT_EQ(editor->AddApplication(c.list), std::nullopt);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, Msg(c.own));
    // Another letter case is another path.
    file = "C:\\LW\\LARKWATCH.exe";
    EXPECT_EQ(editor->AddApplication(c.list), 0u);
    file = "C:\\a.exe";
    EXPECT_EQ(editor->AddApplication(c.list), 1u);
    file = "C:\\LW\\LARKWATCH.exe";
    EXPECT_EQ(editor->AddApplication(c.list), 0u);
    const auto& items = c.list == AppList::Permit ? Now().PermitList : Now().DenyList;
    EXPECT_EQ(items, (std::vector<std::string>{"C:\\LW\\LARKWATCH.exe", "C:\\a.exe"}));
  }
}

TEST_F(OptionsEditorTest, DeleteApplicationAsks) {
  Set([](Settings& s) {
    s.PermitList = {"a", "b"};
    s.DenyList = {"c"};
  });
  EXPECT_FALSE(editor->DeleteApplication(AppList::Permit, std::nullopt));
  EXPECT_FALSE(editor->DeleteApplication(AppList::Deny, 5));
  EXPECT_TRUE(boxes.empty());
  answers = {MessageAnswer::No, MessageAnswer::Yes, MessageAnswer::Yes};
  EXPECT_FALSE(editor->DeleteApplication(AppList::Permit, 0));
  EXPECT_TRUE(editor->DeleteApplication(AppList::Permit, 0));
  EXPECT_TRUE(editor->DeleteApplication(AppList::Deny, 0));
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[0].text, Msg(msg::AskDeletePermitted));
  EXPECT_EQ(boxes[2].text, Msg(msg::AskDeleteDenied));
  EXPECT_EQ(Now().PermitList, std::vector<std::string>{"b"});
  EXPECT_TRUE(Now().DenyList.empty());
}

TEST_F(OptionsEditorTest, DefaultEntryWithTheOwnCountryRule) {
  struct Case {
    bool chosen;
    bool has_codes;
    bool only_my_country;
    std::string expected;
    bool refused_box;
  };
  const Case cases[] = {
      {false, true, false, "old", false},      {true, true, false, "New \xB9", false},
      {true, false, false, "New \xB9", false}, {true, true, true, "New \xB9", false},
      {true, false, true, "old", true},
  };
  for (const Case& c : cases) {
    boxes.clear();
    Set([&](Settings& s) {
      s.DefaultEntry = "old";
      s.OnlyMyCountry = c.only_my_country;
    });
    chosen = {c.chosen, "New \xB9", "123", c.has_codes};
    editor->GetDefaultEntry();
    EXPECT_EQ(Now().DefaultEntry, c.expected);
    EXPECT_EQ(boxes.size(), c.refused_box ? 1u : 0u);
    if (c.refused_box) {
      EXPECT_EQ(boxes[0].text, Msg(msg::EntryWithoutCodes));
    }
  }
}

TEST_F(OptionsEditorTest, NumberEditsFallBack) {
  EXPECT_EQ(OptionsEditor::NormalizeNumberText("007", 10), "7");
  EXPECT_EQ(OptionsEditor::NormalizeNumberText(" -5", 10), "-5");
  EXPECT_EQ(OptionsEditor::NormalizeNumberText("", 10), "10");
  EXPECT_EQ(OptionsEditor::NormalizeNumberText("1a", 3), "3");
  Set([](Settings& s) {
    s.WarningsTime = "x";
    s.DisAfterTime = "";
    s.AskDiscAfterTime = "zz";
  });
  editor->NormalizeNumberFields();
  EXPECT_EQ(Now().WarningsTime, "10");
  EXPECT_EQ(Now().DisAfterTime, "3");
  EXPECT_EQ(Now().AskDiscAfterTime, "20");
}

TEST_F(OptionsEditorTest, RadioEnabling) {
  Set([](Settings& s) { s.DangerList = {"1"}; });
  editor->UpdateDangerActions();
  Set([](Settings& s) { s.SetRadioButtonDisAfter(true); });
  EXPECT_TRUE(editor->DisAfterTimeEnabled());
  EXPECT_FALSE(editor->AskPanelEnabled());
  EXPECT_FALSE(editor->AskDiscAfterTimeEnabled());
  Set([](Settings& s) {
    s.SetDangerAsk(true);
    s.SetDangerAskDiscAfter(true);
  });
  EXPECT_FALSE(editor->DisAfterTimeEnabled());
  EXPECT_TRUE(editor->AskPanelEnabled());
  EXPECT_TRUE(editor->AskDiscAfterTimeEnabled());
  Set([](Settings& s) { s.SetDangerWaitFor(true); });
  EXPECT_TRUE(editor->AskPanelEnabled());
  EXPECT_FALSE(editor->AskDiscAfterTimeEnabled());
}

TEST_F(OptionsEditorTest, FlashingAlternatesWhileBothListsAreEmpty) {
  editor->UpdateFlashing();
  ASSERT_TRUE(editor->Flashing());
  EXPECT_EQ(editor->FlashTick(), 0);
  EXPECT_EQ(editor->FlashTick(), 2);
  EXPECT_EQ(editor->FlashTick(), 0);
  // Updating starts again at phase 0.
  editor->FlashTick();
  editor->UpdateFlashing();
  EXPECT_EQ(editor->FlashTick(), 0);
  Set([](Settings& s) { s.DangerList = {"1"}; });
  editor->UpdateFlashing();
  EXPECT_FALSE(editor->Flashing());
}

TEST_F(OptionsEditorTest, OkWithUnsafeSettingsAsksAndNoKeepsTheDialogOpen) {
  Set([](Settings& s) { s.SetDangerDoNothing(true); });
  editor->EnterMustConfigure();
  answers = {MessageAnswer::No};
  EXPECT_FALSE(editor->Confirm());
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, "LarkWatch title");
  EXPECT_EQ(boxes[0].icon, MessageIcon::Question);
  for (const char* control : {"CheckBoxOnlySafe", "TabSheet3", "LabelDangerConn", "TabSheet2"}) {
    EXPECT_NE(boxes[0].text.find(texts.Text("TOptionsForm", control, ControlProperty::Caption)),
              std::string::npos)
        << control;
  }
  EXPECT_TRUE(saved.empty());
  EXPECT_EQ(on_saved, 0);
  EXPECT_TRUE(editor->MustConfigure());
  EXPECT_FALSE(editor->MayClose());
  answers = {MessageAnswer::Yes};
  EXPECT_TRUE(editor->Confirm());
  EXPECT_EQ(saved.size(), 1u);
  EXPECT_EQ(on_saved, 1);
  EXPECT_FALSE(editor->MustConfigure());
  EXPECT_TRUE(editor->MayClose());
  EXPECT_FALSE(editor->Flashing());
}

TEST_F(OptionsEditorTest, OkWithoutQuestionWhenSafe) {
  for (int variant = 0; variant < 2; ++variant) {
    store.Replace(Settings{});
    if (variant == 0) {
      Set([](Settings& s) {
        s.SafeList = {"1"};
        s.OnlySafe = true;
      });
    } else {
      Set([](Settings& s) { s.SetDangerDisNow(true); });
    }
    boxes.clear();
    EXPECT_TRUE(editor->Confirm());
    EXPECT_TRUE(boxes.empty());
  }
  EXPECT_EQ(saved.size(), 2u);
}

TEST_F(OptionsEditorTest, CloseReloadsTheStoredSettings) {
  stored.WarningsTime = "33";
  store.Replace(stored);
  editor->Change([](Settings& s) { s.WarningsTime = "5"; });
  EXPECT_EQ(Now().WarningsTime, "5");
  editor->UpdateFlashing();
  editor->Closed();
  EXPECT_EQ(Now().WarningsTime, "33");
  EXPECT_FALSE(editor->Flashing());
  EXPECT_TRUE(saved.empty());
}

TEST_F(OptionsEditorTest, NotebookTextNamesTheCaptions) {
  const std::string text = editor->NotebookText();
  EXPECT_NE(text.find(texts.Text("TOptionsForm", "CheckBoxOnlySafe", ControlProperty::Caption)),
            std::string::npos);
  EXPECT_NE(text.find(texts.Text("TOptionsForm", "LabelSafe", ControlProperty::Caption)),
            std::string::npos);
  EXPECT_EQ(text.find('%'), std::string::npos);
}

}  // namespace
}  // namespace lw
