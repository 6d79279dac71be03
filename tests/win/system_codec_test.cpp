#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "common/codec.h"

namespace lw {
namespace {

// The tests run as on a Polish system; there the system's conversions and the core's own code
// page 1250 table must agree on every byte, in both directions.
TEST(SystemCodec, AgreesWithTheCoreTableOnAPolishSystem) {
  if (GetACP() != 1250) GTEST_SKIP() << "ANSI code page " << GetACP() << ", not 1250";
  const AnsiCodec& system = SystemCodec();
  const Cp1250Codec core;
  for (int byte = 1; byte < 256; ++byte) {
    const std::string ansi(1, static_cast<char>(byte));
    // Five bytes are undefined in code page 1250; the core keeps them as C1 controls, Windows
    // as its own choice: only the defined ones must agree.
    if (byte == 0x81 || byte == 0x83 || byte == 0x88 || byte == 0x90 || byte == 0x98) continue;
    EXPECT_EQ(system.ToUtf8(ansi), core.ToUtf8(ansi)) << "byte " << byte;
    EXPECT_EQ(system.FromUtf8(core.ToUtf8(ansi)), ansi) << "byte " << byte;
  }
  EXPECT_EQ(system.FromUtf8("Próba połączenia"), core.FromUtf8("Próba połączenia"));
}

TEST(SystemCodec, PathsCompareWithoutLetterCaseButOtherwiseExactly) {
  const AnsiCodec& codec = SystemCodec();
  EXPECT_TRUE(codec.EqualsIgnoreCase("C:\\Program Files\\A.EXE", "c:\\program files\\a.exe"));
  EXPECT_FALSE(codec.EqualsIgnoreCase("C:\\a.exe", "C:\\a.exe "));
  // A soft hyphen (0xAD) is a character of its own: no path passes for another with it.
  EXPECT_FALSE(codec.EqualsIgnoreCase("C:\\dia\xADler.exe", "C:\\dialer.exe"));
  EXPECT_TRUE(codec.EqualsIgnoreCase("", ""));
  if (GetACP() == 1250) {
    EXPECT_TRUE(codec.EqualsIgnoreCase("\xA5\xA3", "\xB9\xB3"));  // ĄŁ ął
  }
}

TEST(SystemCodec, CharactersOutsideTheCodePageBecomeQuestionMarks) {
  EXPECT_EQ(SystemCodec().FromUtf8("a\xE2\x98\xBA"
                                   "b"),
            "a?b");                                // a☺b
  EXPECT_EQ(SystemCodec().FromUtf8("\xFF"), "?");  // not UTF-8 at all
}

}  // namespace
}  // namespace lw
