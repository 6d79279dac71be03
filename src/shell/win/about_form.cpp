#include "shell/win/about_form.h"

#include <shellapi.h>

#include "common/win/wide.h"
#include "config/control_texts.h"

namespace lw {

namespace {

constexpr UINT_PTR kScrollTimer = 1;
constexpr UINT kScrollMs = 50;
constexpr int kButtonOk = 100;
constexpr int kClientWidth = 380;
constexpr int kClientHeight = 200;
constexpr int kCreditsLeft = 80;
constexpr int kCreditsTop = 12;
constexpr int kCreditsHeight = 140;
constexpr int kLineGap = 10;

std::wstring WithBreaks(const std::string& text) {
  std::wstring wide = Widen(text);
  for (wchar_t& c : wide) {
    if (c == L'~') c = L'\n';
  }
  return wide;
}

// Percent-encodes what a mailto address may not carry as it is.
std::string UrlEncode(std::string_view text) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : text) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
        c == '_' || c == '.' || c == '~') {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

}  // namespace

bool TAboutForm::Create() {
  if (!Form::Create(L"TAboutForm", "LarkWatch", WS_CAPTION | WS_SYSMENU, WS_EX_DLGMODALFRAME,
                    kClientWidth, kClientHeight)) {
    return false;
  }
  RECT frame = {0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&frame, WS_CAPTION | WS_SYSMENU, FALSE, WS_EX_DLGMODALFRAME);
  SetWindowPos(hwnd(), nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  button_ok_ =
      CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON,
                      kClientWidth - 100, kClientHeight - 36, 88, 26, hwnd(),
                      reinterpret_cast<HMENU>(kButtonOk), GetModuleHandleW(nullptr), nullptr);
  SendMessageW(button_ok_, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)),
               TRUE);
  ApplyTexts();
  CenterOnScreen(hwnd());
  return true;
}

void TAboutForm::ApplyTexts() {
  auto text = [&](const char* control) {
    return texts_.Text("TAboutForm", control, ControlProperty::Caption);
  };
  lines_ = {{text("Line1")},
            {text("Line4")},
            {text("Line5")},
            {text("Line6")},
            {links_.web, Line::Action::Web},
            {links_.mail, Line::Action::Mail}};
  if (button_ok_) SetWindowTextW(button_ok_, Widen(text("ButtonOk")).c_str());
  if (hwnd()) InvalidateRect(hwnd(), nullptr, TRUE);
}

std::string TAboutForm::MailCommand() const {
  return "mailto:" + links_.mail + "?subject=" + UrlEncode("LarkWatch") +
         "&body=" + UrlEncode("Opinia na temat programu :o)");
}

void TAboutForm::ShowAbout() {
  scroll_ = 0;
  if (on_visibility) on_visibility(true);
  Show(SW_SHOWNORMAL);
  SetForegroundWindow(hwnd());
  SetTimer(hwnd(), kScrollTimer, kScrollMs, nullptr);
}

void TAboutForm::ButtonOkClick() {
  KillTimer(hwnd(), kScrollTimer);
  Hide();
  if (on_visibility) on_visibility(false);
}

RECT TAboutForm::CreditsRect() const {
  return RECT{kCreditsLeft, kCreditsTop, kClientWidth - 12, kCreditsTop + kCreditsHeight};
}

int TAboutForm::LinesHeight(HDC dc) const {
  int height = 0;
  RECT credits = CreditsRect();
  for (const Line& line : lines_) {
    RECT r = {0, 0, credits.right - credits.left, 0};
    std::wstring text = WithBreaks(line.text);
    DrawTextW(dc, text.c_str(), -1, &r, DT_CALCRECT | DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
    height += (r.bottom - r.top) + kLineGap;
  }
  return height;
}

// The credits move up one pixel a tick, starting with the first line at the top.
void TAboutForm::TimerTimer() {
  ++scroll_;
  HDC dc = GetDC(hwnd());
  HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  // Once the last line has left at the top, the credits come in again from below.
  if (scroll_ > LinesHeight(dc)) scroll_ = -kCreditsHeight;
  SelectObject(dc, old);
  ReleaseDC(hwnd(), dc);
  RECT credits = CreditsRect();
  InvalidateRect(hwnd(), &credits, TRUE);
}

void TAboutForm::FormPaint() {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(hwnd(), &paint);
  DrawIconEx(dc, 20, 20, LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1)), 40, 40, 0,
             nullptr, DI_NORMAL);
  RECT credits = CreditsRect();
  HRGN clip = CreateRectRgnIndirect(&credits);
  SelectClipRgn(dc, clip);
  HGDIOBJ old_font = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(dc, TRANSPARENT);
  int y = credits.top - scroll_;
  for (const Line& line : lines_) {
    std::wstring text = WithBreaks(line.text);
    RECT r = {credits.left, y, credits.right, y};
    DrawTextW(dc, text.c_str(), -1, &r, DT_CALCRECT | DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
    r.left = credits.left;
    r.right = credits.right;
    SetTextColor(dc,
                 line.action == Line::Action::None ? GetSysColor(COLOR_BTNTEXT) : RGB(0, 0, 192));
    DrawTextW(dc, text.c_str(), -1, &r, DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
    y = r.bottom + kLineGap;
  }
  SelectObject(dc, old_font);
  SelectClipRgn(dc, nullptr);
  DeleteObject(clip);
  EndPaint(hwnd(), &paint);
}

void TAboutForm::FormClick(int x, int y) {
  RECT credits = CreditsRect();
  POINT point = {x, y};
  if (!PtInRect(&credits, point)) return;
  HDC dc = GetDC(hwnd());
  HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  int top = credits.top - scroll_;
  const Line* hit = nullptr;
  for (const Line& line : lines_) {
    std::wstring text = WithBreaks(line.text);
    RECT r = {credits.left, top, credits.right, top};
    DrawTextW(dc, text.c_str(), -1, &r, DT_CALCRECT | DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
    if (y >= top && y < r.bottom) hit = &line;
    top = r.bottom + kLineGap;
  }
  SelectObject(dc, old);
  ReleaseDC(hwnd(), dc);
  if (!hit || hit->action == Line::Action::None) return;
  const std::string target = hit->action == Line::Action::Web ? links_.web : MailCommand();
  ShellExecuteW(hwnd(), L"open", Widen(target).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

LRESULT TAboutForm::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      if (LOWORD(wparam) == kButtonOk || LOWORD(wparam) == IDCANCEL) ButtonOkClick();
      return 0;
    case WM_TIMER:
      if (wparam == kScrollTimer) TimerTimer();
      return 0;
    case WM_PAINT:
      FormPaint();
      return 0;
    case WM_LBUTTONUP:
      FormClick(static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam)));
      return 0;
    case WM_KEYDOWN:
      if (wparam == VK_ESCAPE) ButtonOkClick();
      return 0;
    case WM_QUERYENDSESSION:
      may_close_ = true;
      return TRUE;
    case WM_CLOSE:
      // The close box only hides the box; it closes for real when Windows ends the session.
      if (!may_close_) {
        ButtonOkClick();
        return 0;
      }
      break;
    default:
      break;
  }
  return Form::OnMessage(message, wparam, lparam);
}

}  // namespace lw
