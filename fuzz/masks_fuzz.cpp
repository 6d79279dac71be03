// Mask matching on any mask and number: the same result as the plain recursion (lengths kept
// small enough for the recursion to finish).
#include <cstdint>
#include <cstdlib>
#include <string>

#include "policy/masks.h"

namespace {
bool ReferenceMatch(const char* mask, const char* number) {
  if (*mask == 0) return *number == 0;
  if (*number == 0) return false;
  if (*mask == '?') return ReferenceMatch(mask + 1, number + 1);
  if (*mask == '*') {
    const std::size_t n = std::char_traits<char>::length(number);
    for (std::size_t i = 0; i <= n; ++i) {
      if (ReferenceMatch(mask + 1, number + i)) return true;
    }
  }
  if (*mask != *number) return false;
  return ReferenceMatch(mask + 1, number + 1);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // mask NUL number, both without inner NULs.
  std::string input(reinterpret_cast<const char*>(data), size);
  const std::size_t split = input.find('\0');
  if (split == std::string::npos) return 0;
  std::string mask = input.substr(0, split);
  std::string number = input.substr(split + 1);
  if (number.find('\0') != std::string::npos || mask.size() > 12 || number.size() > 16) return 0;
  if (lw::MatchMask(mask, number) != ReferenceMatch(mask.c_str(), number.c_str())) std::abort();
  lw::DigitsOnly(number);
  for (char c : number) {
    if (c < '0' || c > '9') std::abort();
  }
  return 0;
}
