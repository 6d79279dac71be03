#pragma once
// The form of a request body: "name=value&name=value". The clients send values as they are,
// without percent-encoding (a country with a blank is sent with the blank), so nothing is
// decoded: the body is split at each '&', and each piece at its first '='.

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace lw::server {

using Form = std::vector<std::pair<std::string, std::string>>;

// The pieces in order. Empty pieces are skipped; a piece without '=' is a name with an empty
// value. A line end at the very end of the body (left by a hand-typed request) does not belong to
// the last value.
Form ParseForm(std::string_view body);

// The value of the first piece of that name (compared exactly); nothing when there is none.
std::optional<std::string_view> FormValue(const Form& form, std::string_view name);

}  // namespace lw::server
