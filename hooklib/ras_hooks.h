#pragma once
// The functions that take the place of the dial-up calls in every process. Each asks the
// program over the queue before it lets the call reach the system, and returns
// kRefusedByProgram when the program refuses.

#include <windows.h>
// windows.h first: ras.h needs its types.
#include <ras.h>
#include <raserror.h>

namespace lw::hook {

// What a refused RasDialA/W or RasHangUpA/W returns (see ras_hooks.cpp for the choice).
inline constexpr DWORD kRefusedByProgram = ERROR_USER_DISCONNECTION;

// Makes the replacements ready; called once, before any call can reach them.
bool PrepareRasHooks();

DWORD WINAPI RasDialAInstead(LPRASDIALEXTENSIONS extensions, LPCSTR phonebook,
                             LPRASDIALPARAMSA params, DWORD notifier_type, LPVOID notifier,
                             LPHRASCONN connection);
DWORD WINAPI RasDialWInstead(LPRASDIALEXTENSIONS extensions, LPCWSTR phonebook,
                             LPRASDIALPARAMSW params, DWORD notifier_type, LPVOID notifier,
                             LPHRASCONN connection);
DWORD WINAPI RasHangUpAInstead(HRASCONN connection);
DWORD WINAPI RasHangUpWInstead(HRASCONN connection);

}  // namespace lw::hook
