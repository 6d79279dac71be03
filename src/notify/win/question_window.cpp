#include "notify/win/question_window.h"

#include <cwctype>

#include "common/win/wide.h"
#include "notify/win/form_support.h"

namespace lw {

namespace {

bool ControlDown() { return (GetKeyState(VK_CONTROL) & 0x8000) != 0; }

// The letter after the single '&' of a caption, lower case; 0 when there is none.
wchar_t MnemonicOf(HWND button) {
  wchar_t caption[128] = {};
  GetWindowTextW(button, caption, 128);
  for (int i = 0; caption[i] != 0 && caption[i + 1] != 0; ++i) {
    if (caption[i] != L'&') continue;
    if (caption[i + 1] == L'&') {
      ++i;
      continue;
    }
    return static_cast<wchar_t>(std::towlower(caption[i + 1]));
  }
  return 0;
}

}  // namespace

QuestionWindow::QuestionWindow(QuestionWindowDeps deps, const wchar_t* class_name, int label_id)
    : deps_(std::move(deps)) {
  ui::RegisterFormClass(class_name, ui::FormProc<QuestionWindow>, 0,
                        reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1)));
  CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_DLGMODALFRAME, class_name, L"",
                  WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0, 324, 90, nullptr, nullptr,
                  GetModuleHandleW(nullptr), this);
  if (window_ == nullptr) return;
  label_ = ui::CreateControl(window_, L"STATIC", SS_LEFTNOWORDWRAP | SS_NOPREFIX, label_id);
}

QuestionWindow::~QuestionWindow() {
  // Whoever still waits for an answer gets none.
  active_.store(false);
  if (modal_owner_) EnableWindow(modal_owner_, TRUE);
  if (window_) DestroyWindow(window_);
}

HWND QuestionWindow::AddButton(int id) {
  HWND button = ui::CreateControl(window_, L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, id);
  if (button == nullptr) return nullptr;
  // The keys that answer or move between the buttons reach the window from a focused button
  // too.
  const LONG_PTR original =
      SetWindowLongPtrW(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ButtonProc));
  SetWindowLongPtrW(button, GWLP_USERDATA, original);
  buttons_.push_back(button);
  return button;
}

LRESULT CALLBACK QuestionWindow::ButtonProc(HWND button, UINT message, WPARAM wparam,
                                            LPARAM lparam) {
  const auto original = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(button, GWLP_USERDATA));
  if (message == WM_KEYDOWN) {
    switch (wparam) {
      case VK_ESCAPE:
      case VK_RETURN:
      case VK_TAB:
      case VK_LEFT:
      case VK_RIGHT:
      case VK_UP:
      case VK_DOWN:
        SendMessageW(GetParent(button), message, wparam, lparam);
        return 0;
      default:
        break;
    }
  } else if (message == WM_CHAR && (wparam == L'\r' || wparam == L'\t' || wparam == 27)) {
    return 0;  // handled with the key itself; no beep
  } else if (message == WM_SYSCHAR) {
    SendMessageW(GetParent(button), message, wparam, lparam);
    return 0;
  }
  return CallWindowProcW(original, button, message, wparam, lparam);
}

std::string QuestionWindow::question_text() const { return ui::WindowTextUtf8(label_); }

SIZE QuestionWindow::PlaceLabel() {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(label_)) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextW(label_, text.data(), static_cast<int>(text.size()))));
  const SIZE size = ui::MeasureText(ui::MessageFont(), text);
  MoveWindow(label_, kLabelLeft, kLabelTop, size.cx, size.cy, FALSE);
  return size;
}

void QuestionWindow::Present(int client_width, int client_height) {
  const SIZE window = ui::SizeForClient(window_, client_width, client_height);
  const SIZE desktop = ui::DesktopSize();
  // The guard starts before the window can take any input.
  input_guarded_ = true;
  for (HWND button : buttons_) EnableWindow(button, FALSE);
  SetTimer(window_, kInputGuardTimerId, kInputGuardMs, nullptr);

  SetWindowPos(window_, HWND_TOPMOST, (desktop.cx - window.cx) / 2, (desktop.cy - window.cy) / 2,
               window.cx, window.cy, 0);
  InvalidateRect(window_, nullptr, TRUE);
  ShowWindow(window_, SW_SHOW);
  visible_.store(true);
  SetForegroundWindow(window_);
  // The window itself takes the focus, not a button: Enter or Space typed for another program
  // must not press one.
  SetFocus(window_);
}

