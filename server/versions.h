#pragma once
// Version texts: dotted decimal numbers such as "0.1.0", compared component by component.

#include <cstddef>
#include <string_view>

namespace lw::server {

// The most characters of a version the clients keep (the rest of their buffer is the NUL).
inline constexpr std::size_t kMaxVersionLength = 9;

// Whether text is an offered version: 1 to kMaxVersionLength characters, decimal numbers
// separated by single dots, no empty component.
bool IsOfferedVersion(std::string_view text);

// Whether a client's version is older than the offered one (which must be an offered version).
// Components are compared as numbers of any length, a missing one counting as 0 ("0.2" is
// "0.2.0"). A client's version that is empty or not dotted numbers counts as older, so that a
// client that cannot say what it is still gets the update.
bool IsOlderVersion(std::string_view client, std::string_view offered);

}  // namespace lw::server
