// The system's ANSI code page, through the conversions of Windows itself.

#include <windows.h>

#include <climits>
#include <string>

#include "common/codec.h"
#include "common/win/wide.h"

namespace lw {

namespace {

class WindowsAnsiCodec final : public AnsiCodec {
 public:
  std::string ToUtf8(std::string_view ansi) const override {
    return Narrow(WidenFrom(CP_ACP, ansi));
  }

  // Malformed UTF-8 arrives as U+FFFD, which no ANSI code page holds, so it becomes '?'.
  std::string FromUtf8(std::string_view utf8) const override {
    return NarrowTo(CP_ACP, Widen(utf8));
  }

  // Ordinal comparison after simple case mapping, as the file system compares names. A
  // linguistic comparison would also equate texts that differ, for instance by a soft hyphen
  // that it ignores, and a program could then pass for a permitted one.
  bool EqualsIgnoreCase(std::string_view a, std::string_view b) const override {
    const std::wstring wide_a = WidenFrom(CP_ACP, a);
    const std::wstring wide_b = WidenFrom(CP_ACP, b);
    if (wide_a.size() != wide_b.size()) return false;
    if (wide_a.empty()) return a.empty() && b.empty();
    const int size = static_cast<int>(wide_a.size());
    return CompareStringOrdinal(wide_a.data(), size, wide_b.data(), size, TRUE) == CSTR_EQUAL;
  }
};

}  // namespace

const AnsiCodec& SystemCodec() {
  static const WindowsAnsiCodec codec;
  return codec;
}

}  // namespace lw
