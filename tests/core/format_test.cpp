#include "common/format.h"

#include <gtest/gtest.h>

#include "common/text.h"

namespace lw {
namespace {

TEST(Format, PlaceholderKindsInOrder) {
  EXPECT_EQ(PlaceholderKinds("Aplikacja %s\r\nNumer: %s"), "ss");
  EXPECT_EQ(PlaceholderKinds("po czasie %i min. %s"), "is");
  EXPECT_EQ(PlaceholderKinds("%d%u%%%5s"), "iis");
  EXPECT_EQ(PlaceholderKinds("100% pewne"), "?");
  EXPECT_EQ(PlaceholderKinds("koniec %"), "?");
  EXPECT_EQ(PlaceholderKinds("%p %n %x"), "???");
  EXPECT_EQ(PlaceholderKinds("bez"), "");
}

TEST(Format, FillsPlaceholdersInOrder) {
  EXPECT_EQ(FormatText("(%i) %s", {int64_t{48}, "Polska"}), "(48) Polska");
  EXPECT_EQ(FormatText("+%i ", {int64_t{-1}}), "+-1 ");
  EXPECT_EQ(FormatText("100%% %s", {"x"}), "100% x");
}

TEST(Format, MismatchedOrMissingArgumentsProduceNothingAndReadNothing) {
  EXPECT_EQ(FormatText("[%s][%s][%s]", {"a"}), "[a][][]");
  EXPECT_EQ(FormatText("[%i]", {"text"}), "[]");
  EXPECT_EQ(FormatText("[%s]", {int64_t{5}}), "[]");
  EXPECT_EQ(FormatText("[%n][%x] 50% [%", {"a"}), "[%n][%x] 50% [%");
}

TEST(Text, ParseIntegerAcceptsOnlyWholeDecimalIntegers) {
  struct Case {
    const char* text;
    std::optional<int32_t> value;
  };
  for (Case c : {Case{"10", 10}, Case{" 7", 7}, Case{"-3", -3}, Case{"+4", 4}, Case{"0", 0},
                 Case{"", std::nullopt}, Case{"abc", std::nullopt}, Case{"1a", std::nullopt},
                 Case{"-", std::nullopt}, Case{"5 ", std::nullopt}, Case{"2147483647", 2147483647},
                 Case{"-2147483648", INT32_MIN}, Case{"2147483648", std::nullopt},
                 Case{"99999999999999999999", std::nullopt}}) {
    EXPECT_EQ(ParseInteger(c.text), c.value) << "'" << c.text << "'";
  }
  EXPECT_EQ(IntegerOr("x", 20), 20);
}

}  // namespace
}  // namespace lw
