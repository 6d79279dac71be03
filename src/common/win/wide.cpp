#include "common/win/wide.h"

#include <climits>

namespace lw {

std::wstring WidenFrom(UINT code_page, std::string_view bytes) {
  if (bytes.empty() || bytes.size() > INT_MAX) return {};
  const int size = static_cast<int>(bytes.size());
  const int length = MultiByteToWideChar(code_page, 0, bytes.data(), size, nullptr, 0);
  if (length <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(code_page, 0, bytes.data(), size, wide.data(), length);
  return wide;
}

std::string NarrowTo(UINT code_page, std::wstring_view wide) {
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

}  // namespace lw
