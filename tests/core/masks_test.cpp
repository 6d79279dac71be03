#include "policy/masks.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "support/reference_match.h"

namespace lw {
namespace {

using test::ReferenceMatch;

struct MaskCase {
  const char* mask;
  const char* number;
  bool match;
};

void PrintTo(const MaskCase& c, std::ostream* os) {
  *os << "'" << c.mask << "' vs '" << c.number << "'";
}

class MaskTable : public ::testing::TestWithParam<MaskCase> {};

TEST_P(MaskTable, AgreesWithTheRecursionAndTheExpectedResult) {
  const MaskCase& c = GetParam();
  EXPECT_EQ(MatchMask(c.mask, c.number), c.match) << c.mask << " vs " << c.number;
  EXPECT_EQ(ReferenceMatch(c.mask, c.number), c.match) << c.mask << " vs " << c.number;
}

INSTANTIATE_TEST_SUITE_P(
    Masks, MaskTable,
    ::testing::Values(MaskCase{"48*22", "4822", true},           // a '*' may take nothing
                      MaskCase{"0700*", "07001", true},          // a final '*' needs a character
                      MaskCase{"0700*", "0700", false},          //
                      MaskCase{"*", "", false},                  // empty number
                      MaskCase{"", "", true},                    //
                      MaskCase{"", "1", false},                  //
                      MaskCase{"?", "1", true},                  //
                      MaskCase{"?", "12", false},                //
                      MaskCase{"1*", "1", false},                //
                      MaskCase{"1*", "12", true},                //
                      MaskCase{"*1", "1", true},                 //
                      MaskCase{"**", "5", true},                 // first takes nothing
                      MaskCase{"0700?????", "070012345", true},  // length fixed without '*'
                      MaskCase{"0700?????", "07001234", false},  //
                      MaskCase{"0700", "07001", false},          // anchored at the end
                      MaskCase{"0 700", "0700", false},          // a blank never matches digits
                      MaskCase{"07a0", "0700", false},           // nor does a letter
                      MaskCase{"*0*0*", "100200", true},         //
                      MaskCase{"*", "*", true},                  // '*' against a '*' in the number
                      MaskCase{"?*?", "12", true},               //
                      MaskCase{"?*?", "1", false}));             // nothing left for the '*'

TEST(Masks, AgreesWithTheRecursionOnRandomMasksAndNumbers) {
  std::mt19937 random(20261210);
  const std::string mask_alphabet = "0123??**a ";
  const std::string number_alphabet = "0123*";
  for (int round = 0; round < 20000; ++round) {
    std::string mask, number;
    const int mask_length = static_cast<int>(random() % 10);
    const int number_length = static_cast<int>(random() % 12);
    for (int i = 0; i < mask_length; ++i) mask += mask_alphabet[random() % mask_alphabet.size()];
    for (int i = 0; i < number_length; ++i) {
      number += number_alphabet[random() % (round % 4 == 0 ? 5 : 4)];
    }
    ASSERT_EQ(MatchMask(mask, number), ReferenceMatch(mask.c_str(), number.c_str()))
        << "mask '" << mask << "' number '" << number << "'";
  }
}

TEST(Masks, WorstCaseMaskIsDecidedWithoutBacktracking) {
  // The plain recursion would try every split of every '*' here: far beyond any time limit.
  std::string mask;
  for (int i = 0; i < 32; ++i) mask += "*1";
  const std::string number(128, '1');
  EXPECT_TRUE(MatchMask(mask, number));
  EXPECT_FALSE(MatchMask(mask + "2", number));
}

TEST(Masks, DigitsOnlyKeepsDigitsInOrderInPlace) {
  struct Case {
    std::string in, out;
  };
  for (Case c : {Case{"(0-22) 123 45 67", "0221234567"}, Case{" +- ()", ""}, Case{"", ""},
                 Case{"12345", "12345"},
                 Case{"\xB9"
                      "1\x80"
                      "2",
                      "12"}}) {
    std::string number = c.in;
    std::string& result = DigitsOnly(number);
    EXPECT_EQ(&result, &number);
    EXPECT_EQ(number, c.out);
  }
}

TEST(Masks, ListWalkReducesTheNumberOnlyWhenAMaskIsTried) {
  std::string number = "0-700 123";
  EXPECT_FALSE(MatchesAnyMask({}, number));
  EXPECT_EQ(number, "0-700 123");

  EXPECT_TRUE(MatchesAnyMask({"1*", "0700*", "0*"}, number));
  EXPECT_EQ(number, "0700123");

  std::string blanks = " - ";
  EXPECT_FALSE(MatchesAnyMask({"*"}, blanks));  // reduced to empty: only the empty mask matches
  EXPECT_TRUE(MatchesAnyMask({"*", ""}, blanks));
}

}  // namespace
}  // namespace lw
