#pragma once
// Running a window test's messages on the test's own thread, and where its pictures go.

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <system_error>

namespace lw::test {

inline void Pump() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

// Runs messages until `done` or the time is up; true when done.
template <typename Done>
bool PumpUntil(Done done, int timeout_ms) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    MsgWaitForMultipleObjectsEx(0, nullptr, 10, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    Pump();
  }
  return true;
}

inline void PumpFor(int ms) {
  PumpUntil([] { return false; }, ms);
}

// Where the pictures of a run go: build/<preset>/screenshots beside the bin folder.
inline std::filesystem::path ScreenshotDir() {
  wchar_t exe[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::filesystem::path dir =
      std::filesystem::path(exe).parent_path().parent_path() / "screenshots";
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  return dir;
}

}  // namespace lw::test
