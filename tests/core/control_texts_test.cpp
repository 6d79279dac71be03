#include "config/control_texts.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <tuple>

#include "common/format.h"
#include "config/messages.h"

namespace lw {
namespace {

using P = ControlProperty;

TEST(ControlTargets, CoverEveryLineInOrder) {
  ASSERT_EQ(ControlTargets().size(), 134u);
  for (int line = 1; line <= 134; ++line) {
    const ControlTarget* target = ControlTargetOf(line);
    ASSERT_NE(target, nullptr);
    EXPECT_EQ(target->line, line);
    EXPECT_FALSE(target->window.empty()) << line;
  }
  EXPECT_EQ(ControlTargetOf(0), nullptr);
  EXPECT_EQ(ControlTargetOf(135), nullptr);
}

TEST(ControlTargets, OnlyLines21To23AreUnused) {
  for (const ControlTarget& target : ControlTargets()) {
    const bool unused = target.line >= 21 && target.line <= 23;
    EXPECT_EQ(target.what == P::Unused, unused) << target.line;
    EXPECT_EQ(target.built_in.empty(), unused) << target.line;
  }
}

TEST(ControlTargets, OnlyLines133And134ShareATarget) {
  std::set<std::tuple<std::string_view, std::string_view, P, int>> seen;
  for (const ControlTarget& target : ControlTargets()) {
    if (target.what == P::Unused) continue;
    const bool fresh =
        seen.insert({target.window, target.control, target.what, target.index}).second;
    EXPECT_EQ(fresh, target.line != 134) << target.line;
  }
}

struct TargetCase {
  int line;
  std::string_view window;
  std::string_view control;
  P what;
  int index;
  std::string_view built_in;
};

TEST(ControlTargets, NameTheControlsOfTheWindows) {
  const TargetCase cases[] = {
      {1, "TMainForm", "Label2", P::Caption, 0, "Wpis z książki:"},
      {5, "TMainForm", "ButtonPrev", P::Hint, 0, "Poprzednie połączenie (PgUp)"},
      {7, "TMainForm", "ButtonOk", P::Caption, 0, "Ukryj"},
      {9, "TMainForm", "ButtonDisconnect", P::Caption, 0, "Rozłącz"},
      {15, "TMainForm", "MenuStats", P::MenuCaption, 0, "Statystyki"},
      {18, "TMainForm", "DialDefault", P::MenuCaption, 0, "Wybierz numer domyślny"},
      {25, "TMainForm", "MainMenuLanguage", P::MenuCaption, 0, "Język"},
      {27, "TMainForm", "MenuClose", P::MenuCaption, 0, "Koniec"},
      {28, "TMainForm", "TrayIconNew", P::Hint, 0, "LarkWatch"},
      {37, "TAddonsForm", "", P::WindowCaption, 0, "LarkWatch - dodatki..."},
      {44, "TAddonsForm", "ListView", P::Column, 0, "Opis"},
      {45, "TAddonsForm", "ListView", P::Column, 1, "Nazwa"},
      {46, "TDefaultForm", "", P::WindowCaption, 0, "LarkWatch - numer domyślny"},
      {62, "TLoginForm", "", P::WindowCaption, 0, "LarkWatch - logowanie..."},
      {72, "TOptionsForm", "", P::WindowCaption, 0, "LarkWatch - opcje"},
      {83, "TOptionsForm", "RadioGroupShowWarnings", P::Item, 0, "Na środku ekranu"},
      {84, "TOptionsForm", "RadioGroupShowWarnings", P::Item, 1, "Na dole po prawej"},
      {99, "TOptionsForm", "TabSheet3", P::Caption, 0, "Połączenia bezpieczne"},
      {111, "TOptionsForm", "CheckBoxOnlySafe", P::Caption, 0,
       "Zezwalaj tylko na bezpieczne numery"},
      {119, "TOptionsForm", "ToolbarButtonPremitDel", P::Hint, 0, "Usuń wybrany numer (Ctrl+Del)"},
      {125, "TOptionsForm", "OpenDialog", P::Filter, 0,
       "Aplikacje (*.exe)|*.exe|Wszystkie pliki (*.*)|*.*"},
      {130, "TQuestionAppForm", "ButtonAddToDeny", P::Caption, 0, "Dodaj to &zabronionych"},
      {131, "TQuestionForm", "", P::WindowCaption, 0, "LarkWatch - pytanie"},
      {133, "TQuestionForm", "ButtonYes", P::Caption, 0, "&Tak"},
      {134, "TQuestionForm", "ButtonYes", P::Caption, 0, "&Tak"},
  };
  for (const TargetCase& c : cases) {
    SCOPED_TRACE(c.line);
    const ControlTarget& target = *ControlTargetOf(c.line);
    EXPECT_EQ(target.window, c.window);
    EXPECT_EQ(target.control, c.control);
    EXPECT_EQ(target.what, c.what);
    EXPECT_EQ(target.index, c.index);
    EXPECT_EQ(target.built_in, c.built_in);
  }
}

// The options dialog formats LabelNotebook from message 227 and its own captions; the built-in
// text is what that gives with the built-in texts.
TEST(ControlTargets, NotebookExplanationIsFormattedFromTheBuiltInCaptions) {
  const std::string_view only_safe = ControlTexts::BuiltIn(111);
  const std::string_view safe_page = ControlTexts::BuiltIn(99);
  const std::string_view safe_list = ControlTexts::BuiltIn(104);
  EXPECT_EQ(FormatText(MessageTable::BuiltIn(msg::NotebookUnavailable),
                       {only_safe, safe_page, safe_list, safe_page, only_safe}),
            ControlTexts::BuiltIn(98));
}

TEST(ControlTargets, FindTheLineOfATarget) {
  EXPECT_EQ(ControlLineOf("TMainForm", "ButtonOk", P::Hint), 8);
  EXPECT_EQ(ControlLineOf("TAboutForm", "ButtonOk", P::Hint), 36);
  EXPECT_EQ(ControlLineOf("TAddonsForm", "ListView", P::Column, 1), 45);
  EXPECT_EQ(ControlLineOf("TQuestionForm", "ButtonYes", P::Caption), 134);
  EXPECT_EQ(ControlLineOf("TMainForm", "ButtonOk", P::MenuCaption), std::nullopt);
  EXPECT_EQ(ControlLineOf("TAddonsForm", "ListView", P::Column, 2), std::nullopt);
  EXPECT_EQ(ControlLineOf("TMainForm", "", P::Unused), std::nullopt);
  EXPECT_EQ(ControlLineOf("TNoForm", "ButtonOk", P::Caption), std::nullopt);
}

TEST(ControlTexts, StartWithTheBuiltInTexts) {
  const ControlTexts texts;
  for (int line = 1; line <= 134; ++line) EXPECT_EQ(texts.Text(line), ControlTexts::BuiltIn(line));
  EXPECT_EQ(texts.Text("TOptionsForm", "TabSheet1", P::Caption), "Ogólnie");
  EXPECT_EQ(texts.Text(0), "");
  EXPECT_EQ(texts.Text(135), "");
}

TEST(ControlTexts, TheLaterOfTwoLinesForOneTargetIsShown) {
  ControlTexts texts;
  ASSERT_TRUE(texts.Set(133, "&Yes"));
  ASSERT_TRUE(texts.Set(134, "Y&es"));
  EXPECT_EQ(texts.Text("TQuestionForm", "ButtonYes", P::Caption), "Y&es");
  EXPECT_EQ(texts.Text(133), "&Yes");
}

TEST(ControlTexts, UnusedLinesAreKeptButShownNowhere) {
  ControlTexts texts;
  ASSERT_TRUE(texts.Set(22, "old item"));
  EXPECT_EQ(texts.Text(22), "old item");
  EXPECT_EQ(texts.Text("TMainForm", "", P::Unused), "");
}

TEST(ControlTexts, SetTakesAnyTextOnlyForItsLines) {
  ControlTexts texts;
  EXPECT_TRUE(texts.Set(1, ""));
  EXPECT_EQ(texts.Text(1), "");
  EXPECT_TRUE(texts.Set(2, "100% %s \\n"));
  EXPECT_EQ(texts.Text(2), "100% %s \\n");
  EXPECT_FALSE(texts.Set(0, "x"));
  EXPECT_FALSE(texts.Set(135, "x"));
}

}  // namespace
}  // namespace lw
