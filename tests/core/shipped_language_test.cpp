// The language files that ship with the program (lang/Polski.lng and lang/English.lng).

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>

#include "common/codec.h"
#include "common/format.h"
#include "common/utf8.h"
#include "config/control_texts.h"
#include "config/language_file.h"
#include "config/message_lines.h"
#include "config/messages.h"

namespace lw {
namespace {

const Cp1250Codec kCodec;

constexpr int kLineCount = kLastMessageLine;

// The files lie in lang/ of the source tree, found from this file's own path.
std::filesystem::path ShippedFile(std::string_view name) {
  return std::filesystem::path(__FILE__).parent_path().parent_path().parent_path() / "lang" /
         std::string(name);
}

// The bytes of a shipped file; none when it cannot be opened (under Wine the source path, a
// Unix path, may not open).
std::optional<std::string> ReadShipped(std::string_view name) {
  std::ifstream in(ShippedFile(name), std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

#define READ_SHIPPED_OR_SKIP(var, name)                                          \
  const std::optional<std::string> var = ReadShipped(name);                      \
  if (!var) {                                                                    \
    GTEST_SKIP() << "the shipped language file " << ShippedFile(name).string()   \
                 << " cannot be opened here (the source tree is not reachable)"; \
  }

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
  std::string out;
  std::size_t pos = 0;
  for (std::size_t found = text.find(from); found != std::string_view::npos;
       found = text.find(from, pos)) {
    out.append(text.substr(pos, found - pos)).append(to);
    pos = found + from.size();
  }
  return out.append(text.substr(pos));
}

// A control line cannot hold a line break, so line 98 (the options dialog's explanation for a
// page that is switched off, which the dialog formats again from message 227 after each load)
// carries its text with a space for each CR LF.
std::string AsControlLine(std::string_view text) { return ReplaceAll(text, "\r\n", " "); }

constexpr int kNotebookLine = 98;

// What the options dialog makes of message 227 with the captions of a language.
std::string NotebookExplanation(std::string_view format, const ParsedLanguage& language) {
  const std::string_view only_safe = language.Control(111);
  const std::string_view safe_page = language.Control(99);
  const std::string_view safe_list = language.Control(104);
  return FormatText(format, {only_safe, safe_page, safe_list, safe_page, only_safe});
}

struct Tables {
  MessageTable messages;
  ControlTexts controls;
};

void ExpectBuiltInTexts(const Tables& t) {
  for (int line = kFirstControlLine; line <= kLastControlLine; ++line) {
    const std::string_view built_in = ControlTexts::BuiltIn(line);
    if (line == kNotebookLine) {
      EXPECT_EQ(t.controls.Text(line), AsControlLine(built_in)) << "line " << line;
    } else {
      EXPECT_EQ(t.controls.Text(line), built_in) << "line " << line;
    }
  }
  for (int line = kFirstMessageLine; line <= kLastMessageLine; ++line) {
    EXPECT_EQ(t.messages.Text(line), MessageTable::BuiltIn(line)) << "line " << line;
  }
}

TEST(ShippedLanguage, PolishGivesBackEveryBuiltInText) {
  READ_SHIPPED_OR_SKIP(bytes, "Polski.lng");
  const ParsedLanguage polish = ParseLanguageFile(*bytes, kCodec);
  // The file's own texts, not only the tables: a refused message would keep its built-in text.
  for (int line = kFirstMessageLine; line <= kLastMessageLine; ++line) {
    EXPECT_EQ(polish.Message(line), MessageTable::BuiltIn(line)) << "line " << line;
  }
  for (int line : {21, 22, 23}) EXPECT_EQ(polish.Control(line), "") << "line " << line;
  EXPECT_EQ(polish.Control(134), polish.Control(133));
  EXPECT_EQ(NotebookExplanation(*polish.Message(msg::NotebookUnavailable), polish),
            ControlTexts::BuiltIn(kNotebookLine));

  Tables fresh;
  ApplyLanguage(polish, fresh.messages, fresh.controls);
  ExpectBuiltInTexts(fresh);
}

TEST(ShippedLanguage, PolishSwitchesBackFromEnglish) {
  READ_SHIPPED_OR_SKIP(english, "English.lng");
  READ_SHIPPED_OR_SKIP(polish, "Polski.lng");
  Tables t;
  ApplyLanguage(ParseLanguageFile(*english, kCodec), t.messages, t.controls);
  ASSERT_NE(t.messages.Text(msg::NoConnections), MessageTable::BuiltIn(msg::NoConnections));
  ApplyLanguage(ParseLanguageFile(*polish, kCodec), t.messages, t.controls);
  ExpectBuiltInTexts(t);
}

TEST(ShippedLanguage, EnglishMessagesAreAllTakenAndKeepTheirPlaceholders) {
  READ_SHIPPED_OR_SKIP(bytes, "English.lng");
  const ParsedLanguage english = ParseLanguageFile(*bytes, kCodec);
  MessageTable table;
  for (int line = kFirstMessageLine; line <= kLastMessageLine; ++line) {
    const std::optional<std::string_view> text = english.Message(line);
    ASSERT_TRUE(text.has_value()) << "line " << line;
    const std::string_view built_in = MessageTable::BuiltIn(line);
    EXPECT_LE(Utf8Length(*text), MessageTable::Capacity(line)) << "line " << line;
    EXPECT_EQ(PlaceholderKinds(*text), PlaceholderKinds(built_in)) << "line " << line;
    EXPECT_TRUE(table.Set(line, std::string(*text))) << "line " << line;
    EXPECT_EQ(table.Text(line), *text) << "line " << line;
    // The translator's web and mail addresses are the same in both languages.
    if (line != msg::TranslatorWeb && line != msg::TranslatorMail) {
      EXPECT_NE(*text, built_in) << "line " << line;
    }
  }
  EXPECT_EQ(english.Message(msg::TranslatorName), "LarkWatch team");
  EXPECT_EQ(english.Message(msg::TranslatorWeb), "http://www.larkwatch.pl");
  EXPECT_EQ(english.Message(msg::TranslatorMail), "autor@larkwatch.pl");
}

TEST(ShippedLanguage, EnglishReplacesEveryControlText) {
  READ_SHIPPED_OR_SKIP(bytes, "English.lng");
  const ParsedLanguage english = ParseLanguageFile(*bytes, kCodec);
  Tables t;
  ApplyLanguage(english, t.messages, t.controls);
  for (int line = kFirstControlLine; line <= kLastControlLine; ++line) {
    const std::string_view text = english.Control(line);
    EXPECT_EQ(t.controls.Text(line), text) << "line " << line;
    const std::string_view built_in = ControlTexts::BuiltIn(line);
    if (line >= 21 && line <= 23) {
      EXPECT_EQ(text, "") << "line " << line;
    } else if (built_in == "OK" || built_in == "LarkWatch") {
      EXPECT_EQ(text, built_in) << "line " << line;
    } else {
      EXPECT_FALSE(text.empty()) << "line " << line;
      EXPECT_NE(text, built_in) << "line " << line;
    }
  }
  EXPECT_EQ(english.Control(134), english.Control(133));
  EXPECT_EQ(english.Control(125), "Applications (*.exe)|*.exe|All files (*.*)|*.*");
  EXPECT_EQ(
      english.Control(kNotebookLine),
      AsControlLine(NotebookExplanation(*english.Message(msg::NotebookUnavailable), english)));
}

TEST(ShippedLanguage, EnglishIsPlainAscii) {
  READ_SHIPPED_OR_SKIP(bytes, "English.lng");
  for (std::size_t i = 0; i < bytes->size(); ++i) {
    EXPECT_LT(static_cast<unsigned char>((*bytes)[i]), 0x80) << "byte " << i;
  }
}

// Every line ends with CR LF and starts with its number as a label.
void ExpectWellFormed(std::string_view bytes) {
  std::size_t pos = 0;
  int line = 0;
  while (pos < bytes.size()) {
    const std::size_t end = bytes.find_first_of("\r\n", pos);
    ASSERT_NE(end, std::string_view::npos) << "line " << line + 1 << " has no line end";
    ++line;
    ASSERT_EQ(bytes.substr(end, 2), "\r\n") << "line " << line << " does not end with CR LF";
    char label[8];
    std::snprintf(label, sizeof label, "%03d|", line);
    EXPECT_EQ(bytes.substr(pos, 4), label) << "line " << line;
    pos = end + 2;
  }
  EXPECT_EQ(line, kLineCount);
}

TEST(ShippedLanguage, BothFilesHaveTheirLinesEndedByCrLf) {
  for (std::string_view name : {"Polski.lng", "English.lng"}) {
    SCOPED_TRACE(std::string(name));
    READ_SHIPPED_OR_SKIP(bytes, name);
    ExpectWellFormed(*bytes);
  }
}

}  // namespace
}  // namespace lw
