#pragma once
// The table of message texts: every message box, question, notice, status text, log text and
// format the program shows is looked up here at the moment of use, so that a language file can
// replace it. A message is known by its line in a language file, 135 to 257.

#include <array>
#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>

#include "config/message_lines.h"

namespace lw {

inline constexpr int kFirstMessageLine = 135;
inline constexpr int kLastMessageLine = 257;
inline constexpr int kMessageCount = kLastMessageLine - kFirstMessageLine + 1;

// The current texts (UTF-8). The main thread replaces them when a language file is applied
// while request threads read them, so every access is locked; readers get a copy.
class MessageTable {
 public:
  // Every message holds its built-in text.
  MessageTable();

  // The current text of a message line; "" for a line that is not a message.
  std::string Text(int line) const;

  // The capacity of a message in characters; 0 for a line that is not a message. The capacity
  // counts the characters of the text alone (no terminator), and every built-in text fits it.
  static std::size_t Capacity(int line);

  // The built-in text of a message line; "" for a line that is not a message.
  static std::string_view BuiltIn(int line);

  // Replaces the text of a message line. A text longer than the capacity is cut to it, counting
  // characters, so a cut never splits a character's bytes.
  //
  // Texts that carry placeholders are used as formats with the arguments of the built-in text.
  // So a text is refused (false; the current text stays) unless its placeholders match those of
  // the built-in text after the cut: the same number, the same kinds (text or integer) in the
  // same order, and no '%' that is not a placeholder we know ("%%" stands for a percent sign and
  // is allowed). This holds for texts without placeholders too, which must then have none. The
  // translator's name, web address and e-mail address are never used as formats and take any
  // text. A line that is not a message is refused.
  bool Set(int line, std::string text);

 private:
  mutable std::mutex mutex_;
  std::array<std::string, kMessageCount> texts_;
};

}  // namespace lw
