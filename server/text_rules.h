#pragma once
// Rules about texts that come from clients or from the content folder, shared by the parsers,
// the content lookup and the answers.

#include <cstdint>
#include <optional>
#include <string_view>

namespace lw::server {

inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// C0 control characters and DEL.
inline bool IsControl(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte < 0x20 || byte == 0x7F;
}

bool HasControl(std::string_view text);
bool HasControlOrBlank(std::string_view text);

// ASCII letters compared without regard to case; other bytes as they are.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);

// Whether a name sent by a client may name one file or folder inside the content folder: 1 to
// kMaxNameLength bytes, no '/', '\\', control character or NUL, and no leading '.' (which also
// rules out "." and ".."). Bytes above 0x7F are allowed: names are the client's code page.
inline constexpr std::size_t kMaxNameLength = 255;
bool IsSafeName(std::string_view name);

// A decimal number of digits only, no sign or blank. Values beyond 64 bits give the largest
// one, so that an offset too large to hold is still past any end.
std::optional<uint64_t> ParseDecimal(std::string_view text);

}  // namespace lw::server
