// The entry point of larkwatch.exe.

#include <windows.h>

#include "shell/stop_command.h"
#include "shell/win/application.h"
#include "shell/win/stop_instance.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // Libraries are never looked for in the current folder.
  SetDllDirectoryW(L"");
  if (lw::IsStopCommand(GetCommandLineW())) {
    lw::StopRunningInstance();
    return 0;
  }
  try {
    lw::Application application;
    application.Run();
  } catch (...) {
    MessageBoxW(nullptr, L"Wystąpił nieoczekiwany błąd programu.", L"LarkWatch",
                MB_OK | MB_ICONERROR);
  }
  return 0;
}
