#pragma once
// Formatting of texts that come from the message table, which a language file may replace.
// Only the conversions the built-in texts use are understood (%s, %i, %d, %u and %%); anything
// else is copied as it stands, and an argument of the wrong kind or a missing one is never read
// from outside the argument list. So a text from a file can at worst read oddly, never crash.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace lw {

using FormatArg = std::variant<std::string_view, int64_t>;

// A placeholder of a format text, in order: 's' for a text, 'i' for an integer (%i, %d, %u),
// '?' for anything else after a '%' (which a text used as a format must not contain).
std::string PlaceholderKinds(std::string_view format);

// Fills the placeholders in order. A text placeholder with an integer argument (or the other
// way round) or without an argument produces nothing.
std::string FormatText(std::string_view format, std::initializer_list<FormatArg> args);
std::string FormatText(std::string_view format, const std::vector<FormatArg>& args);

}  // namespace lw
