#pragma once
// The dialling countries the simulated line knows. A country's identifier is its code.

#include <cstdint>
#include <span>
#include <string_view>

namespace lw::linesim {

struct Country {
  uint32_t id;
  uint32_t code;
  std::string_view name;  // UTF-8
};

// Every country, by rising identifier.
std::span<const Country> Countries();
// The country of the identifier, or nullptr.
const Country* FindCountry(uint32_t id);
// The identifier after `id` in the table, 0 after the last one.
uint32_t NextCountryId(uint32_t id);

}  // namespace lw::linesim
