// lwprobe.exe: a small window program the driver's own test works against, standing in for
// the windows of the program under test. It says on stdout what reached it.
//
//   lwprobe.exe form
//       a window of class "LwProbeForm" titled "LwProbe", its client area pure red, with the
//       buttons "&Tak" and "&Nie" and an edit that has the focus. Its message loop looks at
//       keys before the controls do: Esc prints "key=escape", Enter "key=return" or, with Ctrl
//       held, "key=ctrl+return". "&Tak" prints "click=Tak"; "&Nie" prints "click=Nie" and asks
//       "Na pewno?" in a modal message box, then prints "confirm=yes" or "confirm=no". WM_CLOSE
//       prints "close-wparam=N" and ends the program.
//   lwprobe.exe box TEXT [CAPTION]
//       a Yes/No message box (the sequences \r and \n in TEXT stand for CR and LF); prints
//       "answer=yes" or "answer=no".
//   lwprobe.exe pipe NAME [INSTANCES]
//       a stand-in for the program's request queue at \\.\pipe\NAME (4 instances by default):
//       answers each message with a 32-bit 1 when the request layout accepts it and 0
//       otherwise, in the same exchange as the program (one message, one 4-byte answer, then
//       the client closes); the message "quit" is answered with 2 and ends the program.
// Prints "ready" once its window is up.

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <string_view>

#include "lwprobe_pipe.h"

namespace {

constexpr int kTakId = 1;
constexpr int kNieId = 2;
constexpr int kEditId = 3;

HWND g_form = nullptr;

void Say(std::string_view line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

std::wstring Unescape(std::wstring_view text) {
  std::wstring out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'\\' && i + 1 < text.size() && (text[i + 1] == L'r' || text[i + 1] == L'n')) {
      out += text[i + 1] == L'r' ? L'\r' : L'\n';
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

LRESULT CALLBACK FormProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE: {
      HINSTANCE instance = GetModuleHandleW(nullptr);
      CreateWindowExW(0, L"BUTTON", L"&Tak", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 10,
                      10, 90, 28, window, reinterpret_cast<HMENU>(kTakId), instance, nullptr);
      CreateWindowExW(0, L"BUTTON", L"&Nie", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
                      110, 10, 90, 28, window, reinterpret_cast<HMENU>(kNieId), instance, nullptr);
      HWND edit = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"pole",
                                  WS_CHILD | WS_VISIBLE | WS_TABSTOP, 10, 50, 190, 24, window,
                                  reinterpret_cast<HMENU>(kEditId), instance, nullptr);
      SetFocus(edit);
      return 0;
    }
    case WM_COMMAND:
      if (HIWORD(wparam) != BN_CLICKED) break;
      if (LOWORD(wparam) == kTakId) {
        Say("click=Tak");
      } else if (LOWORD(wparam) == kNieId) {
        Say("click=Nie");
        const int answer = MessageBoxW(window, L"Na pewno?", L"LwProbe", MB_YESNO);
        Say(answer == IDYES ? "confirm=yes" : "confirm=no");
      }
      return 0;
    case WM_CLOSE:
      Say("close-wparam=" + std::to_string(wparam));
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

// Esc and Enter as a form with a key preview sees them: before the control that has the focus.
bool PreviewKey(const MSG& message) {
  if (message.message != WM_KEYDOWN) return false;
  if (message.hwnd != g_form && !IsChild(g_form, message.hwnd)) return false;
  if (message.wParam == VK_ESCAPE) {
    Say("key=escape");
    return true;
  }
  if (message.wParam == VK_RETURN) {
    Say(GetKeyState(VK_CONTROL) < 0 ? "key=ctrl+return" : "key=return");
    return true;
  }
  return false;
}

int RunForm() {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW window_class = {};
  window_class.lpfnWndProc = FormProc;
  window_class.hInstance = instance;
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground = CreateSolidBrush(RGB(255, 0, 0));
  window_class.lpszClassName = L"LwProbeForm";
  if (!RegisterClassW(&window_class)) return 3;
  g_form = CreateWindowExW(0, L"LwProbeForm", L"LwProbe", WS_OVERLAPPEDWINDOW, 100, 100, 320, 200,
                           nullptr, nullptr, instance, nullptr);
  if (!g_form) return 3;
  ShowWindow(g_form, SW_SHOW);
  UpdateWindow(g_form);
  Say("ready");
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (PreviewKey(message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}

int RunBox(std::wstring_view text, std::wstring_view caption) {
  Say("ready");
  const int answer = MessageBoxW(nullptr, Unescape(text).c_str(), std::wstring(caption).c_str(),
                                 MB_YESNO | MB_ICONINFORMATION);
  Say(answer == IDYES ? "answer=yes" : "answer=no");
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  _setmode(_fileno(stdout), _O_BINARY);
  const std::wstring_view mode = argc >= 2 ? argv[1] : L"";
  if (mode == L"form" && argc == 2) return RunForm();
  if (mode == L"box" && (argc == 3 || argc == 4)) {
    return RunBox(argv[2], argc == 4 ? argv[3] : L"LwProbe");
  }
  if (mode == L"pipe" && (argc == 3 || argc == 4)) {
    const int instances = argc == 4 ? _wtoi(argv[3]) : 4;
    return lw::e2e::RunProbePipe(argv[2], instances > 0 ? instances : 4);
  }
  std::fputs(
      "usage: lwprobe.exe form | lwprobe.exe box TEXT [CAPTION] | lwprobe.exe pipe NAME "
      "[INSTANCES]\n",
      stderr);
  return 2;
}
