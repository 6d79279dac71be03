#pragma once
// Dialling and hanging up on the simulated line.
//
// A dial walks the states OpenPort, PortOpened, ConnectDevice, DeviceConnected,
// AllDevicesConnected, Authenticate, AuthNotify, AuthAck, Authenticated and Connected, waiting
// the line's delay after each. Without a notifier the walk runs in the caller's thread and the
// dial returns when it ends; with one it runs on a thread of its own in the caller's process,
// which calls the notifier after each state. A connection is listed once it is connected; the
// "connected" registrations are signalled then.

#include <windows.h>
// After windows.h.
#include <ras.h>

#include <cstdint>
#include <string>

namespace lw::linesim {

struct DialRequest {
  std::string entry;       // ANSI; empty: dial `number` on the first modem
  std::string number;      // ANSI; with an entry, replaces the entry's number when not empty
  std::wstring phonebook;  // empty: the line's default phonebook
};

struct DialNotifier {
  DWORD type = 0;  // 0 RasDialFunc, 1 RasDialFunc1, 2 RasDialFunc2, 0xFFFFFFFF a window
  void* function = nullptr;
  ULONG_PTR callback_id = 0;  // for RasDialFunc2
};

// RasDial: 0 when the dial started (with a notifier) or connected (without one); else the
// code. *connection is the dial's handle as soon as there is one, else NULL.
DWORD Dial(const DialRequest& request, const DialNotifier& notifier, HRASCONN* connection);

// RasHangUp: 0, or ERROR_INVALID_HANDLE for a handle the line does not know. A dial of this
// process that is under way stops; once this returns, its notifier is not called again.
DWORD HangUp(HRASCONN connection);

}  // namespace lw::linesim
