#include <gtest/gtest.h>

#include <string>

#include "common/codec.h"

namespace lw {
namespace {

struct ByteCase {
  unsigned char byte;
  const char* utf8;
};

// Every Polish letter, the neighbours that are easy to mix up, the undefined bytes and the ends
// of the upper half.
constexpr ByteCase kBytes[] = {
    {0xA5, "Ą"},      {0xB9, "ą"},      {0xC6, "Ć"},      {0xE6, "ć"},      {0xCA, "Ę"},
    {0xEA, "ę"},      {0xA3, "Ł"},      {0xB3, "ł"},      {0xD1, "Ń"},      {0xF1, "ń"},
    {0xD3, "Ó"},      {0xF3, "ó"},      {0x8C, "Ś"},      {0x9C, "ś"},      {0x8F, "Ź"},
    {0x9F, "ź"},      {0xAF, "Ż"},      {0xBF, "ż"},      {0x8A, "Š"},      {0x9A, "š"},
    {0x80, "€"},      {0x84, "„"},      {0x96, "–"},      {0xA0, "\u00A0"}, {0xD7, "×"},
    {0xDF, "ß"},      {0xFF, "˙"},      {0x81, "\u0081"}, {0x83, "\u0083"}, {0x88, "\u0088"},
    {0x90, "\u0090"}, {0x98, "\u0098"},
};

TEST(Cp1250Codec, DecodesBytesOfTheUpperHalf) {
  const Cp1250Codec codec;
  for (const ByteCase& c : kBytes) {
    SCOPED_TRACE(static_cast<int>(c.byte));
    EXPECT_EQ(codec.ToUtf8(std::string(1, static_cast<char>(c.byte))), c.utf8);
    EXPECT_EQ(codec.FromUtf8(c.utf8), std::string(1, static_cast<char>(c.byte)));
  }
}

TEST(Cp1250Codec, EveryByteSurvivesTheRoundTrip) {
  const Cp1250Codec codec;
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  const std::string utf8 = codec.ToUtf8(all);
  EXPECT_EQ(codec.FromUtf8(utf8), all);
  // Distinct bytes give distinct characters.
  for (int b = 0x80; b < 256; ++b) {
    for (int c = b + 1; c < 256; ++c) {
      ASSERT_NE(codec.ToUtf8(std::string(1, static_cast<char>(b))),
                codec.ToUtf8(std::string(1, static_cast<char>(c))));
    }
  }
}

TEST(Cp1250Codec, DecodesAPolishSentence) {
  const Cp1250Codec codec;
  const std::string ansi = "Za\xBF\xF3\xB3\xE6 g\xEA\x9Cl\xB9 ja\x9F\xF1";
  EXPECT_EQ(codec.ToUtf8(ansi), "Zażółć gęślą jaźń");
  EXPECT_EQ(codec.FromUtf8("Zażółć gęślą jaźń"), ansi);
}

TEST(Cp1250Codec, KeepsNulAndControlBytes) {
  const Cp1250Codec codec;
  const std::string bytes("a\0\r\n\x7F", 5);
  EXPECT_EQ(codec.ToUtf8(bytes), bytes);
  EXPECT_EQ(codec.FromUtf8(bytes), bytes);
}

struct EncodeCase {
  const char* name;
  std::string utf8;
  std::string ansi;
};

TEST(Cp1250Codec, MarksWhatItCannotEncode) {
  const Cp1250Codec codec;
  const EncodeCase cases[] = {
      {"character outside the code page", "a中b", "a?b"},
      {"character beyond the basic plane", "a😀b", "a?b"},
      {"C1 control the code page does not carry", "\u0085", "?"},
      {"stray continuation byte", "a\x80z", "a?z"},
      {"lead byte cut short by the end", "a\xC4", "a?"},
      {"three-byte sequence cut short", "\xE2\x82z", "?z"},
      {"overlong form of a slash", "\xC0\xAF", "??"},
      {"surrogate", "\xED\xA0\x80", "???"},
      {"beyond U+10FFFF", "\xF4\x90\x80\x80", "????"},
      {"byte never used in UTF-8", "\xFF", "?"},
  };
  for (const EncodeCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(codec.FromUtf8(c.utf8), c.ansi);
  }
}

struct CompareCase {
  std::string a;
  std::string b;
  bool equal;
};

TEST(Cp1250Codec, ComparesWithoutRegardToLetterCase) {
  const Cp1250Codec codec;
  const CompareCase cases[] = {
      {"C:\\Program Files\\Dialer.EXE", "c:\\program files\\dialer.exe", true},
      {"", "", true},
      {"abc", "abcd", false},
      {"abc", "abd", false},
      {"\xA5\xA3\x8C\x8F\xAF\xC6\xCA\xD1\xD3", "\xB9\xB3\x9C\x9F\xBF\xE6\xEA\xF1\xF3",
       true},                                                                          // Polish
      {"\x8A\x8D\x8E\xAA\xBC\xC8\xD8\xDD", "\x9A\x9D\x9E\xBA\xBE\xE8\xF8\xFD", true},  // others
      {"\xA5", "\xA3", false},  // Ą is not Ł
      {"\xB9", "a", false},     // ą is not a
      {"\xD7", "\xF7", false},  // × and ÷ are no pair
      {"\xDF", "\xFF", false},  // ß has no upper case
      {"[", "{", false},        // punctuation 0x20 apart
      {"@", "`", false},
      {std::string("a\0b", 3), std::string("A\0B", 3), true},
      {std::string("a\0b", 3), "a", false},
  };
  for (const CompareCase& c : cases) {
    SCOPED_TRACE(c.a + " / " + c.b);
    EXPECT_EQ(codec.EqualsIgnoreCase(c.a, c.b), c.equal);
    EXPECT_EQ(codec.EqualsIgnoreCase(c.b, c.a), c.equal);
  }
}

TEST(Cp1250Codec, IsTheSystemCodecOutsideWindows) {
#ifndef _WIN32
  EXPECT_EQ(SystemCodec().ToUtf8("\xB9"), "ą");
  EXPECT_TRUE(SystemCodec().EqualsIgnoreCase("\xA5", "\xB9"));
#else
  GTEST_SKIP() << "Windows uses its own ANSI code page";
#endif
}

}  // namespace
}  // namespace lw
