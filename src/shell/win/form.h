#pragma once
// A top-level window built in code: registers its window class under the form's name (the
// T-names, so that other processes and tests can find a form by class), routes messages to a
// virtual handler, and never throws out of the window procedure.

#include <windows.h>

#include <string>

namespace lw {

class Form {
 public:
  Form() = default;
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;
  virtual ~Form();

  HWND hwnd() const { return hwnd_; }
  bool IsVisible() const { return hwnd_ && IsWindowVisible(hwnd_); }
  void Show(int how = SW_SHOW) const;
  void Hide() const;
  // Sets the window's caption (UTF-8).
  void SetCaption(const std::string& text) const;

 protected:
  // Creates the window of class `class_name`; false when the system refuses.
  bool Create(const wchar_t* class_name, const std::string& caption, DWORD style, DWORD ex_style,
              int width, int height, HWND owner = nullptr);
  // The form's message handler; the default handling is DefWindowProc.
  virtual LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT Default(UINT message, WPARAM wparam, LPARAM lparam) {
    return DefWindowProcW(hwnd_, message, wparam, lparam);
  }

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  HWND hwnd_ = nullptr;
};

// Centres a window on the screen.
void CenterOnScreen(HWND window);

}  // namespace lw
