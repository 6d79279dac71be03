#include "server/versions.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace lw::server {
namespace {

TEST(ServerVersionTest, OfferedVersionsAreDottedNumbersOfAtMostNineCharacters) {
  for (const char* good : {"0.2.0", "1", "10.20.300", "123456789", "0.0.0.0.0"}) {
    EXPECT_TRUE(IsOfferedVersion(good)) << good;
  }
  for (const char* bad :
       {"", "0.2.0.1.23", "1234567890", "1..2", ".1", "1.", "0.2b", " 0.2", "v1", "1,2", "sig"}) {
    EXPECT_FALSE(IsOfferedVersion(bad)) << bad;
  }
}

struct OlderCase {
  const char* name;
  const char* client;
  const char* offered;
  bool older;
};

void PrintTo(const OlderCase& c, std::ostream* os) { *os << c.name; }

class ServerVersionOrderTest : public ::testing::TestWithParam<OlderCase> {};

TEST_P(ServerVersionOrderTest, ComparesComponentsAsNumbers) {
  EXPECT_EQ(IsOlderVersion(GetParam().client, GetParam().offered), GetParam().older);
}

INSTANTIATE_TEST_SUITE_P(
    ServerVersion, ServerVersionOrderTest,
    ::testing::Values(OlderCase{"Older", "0.1.0", "0.2.0", true},
                      OlderCase{"Same", "0.2.0", "0.2.0", false},
                      OlderCase{"Newer", "0.3.0", "0.2.0", false},
                      OlderCase{"MissingComponentIsZero", "0.2", "0.2.0", false},
                      OlderCase{"ExtraZeroComponent", "0.2.0.0", "0.2", false},
                      OlderCase{"OlderWithMoreComponents", "0.1.9", "0.2", true},
                      OlderCase{"TenAfterNine", "0.10.0", "0.9.0", false},
                      OlderCase{"NineBeforeTen", "0.9.0", "0.10.0", true},
                      OlderCase{"LeadingZeros", "00.02.00", "0.2.0", false},
                      OlderCase{"OneComponent", "1", "0.2.0", false},
                      OlderCase{"BeyondSixtyFourBits", "99999999999999999999999", "1", false},
                      OlderCase{"NewerByAnExtraComponent", "0.2.0.1", "0.2.0", false},
                      // Not a version at all: the client is taken to be older.
                      OlderCase{"Empty", "", "0.2.0", true},
                      OlderCase{"Letters", "abc", "0.2.0", true},
                      OlderCase{"Suffix", "9.9.9-beta", "0.2.0", true},
                      OlderCase{"EmptyComponent", "1..0", "0.2.0", true},
                      OlderCase{"TrailingDot", "1.0.", "0.2.0", true},
                      OlderCase{"LeadingBlank", " 1.0", "0.2.0", true}),
    [](const ::testing::TestParamInfo<OlderCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace lw::server
