#include "driver_windows.h"

#include <string>

#include "driver_common.h"

namespace lw::e2e {

namespace {

// How long one window may take to report its text.
constexpr UINT kTextTimeoutMs = 500;

BOOL CALLBACK CollectWindow(HWND window, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  return TRUE;
}

bool Matches(HWND window, const WindowQuery& query) {
  if (query.visible_only && !IsWindowVisible(window)) return false;
  if (!SameClass(ClassOf(window), query.class_name)) return false;
  if (query.title) {
    const int length = GetWindowTextLengthW(window);
    std::wstring caption(static_cast<std::size_t>(length) + 1, L'\0');
    caption.resize(static_cast<std::size_t>(GetWindowTextW(window, caption.data(), length + 1)));
    if (caption != *query.title) return false;
  }
  return true;
}

}  // namespace

std::vector<HWND> TopLevelWindows() {
  std::vector<HWND> windows;
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

std::vector<HWND> Descendants(HWND window) {
  std::vector<HWND> windows;
  EnumChildWindows(window, CollectWindow, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

std::vector<HWND> FindWindows(const WindowQuery& query) {
  std::vector<HWND> visible;
  std::vector<HWND> hidden;
  for (HWND window : TopLevelWindows()) {
    if (!Matches(window, query)) continue;
    (IsWindowVisible(window) ? visible : hidden).push_back(window);
  }
  visible.insert(visible.end(), hidden.begin(), hidden.end());
  return visible;
}

HWND WaitForWindow(const WindowQuery& query, DWORD timeout_ms) {
  const Deadline deadline(timeout_ms);
  for (;;) {
    std::vector<HWND> found = FindWindows(query);
    if (!found.empty()) return found.front();
    if (deadline.Passed()) return nullptr;
    deadline.Pause();
  }
}

std::wstring ClassOf(HWND window) {
  wchar_t name[256];
  const int length = GetClassNameW(window, name, 256);
  return std::wstring(name, length > 0 ? static_cast<std::size_t>(length) : 0);
}

std::wstring TextOf(HWND window) {
  DWORD_PTR length = 0;
  if (SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kTextTimeoutMs,
                          &length)) {
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (SendMessageTimeoutW(window, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data()),
                            SMTO_ABORTIFHUNG, kTextTimeoutMs, &copied)) {
      text.resize(copied <= length ? copied : length);
      return text;
    }
  }
  // The window's thread does not answer: the caption the system keeps for it.
  wchar_t caption[1024];
  const int got = GetWindowTextW(window, caption, 1024);
  return std::wstring(caption, got > 0 ? static_cast<std::size_t>(got) : 0);
}

std::wstring WithoutMnemonics(std::wstring_view text) {
  std::wstring out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'&') {
      if (i + 1 < text.size() && text[i + 1] == L'&') {
        out += L'&';
        ++i;
      }
      continue;
    }
    out += text[i];
  }
  return out;
}

bool SameClass(std::wstring_view a, std::wstring_view b) {
  return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                              static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

void PrintWindow(HWND window) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  PrintLine("hwnd=" + HandleText(window));
  PrintLine("class=" + Escape(ClassOf(window)));
  PrintLine("title=" + Escape(TextOf(window)));
  PrintLine("pid=" + std::to_string(pid));
  PrintLine(std::string("visible=") + (IsWindowVisible(window) ? "1" : "0"));
}

WindowQuery QueryOf(const std::vector<std::wstring>& positional, bool visible_only) {
  WindowQuery query;
  query.class_name = positional.at(0);
  if (positional.size() > 1) query.title = positional[1];
  query.visible_only = visible_only;
  return query;
}

}  // namespace lw::e2e
