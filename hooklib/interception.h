#pragma once
// Redirection of the dial-up calls of a whole process to the functions of ras_hooks.h:
//   - the import address tables of every loaded module that imports RasDialA/W or RasHangUpA/W
//     (our own library excepted, whose calls must reach the system),
//   - the export table of rasapi32.dll, so that GetProcAddress hands out our functions and
//     modules bound later import them,
//   - LoadLibraryA/W and LoadLibraryExA/W in the same import tables, so that after every load
//     the new modules are redirected too and a freshly loaded rasapi32 gets its export table
//     changed.
// The system's own functions are kept and called by the replacements. Nothing is ever undone:
// the library pins itself in the process once it has redirected anything.

#include <windows.h>

namespace lw::hook {

enum class RasFunction { DialA, DialW, HangUpA, HangUpW };

// Redirects the calls of this process. Safe to call from several threads; the caller makes sure
// it runs once. `self` is this library, which is never changed.
bool InstallInterception(HMODULE self);

// The function that a call of `function` would have reached without us, or null when
// rasapi32.dll has not been seen in the process yet.
void* OriginalRasFunction(RasFunction function);

template <typename F>
F Original(RasFunction function) {
  return reinterpret_cast<F>(OriginalRasFunction(function));
}

}  // namespace lw::hook
