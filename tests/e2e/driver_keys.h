#pragma once
// Pressing a key in a window of another process.
//
// Two ways, tried in this order:
// - input (the default): the window is made the foreground window and the key goes in through
//   SendInput, as if typed. It reaches the focused control of the window, the system updates
//   the key state (so a handler that asks GetKeyState(VK_CONTROL) sees Ctrl held), and the
//   window's own message loop sees it first: IsDialogMessage turns Esc into IDCANCEL, a form's
//   preview of WM_KEYDOWN in its loop sees Esc and Ctrl+Enter whatever control has the focus.
// - post (with --post, or when the window cannot be brought to the front within a second):
//   WM_KEYDOWN and WM_KEYUP are posted to the window's focused control (the focus of the
//   window's thread, when it lies inside the window), else to the window itself. Posted keys do
//   not change the key state, so for Ctrl the driver joins the window thread's input
//   (AttachThreadInput), marks Ctrl as down in the shared key state while the keys are handled
//   (kPostSettleMs), then restores it. A loop that reads keys through its own message loop sees
//   them; a handler that relies on real input order may not.

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace lw::e2e {

// How long the posted keys are given to be handled before Ctrl is released again.
inline constexpr DWORD kPostSettleMs = 300;

// A key by name (ESC, ESCAPE, RETURN, ENTER, TAB, SPACE, BACK, DELETE, INSERT, HOME, END,
// PRIOR/PAGEUP, NEXT/PAGEDOWN, LEFT, RIGHT, UP, DOWN, F1..F24, a letter or a digit, letter case
// ignored, an optional "VK_" in front) or by number (decimal or 0x..).
std::optional<UINT> ParseVirtualKey(std::wstring_view text);

struct KeyOutcome {
  bool delivered = false;
  std::string method;     // "input" or "post"
  HWND target = nullptr;  // the window that has the focus, or that was posted to
};

KeyOutcome PressKey(HWND window, UINT key, bool ctrl, bool post_only);

}  // namespace lw::e2e
