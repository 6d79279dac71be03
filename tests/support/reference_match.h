#pragma once
// Mask matching as the plain left-to-right recursion, step by step: the reference that the
// bounded matcher must agree with, in tests, fuzzing and benchmarks. Exponential on masks with
// many '*': keep its inputs small.

#include <string>

namespace lw::test {

inline bool ReferenceMatch(const char* mask, const char* number) {
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

}  // namespace lw::test
