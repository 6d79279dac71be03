// The system's ANSI code page, through the conversions of Windows itself.

#include <windows.h>

#include <climits>
#include <string>

#include "common/codec.h"

namespace lw {

namespace {

std::wstring Widen(UINT code_page, std::string_view bytes) {
  if (bytes.empty() || bytes.size() > INT_MAX) return {};
  const int size = static_cast<int>(bytes.size());
  const int length = MultiByteToWideChar(code_page, 0, bytes.data(), size, nullptr, 0);
  if (length <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(code_page, 0, bytes.data(), size, wide.data(), length);
  return wide;
}

// UTF-8 output knows no default character; for the ANSI code page a character it lacks becomes
// '?' instead of a look-alike letter, so a name never turns into a different valid name.
std::string Narrow(UINT code_page, const std::wstring& wide) {
  if (wide.empty() || wide.size() > INT_MAX) return {};
  const int size = static_cast<int>(wide.size());
  const bool utf8 = code_page == CP_UTF8;
  const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
  const char kDefault[] = "?";
  const char* default_char = utf8 ? nullptr : kDefault;
  const int length =
      WideCharToMultiByte(code_page, flags, wide.data(), size, nullptr, 0, default_char, nullptr);
  if (length <= 0) return {};
  std::string bytes(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(code_page, flags, wide.data(), size, bytes.data(), length, default_char,
                      nullptr);
  return bytes;
}

class WindowsAnsiCodec final : public AnsiCodec {
 public:
  std::string ToUtf8(std::string_view ansi) const override {
    return Narrow(CP_UTF8, Widen(CP_ACP, ansi));
  }

  // Malformed UTF-8 arrives as U+FFFD, which no ANSI code page holds, so it becomes '?'.
  std::string FromUtf8(std::string_view utf8) const override {
    return Narrow(CP_ACP, Widen(CP_UTF8, utf8));
  }

  // Ordinal comparison after simple case mapping, as the file system compares names. A
  // linguistic comparison would also equate texts that differ, for instance by a soft hyphen
  // that it ignores, and a program could then pass for a permitted one.
  bool EqualsIgnoreCase(std::string_view a, std::string_view b) const override {
    const std::wstring wide_a = Widen(CP_ACP, a);
    const std::wstring wide_b = Widen(CP_ACP, b);
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
