#pragma once
// Small pieces the notification windows share: the window procedure that forwards to the
// window's object, the font, text measuring and UTF-8 texts of controls. Main thread only.

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

#include "config/config_ui.h"

namespace lw::ui {

// A modal message box (texts UTF-8) with the icon and buttons the configuration asks for;
// `default_no` makes No the default button of a Yes/No box.
MessageAnswer ShowMessageBox(HWND owner, std::string_view text, std::string_view caption,
                             MessageIcon icon, MessageButtons buttons, bool default_no);

// The font of the notification windows: the system's message font, made once and kept until
// the program ends.
HFONT MessageFont();

// The size of a text as a label without word wrap draws it (line breaks and tabs honoured,
// '&' shown as it is). An empty text has the height of one line and width 0.
SIZE MeasureText(HFONT font, std::wstring_view text);

// Registers a window class whose procedure hands every message to Form::HandleMessage of the
// object passed as the creation parameter. Registering it again is harmless.
void RegisterFormClass(const wchar_t* name, WNDPROC proc, UINT style, HBRUSH background);

// A child control with the message font.
HWND CreateControl(HWND parent, const wchar_t* window_class, DWORD style, int id);

// Texts of windows and controls, UTF-8 on our side.
void SetWindowTextUtf8(HWND window, std::string_view text);
std::string WindowTextUtf8(HWND window);

// Client-area geometry of a control in its parent's coordinates.
RECT ControlRect(HWND control);

// The size of a top-level window whose client area has the given size, with the frame its
// styles give it.
SIZE SizeForClient(HWND window, int client_width, int client_height);

// The screen the program calls the desktop: the primary display in pixels.
SIZE DesktopSize();

// Registers the common controls' window classes (tree, list, tabs, tooltips...) once per
// process.
void InitCommonControlsOnce();

// Hints shown under the mouse: one tooltip window per form, one tool per control. The texts are
// UTF-8; setting a control's hint again replaces it. The tooltip window has no owner (Wine
// keeps an owner that has a topmost popup from being put on top itself), so the form destroys
// it.
HWND CreateTooltips();
void SetHint(HWND tooltips, HWND control, std::string_view text);
std::string HintOf(HWND tooltips, HWND control);

// A modal window's message loop on the main thread.
struct ModalLoop {
  // Disabled while the loop runs (when it was enabled) and enabled again before RunModal
  // returns, so that the activation goes back to it when the window hides. May be null.
  HWND owner = nullptr;
  // True ends the loop; asked after every message.
  std::function<bool()> done;
  // Runs whenever the queue is empty: the program's idle processing goes on inside the loop.
  std::function<void()> idle = {};
  // Sees every message first; true keeps it from TranslateMessage and DispatchMessage.
  std::function<bool(MSG&)> pretranslate = {};
};

// Runs messages until `done`. A WM_QUIT ends the loop too and is posted again for the loop
// outside; false then.
bool RunModal(const ModalLoop& loop);

// The window procedure of a form class: the object comes with WM_NCCREATE and is kept in the
// window's user data; messages before that and after WM_NCDESTROY go to the default handling.
template <typename Form>
LRESULT CALLBACK FormProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    static_cast<Form*>(create->lpCreateParams)->AttachWindow(window);
  }
  auto* form = reinterpret_cast<Form*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (form == nullptr) return DefWindowProcW(window, message, wparam, lparam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    form->AttachWindow(nullptr);
    return DefWindowProcW(window, message, wparam, lparam);
  }
  return form->HandleMessage(message, wparam, lparam);
}

}  // namespace lw::ui
