// Mask matching on any mask and number: the same result as the plain recursion (lengths kept
// small enough for the recursion to finish).
#include <cstdint>
#include <cstdlib>
#include <string>

#include "policy/masks.h"
#include "support/reference_match.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // mask NUL number, both without inner NULs.
  std::string input(reinterpret_cast<const char*>(data), size);
  const std::size_t split = input.find('\0');
  if (split == std::string::npos) return 0;
  std::string mask = input.substr(0, split);
  std::string number = input.substr(split + 1);
  if (number.find('\0') != std::string::npos || mask.size() > 12 || number.size() > 16) return 0;
  if (lw::MatchMask(mask, number) != lw::test::ReferenceMatch(mask.c_str(), number.c_str()))
    std::abort();
  lw::DigitsOnly(number);
  for (char c : number) {
    if (c < '0' || c > '9') std::abort();
  }
  return 0;
}
