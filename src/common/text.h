#pragma once
// Small text helpers shared by the core.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lw {

// The integer of an edit field's text: optional blanks, an optional sign, decimal digits,
// nothing else, within the signed 32-bit range. Anything else is not an integer.
std::optional<int32_t> ParseInteger(std::string_view text);

// The integer of the text, or the fallback when the text is not an integer.
int32_t IntegerOr(std::string_view text, int32_t fallback);

}  // namespace lw
