#include "policy/masks.h"

#include <vector>

namespace lw {

std::string& DigitsOnly(std::string& number) {
  std::size_t write = 0;
  for (char c : number) {
    if (c >= '0' && c <= '9') number[write++] = c;
  }
  number.resize(write);
  return number;
}

bool MatchMask(std::string_view mask, std::string_view number) {
  // match[j] tells whether mask[i..] matches number[j..], filled from the end of the mask
  // backwards; row i needs only row i + 1 and, for a '*', which positions of that row match.
  const std::size_t m = mask.size();
  const std::size_t n = number.size();
  std::vector<char> next(n + 1, 0);  // row i + 1
  std::vector<char> row(n + 1, 0);   // row i
  next[n] = 1;                       // the empty mask matches only the empty number
  for (std::size_t i = m; i-- > 0;) {
    const char item = mask[i];
    // any_from[j]: some k >= j with mask[i+1..] matching number[k..].
    bool any_from = false;
    row[n] = 0;  // a non-empty mask never matches the empty number
    if (item == '*') any_from = next[n];
    for (std::size_t j = n; j-- > 0;) {
      bool result;
      if (item == '?') {
        result = next[j + 1];
      } else if (item == '*') {
        any_from = any_from || next[j];
        // A '*' that matched no run is compared as an ordinary character.
        result = any_from || (number[j] == '*' && next[j + 1]);
      } else {
        result = item == number[j] && next[j + 1];
      }
      row[j] = result;
    }
    row.swap(next);
  }
  return next[0];
}

bool MatchesAnyMask(const std::vector<std::string>& masks, std::string& number) {
  for (const std::string& mask : masks) {
    if (MatchMask(mask, DigitsOnly(number))) return true;
  }
  return false;
}

}  // namespace lw
