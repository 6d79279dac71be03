#include "notify/win/form_support.h"

#include "common/win/wide.h"

namespace lw::ui {

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

}  // namespace lw::ui
