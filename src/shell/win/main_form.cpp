#include "shell/win/main_form.h"

// After windows.h, which they need.
#include <commctrl.h>

#include <algorithm>

#include "common/win/wide.h"
#include "config/control_texts.h"
#include "config/messages.h"
#include "notify/win/form_support.h"
#include "notify/win/main_images.h"

namespace lw {

namespace {

using C = TMainForm::Control;

constexpr std::string_view kForm = "TMainForm";
constexpr COLORREF kRed = RGB(255, 0, 0);

// Control identifiers: the first control's, then one more for each in the order of Control.
constexpr int kFirstControlId = 100;

// The statistics' layout, in pixels of the client area.
constexpr int kMargin = 8;
constexpr int kRowTop = 6;
constexpr int kRowStep = 17;
constexpr int kLabelGap = 6;
// The widest the label column may grow for a long translation; the values keep the rest.
constexpr int kMaxLabelWidth = 118;
constexpr int kTextButtonMinWidth = 60;
constexpr int kTextButtonHeight = 23;
constexpr int kImageButtonWidth = 23;
constexpr int kImageButtonHeight = 22;
constexpr int kCurConnWidth = 44;

// The pictures the form keeps for its buttons.
enum Icon { kIconLocked, kIconUnlocked, kIconPrev, kIconNext, kIconLastInfo, kIconRefresh };

int IdOf(C control) { return kFirstControlId + static_cast<int>(control); }

int TextWidth(const std::string& text) {
  return ui::MeasureText(ui::MessageFont(), Widen(text)).cx;
}

void SetItemText(HMENU menu, UINT item, bool by_position, const std::string& text) {
  std::wstring wide = Widen(text);
  MENUITEMINFOW info = {};
  info.cbSize = sizeof info;
  info.fMask = MIIM_STRING;
  info.dwTypeData = wide.data();
  SetMenuItemInfoW(menu, item, by_position ? TRUE : FALSE, &info);
}

}  // namespace

TMainForm::~TMainForm() {
  if (popup_) DestroyMenu(popup_);
  if (tooltips_) DestroyWindow(tooltips_);
  for (HICON icon : icons_) {
    if (icon) DestroyIcon(icon);
  }
}

bool TMainForm::Create() {
  constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
  constexpr DWORD kExStyle = WS_EX_TOOLWINDOW;
  RECT frame = {0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
  if (!Form::Create(L"TMainForm", "LarkWatch", kStyle, kExStyle, frame.right - frame.left,
                    frame.bottom - frame.top)) {
    return false;
  }
  // The frame the system gives may differ from the one asked for: the client area decides.
  const SIZE size = ui::SizeForClient(hwnd(), kClientWidth, kClientHeight);
  SetWindowPos(hwnd(), nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  popup_ = CreatePopupMenu();
  addons_ = CreatePopupMenu();
  languages_ = CreatePopupMenu();
  lang_version_ = CreatePopupMenu();
  AppendMenuW(popup_, MF_STRING, kMenuStats, L"");
  AppendMenuW(popup_, MF_STRING, kMenuOptions, L"");
  AppendMenuW(popup_, MF_STRING, kMenuDialDefault, L"");
  AppendMenuW(addons_, MF_STRING, kMenuAddonsScan, L"");
  AppendMenuW(popup_, MF_POPUP, reinterpret_cast<UINT_PTR>(addons_), L"");
  AppendMenuW(popup_, MF_POPUP, reinterpret_cast<UINT_PTR>(languages_), L"");
  AppendMenuW(lang_version_, MF_STRING, kMenuLangVersionTranslation, L"");
  AppendMenuW(lang_version_, MF_STRING, kMenuLangVersionHttp, L"");
  AppendMenuW(lang_version_, MF_STRING, kMenuLangVersionEmail, L"");
  AppendMenuW(popup_, MF_POPUP, reinterpret_cast<UINT_PTR>(lang_version_), L"");
  AppendMenuW(popup_, MF_STRING, kMenuAbout, L"");
  AppendMenuW(popup_, MF_STRING, kMenuHelp, L"");
  AppendMenuW(popup_, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(popup_, MF_STRING, kMenuClose, L"");
  CreateControls();
  ApplyTexts();
  ShowConnection(ConnectionView{});
  ApplyStatsOnTop(0);
  return true;
}

// Creation order is the order of Tab.
void TMainForm::CreateControls() {
  HWND window = hwnd();
  auto make = [&](C which, const wchar_t* window_class, DWORD style) {
    controls_[static_cast<int>(which)] =
        ui::CreateControl(window, window_class, style, IdOf(which));
  };
  constexpr DWORD kLabel = SS_LEFTNOWORDWRAP | SS_NOPREFIX;
  // Values are cut with an ellipsis where they do not fit; SS_NOTIFY lets the number's hint
  // see the mouse.
  constexpr DWORD kValue = SS_LEFTNOWORDWRAP | SS_NOPREFIX | SS_ENDELLIPSIS | SS_NOTIFY;
  constexpr DWORD kTextButton = BS_PUSHBUTTON | WS_TABSTOP;
  constexpr DWORD kImageButton = BS_PUSHBUTTON | BS_ICON | WS_TABSTOP;
  make(C::Label2, L"STATIC", kLabel);
  make(C::BookEntry, L"STATIC", kValue);
  make(C::Label3, L"STATIC", kLabel);
  make(C::PhoneNo, L"STATIC", kValue);
  make(C::Label1, L"STATIC", kLabel);
  make(C::Country, L"STATIC", kValue);
  make(C::Label4, L"STATIC", kLabel);
  make(C::DevType, L"STATIC", kValue);
  make(C::DevName, L"STATIC", kValue);
  make(C::ButtonOk, L"BUTTON", kTextButton);
  make(C::ButtonDisconnect, L"BUTTON", kTextButton);
  make(C::Label5, L"STATIC", kLabel);
  make(C::CurConnText, L"EDIT", ES_READONLY | ES_CENTER | ES_AUTOHSCROLL | WS_TABSTOP);
  make(C::ButtonPrev, L"BUTTON", kImageButton);
  make(C::ButtonNext, L"BUTTON", kImageButton);
  make(C::ButtonLock, L"BUTTON", kImageButton);
  make(C::ButtonLastInfo, L"BUTTON", kImageButton);
  make(C::ButtonRefreshStats, L"BUTTON", kImageButton);
  make(C::StatusBar, STATUSCLASSNAMEW, 0);
  HWND edit = control(C::CurConnText);
  SetWindowLongPtrW(edit, GWL_EXSTYLE, GetWindowLongPtrW(edit, GWL_EXSTYLE) | WS_EX_CLIENTEDGE);
  SetWindowPos(edit, nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  // One panel over the whole width.
  const int parts[] = {-1};
  SendMessageW(control(C::StatusBar), SB_SETPARTS, 1, reinterpret_cast<LPARAM>(parts));

  icons_ = {MainImageIcon(kLockedImage),
            MainImageIcon(kUnlockedImage),
            ButtonGlyphIcon(ButtonGlyph::Previous),
            ButtonGlyphIcon(ButtonGlyph::Next),
            ButtonGlyphIcon(ButtonGlyph::LastInfo),
            ButtonGlyphIcon(ButtonGlyph::Refresh)};
  auto set_icon = [&](C which, HICON icon) {
    SendMessageW(control(which), BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
  };
  set_icon(C::ButtonPrev, icons_[kIconPrev]);
  set_icon(C::ButtonNext, icons_[kIconNext]);
  set_icon(C::ButtonLastInfo, icons_[kIconLastInfo]);
  set_icon(C::ButtonRefreshStats, icons_[kIconRefresh]);
  tooltips_ = ui::CreateTooltips();
}

void TMainForm::ApplyTexts() {
  auto menu_text = [&](const char* control) {
    return texts_.Text(kForm, control, ControlProperty::MenuCaption);
  };
  SetItemText(popup_, kMenuStats, false, menu_text("MenuStats"));
  SetItemText(popup_, kMenuOptions, false, menu_text("MenuOptions"));
  SetItemText(popup_, kMenuDialDefault, false, menu_text("DialDefault"));
  SetItemText(addons_, kMenuAddonsScan, false, menu_text("MenuAddonsScan"));
  SetItemText(popup_, 3, true, menu_text("MenuAddons"));
  SetItemText(popup_, 4, true, menu_text("MainMenuLanguage"));
  SetItemText(popup_, 5, true, menu_text("MainMenuLangVersion"));
  SetItemText(popup_, kMenuAbout, false, menu_text("MenuAbout"));
  SetItemText(popup_, kMenuHelp, false, menu_text("MenuHelp"));
  SetItemText(popup_, kMenuClose, false, menu_text("MenuClose"));
  SetItemText(lang_version_, kMenuLangVersionTranslation, false,
              messages_.Text(msg::TranslatorName));
  SetItemText(lang_version_, kMenuLangVersionHttp, false, messages_.Text(msg::TranslatorWeb));
  SetItemText(lang_version_, kMenuLangVersionEmail, false, messages_.Text(msg::TranslatorMail));
  // Without language files the language menu is disabled.
  EnableMenuItem(popup_, 4,
                 MF_BYPOSITION | (GetMenuItemCount(languages_) ? MF_ENABLED : MF_GRAYED));

  auto caption = [&](C which, const char* name) {
    ui::SetWindowTextUtf8(control(which), texts_.Text(kForm, name, ControlProperty::Caption));
  };
  caption(C::Label2, "Label2");
  caption(C::Label3, "Label3");
  caption(C::Label1, "Label1");
  caption(C::Label4, "Label4");
  caption(C::Label5, "Label5");
  caption(C::ButtonOk, "ButtonOk");
  caption(C::ButtonDisconnect, "ButtonDisconnect");
  auto hint = [&](C which, const char* name) {
    ui::SetHint(tooltips_, control(which), texts_.Text(kForm, name, ControlProperty::Hint));
  };
  hint(C::ButtonPrev, "ButtonPrev");
  hint(C::ButtonNext, "ButtonNext");
  hint(C::ButtonOk, "ButtonOk");
  hint(C::ButtonDisconnect, "ButtonDisconnect");
  hint(C::ButtonLock, "ButtonLock");
  hint(C::ButtonLastInfo, "ButtonLastInfo");
  hint(C::ButtonRefreshStats, "ButtonRefreshStats");
  Layout();
  // Controls moved for texts of another length leave nothing of their old place behind.
  if (hwnd()) RedrawWindow(hwnd(), nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

// Labels in a column as wide as the widest caption, the values beside them; Hide and
// Disconnect at the top right, beside the first three rows; the position with its stepping
// buttons and the three picture buttons in a row under the values; the status bar at the
// bottom.
void TMainForm::Layout() {
  const C labels[] = {C::Label2, C::Label3, C::Label1, C::Label4, C::Label5};
  const C values[] = {C::BookEntry, C::PhoneNo, C::Country, C::DevType};
  int label_width = 0;
  for (C label : labels) label_width = std::max(label_width, TextWidth(TextOf(label)));
  label_width = std::min(label_width, kMaxLabelWidth);
  const int line = ui::MeasureText(ui::MessageFont(), L"").cy;
  const int step = std::max(kRowStep, line + 3);
  const int value_left = kMargin + label_width + kLabelGap;

  const int button_width = std::max({kTextButtonMinWidth, TextWidth(TextOf(C::ButtonOk)) + 20,
                                     TextWidth(TextOf(C::ButtonDisconnect)) + 20});
  const int button_left = kClientWidth - kMargin - button_width;
  MoveWindow(control(C::ButtonOk), button_left, kRowTop - 2, button_width, kTextButtonHeight,
             FALSE);
  MoveWindow(control(C::ButtonDisconnect), button_left, kRowTop + kTextButtonHeight + 2,
             button_width, kTextButtonHeight, FALSE);
  const int buttons_bottom = kRowTop + 2 * kTextButtonHeight + 2;

  int top = kRowTop;
  for (int row = 0; row < 4; ++row) {
    MoveWindow(control(labels[row]), kMargin, top, label_width, line, FALSE);
    // Rows beside the buttons end before them; the device row has the full width.
    const int right = top < buttons_bottom ? button_left - kLabelGap : kClientWidth - kMargin;
    if (values[row] == C::DevType) {
      device_ = {value_left, top, right, top + line};
      PlaceDevice(false);
    } else {
      MoveWindow(control(values[row]), value_left, top, right - value_left, line, FALSE);
    }
    top += step;
  }

  const int row_top = std::max(top + 2, buttons_bottom + 2);
  const int edit_height = kImageButtonHeight;
  MoveWindow(control(C::Label5), kMargin, row_top + (edit_height - line) / 2, label_width, line,
             FALSE);
  MoveWindow(control(C::CurConnText), value_left, row_top, kCurConnWidth, edit_height, FALSE);
  int left = value_left + kCurConnWidth + 3;
  for (C which : {C::ButtonPrev, C::ButtonNext}) {
    MoveWindow(control(which), left, row_top, kImageButtonWidth, kImageButtonHeight, FALSE);
    left += kImageButtonWidth + 1;
  }
  left = kClientWidth - kMargin - 3 * kImageButtonWidth - 4;
  for (C which : {C::ButtonLock, C::ButtonLastInfo, C::ButtonRefreshStats}) {
    MoveWindow(control(which), left, row_top, kImageButtonWidth, kImageButtonHeight, FALSE);
    left += kImageButtonWidth + 2;
  }
  // The status bar places itself at the bottom.
  SendMessageW(control(C::StatusBar), WM_SIZE, 0, 0);
  InvalidateRect(hwnd(), nullptr, TRUE);
}

void TMainForm::ShowConnection(const ConnectionView& view) {
  view_ = view;
  ui::SetWindowTextUtf8(control(C::BookEntry), view.book_entry);
  ui::SetWindowTextUtf8(control(C::PhoneNo), view.phone_no);
  ui::SetHint(tooltips_, control(C::PhoneNo), view.phone_no);
  ui::SetWindowTextUtf8(control(C::Country), view.country);
  ui::SetWindowTextUtf8(control(C::DevType), view.dev_type);
  ui::SetWindowTextUtf8(control(C::DevName), view.dev_name);
  ui::SetWindowTextUtf8(control(C::CurConnText), view.position);
  SendMessageW(control(C::StatusBar), SB_SETTEXTW, 0,
               reinterpret_cast<LPARAM>(Widen(view.status).c_str()));
  const BOOL enabled = view.has_connections ? TRUE : FALSE;
  for (C which :
       {C::CurConnText, C::ButtonDisconnect, C::ButtonRefreshStats, C::ButtonNext, C::ButtonPrev}) {
    EnableWindow(control(which), enabled);
  }
  KeepFocus();
  PlaceDevice(true);
}

// The device type as wide as its text (at most a third of the row), the name in the rest.
void TMainForm::PlaceDevice(bool repaint) {
  const int width = device_.right - device_.left;
  const int type_width = std::min(TextWidth(TextOf(C::DevType)), width / 3);
  const int height = device_.bottom - device_.top;
  MoveWindow(control(C::DevType), device_.left, device_.top, type_width, height, repaint);
  const int name_left = device_.left + type_width + (type_width > 0 ? kLabelGap : 0);
  MoveWindow(control(C::DevName), name_left, device_.top, device_.right - name_left, height,
             repaint);
}

std::string TMainForm::TextOf(Control which) const {
  HWND window = control(which);
  if (which != C::StatusBar) return ui::WindowTextUtf8(window);
  const LRESULT length = SendMessageW(window, SB_GETTEXTLENGTHW, 0, 0);
  std::wstring text(static_cast<std::size_t>(LOWORD(length)) + 1, L'\0');
  SendMessageW(window, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text.data()));
  text.resize(wcslen(text.c_str()));
  return Narrow(text);
}

std::string TMainForm::HintOf(Control which) const { return ui::HintOf(tooltips_, control(which)); }

COLORREF TMainForm::TextColourOf(Control which) const {
  auto colour = [](TextColour c) {
    return c == TextColour::Red ? kRed : GetSysColor(COLOR_WINDOWTEXT);
  };
  switch (which) {
    case C::BookEntry:
      return colour(view_.book_entry_colour);
    case C::PhoneNo:
      return colour(view_.phone_no_colour);
    case C::Country:
      return colour(view_.country_colour);
    default:
      return GetSysColor(COLOR_WINDOWTEXT);
  }
}

void TMainForm::ApplyStatsOnTop(int on) {
  lock_image_ = on ? kLockedImage : kUnlockedImage;
  SendMessageW(control(C::ButtonLock), BM_SETIMAGE, IMAGE_ICON,
               reinterpret_cast<LPARAM>(icons_[on ? kIconLocked : kIconUnlocked]));
  if (hwnd()) {
    SetWindowPos(hwnd(), on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
}

void TMainForm::MoveTo(int x, int y) const {
  if (hwnd()) {
    SetWindowPos(hwnd(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

SIZE TMainForm::WindowSize() const {
  RECT rect = {};
  if (hwnd()) GetWindowRect(hwnd(), &rect);
  return {rect.right - rect.left, rect.bottom - rect.top};
}

void TMainForm::Click(Control which) {
  if (!IsWindowEnabled(control(which))) return;
  switch (which) {
    case C::ButtonOk:
      ButtonOkClick();
      break;
    case C::ButtonLock:
      ButtonLockClick();
      break;
    case C::ButtonPrev:
      if (hooks_.prev) hooks_.prev();
      break;
    case C::ButtonNext:
      if (hooks_.next) hooks_.next();
      break;
    case C::ButtonDisconnect:
      if (hooks_.disconnect) hooks_.disconnect();
      break;
    case C::ButtonLastInfo:
      if (hooks_.last_info) hooks_.last_info();
      break;
    case C::ButtonRefreshStats:
      if (hooks_.refresh) hooks_.refresh();
      break;
    default:
      break;
  }
}

void TMainForm::ButtonOkClick() {
  Hide();
  if (hooks_.hide) hooks_.hide();
}

void TMainForm::ButtonLockClick() {
  ApplyStatsOnTop(StatsOnTop() ? 0 : 1);
  if (hooks_.lock) hooks_.lock(StatsOnTop());
}

// The statistics' keys; true for a key of the window, whether its button is enabled or not.
bool TMainForm::FormKeyDown(WPARAM key) {
  const bool control_down = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
  switch (key) {
    case VK_ESCAPE:
      Click(C::ButtonOk);
      return true;
    case VK_PRIOR:
      Click(C::ButtonPrev);
      return true;
    case VK_NEXT:
      Click(C::ButtonNext);
      return true;
    case VK_CANCEL:
      // Ctrl+Break; without Ctrl (which no keyboard types) the dialog keys would take it for
      // Esc.
      if (control_down) Click(C::ButtonDisconnect);
      return true;
    case VK_F12:
      Click(control_down ? C::ButtonLock : C::ButtonLastInfo);
      return true;
    case VK_F5:
      Click(C::ButtonRefreshStats);
      return true;
    default:
      return false;
  }
}

bool TMainForm::PreTranslate(MSG& message) {
  HWND window = hwnd();
  if (window == nullptr || !IsWindowVisible(window)) return false;
  if (message.hwnd != window && !IsChild(window, message.hwnd)) return false;
  if (message.message == WM_KEYDOWN && FormKeyDown(message.wParam)) return true;
  return IsDialogMessageW(window, &message) != FALSE;
}

void TMainForm::KeepFocus() {
  HWND window = hwnd();
  HWND focus = GetFocus();
  const bool lost = focus == nullptr || (IsChild(window, focus) && !IsWindowEnabled(focus));
  if (lost && GetActiveWindow() == window) SetFocus(control(C::ButtonOk));
  if (focus_ && !IsWindowEnabled(focus_)) focus_ = nullptr;
}

void TMainForm::AddExtensionCommand(std::size_t index, const std::string& caption) {
  if (!addons_separator_) {
    AppendMenuW(addons_, MF_SEPARATOR, 0, nullptr);
    addons_separator_ = true;
  }
  AppendMenuW(addons_, MF_STRING, kMenuExtensionFirst + static_cast<UINT>(index),
              Widen(caption).c_str());
}

void TMainForm::SetLanguages(const std::vector<std::string>& names) {
  while (GetMenuItemCount(languages_) > 0) DeleteMenu(languages_, 0, MF_BYPOSITION);
  language_names_ = names;
  for (std::size_t i = 0; i < names.size(); ++i) {
    AppendMenuW(languages_, MF_STRING, kMenuLanguageFirst + static_cast<UINT>(i),
                Widen(names[i]).c_str());
  }
  EnableMenuItem(popup_, 4,
                 MF_BYPOSITION | (GetMenuItemCount(languages_) ? MF_ENABLED : MF_GRAYED));
}

void TMainForm::CheckLanguage(const std::string& current) {
  for (std::size_t i = 0; i < language_names_.size(); ++i) {
    CheckMenuItem(languages_, kMenuLanguageFirst + static_cast<UINT>(i),
                  MF_BYCOMMAND | (language_names_[i] == current ? MF_CHECKED : MF_UNCHECKED));
  }
}

void TMainForm::MenuClose() {
  closing_ = true;
  SendMessageW(hwnd(), WM_CLOSE, 0, 0);
}

void TMainForm::ForceClose() {
  closing_ = true;
  forced_close_ = true;
  SendMessageW(hwnd(), WM_CLOSE, 0, 0);
}

// Whether the window may close: while the program is not closing it only hides; a closing
// that nobody forced asks first.
bool TMainForm::FormCloseQuery() {
  if (!closing_) {
    Hide();
    return false;
  }
  if (forced_close_) return true;
  const std::wstring text = Widen(messages_.Text(msg::AskClose));
  const int answer =
      MessageBoxW(hwnd(), text.c_str(), L"LorkWatch", MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2);
  if (answer == IDYES) return true;
  closing_ = false;
  return false;
}

LRESULT TMainForm::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND: {
      const int id = LOWORD(wparam);
      if (lparam != 0) {
        // A control's notification.
        if (HIWORD(wparam) == BN_CLICKED && id >= kFirstControlId &&
            id < kFirstControlId + kControlCount) {
          Click(static_cast<C>(id - kFirstControlId));
        }
      } else if (id == IDOK) {
        // Enter, from the dialog keys: a focused button is pressed.
        HWND focus = GetFocus();
        const int focus_id = focus && IsChild(hwnd(), focus) ? GetDlgCtrlID(focus) : 0;
        if (focus_id >= kFirstControlId && focus_id < kFirstControlId + kControlCount) {
          Click(static_cast<C>(focus_id - kFirstControlId));
        }
      } else if (id == IDCANCEL) {
        Click(C::ButtonOk);
      } else if (HIWORD(wparam) == 0 && id == kMenuClose) {
        MenuClose();
      } else if (HIWORD(wparam) == 0 && hooks_.command) {
        hooks_.command(id);
      }
      return 0;
    }
    case WM_KEYDOWN:
      // The window itself has the focus.
      if (FormKeyDown(wparam)) return 0;
      break;
    case WM_CTLCOLORSTATIC: {
      const auto static_control = reinterpret_cast<HWND>(lparam);
      for (C which : {C::BookEntry, C::PhoneNo, C::Country}) {
        if (static_control != control(which)) continue;
        HDC dc = reinterpret_cast<HDC>(wparam);
        SetTextColor(dc, TextColourOf(which));
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
      }
      break;
    }
    case WM_ACTIVATE:
      // The focus leaves with the activation and comes back to the control that had it.
      if (LOWORD(wparam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(hwnd(), focus)) focus_ = focus;
      } else {
        SetFocus(focus_ && IsWindowEnabled(focus_) ? focus_ : control(C::ButtonOk));
      }
      return 0;
    case WM_CLOSE:
      if (!FormCloseQuery()) return 0;
      if (hooks_.close_handler) hooks_.close_handler();
      DestroyWindow(hwnd());
      return 0;
    case WM_QUERYENDSESSION:
      closing_ = true;
      forced_close_ = true;
      return TRUE;
    case WM_ENDSESSION:
      if (wparam) SendMessageW(hwnd(), WM_CLOSE, 0, 0);
      return 0;
    case WM_ENTERIDLE:
      // Message boxes and modal windows owned by this window are idle: so is the program.
      if (hooks_.idle) hooks_.idle();
      return 0;
    case WM_DESTROY:
      if (hooks_.destroy) hooks_.destroy();
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return Form::OnMessage(message, wparam, lparam);
}

}  // namespace lw
