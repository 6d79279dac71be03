#include "notify/win/form_support.h"

// After windows.h, which it needs.
#include <commctrl.h>

#include <iterator>

#include "common/win/wide.h"

namespace lw::ui {

MessageAnswer ShowMessageBox(HWND owner, std::string_view text, std::string_view caption,
                             MessageIcon icon, MessageButtons buttons, bool default_no) {
  UINT flags = MB_OK;
  if (buttons == MessageButtons::YesNo) flags = MB_YESNO | (default_no ? MB_DEFBUTTON2 : 0);
  switch (icon) {
    case MessageIcon::Information:
      flags |= MB_ICONINFORMATION;
      break;
    case MessageIcon::Question:
      flags |= MB_ICONQUESTION;
      break;
    case MessageIcon::Warning:
      flags |= MB_ICONWARNING;
      break;
    case MessageIcon::Error:
      flags |= MB_ICONERROR;
      break;
  }
  // Without an owner the box still comes in front of the other windows.
  if (owner == nullptr) flags |= MB_SETFOREGROUND;
  const int answer = MessageBoxW(owner, Widen(text).c_str(), Widen(caption).c_str(), flags);
  if (buttons == MessageButtons::Ok) return MessageAnswer::Ok;
  return answer == IDYES ? MessageAnswer::Yes : MessageAnswer::No;
}

HFONT MessageFont() {
  static HFONT font = [] {
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof(metrics);
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
      if (HFONT made = CreateFontIndirectW(&metrics.lfMessageFont)) return made;
    }
    return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  }();
  return font;
}

SIZE MeasureText(HFONT font, std::wstring_view text) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  SIZE size = {0, 0};
  if (text.empty()) {
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc, &metrics);
    size.cy = metrics.tmHeight;
  } else {
    RECT rect = {0, 0, 0, 0};
    DrawTextW(dc, text.data(), static_cast<int>(text.size()), &rect,
              DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS | DT_LEFT);
    size.cx = rect.right - rect.left;
    size.cy = rect.bottom - rect.top;
  }
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return size;
}

void RegisterFormClass(const wchar_t* name, WNDPROC proc, UINT style, HBRUSH background) {
  WNDCLASSEXW window_class = {};
  window_class.cbSize = sizeof(window_class);
  window_class.style = style;
  window_class.lpfnWndProc = proc;
  window_class.hInstance = GetModuleHandleW(nullptr);
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground = background;
  window_class.lpszClassName = name;
  RegisterClassExW(&window_class);  // fails harmlessly when the class exists
}

HWND CreateControl(HWND parent, const wchar_t* window_class, DWORD style, int id) {
  HWND control = CreateWindowExW(0, window_class, L"", WS_CHILD | WS_VISIBLE | style, 0, 0, 10, 10,
                                 parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 GetModuleHandleW(nullptr), nullptr);
  if (control) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(MessageFont()), FALSE);
  return control;
}

void SetWindowTextUtf8(HWND window, std::string_view text) {
  SetWindowTextW(window, Widen(text).c_str());
}

std::string WindowTextUtf8(HWND window) {
  const int length = GetWindowTextLengthW(window);
  if (length <= 0) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(window, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
  return Narrow(text);
}

RECT ControlRect(HWND control) {
  RECT rect = {};
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

SIZE SizeForClient(HWND window, int client_width, int client_height) {
  RECT rect = {0, 0, client_width, client_height};
  AdjustWindowRectEx(&rect, static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE)));
  return {rect.right - rect.left, rect.bottom - rect.top};
}

SIZE DesktopSize() { return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

namespace {

// The size of a tool description that every version of the common controls takes (the newer
// size with lpReserved is refused by the version without a manifest).
const UINT kToolInfoSize = TTTOOLINFOW_V2_SIZE;

TOOLINFOW ToolOf(HWND control) {
  TOOLINFOW tool = {};
  tool.cbSize = kToolInfoSize;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = GetParent(control);
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  return tool;
}

}  // namespace

void InitCommonControlsOnce() {
  // The Windows 95 classes take in the tab control too.
  static const bool initialised = [] {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES};
    return InitCommonControlsEx(&controls) != FALSE;
  }();
  (void)initialised;
}

HWND CreateTooltips() {
  InitCommonControlsOnce();
  HWND tooltips = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                  WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
  if (tooltips) SendMessageW(tooltips, WM_SETFONT, reinterpret_cast<WPARAM>(MessageFont()), FALSE);
  return tooltips;
}

void SetHint(HWND tooltips, HWND control, std::string_view text) {
  if (tooltips == nullptr || control == nullptr) return;
  std::wstring wide = Widen(text);
  TOOLINFOW tool = ToolOf(control);
  tool.lpszText = wide.data();
  // A tool that exists gets the new text; otherwise it is added.
  TOOLINFOW existing = ToolOf(control);
  if (SendMessageW(tooltips, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&existing))) {
    SendMessageW(tooltips, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
  } else {
    SendMessageW(tooltips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

std::string HintOf(HWND tooltips, HWND control) {
  if (tooltips == nullptr || control == nullptr) return {};
  wchar_t text[1024] = {};
  TOOLINFOW tool = ToolOf(control);
  tool.lpszText = text;
  SendMessageW(tooltips, TTM_GETTEXTW, std::size(text), reinterpret_cast<LPARAM>(&tool));
  return Narrow(text);
}

bool RunModal(const ModalLoop& loop) {
  HWND owner = nullptr;
  if (loop.owner && IsWindowEnabled(loop.owner)) {
    owner = loop.owner;
    EnableWindow(owner, FALSE);
  }
  bool quit = false;
  while (!loop.done()) {
    MSG message;
    if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (loop.idle) loop.idle();
      if (loop.done()) break;
      MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
      continue;
    }
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      quit = true;
      break;
    }
    if (loop.pretranslate && loop.pretranslate(message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  if (owner) EnableWindow(owner, TRUE);
  return !quit;
}

}  // namespace lw::ui
