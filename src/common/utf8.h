#pragma once
// Walking UTF-8 text one character at a time. Texts from language files are cut by a capacity
// counted in characters, so a cut must never split a character's bytes.

#include <cstddef>
#include <string>
#include <string_view>

namespace lw {

// One character of a UTF-8 text: its code point and how many bytes it takes. A malformed
// sequence (a stray continuation byte, an overlong form, a surrogate, a value beyond U+10FFFF or
// a sequence cut short) counts as one invalid character covering the longest prefix that could
// have started a valid sequence, and always at least one byte.
struct Utf8Char {
  char32_t code = 0;
  std::size_t length = 0;
  bool valid = false;
};

// The character starting at `pos` (which must be below text.size()).
Utf8Char NextUtf8Char(std::string_view text, std::size_t pos);

// Appends the UTF-8 form of a code point (at most U+10FFFF, not a surrogate).
void AppendUtf8(std::string& out, char32_t code);

// The number of characters of the text, an invalid sequence counting as one.
std::size_t Utf8Length(std::string_view text);

// The first `count` characters of the text (all of it when it is shorter).
std::string_view Utf8Prefix(std::string_view text, std::size_t count);

}  // namespace lw
