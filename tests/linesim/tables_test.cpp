// The country table and the error texts of the simulated line.

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "linesim/countries.h"
#include "linesim/error_texts.h"

namespace lw::linesim {
namespace {

TEST(LineSimCountries, IdentifiersAreCodesAndTheChainReachesEveryCountry) {
  std::set<uint32_t> seen;
  for (uint32_t id = 1; id != 0; id = NextCountryId(id)) {
    const Country* country = FindCountry(id);
    ASSERT_NE(country, nullptr) << id;
    EXPECT_EQ(country->code, id);
    EXPECT_FALSE(country->name.empty());
    EXPECT_TRUE(seen.insert(id).second) << id;
  }
  EXPECT_EQ(seen.size(), Countries().size());
  for (uint32_t code : {1u, 44u, 48u, 49u, 239u, 252u, 420u, 674u, 682u, 688u}) {
    EXPECT_TRUE(seen.count(code)) << code;
  }
  EXPECT_EQ(FindCountry(48)->name, "Polska");
  EXPECT_EQ(FindCountry(0), nullptr);
  EXPECT_EQ(FindCountry(999), nullptr);
}

TEST(LineSimErrorTexts, KnownCodesHaveEnglishTexts) {
  for (uint32_t code : {6u, 87u, 120u, 603u, 621u, 623u, 631u, 632u, 678u, 680u, 691u, 831u}) {
    const std::string_view text = ErrorText(code);
    ASSERT_FALSE(text.empty()) << code;
    EXPECT_EQ(text.back(), '.') << code;
    for (char c : text) EXPECT_TRUE(c >= 0x20 && c < 0x7F) << code;
  }
  EXPECT_TRUE(ErrorText(0).empty());
  EXPECT_TRUE(ErrorText(12345).empty());
}

TEST(LineSimErrorTexts, NoAnswerAndAccessDeniedHaveTwoSentences) {
  for (uint32_t code : {678u, 691u}) {
    const std::string text(ErrorText(code));
    const std::size_t split = text.find(". ");
    ASSERT_NE(split, std::string::npos) << code;
    EXPECT_EQ(text.find(". ", split + 2), std::string::npos) << text;
  }
  EXPECT_EQ(ErrorText(678).substr(0, 19), "There is no answer.");
}

}  // namespace
}  // namespace lw::linesim
