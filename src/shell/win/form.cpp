#include "shell/win/form.h"

#include "common/win/wide.h"

namespace lw {

Form::~Form() {
  if (hwnd_) {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
}

void Form::Show(int how) const {
  if (hwnd_) ShowWindow(hwnd_, how);
}

void Form::Hide() const {
  if (hwnd_) ShowWindow(hwnd_, SW_HIDE);
}

void Form::SetCaption(const std::string& text) const {
  if (hwnd_) SetWindowTextW(hwnd_, Widen(text).c_str());
}

bool Form::Create(const wchar_t* class_name, const std::string& caption, DWORD style,
                  DWORD ex_style, int width, int height, HWND owner) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW window_class = {};
  window_class.cbSize = sizeof window_class;
  if (!GetClassInfoExW(instance, class_name, &window_class)) {
    window_class = {};
    window_class.cbSize = sizeof window_class;
    window_class.style = CS_DBLCLKS;
    window_class.lpfnWndProc = Procedure;
    window_class.hInstance = instance;
    window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    window_class.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
    window_class.lpszClassName = class_name;
    if (!RegisterClassExW(&window_class)) return false;
  }
  hwnd_ = CreateWindowExW(ex_style, class_name, Widen(caption).c_str(), style, CW_USEDEFAULT,
                          CW_USEDEFAULT, width, height, owner, nullptr, instance, this);
  return hwnd_ != nullptr;
}

LRESULT Form::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  return Default(message, wparam, lparam);
}

LRESULT CALLBACK Form::Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
    auto* form = static_cast<Form*>(create->lpCreateParams);
    form->hwnd_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
  }
  auto* form = reinterpret_cast<Form*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!form) return DefWindowProcW(window, message, wparam, lparam);
  try {
    LRESULT result = form->OnMessage(message, wparam, lparam);
    if (message == WM_NCDESTROY) {
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      form->hwnd_ = nullptr;
    }
    return result;
  } catch (...) {
    // A failure is reported by the handler that knows what failed; nothing is thrown through
    // the system's code.
    return DefWindowProcW(window, message, wparam, lparam);
  }
}

void CenterOnScreen(HWND window) {
  RECT rect;
  GetWindowRect(window, &rect);
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  SetWindowPos(window, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
               (GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace lw
