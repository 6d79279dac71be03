#pragma once
// TTrayIconNew: the program's icon in the notification area. It keeps a hidden window of its
// own that receives the shell's callbacks and the "TaskbarCreated" broadcast (after which the
// icon is registered again), and shows the popup menu its owner gives it. Main thread only.

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

namespace lw {

class TrayIcon {
 public:
  static constexpr wchar_t kWindowClassName[] = L"TTrayIconNew";
  // The message the shell sends to the hidden window; lParam carries the mouse message.
  static constexpr UINT kCallbackMessage = 0x600;
  // The longest hint the shell shows, in UTF-16 units.
  static constexpr std::size_t kMaxTipLength = 63;

  // Icon: the program's own (its first icon resource, else image 0 of the main images).
  // Created disabled: the icon is registered with the shell when it is enabled.
  explicit TrayIcon(UINT tag = 0);
  ~TrayIcon();
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;

  // Setters update the shell only when the value changes: the icon alone, the tip alone, or
  // (for Enabled) everything.
  // Takes a copy of the icon; the caller keeps its own handle.
  void SetIcon(HICON icon);
  // The icon of an image of the main image list.
  void SetImage(int index);
  void SetHint(const std::string& hint);  // UTF-8
  void SetEnabled(bool enabled);
  void SetPopupMenu(HMENU menu) { popup_menu_ = menu; }
  void SetAutoShow(bool auto_show) { auto_show_ = auto_show; }

  HICON icon() const { return icon_; }
  int image() const { return image_; }
  const std::string& hint() const { return hint_; }
  bool enabled() const { return enabled_; }
  UINT tag() const { return tag_; }
  HMENU popup_menu() const { return popup_menu_; }
  bool auto_show() const { return auto_show_; }
  HWND handle() const { return window_; }
  // Whether the icon is registered with the shell now.
  bool added() const { return added_; }
  // The tip given to the shell last, and how many times the shell was told anything.
  const std::wstring& shell_tip() const { return shell_tip_; }
  int shell_updates() const { return shell_updates_; }

  // The hint as the shell takes it: at most 63 UTF-16 units, never ending in half of a
  // surrogate pair.
  static std::wstring CutTip(std::wstring_view hint);

  // Events.
  std::function<void()> OnMouseMove;
  std::function<void()> OnLeftBtnClick;
  std::function<void()> OnLeftBtnDblClick;
  std::function<void()> OnRightBtnClick;
  // A command of the popup menu was chosen (or its first item clicked by a double click).
  std::function<void(UINT command)> OnMenuCommand;

  // Handles a callback of the shell (what the hidden window does with kCallbackMessage).
  void TrayCallback(UINT mouse_message);
  // The shell's taskbar was created again: the icon is registered anew.
  void TaskbarCreated();

  // For the window procedure.
  void AttachWindow(HWND window) { window_ = window; }
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);

 private:
  void Update(UINT flags);
  void ShowPopupMenu();

  HWND window_ = nullptr;
  UINT tag_;
  HICON icon_ = nullptr;    // our copy
  HICON source_ = nullptr;  // the handle the copy was taken from
  int image_ = -1;
  std::string hint_;
  std::wstring shell_tip_;
  bool enabled_ = false;
  bool added_ = false;
  bool auto_show_ = true;
  HMENU popup_menu_ = nullptr;
  UINT taskbar_created_ = 0;
  int shell_updates_ = 0;
};

}  // namespace lw
