#include "config/language_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "common/codec.h"
#include "common/format.h"
#include "common/utf8.h"

namespace lw {
namespace {

const Cp1250Codec kCodec;

// A control line as a translator writes it (cp1250 bytes, with a label) and the text it gives.
std::string ControlLine(int line) {
  return "c" + std::to_string(line) + "|Kontrolka \xB9 " + std::to_string(line);
}
std::string ControlText(int line) { return "Kontrolka ą " + std::to_string(line); }

// A message line that keeps the placeholders of the built-in text, and the text it gives.
std::string Placeholders(int line) {
  std::string out;
  for (char kind : PlaceholderKinds(MessageTable::BuiltIn(line)))
    out += kind == 's' ? " %s" : " %i";
  return out;
}
std::string MessageLine(int line) {
  return "m" + std::to_string(line) + "|Wiadomo\x9C\xE6 " + std::to_string(line) +
         Placeholders(line);
}
std::string MessageText(int line) {
  return "Wiadomość " + std::to_string(line) + Placeholders(line);
}

std::string LineOf(int line) {
  return line <= kLastControlLine ? ControlLine(line) : MessageLine(line);
}

// The first `count` lines of a complete file, each ended by `eol`.
std::string File(int count, std::string_view eol) {
  std::string file;
  for (int line = 1; line <= count; ++line) file += LineOf(line) + std::string(eol);
  return file;
}

// A file of the given lines: all the others as in a complete file.
std::string FileWith(const std::vector<std::pair<int, std::string>>& changed, int count = 257) {
  std::vector<std::string> lines;
  for (int line = 1; line <= count; ++line) lines.push_back(LineOf(line));
  for (const auto& [line, text] : changed) lines[static_cast<std::size_t>(line - 1)] = text;
  std::string file;
  for (const std::string& text : lines) file += text + "\r\n";
  return file;
}

struct Tables {
  MessageTable messages;
  ControlTexts controls;
  void Apply(std::string_view bytes) {
    ApplyLanguage(ParseLanguageFile(bytes, kCodec), messages, controls);
  }
};

void ExpectEveryTextReplaced(const Tables& t) {
  for (int line = 1; line <= kLastControlLine; ++line)
    EXPECT_EQ(t.controls.Text(line), ControlText(line)) << line;
  for (int line = kFirstMessageLine; line <= kLastMessageLine; ++line) {
    EXPECT_EQ(t.messages.Text(line), MessageText(line)) << line;
  }
}

TEST(LanguageFile, CompleteFileWithCrLfReplacesEveryText) {
  Tables t;
  t.Apply(File(257, "\r\n"));
  ExpectEveryTextReplaced(t);
}

// A CR takes the byte after it along, so with CR alone the first byte of every following line
// is lost; the files here begin every line with a label, whose first byte is what goes.
TEST(LanguageFile, EveryKindOfLineEndGivesTheSameTexts) {
  const std::string crlf = File(257, "\r\n");
  const ParsedLanguage expected = ParseLanguageFile(crlf, kCodec);
  std::string mixed;
  for (int line = 1; line <= 257; ++line)
    mixed += LineOf(line) + (line % 3 == 0 ? "\n" : line % 3 == 1 ? "\r\n" : "\r");
  for (const std::string& file : {File(257, "\n"), File(257, "\r"), File(257, "\r\xFF"), mixed}) {
    const ParsedLanguage parsed = ParseLanguageFile(file, kCodec);
    EXPECT_EQ(parsed.controls, expected.controls);
    EXPECT_EQ(parsed.messages, expected.messages);
  }
  Tables t;
  t.Apply(File(257, "\n"));
  ExpectEveryTextReplaced(t);
}

TEST(LanguageFile, LastLineWithoutLineEndIsComplete) {
  std::string file = File(257, "\n");
  file.pop_back();
  Tables t;
  t.Apply(file);
  ExpectEveryTextReplaced(t);
}

struct SplitCase {
  const char* name;
  std::string bytes;
  std::vector<std::string> lines;  // the texts of lines 1, 2, ...; the rest are missing
};

TEST(LanguageFile, SplitsLinesAsTheFileSays) {
  const SplitCase cases[] = {
      {"empty file", "", {}},
      {"one line without line end", "a", {"a"}},
      {"LF", "a\nb\n", {"a", "b"}},
      {"CR LF", "a\r\nb\r\n", {"a", "b"}},
      {"CR alone takes the first byte of the next line", "a\rbc\rde", {"a", "c", "e"}},
      {"CR takes any byte after it", "a\rXb\n", {"a", "b"}},
      {"CR takes a following CR", "a\r\rb", {"a", "b"}},
      {"CR takes a following letter of the code page",
       "a\r\xB9"
       "b",
       {"a", "b"}},
      {"LF CR is two line ends", "a\n\rXb", {"a", "", "b"}},
      {"LF LF is an empty line", "a\n\nb", {"a", "", "b"}},
      {"CR as the last byte", "a\r", {"a"}},
      {"empty lines count", "\n\n\n", {"", "", ""}},
      {"NUL is text", std::string("a\0b\n", 4), {std::string("a\0b", 3)}},
  };
  for (const SplitCase& c : cases) {
    SCOPED_TRACE(c.name);
    const ParsedLanguage parsed = ParseLanguageFile(c.bytes, kCodec);
    for (int line = 1; line <= kLastControlLine; ++line) {
      const std::size_t i = static_cast<std::size_t>(line - 1);
      EXPECT_EQ(parsed.Control(line), i < c.lines.size() ? c.lines[i] : "") << line;
    }
    for (int line = kFirstMessageLine; line <= kLastMessageLine; ++line)
      EXPECT_FALSE(parsed.Message(line));
  }
}

TEST(LanguageFile, LabelIsDroppedUpToTheFirstBar) {
  const ParsedLanguage parsed = ParseLanguageFile(
      "Etykieta|Tekst|z|kreskami\n|po kresce\nbez etykiety\nkoniec|\n|\n", kCodec);
  EXPECT_EQ(parsed.Control(1), "Tekst|z|kreskami");
  EXPECT_EQ(parsed.Control(2), "po kresce");
  EXPECT_EQ(parsed.Control(3), "bez etykiety");
  EXPECT_EQ(parsed.Control(4), "");
  EXPECT_EQ(parsed.Control(5), "");
}

TEST(LanguageFile, ControlLinesAreTakenAsTheyAre) {
  const ParsedLanguage parsed = ParseLanguageFile(
      FileWith({{125, "filtr|Programy (*.exe)|*.exe"}, {2, "a\\nb %s 100%"}}), kCodec);
  EXPECT_EQ(parsed.Control(125), "Programy (*.exe)|*.exe");
  EXPECT_EQ(parsed.Control(2), "a\\nb %s 100%");
}

TEST(LanguageFile, MessageLineWithLabelAndEscapeGivesTwoLines) {
  const ParsedLanguage parsed =
      ParseLanguageFile(FileWith({{msg::TrayHangingUp, "etykieta|jeden\\ndwa"}}), kCodec);
  EXPECT_EQ(parsed.Message(msg::TrayHangingUp), "jeden\ndwa");
}

struct EscapeCase {
  const char* name;
  std::string text;
  std::size_t capacity;
  std::string stored;
};

TEST(LanguageFile, UnescapesMessageTexts) {
  const EscapeCase cases[] = {
      {"every escape", "\\a\\b\\f\\n\\r\\t\\v", 100, "\a\b\f\n\r\t\v"},
      {"escaped backslash combines again", "x\\\\ny", 100, "x\ny"},
      {"unknown escape dropped with its backslash", "a\\xb\\Zc\\ d", 100, "abcd"},
      {"escaped letter of two bytes dropped", "a\\ąb", 100, "ab"},
      {"single backslash at the end", "ab\\", 100, "ab"},
      {"escaped backslash at the end", "ab\\\\", 100, "ab"},
      {"only a backslash", "\\", 100, ""},
      {"four backslashes", "\\\\\\\\", 100, ""},
      {"escape of a produced backslash with t", "\\\\t", 100, "\t"},
      {"percent signs untouched", "100%% %s", 100, "100%% %s"},
      {"cut at the capacity", "abcdef", 3, "abc"},
      {"cut counts characters, not bytes", "ąęćź", 2, "ąę"},
      {"escape completes at the capacity", "ab\\nXYZ", 3, "ab\n"},
      {"backslash beyond the capacity skipped", "abc\\n", 3, "abc"},
      {"dropped pair frees a place", "ab\\zc", 3, "abc"},
      {"rest of the line skipped after the cut", "abcd\\n\\n", 3, "abc"},
      {"capacity zero", "abc", 0, ""},
      {"empty text", "", 10, ""},
  };
  for (const EscapeCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ReadMessageText(c.text, c.capacity), c.stored);
  }
}

TEST(LanguageFile, TwoBackslashesAndNGiveOneLineFeed) {
  const ParsedLanguage parsed =
      ParseLanguageFile(FileWith({{msg::TrayHangingUp, "a\\\\nb"}}), kCodec);
  EXPECT_EQ(parsed.Message(msg::TrayHangingUp), "a\nb");
}

TEST(LanguageFile, OverlongMessageIsCutAndTheNextLineIsStillTheNextMessage) {
  const int line = msg::LogDialAllowed;  // capacity 15
  Tables t;
  t.Apply(FileWith({{line, "x|" + std::string(100, 'y') + "\\n|more"}, {line + 1, "Nast\xEApna"}}));
  EXPECT_EQ(t.messages.Text(line), std::string(15, 'y'));
  EXPECT_EQ(t.messages.Text(line + 1), "Następna");
  EXPECT_EQ(t.messages.Text(line + 2), MessageText(line + 2));
}

TEST(LanguageFile, CapacityCountsDecodedCharactersAndNeverSplitsOne) {
  const int line = msg::LogDialAllowed;  // capacity 15
  Tables t;
  t.Apply(FileWith({{line, std::string(20, '\xB9')}}));
  const std::string text = t.messages.Text(line);
  EXPECT_EQ(Utf8Length(text), 15u);
  EXPECT_EQ(text.size(), 30u);
  for (std::size_t i = 0; i < text.size(); i += 2) EXPECT_EQ(text.substr(i, 2), "ą");
}

TEST(LanguageFile, DecodesTheUpperHalfOfTheCodePage) {
  Tables t;
  t.Apply(FileWith({{1, "\xA5\xB9\xB3\xA3\x9C\x8C\x9F\xBF\xE6\xEA\xF1\xF3"},
                    {msg::TrayHangingUp, "\xA5\xB9\xB3\x9C..."}}));
  EXPECT_EQ(t.controls.Text(1), "ĄąłŁśŚźżćęńó");
  EXPECT_EQ(t.messages.Text(msg::TrayHangingUp), "Ąąłś...");
}

TEST(LanguageFile, FileOfOnlyControlLinesLeavesEveryMessage) {
  Tables t;
  ASSERT_TRUE(t.messages.Set(msg::CountdownLine, "Earlier %i"));
  t.Apply(File(134, "\r\n"));
  for (int line = 1; line <= kLastControlLine; ++line)
    EXPECT_EQ(t.controls.Text(line), ControlText(line));
  for (int line = kFirstMessageLine; line < kLastMessageLine; ++line) {
    EXPECT_EQ(t.messages.Text(line), MessageTable::BuiltIn(line));
  }
  EXPECT_EQ(t.messages.Text(msg::CountdownLine), "Earlier %i");
}

TEST(LanguageFile, ShortFileEmptiesTheMissingControlLines) {
  Tables t;
  t.Apply(File(40, "\n"));
  for (int line = 1; line <= 40; ++line) EXPECT_EQ(t.controls.Text(line), ControlText(line));
  for (int line = 41; line <= kLastControlLine; ++line)
    EXPECT_EQ(t.controls.Text(line), "") << line;
  for (int line = kFirstMessageLine; line <= kLastMessageLine; ++line) {
    EXPECT_EQ(t.messages.Text(line), MessageTable::BuiltIn(line));
  }
}

TEST(LanguageFile, FileEndingAmongTheMessagesLeavesTheRest) {
  Tables t;
  t.Apply(File(200, "\r\n"));
  for (int line = kFirstMessageLine; line <= 200; ++line)
    EXPECT_EQ(t.messages.Text(line), MessageText(line));
  for (int line = 201; line <= kLastMessageLine; ++line)
    EXPECT_EQ(t.messages.Text(line), MessageTable::BuiltIn(line));
}

TEST(LanguageFile, EmptyLineAfterTheLastLineEndIsALine) {
  // Line 201 is present and empty; line 202 is missing.
  const ParsedLanguage parsed = ParseLanguageFile(File(200, "\n") + "\n", kCodec);
  EXPECT_EQ(parsed.Message(201), "");
  EXPECT_FALSE(parsed.Message(202));
}

TEST(LanguageFile, LinesAfterTheLastAreIgnored) {
  Tables t;
  t.Apply(File(257, "\n") + "extra|line\nand|more\n");
  ExpectEveryTextReplaced(t);
}

TEST(LanguageFile, MessagesWithOtherPlaceholdersKeepTheirText) {
  struct Case {
    const char* name;
    int line;
    std::string text;
  };
  const Case cases[] = {
      {"text where an integer stood", msg::CountdownLine, "x|Answer NO in %s seconds"},
      {"one placeholder too many", msg::DialDenied, "x|%s %s %s %s"},
      {"swapped order", msg::DangerDisconnectAfter, "x|%s %s %s %i"},
      {"placeholder dropped", msg::AskAppDial, "x|Application?"},
      {"unknown conversion", msg::AskAppDial, "x|%p"},
      {"placeholder in a plain message", msg::LogDialAllowed, "x|%s"},
      {"lone percent sign", msg::TrayHangingUp, "x|100% done"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Tables t;
    t.Apply(FileWith({{c.line, c.text}}));
    EXPECT_EQ(t.messages.Text(c.line), MessageTable::BuiltIn(c.line));
    EXPECT_EQ(t.messages.Text(c.line - 1), MessageText(c.line - 1));
  }
}

TEST(LanguageFile, TranslatorItemsTakeTheLoadedTexts) {
  Tables t;
  t.Apply(FileWith({{msg::TranslatorName, "n|Jan Kowalski"},
                    {msg::TranslatorWeb, "w|http://example.org/~jan"},
                    {msg::TranslatorMail, "m|jan@example.org"}}));
  EXPECT_EQ(t.messages.Text(msg::TranslatorName), "Jan Kowalski");
  EXPECT_EQ(t.messages.Text(msg::TranslatorWeb), "http://example.org/~jan");
  EXPECT_EQ(t.messages.Text(msg::TranslatorMail), "jan@example.org");
}

TEST(LanguageFile, SecondLanguageEmptiesMissingControlsAndKeepsMissingMessages) {
  Tables t;
  t.Apply(File(257, "\n"));
  t.Apply("only|one line\n");
  EXPECT_EQ(t.controls.Text(1), "one line");
  EXPECT_EQ(t.controls.Text(2), "");
  for (int line = kFirstMessageLine; line <= kLastMessageLine; ++line)
    EXPECT_EQ(t.messages.Text(line), MessageText(line));
}

// Random files, with the characters that matter to the reader made frequent, never crash the
// reader and never leave a message that cannot be used with its arguments.
TEST(LanguageFile, RandomFilesKeepEveryMessageUsable) {
  std::mt19937 random(20240601);
  const std::string frequent = "\n\r\r|\\\\%%%siduxn ab";
  std::vector<std::string> built_in_kinds;
  for (int line = kFirstMessageLine; line <= kLastMessageLine; ++line) {
    built_in_kinds.push_back(PlaceholderKinds(MessageTable::BuiltIn(line)));
  }
  Tables t;
  int replaced = 0;
  for (int round = 0; round < 2000; ++round) {
    std::string file;
    const int length = std::uniform_int_distribution<int>(0, round % 10 == 0 ? 200 : 5000)(random);
    for (int i = 0; i < length; ++i) {
      const std::uint32_t r = random();
      file += r % 3 == 0 ? static_cast<char>(r >> 24) : frequent[(r >> 8) % frequent.size()];
    }
    t.Apply(file);
    for (int line = kFirstMessageLine; line <= kLastMessageLine; ++line) {
      const std::string text = t.messages.Text(line);
      if (text != MessageTable::BuiltIn(line)) ++replaced;
      ASSERT_LE(Utf8Length(text), MessageTable::Capacity(line)) << line;
      for (std::size_t pos = 0; pos < text.size(); pos += NextUtf8Char(text, pos).length) {
        ASSERT_TRUE(NextUtf8Char(text, pos).valid) << line;
      }
      if (line >= msg::TranslatorName && line <= msg::TranslatorMail) continue;
      ASSERT_EQ(PlaceholderKinds(text), built_in_kinds[line - kFirstMessageLine]) << line;
    }
  }
  // The files did reach the messages.
  EXPECT_GT(replaced, 2000);
}

class LanguageFileOnDisk : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("lw_lang_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    program_dir_ = dir_.string() + static_cast<char>(std::filesystem::path::preferred_separator);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  void Write(const std::string& name, const std::string& bytes) {
    std::ofstream(dir_ / name, std::ios::binary) << bytes;
  }

  std::filesystem::path dir_;
  std::string program_dir_;
};

TEST_F(LanguageFileOnDisk, AppliesAFileChosenByItsName) {
  Write("Polski.lng", File(257, "\r\n"));
  Tables t;
  EXPECT_TRUE(
      ApplyLanguageFile(LanguageFilePath(program_dir_, "Polski"), kCodec, t.messages, t.controls));
  ExpectEveryTextReplaced(t);
}

TEST_F(LanguageFileOnDisk, AHugeFileIsReadOnlyUpToTheBound) {
  Write("Huge.lng", std::string(kMaxLanguageFileBytes + 4096, 'x') + "\r\nnever read\r\n");
  Tables t;
  EXPECT_TRUE(
      ApplyLanguageFile(LanguageFilePath(program_dir_, "Huge"), kCodec, t.messages, t.controls));
  EXPECT_EQ(t.controls.Text(1).size(), kMaxLanguageFileBytes);
  EXPECT_EQ(t.controls.Text(2), "");
  EXPECT_EQ(t.messages.Text(msg::DialAllowed), MessageTable::BuiltIn(msg::DialAllowed));
}

TEST_F(LanguageFileOnDisk, FileThatCannotBeOpenedChangesNothing) {
  Tables t;
  EXPECT_FALSE(
      ApplyLanguageFile(LanguageFilePath(program_dir_, "Brak"), kCodec, t.messages, t.controls));
  EXPECT_FALSE(ApplyLanguageFile(dir_.string(), kCodec, t.messages, t.controls));
  for (int line = 1; line <= kLastControlLine; ++line)
    EXPECT_EQ(t.controls.Text(line), ControlTexts::BuiltIn(line));
  for (int line = kFirstMessageLine; line <= kLastMessageLine; ++line) {
    EXPECT_EQ(t.messages.Text(line), MessageTable::BuiltIn(line));
  }
}

TEST_F(LanguageFileOnDisk, NameWithTwoFullStopsIsListedAndChosenByItsFirstPart) {
  Write("English.v2.lng", File(257, "\n"));
  const std::string caption = LanguageCaption("English.v2.lng");
  EXPECT_EQ(caption, "English");
  Tables t;
  EXPECT_FALSE(
      ApplyLanguageFile(LanguageFilePath(program_dir_, caption), kCodec, t.messages, t.controls));
  EXPECT_EQ(t.controls.Text(1), ControlTexts::BuiltIn(1));
  EXPECT_EQ(t.messages.Text(kFirstMessageLine), MessageTable::BuiltIn(kFirstMessageLine));
}

TEST(LanguageMenu, BuildsCaptionsPatternsAndPaths) {
  EXPECT_EQ(LanguageCaption("English.lng"), "English");
  EXPECT_EQ(LanguageCaption("Deutsch.alt.lng"), "Deutsch");
  EXPECT_EQ(LanguageCaption("bez kropki"), "bez kropki");
  EXPECT_EQ(LanguageCaption(".lng"), "");
  EXPECT_EQ(LanguageSearchPattern("C:\\LarkWatch\\"), "C:\\LarkWatch\\*.lng");
  EXPECT_EQ(LanguageFilePath("C:\\LarkWatch\\", "English"), "C:\\LarkWatch\\English.lng");
}

}  // namespace
}  // namespace lw
