#pragma once
// Conversion between the system's ANSI code page (the bytes of request fields, list entries,
// language files and the log) and the UTF-8 used for texts inside the program.

#include <string>
#include <string_view>

namespace lw {

class AnsiCodec {
 public:
  virtual ~AnsiCodec() = default;
  // ANSI bytes to UTF-8. Every byte maps to some character; nothing is dropped.
  virtual std::string ToUtf8(std::string_view ansi) const = 0;
  // UTF-8 to ANSI bytes. A character the code page lacks becomes '?'; malformed UTF-8 bytes
  // become '?' too.
  virtual std::string FromUtf8(std::string_view utf8) const = 0;
  // Whole-string comparison of two ANSI texts without regard to letter case, as the system
  // compares file paths.
  virtual bool EqualsIgnoreCase(std::string_view a, std::string_view b) const = 0;
};

// Code page 1250 (Central European), carried by the core so that builds without a system code
// page (and tests on any system) behave as a Polish Windows does.
class Cp1250Codec final : public AnsiCodec {
 public:
  std::string ToUtf8(std::string_view ansi) const override;
  std::string FromUtf8(std::string_view utf8) const override;
  bool EqualsIgnoreCase(std::string_view a, std::string_view b) const override;
};

// The codec of the running system: the ANSI code page on Windows, code page 1250 elsewhere.
const AnsiCodec& SystemCodec();

}  // namespace lw
