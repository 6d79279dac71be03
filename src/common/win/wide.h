#pragma once
// Texts at the Win32 edge: the program keeps UTF-8, the wide API takes UTF-16.

#include <windows.h>

#include <string>
#include <string_view>

namespace lw {

// Bytes of a code page (CP_UTF8, CP_ACP, ...) to UTF-16. Invalid bytes become U+FFFD.
std::wstring WidenFrom(UINT code_page, std::string_view bytes);
// UTF-16 to bytes of a code page. For a code page other than UTF-8, a character it lacks
// becomes '?' rather than a look-alike letter.
std::string NarrowTo(UINT code_page, std::wstring_view wide);

inline std::wstring Widen(std::string_view utf8) { return WidenFrom(CP_UTF8, utf8); }
inline std::string Narrow(std::wstring_view wide) { return NarrowTo(CP_UTF8, wide); }

}  // namespace lw
