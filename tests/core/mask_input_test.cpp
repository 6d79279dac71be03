#include "config/mask_input.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace lw {
namespace {

struct MaskCase {
  std::string input;
  std::string mask;
};

void PrintTo(const MaskCase& c, std::ostream* os) { *os << "\"" << c.input << "\""; }

class ReduceToMaskTest : public ::testing::TestWithParam<MaskCase> {};

TEST_P(ReduceToMaskTest, KeepsDigitsAndWildcards) {
  EXPECT_EQ(ReduceToMask(GetParam().input), GetParam().mask);
}

INSTANTIATE_TEST_SUITE_P(Inputs, ReduceToMaskTest,
                         ::testing::Values(MaskCase{"0-700 123", "0700123"}, MaskCase{"", ""},
                                           MaskCase{"***", "***"},
                                           MaskCase{"+48 (22) 1?3*", "48221?3*"},
                                           MaskCase{"abc", ""}, MaskCase{"\xB9\x39\xFF", "9"}));

}  // namespace
}  // namespace lw
