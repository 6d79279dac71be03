#include "notify/win/tray_icon.h"

#include <shellapi.h>

#include <algorithm>
#include <cwchar>

#include "common/win/wide.h"
#include "notify/win/form_support.h"
#include "notify/win/main_images.h"

namespace lw {

namespace {

BOOL CALLBACK TakeFirstIconName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR found) {
  *reinterpret_cast<LPWSTR*>(found) = name;
  return FALSE;  // the first one is enough
}

// The program's own icon: the first icon group of the executable, if it has one.
HICON LoadProgramIcon() {
  HMODULE module = GetModuleHandleW(nullptr);
  LPWSTR name = nullptr;
  EnumResourceNamesW(module, RT_GROUP_ICON, TakeFirstIconName, reinterpret_cast<LONG_PTR>(&name));
  if (name != nullptr) {
    if (HANDLE icon = LoadImageW(module, name, IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                 GetSystemMetrics(SM_CYSMICON), 0)) {
      return static_cast<HICON>(icon);
    }
  }
  return MainImageIcon(kProgramImage, 16);
}

constexpr UINT kAllFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;

}  // namespace

TrayIcon::TrayIcon(UINT tag) : tag_(tag) {
  icon_ = LoadProgramIcon();
  taskbar_created_ = RegisterWindowMessageW(L"TaskbarCreated");
  ui::RegisterFormClass(kWindowClassName, ui::FormProc<TrayIcon>, 0, nullptr);
  // A hidden top-level window rather than a message-only one: only top-level windows hear the
  // "TaskbarCreated" broadcast.
  CreateWindowExW(WS_EX_TOOLWINDOW, kWindowClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                  GetModuleHandleW(nullptr), this);
}

TrayIcon::~TrayIcon() {
  if (added_ && window_) {
    NOTIFYICONDATAW data = {};
    data.cbSize = sizeof(data);
    data.hWnd = window_;
    data.uID = tag_;
    Shell_NotifyIconW(NIM_DELETE, &data);
    added_ = false;
  }
  if (icon_) DestroyIcon(icon_);
  if (window_) DestroyWindow(window_);
}

std::wstring TrayIcon::CutTip(std::wstring_view hint) {
  std::size_t length = std::min(hint.size(), kMaxTipLength);
  if (length < hint.size() && length > 0 && IS_HIGH_SURROGATE(hint[length - 1])) --length;
  return std::wstring(hint.substr(0, length));
}

void TrayIcon::SetIcon(HICON icon) {
  if (image_ < 0 && icon == source_ && (icon != nullptr) == (icon_ != nullptr)) return;
  if (icon_) DestroyIcon(icon_);
  icon_ = icon ? CopyIcon(icon) : nullptr;
  source_ = icon;
  image_ = -1;
  Update(NIF_ICON);
}

void TrayIcon::SetImage(int index) {
  if (index == image_) return;
  HICON made = MainImageIcon(index, 16);
  if (made == nullptr) return;
  if (icon_) DestroyIcon(icon_);
  icon_ = made;
  source_ = nullptr;
  image_ = index;
  Update(NIF_ICON);
}

void TrayIcon::SetHint(const std::string& hint) {
  if (hint == hint_) return;
  hint_ = hint;
  Update(NIF_TIP);
}

void TrayIcon::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  Update(kAllFlags);
}

void TrayIcon::Update(UINT flags) {
  if (window_ == nullptr) return;
  NOTIFYICONDATAW data = {};
  // The full record of the system we run on; the shell knows every older size too.
  data.cbSize = sizeof(data);
  data.hWnd = window_;
  data.uID = tag_;
  data.uFlags = kAllFlags;
  data.uCallbackMessage = kCallbackMessage;
  shell_tip_ = CutTip(Widen(hint_));
  wcsncpy(data.szTip, shell_tip_.c_str(), sizeof(data.szTip) / sizeof(data.szTip[0]) - 1);
  data.hIcon = icon_;

  if (icon_ != nullptr && enabled_) {
    ++shell_updates_;
    if (added_) {
      data.uFlags = flags;
      if (!Shell_NotifyIconW(NIM_MODIFY, &data)) {
        // The shell may have lost the icon (a restart whose broadcast we missed): add it anew.
        data.uFlags = kAllFlags;
        Shell_NotifyIconW(NIM_ADD, &data);
      }
    } else {
      added_ = Shell_NotifyIconW(NIM_ADD, &data) != FALSE;
      // A shell that still holds the icon (a "TaskbarCreated" without a restart) refuses to
      // add it again, but takes the update.
      if (!added_) added_ = Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
    }
  } else if (added_) {
    ++shell_updates_;
    Shell_NotifyIconW(NIM_DELETE, &data);
    added_ = false;
  }
}

void TrayIcon::TaskbarCreated() {
  added_ = false;
  Update(kAllFlags);
}

void TrayIcon::TrayCallback(UINT mouse_message) {
  switch (mouse_message) {
    case WM_MOUSEMOVE:
      if (OnMouseMove) OnMouseMove();
      break;
    case WM_LBUTTONDOWN:
      if (OnLeftBtnClick) OnLeftBtnClick();
      break;
    case WM_LBUTTONDBLCLK:
      if (OnLeftBtnDblClick) OnLeftBtnDblClick();
      if (popup_menu_ && auto_show_) {
        const UINT first = GetMenuItemID(popup_menu_, 0);
        if (first != static_cast<UINT>(-1) && OnMenuCommand) OnMenuCommand(first);
      }
      break;
    case WM_RBUTTONDOWN:
      if (OnRightBtnClick) OnRightBtnClick();
      if (popup_menu_) ShowPopupMenu();
      break;
    default:
      break;
  }
}

void TrayIcon::ShowPopupMenu() {
  POINT cursor = {};
  GetCursorPos(&cursor);
  if (auto_show_) SetMenuDefaultItem(popup_menu_, 0, TRUE);
  // Without the foreground the menu would not close when the user clicks elsewhere.
  SetForegroundWindow(window_);
  const UINT command =
      static_cast<UINT>(TrackPopupMenu(popup_menu_, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY,
                                       cursor.x, cursor.y, 0, window_, nullptr));
  // Lets the menu close properly the next time it opens.
  PostMessageW(window_, WM_NULL, 0, 0);
  if (command != 0 && OnMenuCommand) OnMenuCommand(command);
}

LRESULT TrayIcon::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == kCallbackMessage) {
    TrayCallback(LOWORD(lparam));
    return 0;
  }
  if (taskbar_created_ != 0 && message == taskbar_created_) {
    TaskbarCreated();
    return 0;
  }
  return DefWindowProcW(window_, message, wparam, lparam);
}

}  // namespace lw
