#pragma once
// Finding a window of the test itself. Window tests run side by side on one desktop, so
// FindWindow could answer with another test program's window of the same class.

#include <windows.h>

namespace lw::test {

struct OwnWindowSearch {
  const wchar_t* class_name;
  const wchar_t* caption;
  HWND found;

  static BOOL CALLBACK Visit(HWND window, LPARAM context) {
    auto& search = *reinterpret_cast<OwnWindowSearch*>(context);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != GetCurrentProcessId()) return TRUE;
    wchar_t text[256] = {};
    GetClassNameW(window, text, 256);
    if (lstrcmpiW(text, search.class_name) != 0) return TRUE;
    if (search.caption != nullptr) {
      GetWindowTextW(window, text, 256);
      if (lstrcmpW(text, search.caption) != 0) return TRUE;
    }
    search.found = window;
    return FALSE;
  }
};

// A top-level window of this process with the class and, when given, the caption; nullptr when
// there is none.
inline HWND FindOwnWindow(const wchar_t* class_name, const wchar_t* caption = nullptr) {
  OwnWindowSearch search{class_name, caption, nullptr};
  EnumWindows(&OwnWindowSearch::Visit, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace lw::test
