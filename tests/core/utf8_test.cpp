#include "common/utf8.h"

#include <gtest/gtest.h>

#include <string>

namespace lw {
namespace {

struct LengthCase {
  std::string text;
  std::size_t length;
};

TEST(Utf8, CountsCharactersNotBytes) {
  const LengthCase cases[] = {
      {"", 0},
      {"abc", 3},
      {"ąę", 2},
      {"€", 1},
      {"😀a", 2},
      {"a\x80"
       "b",
       3},
      {"\xE2\x82", 1},
      {"\xC0\xAF", 2},
  };
  for (const LengthCase& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(Utf8Length(c.text), c.length);
  }
}

TEST(Utf8, PrefixNeverSplitsACharacter) {
  const std::string text = "aą€😀z";
  EXPECT_EQ(Utf8Prefix(text, 0), "");
  EXPECT_EQ(Utf8Prefix(text, 1), "a");
  EXPECT_EQ(Utf8Prefix(text, 2), "aą");
  EXPECT_EQ(Utf8Prefix(text, 3), "aą€");
  EXPECT_EQ(Utf8Prefix(text, 4), "aą€😀");
  EXPECT_EQ(Utf8Prefix(text, 5), text);
  EXPECT_EQ(Utf8Prefix(text, 99), text);
}

TEST(Utf8, EncodesAndDecodesEveryLength) {
  for (char32_t code : {U'\0', U'A', U'\u0105', U'\u20AC', U'\U0001F600', U'\U0010FFFF'}) {
    std::string bytes;
    AppendUtf8(bytes, code);
    const Utf8Char ch = NextUtf8Char(bytes, 0);
    EXPECT_TRUE(ch.valid);
    EXPECT_EQ(ch.code, code);
    EXPECT_EQ(ch.length, bytes.size());
  }
}

}  // namespace
}  // namespace lw
