#pragma once
// Finding the windows of the desktop (any process) and reading their texts.

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace lw::e2e {

struct WindowQuery {
  std::wstring class_name;            // compared without regard to letter case
  std::optional<std::wstring> title;  // the whole caption, exactly
  bool visible_only = false;
};

// The top-level windows of this desktop, front to back.
std::vector<HWND> TopLevelWindows();
// The windows below `window`, depth first.
std::vector<HWND> Descendants(HWND window);

// The top-level windows that match, the visible ones first.
std::vector<HWND> FindWindows(const WindowQuery& query);
// Looks every kPollMs until a match exists; nullptr when none appeared in time.
HWND WaitForWindow(const WindowQuery& query, DWORD timeout_ms);

std::wstring ClassOf(HWND window);
// The window's text as its own window procedure reports it (WM_GETTEXT, so an edit's contents
// too), asked with a short timeout; the caption the system keeps when the window's thread does
// not answer.
std::wstring TextOf(HWND window);
// The text without its mnemonic marks: "&Tak" gives "Tak", "&&" gives "&".
std::wstring WithoutMnemonics(std::wstring_view text);
bool SameClass(std::wstring_view a, std::wstring_view b);

// Prints hwnd=, class=, title=, pid= and visible= lines for the window.
void PrintWindow(HWND window);

// The query of a command's positional arguments CLASS [TITLE] and its --visible flag.
WindowQuery QueryOf(const std::vector<std::wstring>& positional, bool visible_only);

}  // namespace lw::e2e
