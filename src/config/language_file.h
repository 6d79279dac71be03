#pragma once
// Language files: 257 lines in the system's ANSI code page, line k always for the same target.
// Lines 1-134 are control texts, lines 135-257 the message texts. There is no header, no key and
// no comment syntax; every line counts, an empty one too.
//
// Reading rules:
// - A line ends at LF, at CR (the byte after the CR is skipped, whatever it is, so CR LF ends
//   one line) or at the end of the file; a last line without a line end is a complete line.
// - Everything up to and including the first '|' of a line is a label of the translator's and
//   is dropped; a line without '|' is text as a whole.
// - Control lines are taken as they are. A control line missing at the end of the file empties
//   its target.
// - Message lines are unescaped (see ReadMessageText) and cut to the message's capacity. A
//   message line missing at the end of the file leaves its message as it is.

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "config/control_texts.h"
#include "config/messages.h"

namespace lw {

class AnsiCodec;

// The texts of one file, decoded to UTF-8.
struct ParsedLanguage {
  std::array<std::string, kControlLineCount> controls;             // lines 1-134
  std::array<std::optional<std::string>, kMessageCount> messages;  // lines 135-257

  // The text of a control line; "" outside 1-134.
  std::string_view Control(int line) const;
  // The text of a message line; none when the file lacks it or outside 135-257.
  std::optional<std::string_view> Message(int line) const;
};

// Reads the texts of a language file from its bytes, decoding them with the codec. The capacity
// of a message counts decoded characters.
ParsedLanguage ParseLanguageFile(std::string_view bytes, const AnsiCodec& codec);

// A message line's text (label already dropped, UTF-8) as the message keeps it. Characters are
// stored one by one; when one arrives while the last stored character is a backslash, that
// backslash is removed and the pair becomes: a BEL, b BS, f FF, n LF, r CR, t TAB, v VT, and a
// backslash a backslash again, which then combines with the next character in the same way;
// with any other character the pair is dropped. A backslash still last when the line ends is
// dropped. Once `capacity` characters are stored, the first character that would need a place
// of its own ends the text: it and the rest of the line are skipped.
std::string ReadMessageText(std::string_view text, std::size_t capacity);

// Sets every control line and every message line the file holds. A message the table refuses
// (placeholders that differ from the built-in text's) keeps its current text.
void ApplyLanguage(const ParsedLanguage& language, MessageTable& messages, ControlTexts& controls);

// The most of a language file that is read.
inline constexpr std::size_t kMaxLanguageFileBytes = 4 << 20;

// Reads the file at `path` (UTF-8) and applies it. A file that cannot be opened changes nothing
// and gives false.
bool ApplyLanguageFile(const std::string& path, const AnsiCodec& codec, MessageTable& messages,
                       ControlTexts& controls);

// The language menu: the pattern that finds the language files in the program's directory
// (given with its trailing backslash), the caption of a found file (its name up to its first
// full stop), and the file chosen by a caption.
std::string LanguageSearchPattern(std::string_view program_dir);
std::string LanguageCaption(std::string_view file_name);
std::string LanguageFilePath(std::string_view program_dir, std::string_view name);

}  // namespace lw
