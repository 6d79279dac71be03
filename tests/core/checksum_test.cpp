#include "config/checksum.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace lw {
namespace {

TEST(ChecksumTableTest, KeepsTheFixedEntries) {
  EXPECT_EQ(kChecksumTable[0], 0x610DC65Du);
  EXPECT_EQ(kChecksumTable[1], 0x8167EA23u);
  EXPECT_EQ(kChecksumTable[2], 0x13A50AD0u);
  EXPECT_EQ(kChecksumTable[3], 0xDA0E57C4u);
  EXPECT_EQ(kChecksumTable[4], 0xE67D8D5Fu);
  EXPECT_EQ(kChecksumTable[255], 0x63A727AAu);
}

struct SeedCase {
  std::string text;
  uint32_t seed;
};

void PrintTo(const SeedCase& c, std::ostream* os) { *os << c.text.size() << " bytes"; }

class TextSeedTest : public ::testing::TestWithParam<SeedCase> {};

TEST_P(TextSeedTest, SumsTheTableEntriesOfTheBytes) {
  EXPECT_EQ(TextSeed(GetParam().text), GetParam().seed);
}

INSTANTIATE_TEST_SUITE_P(
    HandComputed, TextSeedTest,
    ::testing::Values(SeedCase{"", 0}, SeedCase{std::string(1, '\0'), 0x610DC65Du},
                      SeedCase{"\x01\x02", 0x8167EA23u + 0x13A50AD0u},
                      // 0xDA0E57C4 + 0xE67D8D5F = 0x1C08BE523, wrapped to 32 bits.
                      SeedCase{"\x03\x04", 0xC08BE523u},
                      // Bytes above 0x7F index the table as unsigned values.
                      SeedCase{"\xFF", 0x63A727AAu}, SeedCase{"\xFF\xFF", 0xC74E4F54u}));

TEST(TextSeedTest, HighBytesUseTheirOwnEntries) {
  EXPECT_EQ(TextSeed("\x80\xB9\xFF"), kChecksumTable[0x80] + kChecksumTable[0xB9] + 0x63A727AAu);
}

TEST(MachineMixTest, ZeroSeedGivesZero) { EXPECT_EQ(MachineMix("any machine", 0), 0u); }

TEST(MachineMixTest, EmptyIdentityGivesZero) { EXPECT_EQ(MachineMix("", 0x12345678u), 0u); }

TEST(MachineMixTest, MixesEachIdentityByteWithTheSeedDividedByItsPosition) {
  // Identity bytes 0x01, 0x00, 0x04; seed 10: 10/1 + t[1], 10/2 + t[0], 10/3 + t[4].
  const uint32_t expected = (10u + 0x8167EA23u) ^ (5u + 0x610DC65Du) ^ (3u + 0xE67D8D5Fu);
  EXPECT_EQ(MachineMix(std::string("\x01\x00\x04", 3), 10), expected);
}

TEST(MachineMixTest, AdditionWraps) {
  // 0xFFFFFFFF / 1 + t[255] wraps.
  EXPECT_EQ(MachineMix("\xFF", 0xFFFFFFFFu), 0x63A727A9u);
}

TEST(TextChecksumTest, IsTheMixOfTheIdentityWithTheSeedOfTheText) {
  // Text "\x01\x02": seed 0x950CF4F3. Identity "\x02": seed / 1 + t[2].
  EXPECT_EQ(0x8167EA23u + 0x13A50AD0u, 0x950CF4F3u);
  EXPECT_EQ(TextChecksum("\x02", "\x01\x02"), 0x950CF4F3u + 0x13A50AD0u);
  EXPECT_EQ(TextChecksum("", "\x01\x02"), 0u);
  EXPECT_EQ(TextChecksum("\x02", ""), 0u);
}

TEST(ListTextTest, EndsEveryEntryWithCrLf) {
  EXPECT_EQ(ListText({}), "");
  EXPECT_EQ(ListText({"0700*"}), "0700*\r\n");
  EXPECT_EQ(ListText({"12", "", "34"}), "12\r\n\r\n34\r\n");
}

}  // namespace
}  // namespace lw
