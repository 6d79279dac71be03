#include "config/messages.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "common/format.h"
#include "common/utf8.h"
#include "config/message_texts.h"

namespace lw {
namespace {

TEST(MessageTable, BuiltInTableCoversEveryLineInOrder) {
  ASSERT_EQ(kMessageCount, 123);
  for (int i = 0; i < kMessageCount; ++i)
    EXPECT_EQ(kBuiltInMessages[i].line, kFirstMessageLine + i);
}

// The placeholders each message is used with, as the using code supplies its arguments.
struct PlaceholderCase {
  int line;
  const char* kinds;
};

constexpr PlaceholderCase kPlaceholders[] = {
    {msg::NewVersion, "s"},
    {msg::AddonInstalled, "s"},
    {msg::AddonDownloading, "s"},
    {msg::ChooserNumberWithCodes, "iss"},
    {msg::ChooserNumberWithoutCodes, "s"},
    {msg::DelayElapsed, "ii"},
    {msg::AskAppDial, "s"},
    {msg::DialNotPermitted, "sss"},
    {msg::DialDenied, "sss"},
    {msg::AccelerationStart, "s"},
    {msg::NotSafeNumber, "sss"},
    {msg::ForeignCountry, "sss"},
    {msg::DangerRefused, "sss"},
    {msg::DangerDisconnectAfter, "siss"},
    {msg::DangerDoNothing, "sss"},
    {msg::DangerDoNothingOwn, "sss"},
    {msg::DangerAskWaitFor, "sss"},
    {msg::DangerAskCountdown, "sss"},
    {msg::DialAllowed, "sss"},
    {msg::AskAppHangUp, "s"},
    {msg::HangUpNotPermitted, "s"},
    {msg::HangUpDenied, "s"},
    {msg::HangUpAllowed, "s"},
    {msg::LogDialHeader, "ss"},
    {msg::LogEntryLine, "ss"},
    {msg::LogHangUpHeader, "ss"},
    {msg::StatusConnections, "i"},
    {msg::ConnectedNumberCountry, "ss"},
    {msg::ConnectedNumber, "s"},
    {msg::ConnectedSafe, "s"},
    {msg::ConnectedNotSafe, "s"},
    {msg::ConnectedForeignCountry, "ss"},
    {msg::ConnectedDangerHangUp, "ss"},
    {msg::ConnectedDangerHangUpAfter, "ssi"},
    {msg::ConnectedDangerDoNothing, "ss"},
    {msg::ConnectedDangerWaitForInfo, "ss"},
    {msg::ConnectedDangerWaitForAsk, "ss"},
    {msg::ConnectedDangerCountdownInfo, "ss"},
    {msg::ConnectedDangerCountdownAsk, "ss"},
    {msg::StatsCaption, "is"},
    {msg::EntryNotFound, "s"},
    {msg::LoginNumberWithoutArea, "s"},
    {msg::NoPassword, "s"},
    {msg::AcceleratedDialling, "sss"},
    {msg::ExtensionKeyInvalid, "s"},
    {msg::NotebookUnavailable, "sssss"},
    {msg::ChooseDangerAction, "s"},
    {msg::UnsafeSettingsAsk, "ssss"},
    {msg::OnlySafeSwitchedOn, "s"},
    {msg::CountdownLine, "i"},
};

std::string ExpectedKinds(int line) {
  for (const PlaceholderCase& c : kPlaceholders) {
    if (c.line == line) return c.kinds;
  }
  return "";
}

TEST(MessageTable, EveryBuiltInTextFitsItsCapacityAndHasItsPlaceholders) {
  for (int line = kFirstMessageLine; line <= kLastMessageLine; ++line) {
    SCOPED_TRACE(line);
    const std::string_view text = MessageTable::BuiltIn(line);
    EXPECT_FALSE(text.empty());
    // The capacity counts the text alone; every built-in text would still fit with a terminator.
    EXPECT_LT(Utf8Length(text), MessageTable::Capacity(line));
    EXPECT_EQ(PlaceholderKinds(text), ExpectedKinds(line));
  }
}

TEST(MessageTable, StartsWithTheBuiltInTexts) {
  const MessageTable table;
  for (int line = kFirstMessageLine; line <= kLastMessageLine; ++line) {
    EXPECT_EQ(table.Text(line), MessageTable::BuiltIn(line)) << line;
  }
  EXPECT_EQ(table.Text(msg::NoConnections), "Nie ma aktywnych połączeń telefonicznych.");
  EXPECT_EQ(table.Text(msg::AlreadyRunning),
            "Już jestem uruchomiony...\r\nZobacz na pasku zadań  :o)");
  EXPECT_EQ(table.Text(msg::CountdownLine), "Odpowiem NIE za: %i sekund");
  EXPECT_EQ(table.Text(msg::NewVersion),
            "Jest nowa wersja (%s) LarkWatch dostępna na stronie http://www.larkwatch.pl\r\n"
            "Pobieram nową wersję w celu zapewnienia lepszej ochrony komputera...");
  EXPECT_EQ(table.Text(msg::AcceleratedDialling).find(".\rMożna") != std::string::npos, true);
  EXPECT_EQ(table.Text(msg::TranslatorName), "LarkWatch");
  EXPECT_EQ(table.Text(msg::TranslatorWeb), "http://www.larkwatch.pl");
  EXPECT_EQ(table.Text(msg::TranslatorMail), "autor@larkwatch.pl");
}

TEST(MessageTable, KnowsTheCapacities) {
  EXPECT_EQ(MessageTable::Capacity(135), 155u);
  EXPECT_EQ(MessageTable::Capacity(msg::LogDialAllowed), 15u);
  EXPECT_EQ(MessageTable::Capacity(msg::TranslatorName), 20u);
  EXPECT_EQ(MessageTable::Capacity(msg::TranslatorWeb), 35u);
  EXPECT_EQ(MessageTable::Capacity(msg::TranslatorMail), 26u);
  EXPECT_EQ(MessageTable::Capacity(250), 273u);
  EXPECT_EQ(MessageTable::Capacity(msg::CountdownLine), 33u);
}

TEST(MessageTable, LinesOutsideTheTableGiveNothing) {
  MessageTable table;
  for (int line : {-1, 0, 1, 134, 258, 1000}) {
    EXPECT_EQ(table.Text(line), "");
    EXPECT_EQ(MessageTable::Capacity(line), 0u);
    EXPECT_EQ(MessageTable::BuiltIn(line), "");
    EXPECT_FALSE(table.Set(line, "x"));
  }
}

struct SetCase {
  const char* name;
  int line;
  std::string text;
  bool taken;
};

TEST(MessageTable, TakesOnlyTextsWithTheBuiltInPlaceholders) {
  const SetCase cases[] = {
      {"same placeholders", msg::DialDenied, "App %s refused, number %s, country %s", true},
      {"integer spelt %d", msg::CountdownLine, "No in %d s", true},
      {"percent sign doubled", msg::CountdownLine, "%i s (100%%)", true},
      {"no placeholders where none stood", msg::LogDialAllowed, "Done", true},
      {"empty text where none stood", msg::LogDialAllowed, "", true},
      {"text where an integer stood", msg::CountdownLine, "No in %s s", false},
      {"one placeholder too many", msg::DialDenied, "%s %s %s %s", false},
      {"one placeholder too few", msg::DialDenied, "%s %s", false},
      {"integer and text swapped", msg::DelayElapsed, "%i min", false},
      {"order swapped", msg::DangerDisconnectAfter, "%s %s %i %s", false},
      {"empty text where placeholders stood", msg::AskAppDial, "", false},
      {"unknown conversion", msg::AskAppDial, "%s %x", false},
      {"lone percent sign", msg::LogDialAllowed, "100% done", false},
      {"percent sign at the end", msg::LogDialAllowed, "100%", false},
      {"placeholder in a plain text", msg::LogDialAllowed, "%s", false},
      {"translator's name takes anything", msg::TranslatorName, "Jan %s 100%", true},
      {"translator's web takes anything", msg::TranslatorWeb, "http://a.b/%7Ex", true},
      {"translator's mail takes anything", msg::TranslatorMail, "%i@x", true},
  };
  for (const SetCase& c : cases) {
    SCOPED_TRACE(c.name);
    MessageTable table;
    EXPECT_EQ(table.Set(c.line, c.text), c.taken);
    EXPECT_EQ(table.Text(c.line), c.taken ? c.text : std::string(MessageTable::BuiltIn(c.line)));
  }
}

TEST(MessageTable, RefusalKeepsTheCurrentText) {
  MessageTable table;
  ASSERT_TRUE(table.Set(msg::CountdownLine, "No in %i"));
  EXPECT_FALSE(table.Set(msg::CountdownLine, "No in %s"));
  EXPECT_EQ(table.Text(msg::CountdownLine), "No in %i");
}

TEST(MessageTable, CutsAtTheCapacityInCharacters) {
  MessageTable table;
  const std::size_t capacity = MessageTable::Capacity(msg::LogDialAllowed);  // 15
  EXPECT_TRUE(table.Set(msg::LogDialAllowed, std::string(40, 'x')));
  EXPECT_EQ(table.Text(msg::LogDialAllowed), std::string(capacity, 'x'));

  // Two-byte letters: 15 of them are 30 bytes, and the cut falls between letters.
  std::string letters;
  for (int i = 0; i < 20; ++i) letters += "ą";
  EXPECT_TRUE(table.Set(msg::LogDialAllowed, letters));
  EXPECT_EQ(Utf8Length(table.Text(msg::LogDialAllowed)), capacity);
  EXPECT_EQ(table.Text(msg::LogDialAllowed).size(), capacity * 2);

  // A letter straddling the capacity is left out whole, also after an odd number of bytes.
  const std::string mixed = std::string(14, 'x') + "€€";
  EXPECT_TRUE(table.Set(msg::LogDialAllowed, mixed));
  EXPECT_EQ(table.Text(msg::LogDialAllowed), std::string(14, 'x') + "€");
}

TEST(MessageTable, PlaceholderCutOffByTheCapacityIsRefused) {
  MessageTable table;
  // 33 characters of text push the placeholder past the capacity of the countdown line.
  EXPECT_FALSE(table.Set(msg::CountdownLine, std::string(32, 'x') + "%i"));
  EXPECT_EQ(table.Text(msg::CountdownLine), MessageTable::BuiltIn(msg::CountdownLine));
}

TEST(MessageTable, ReadsWhileAnotherThreadWrites) {
  MessageTable table;
  std::thread writer([&table] {
    for (int i = 0; i < 2000; ++i) table.Set(msg::StatusConnections, i % 2 ? "A %i" : "Bb %i");
  });
  for (int i = 0; i < 2000; ++i) {
    const std::string text = table.Text(msg::StatusConnections);
    ASSERT_EQ(PlaceholderKinds(text), "i");
  }
  writer.join();
}

}  // namespace
}  // namespace lw
