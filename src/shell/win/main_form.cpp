#include "shell/win/main_form.h"

#include "common/win/wide.h"
#include "config/control_texts.h"
#include "config/messages.h"

namespace lw {

namespace {

constexpr int kWidth = 300;
constexpr int kHeight = 200;

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
}

bool TMainForm::Create() {
  if (!Form::Create(L"TMainForm", "LarkWatch", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU,
                    WS_EX_TOOLWINDOW, kWidth, kHeight)) {
    return false;
  }
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
  ApplyTexts();
  return true;
}

void TMainForm::ApplyTexts() {
  auto menu_text = [&](const char* control) {
    return texts_.Text("TMainForm", control, ControlProperty::MenuCaption);
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
  // No language files yet: the language menu is disabled until it has items.
  EnableMenuItem(popup_, 4,
                 MF_BYPOSITION | (GetMenuItemCount(languages_) ? MF_ENABLED : MF_GRAYED));
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
    case WM_COMMAND:
      if (HIWORD(wparam) == 0 && LOWORD(wparam) == kMenuClose) {
        MenuClose();
      } else if (HIWORD(wparam) == 0 && hooks_.command) {
        hooks_.command(LOWORD(wparam));
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
