#include "shell/win/stop_instance.h"

#include <windows.h>

namespace lw {

namespace {
// The running instance's marker: its about box, which exists, hidden, for as long as it runs.
HWND FindInstance() { return FindWindowW(L"TAboutForm", L"LarkWatch"); }
}  // namespace

void StopRunningInstance() {
  HWND about = FindInstance();
  if (!about) return;
  // The running instance's message loop takes any posted close message as a forced shutdown.
  PostMessageW(about, WM_CLOSE, 123, 0);
  while (FindInstance()) Sleep(500);
}

}  // namespace lw
