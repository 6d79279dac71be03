#include "common/win/system_clock.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "common/win/wide.h"

namespace lw {
namespace {

// What the regional settings give for a moment, composed as the log wants it.
std::string Expected(const SYSTEMTIME& t) {
  wchar_t date[96], time[96];
  GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &t, nullptr, date, 96);
  GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &t, nullptr, time, 96);
  return Narrow(date) + " " + Narrow(time);
}

TEST(SystemClock, DateAndTimeFollowTheRegionalSettings) {
  SystemClock clock;
  // Taken twice around the call, so a change of second in between cannot fail the test.
  SYSTEMTIME before, after;
  GetLocalTime(&before);
  const std::string text = clock.LocalDateTimeText();
  GetLocalTime(&after);
  EXPECT_TRUE(text == Expected(before) || text == Expected(after)) << text;
  // Short date and long time, each non-empty, joined by one blank.
  const std::size_t blank = text.find(' ');
  ASSERT_NE(blank, std::string::npos);
  EXPECT_GT(blank, 0u);
  EXPECT_GT(text.size(), blank + 1);
}

TEST(Wide, RoundTripsPolishTextThroughUtf16) {
  const std::string text = "Próba połączenia – żółć";
  EXPECT_EQ(Narrow(Widen(text)), text);
  EXPECT_EQ(Widen("ą"), L"\u0105");
  EXPECT_EQ(NarrowTo(1250, Widen("ą")), "\xB9");
  EXPECT_EQ(NarrowTo(1250, Widen("€ ☺")), "\x80 ?");
}

}  // namespace
}  // namespace lw
