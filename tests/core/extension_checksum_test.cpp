#include "extension_host/extension_checksum.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <ostream>
#include <string>
#include <string_view>

#include "fakes/temp_dir.h"

namespace lw {
namespace {

struct ChecksumCase {
  const char* name;
  std::string bytes;
  uint32_t checksum;
};

void PrintTo(const ChecksumCase& c, std::ostream* os) { *os << c.name; }

class ExtensionChecksumTableTest : public ::testing::TestWithParam<ChecksumCase> {};

TEST_P(ExtensionChecksumTableTest, MatchesTheHandComputedValue) {
  EXPECT_EQ(ExtensionChecksum(std::string_view(GetParam().bytes)), GetParam().checksum);
}

// Each value worked out by hand, round by round: W is the word after its shift, S the sum.
INSTANTIATE_TEST_SUITE_P(
    ExtensionChecksum, ExtensionChecksumTableTest,
    ::testing::Values(
        // No bytes, no rounds.
        ChecksumCase{"Empty", "", 0},
        // 1: W = 00000001 << 8 = 00000100, S = 00000100.
        ChecksumCase{"OneByte", "\x01", 0x00000100u},
        // 1: W = 00000201 << 8 = 00020100, S = 00020100.
        // 2: no text left, W = 02010000, S = 02030100.
        ChecksumCase{"TwoBytes", "\x01\x02", 0x02030100u},
        // 1: W = 04030201 << 8 = 03020100, S = 03020100.
        // 2: W = 02010000, S = 01030100. 3: W = 01000000, S = 00030100. 4: W = 0.
        ChecksumCase{"FourBytes", "\x01\x02\x03\x04", 0x00030100u},
        // The view is 01 02 03 04 05 over six rounds: as five bytes, and the sixth adds 0.
        ChecksumCase{"CarriageReturnAmongSixBytes", "\x01\x02\r\x03\x04\x05", 0x05060400u},
        // The view ends before 1A: the four bytes' value, the four more rounds add 0.
        ChecksumCase{"CtrlZAfterAWord", "\x01\x02\x03\x04\x1A\x09\x09\x09", 0x00030100u},
        // 1: W = 44434241 << 8 = 43424100, S = 43424100.
        // 2: W = 42410000, S = 01034100. 3: W = 41000000, S = 40034100. 4: W = 0.
        ChecksumCase{"OneWholeWord", "ABCD", 0x40034100u},
        // 1: W = 04030201 << 8 = 03020100, S = 03020100.
        // 2: W = 08070605 << 8 = 07060500, S = 04040400.
        // 3: W = 06050000, S = 02010400. 4: W = 05000000, S = 07010400. 5..8: W = 0.
        ChecksumCase{"TwoWholeWords", "\x01\x02\x03\x04\x05\x06\x07\x08", 0x07010400u},
        // 1: W = 04030201 << 8 = 03020100, S = 03020100.
        // 2: one byte left: W = 03020105 << 8 = 02010500, S = 01030400.
        // 3: W = 01050000, S = 00060400. 4: W = 05000000, S = 05060400. 5: W = 0.
        ChecksumCase{"PartialLastWordKeepsItsHighBytes", "\x01\x02\x03\x04\x05", 0x05060400u},
        // The text is 01 (the CR is dropped) but the file has two bytes, so two rounds.
        // 1: W = 00000100, S = 00000100. 2: W = 00010000, S = 00010100.
        ChecksumCase{"CarriageReturnDroppedButCounted", "\x01\r", 0x00010100u},
        // Text 01 02 over three rounds.
        // 1: W = 00020100, S = 00020100. 2: W = 02010000, S = 02030100.
        // 3: W = 01000000, S = 03030100.
        ChecksumCase{"CarriageReturnInsideTheText", "\x01\r\x02", 0x03030100u},
        // A file of CRs only has no text: W stays 0 for all its rounds.
        ChecksumCase{"OnlyCarriageReturns", "\r\r\r", 0},
        // The text is 01; the 1A and what follows are not read, but count as rounds.
        // 1: W = 00000100, S = 00000100. 2: W = 00010000, S = 00010100.
        // 3: W = 01000000, S = 01010100.
        ChecksumCase{"CtrlZEndsTheText", "\x01\x1A\x02", 0x01010100u},
        // Nothing before the 1A: no text at all.
        ChecksumCase{"CtrlZFirst", "\x1A\x01\x02\x03", 0},
        // 1: W = FFFFFFFF << 8 = FFFFFF00, S = FFFFFF00.
        // 2: W = FFFF0000, S = 0000FF00. 3: W = FF000000, S = FF00FF00. 4: W = 0.
        ChecksumCase{"HighBytes", "\xFF\xFF\xFF\xFF", 0xFF00FF00u},
        // A zero byte is text like any other. 1: W = 00000000 << 8 = 0. 2: W = 0.
        ChecksumCase{"ZeroBytes", std::string(2, '\0'), 0}),
    [](const ::testing::TestParamInfo<ChecksumCase>& info) {
      return std::string(info.param.name);
    });

TEST(ExtensionChecksumTest, AsASignedNumberTheHighBitMakesItNegative) {
  // The service shows the checksum as a signed 32-bit number: FF00FF00 - 2^32 = -16711936.
  EXPECT_EQ(static_cast<int32_t>(ExtensionChecksum(std::string_view("\xFF\xFF\xFF\xFF"))),
            -16711936);
}

TEST(ExtensionChecksumTest, AFileGivesTheChecksumOfItsBytes) {
  test::TempDir dir;
  const std::filesystem::path path = dir.path() / "tool.dll";
  {
    std::ofstream out(path, std::ios::binary);
    out << "\x01\x02\x03\x04\x05";
  }
  EXPECT_EQ(ExtensionChecksum(path), 0x05060400u);
}

TEST(ExtensionChecksumTest, AFileReadInBlocksGivesTheSameAsItsBytesWhole) {
  // Longer than one read block, with CRs, a group of four split by the block's end, and a
  // Ctrl+Z far on, so that the rounds after the text outnumber those with it.
  std::string bytes;
  for (int i = 0; i < 70000; ++i) {
    const char c = static_cast<char>((i * 7 + 3) % 251);
    bytes.push_back(c == '\x1A' ? '\x1B' : c);
  }
  bytes[65535] = '\r';
  bytes[69000] = '\x1A';
  test::TempDir dir;
  const std::filesystem::path path = dir.path() / "big.dll";
  {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  EXPECT_EQ(ExtensionChecksum(path), ExtensionChecksum(std::string_view(bytes)));
  EXPECT_NE(ExtensionChecksum(path), 0u);
}

TEST(ExtensionChecksumTest, AMissingFileGivesZero) {
  test::TempDir dir;
  EXPECT_EQ(ExtensionChecksum(dir.path() / "absent.dll"), 0u);
}

}  // namespace
}  // namespace lw
