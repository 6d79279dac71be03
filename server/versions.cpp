#include "server/versions.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "server/text_rules.h"

namespace lw::server {
namespace {

// The components of dotted decimal numbers, leading zeros removed; nothing for any other text.
std::optional<std::vector<std::string_view>> Components(std::string_view text) {
  std::vector<std::string_view> components;
  for (;;) {
    const std::size_t dot = text.find('.');
    std::string_view component = text.substr(0, dot);
    if (component.empty() || !std::all_of(component.begin(), component.end(), IsDigit)) {
      return std::nullopt;
    }
    while (component.size() > 1 && component.front() == '0') component.remove_prefix(1);
    components.push_back(component);
    if (dot == std::string_view::npos) return components;
    text.remove_prefix(dot + 1);
  }
}

// Compares numbers written without leading zeros.
int CompareNumbers(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
}

}  // namespace

bool IsOfferedVersion(std::string_view text) {
  return text.size() <= kMaxVersionLength && Components(text).has_value();
}

bool IsOlderVersion(std::string_view client, std::string_view offered) {
  const std::optional<std::vector<std::string_view>> mine = Components(client);
  const std::optional<std::vector<std::string_view>> theirs = Components(offered);
  if (!theirs) return false;
  if (!mine) return true;
  const std::size_t count = std::max(mine->size(), theirs->size());
  for (std::size_t i = 0; i < count; ++i) {
    const std::string_view a = i < mine->size() ? (*mine)[i] : "0";
    const std::string_view b = i < theirs->size() ? (*theirs)[i] : "0";
    if (const int order = CompareNumbers(a, b); order != 0) return order < 0;
  }
  return false;
}

}  // namespace lw::server
