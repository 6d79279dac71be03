#include "common/win/system_clock.h"

#include <windows.h>

#include "common/win/wide.h"

namespace lw {

void SystemClock::Sleep(uint32_t milliseconds) { ::Sleep(milliseconds); }

// The tick count goes on while the machine sleeps (the waits of the system do not).
uint64_t SystemClock::ElapsedMs() { return GetTickCount64(); }

std::string SystemClock::LocalDateTimeText() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  wchar_t date[96] = L"";
  wchar_t time[96] = L"";
  // Short date, one blank, long time (the format without flags is the user's long time).
  if (GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &now, nullptr, date, 96) == 0) {
    date[0] = L'\0';
  }
  if (GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &now, nullptr, time, 96) == 0) time[0] = L'\0';
  return Narrow(date) + " " + Narrow(time);
}

}  // namespace lw
