#include "linesim/countries.h"

#include <algorithm>
#include <iterator>

namespace lw::linesim {
namespace {

// Names as a Polish system gives them.
constexpr Country kCountries[] = {
    {1, 1, "Stany Zjednoczone"},
    {7, 7, "Rosja"},
    {31, 31, "Holandia"},
    {33, 33, "Francja"},
    {39, 39, "W\u0142ochy"},
    {43, 43, "Austria"},
    {44, 44, "Wielka Brytania"},
    {48, 48, "Polska"},
    {49, 49, "Niemcy"},
    {239, 239, "Wyspy \u015awi\u0119tego Tomasza i Ksi\u0105\u017c\u0119ca"},
    {252, 252, "Somalia"},
    {370, 370, "Litwa"},
    {380, 380, "Ukraina"},
    {420, 420, "Czechy"},
    {421, 421, "S\u0142owacja"},
    {674, 674, "Nauru"},
    {682, 682, "Wyspy Cooka"},
    {688, 688, "Tuvalu"},
};

static_assert(std::is_sorted(std::begin(kCountries), std::end(kCountries),
                             [](const Country& a, const Country& b) { return a.id < b.id; }));

}  // namespace

std::span<const Country> Countries() { return kCountries; }

const Country* FindCountry(uint32_t id) {
  const auto at = std::find_if(std::begin(kCountries), std::end(kCountries),
                               [id](const Country& c) { return c.id == id; });
  return at == std::end(kCountries) ? nullptr : &*at;
}

uint32_t NextCountryId(uint32_t id) {
  const auto at = std::upper_bound(std::begin(kCountries), std::end(kCountries), id,
                                   [](uint32_t value, const Country& c) { return value < c.id; });
  return at == std::end(kCountries) ? 0 : at->id;
}

}  // namespace lw::linesim
