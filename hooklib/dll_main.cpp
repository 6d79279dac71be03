// larkwatch.dll: enters every process through the program's global message hook and asks the
// program before any dial or hang-up of that process goes ahead (interception.h, ras_hooks.h).
//
// Exports (by name, larkwatch.def):
//   LarkWatchHookProc  the WH_GETMESSAGE procedure that the program hooks into every GUI
//                      process; the first message it sees in a process installs the
//                      interception there.
//   LarkWatchInstall   installs the interception in the calling process now; TRUE when it is
//                      in place.
//
// DllMain does nothing but remember the module: the loader lock is held there, and patching
// tables or loading libraries under it invites deadlocks.

#include <windows.h>

#include "interception.h"

namespace {

HMODULE self_module = nullptr;
INIT_ONCE install_once = INIT_ONCE_STATIC_INIT;

BOOL CALLBACK InstallOnce(PINIT_ONCE, PVOID, PVOID*) {
  return lw::hook::InstallInterception(self_module) ? TRUE : FALSE;
}

BOOL EnsureInstalled() { return InitOnceExecuteOnce(&install_once, InstallOnce, nullptr, nullptr); }

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    self_module = instance;
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

LRESULT CALLBACK LarkWatchHookProc(int code, WPARAM wparam, LPARAM lparam) {
  EnsureInstalled();
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

BOOL WINAPI LarkWatchInstall() { return EnsureInstalled(); }

}  // extern "C"
