// A stand-in for the program's installer in the update scenarios: it records that it ran, how
// its window was to be shown, and the name it was started as, in installer.txt in its current
// folder, and ends.
#include <windows.h>

#include <cstdio>
#include <cwchar>

int wmain() {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  GetStartupInfoW(&startup);
  const bool minimised =
      (startup.dwFlags & STARTF_USESHOWWINDOW) &&
      (startup.wShowWindow == SW_SHOWMINNOACTIVE || startup.wShowWindow == SW_SHOWMINIMIZED ||
       startup.wShowWindow == SW_MINIMIZE);
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  FILE* out = _wfopen(L"installer.txt", L"w");
  if (out == nullptr) return 1;
  std::fwprintf(out, L"ran minimised=%d\nas %ls\n", minimised ? 1 : 0, path);
  std::fclose(out);
  return 0;
}