void QuestionWindow::InputGuardTimerTimer() {
  KillTimer(window_, kInputGuardTimerId);
  if (!input_guarded_) return;
  input_guarded_ = false;
  for (HWND button : buttons_) EnableWindow(button, TRUE);
}

void QuestionWindow::Close() {
  if (window_ == nullptr) return;
  StopTimers();
  KillTimer(window_, kInputGuardTimerId);
  // The owner first, so that the activation returns to it rather than to another program.
  if (modal_owner_) {
    EnableWindow(modal_owner_, TRUE);
    modal_owner_ = nullptr;
  }
  ShowWindow(window_, SW_HIDE);
  FormHide();
}

void QuestionWindow::FormHide() {
  visible_.store(false);
  if (deps_.hide_taskbar_button_unless_dialogs) deps_.hide_taskbar_button_unless_dialogs();
  active_.store(false);
}

int32_t QuestionWindow::RunModal() {
  HWND owner = deps_.owner;
  if (owner && IsWindowEnabled(owner) && Active()) {
    modal_owner_ = owner;
    EnableWindow(owner, FALSE);
  }
  while (Active()) {
    MSG message;
    if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (owner) {
        SendMessageW(owner, WM_ENTERIDLE, MSGF_DIALOGBOX, reinterpret_cast<LPARAM>(window_));
      }
      if (!Active()) break;
      MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
      continue;
    }
    if (message.message == WM_QUIT) {
      // The program is ending: the question is answered no, and the loop outside ends too.
      PostQuitMessage(static_cast<int>(message.wParam));
      Close();
      break;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  if (modal_owner_) {
    EnableWindow(modal_owner_, TRUE);
    modal_owner_ = nullptr;
  }
  return Answer();
}

void QuestionWindow::FormKeyDown(WPARAM key) {
  switch (key) {
    case VK_ESCAPE:
      if (!input_guarded_) ButtonNoClick();
      break;
    case VK_RETURN:
      if (input_guarded_) break;
      if (ControlDown()) {
        ButtonYesClick();
      } else {
        // Enter presses the focused button, as in a dialog.
        HWND focus = GetFocus();
        for (HWND button : buttons_) {
          if (button == focus) ButtonClick(GetDlgCtrlID(button));
        }
      }
      break;
    case VK_TAB:
      MoveFocus((GetKeyState(VK_SHIFT) & 0x8000) == 0);
      break;
    case VK_RIGHT:
    case VK_DOWN:
      MoveFocus(true);
      break;
    case VK_LEFT:
    case VK_UP:
      MoveFocus(false);
      break;
    default:
      break;
  }
}

void QuestionWindow::MoveFocus(bool forward) {
  if (buttons_.empty() || input_guarded_) return;
  const int count = static_cast<int>(buttons_.size());
  int current = -1;
  for (int i = 0; i < count; ++i) {
    if (buttons_[static_cast<std::size_t>(i)] == GetFocus()) current = i;
  }
  int next =
      current < 0 ? (forward ? 0 : count - 1) : (current + (forward ? 1 : count - 1)) % count;
  SetFocus(buttons_[static_cast<std::size_t>(next)]);
}

bool QuestionWindow::Mnemonic(wchar_t key) {
  const wchar_t wanted = static_cast<wchar_t>(std::towlower(key));
  for (HWND button : buttons_) {
    if (MnemonicOf(button) == wanted) {
      if (!input_guarded_) ButtonClick(GetDlgCtrlID(button));
      return true;
    }
  }
  return false;
}

LRESULT QuestionWindow::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      if (HIWORD(wparam) == BN_CLICKED) {
        if (!input_guarded_) ButtonClick(LOWORD(wparam));
        return 0;
      }
      break;
    case WM_TIMER:
      if (wparam == kInputGuardTimerId) {
        InputGuardTimerTimer();
        return 0;
      }
      break;
    case WM_KEYDOWN:
      FormKeyDown(wparam);
      return 0;
    case WM_SYSCHAR:
      if (Mnemonic(static_cast<wchar_t>(wparam))) return 0;
      break;
    case WM_CLOSE:
      // Alt+F4 is an answer (no) like any other and waits for the guard too.
      if (!input_guarded_) Close();
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window_, message, wparam, lparam);
}

}  // namespace lw
