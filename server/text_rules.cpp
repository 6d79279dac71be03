#include "server/text_rules.h"

#include <algorithm>
#include <limits>

namespace lw::server {
namespace {

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool HasControl(std::string_view text) { return std::any_of(text.begin(), text.end(), IsControl); }

bool HasControlOrBlank(std::string_view text) {
  return std::any_of(text.begin(), text.end(), [](char c) { return c == ' ' || IsControl(c); });
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return LowerAscii(x) == LowerAscii(y);
         });
}

bool IsSafeName(std::string_view name) {
  if (name.empty() || name.size() > kMaxNameLength || name.front() == '.') return false;
  if (name.find_first_of("/\\") != std::string_view::npos) return false;
  return !HasControl(name);
}

std::optional<uint64_t> ParseDecimal(std::string_view text) {
  if (text.empty() || !std::all_of(text.begin(), text.end(), IsDigit)) return std::nullopt;
  constexpr uint64_t kMax = std::numeric_limits<uint64_t>::max();
  uint64_t value = 0;
  for (char c : text) {
    const auto digit = static_cast<uint64_t>(c - '0');
    if (value > (kMax - digit) / 10) return kMax;
    value = value * 10 + digit;
  }
  return value;
}

}  // namespace lw::server
