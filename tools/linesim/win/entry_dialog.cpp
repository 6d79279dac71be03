#include "linesim/win/entry_dialog.h"

#include <raserror.h>

#include <functional>
#include <memory>

#include "linesim/phonebook.h"
#include "linesim/win/line_state.h"
#include "linesim/win/phonebook_store.h"

namespace lw::linesim {
namespace {

enum ControlId : int {
  kNameField = 101,
  kCountryField,
  kAreaField,
  kNumberField,
  kUseCodesBox,
  kDeviceField,
  kUserField,
  kPasswordField,
};

// Saves what the user entered: 0 closes the dialog, ERROR_INVALID_NAME or ERROR_ALREADY_EXISTS
// keep it open at the name field, any other code closes it with that code.
using SaveFunction = std::function<DWORD(const Entry&)>;

constexpr int kMargin = 12;
constexpr int kLabelWidth = 150;
constexpr int kFieldWidth = 200;
constexpr int kRowHeight = 30;
constexpr int kFieldHeight = 24;
constexpr int kButtonWidth = 90;

HMODULE ThisModule() {
  HMODULE module = nullptr;
  // Pinned: the window class's procedure must stay while the class is registered.
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                     reinterpret_cast<LPCWSTR>(&ThisModule), &module);
  return module;
}

std::wstring TextOf(HWND control) {
  std::wstring text(GetWindowTextLengthW(control) + 1, L'\0');
  text.resize(GetWindowTextW(control, text.data(), int(text.size())));
  return text;
}

uint32_t NumberOr(const std::wstring& text, uint32_t fallback) {
  if (text.empty() || text.size() > 9) return fallback;
  uint32_t value = 0;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') return fallback;
    value = value * 10 + uint32_t(c - L'0');
  }
  return value;
}

class EntryDialog {
 public:
  EntryDialog(const Entry& entry, SaveFunction save) : entry_(entry), save_(std::move(save)) {}

  DWORD Run(HWND owner, const std::wstring& title) {
    HMODULE module = ThisModule();
    WNDCLASSEXW window_class = {};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = &EntryDialog::Procedure;
    window_class.hInstance = module;
    window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    window_class.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    window_class.lpszClassName = kEntryDialogClass;
    if (!RegisterClassExW(&window_class) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
      return GetLastError();
    }
    HWND root = owner ? GetAncestor(owner, GA_ROOT) : nullptr;
    const int rows = 9;
    RECT frame = {0, 0, kMargin * 3 + kLabelWidth + kFieldWidth, kMargin * 2 + rows * kRowHeight};
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    const DWORD ex_style = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
    AdjustWindowRectEx(&frame, style, FALSE, ex_style);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    RECT area;
    if (!root || !GetWindowRect(root, &area)) SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    const int x = area.left + (area.right - area.left - width) / 2;
    const int y = area.top + (area.bottom - area.top - height) / 2;
    window_ = CreateWindowExW(ex_style, kEntryDialogClass, title.c_str(), style, x, y, width,
                              height, root, nullptr, module, this);
    if (!window_) return GetLastError();
    CreateControls(module);

    const bool disable_owner = root && IsWindowEnabled(root);
    if (disable_owner) EnableWindow(root, FALSE);
    ShowWindow(window_, SW_SHOW);
    SetForegroundWindow(window_);
    SetFocus(GetDlgItem(window_, kNameField));
    MSG message;
    while (!done_) {
      const BOOL got = GetMessageW(&message, nullptr, 0, 0);
      if (got <= 0) {
        // WM_QUIT belongs to the caller's loop.
        if (got == 0) PostQuitMessage(int(message.wParam));
        result_ = kCancelled;
        break;
      }
      if (!IsDialogMessageW(window_, &message)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
      }
    }
    if (disable_owner) EnableWindow(root, TRUE);
    DestroyWindow(window_);
    if (font_) DeleteObject(font_);
    return result_;
  }

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE) {
      const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
      SetWindowLongPtrW(window, GWLP_USERDATA, LONG_PTR(create->lpCreateParams));
    }
    auto* dialog = reinterpret_cast<EntryDialog*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (dialog) {
      switch (message) {
        case WM_COMMAND:
          if (HIWORD(wparam) == BN_CLICKED && LOWORD(wparam) == IDOK) dialog->OnOk();
          if (HIWORD(wparam) == BN_CLICKED && LOWORD(wparam) == IDCANCEL)
            dialog->Finish(kCancelled);
          return 0;
        case WM_CLOSE:
          dialog->Finish(kCancelled);
          return 0;
        case DM_GETDEFID:
          return MAKELRESULT(IDOK, DC_HASDEFID);
        default:
          break;
      }
    }
    return DefWindowProcW(window, message, wparam, lparam);
  }

  HWND Add(HMODULE module, const wchar_t* kind, const std::wstring& text, DWORD style, int id,
           int x, int y, int width, int height, DWORD ex_style = 0) {
    HWND control = CreateWindowExW(
        ex_style, kind, text.c_str(), WS_CHILD | WS_VISIBLE | style, x, y, width, height, window_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), module, nullptr);
    SendMessageW(control, WM_SETFONT, WPARAM(font_), FALSE);
    return control;
  }

  void CreateControls(HMODULE module) {
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof metrics;
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
      font_ = CreateFontIndirectW(&metrics.lfMessageFont);
    }
    const int field_x = kMargin * 2 + kLabelWidth;
    int y = kMargin;
    auto row = [&](const wchar_t* label, int id, const std::string& value, DWORD style) {
      Add(module, L"STATIC", label, SS_LEFT, -1, kMargin, y + 4, kLabelWidth, kFieldHeight);
      Add(module, L"EDIT", WideFromAnsi(value), WS_TABSTOP | ES_AUTOHSCROLL | style, id, field_x, y,
          kFieldWidth, kFieldHeight, WS_EX_CLIENTEDGE);
      y += kRowHeight;
    };
    row(L"Entry name:", kNameField, entry_.name, 0);
    SendDlgItemMessageW(window_, kNameField, EM_LIMITTEXT, kMaxEntryName, 0);
    row(L"Country code:", kCountryField, std::to_string(entry_.country_code), ES_NUMBER);
    row(L"Area code:", kAreaField, entry_.area_code, 0);
    SendDlgItemMessageW(window_, kAreaField, EM_LIMITTEXT, kMaxAreaCode, 0);
    row(L"Phone number:", kNumberField, entry_.phone_number, 0);
    SendDlgItemMessageW(window_, kNumberField, EM_LIMITTEXT, kMaxPhoneNumber, 0);
    Add(module, L"BUTTON", L"Use country and area codes", WS_TABSTOP | BS_AUTOCHECKBOX,
        kUseCodesBox, field_x, y, kFieldWidth, kFieldHeight);
    CheckDlgButton(window_, kUseCodesBox,
                   entry_.use_country_and_area_codes ? BST_CHECKED : BST_UNCHECKED);
    y += kRowHeight;
    Add(module, L"STATIC", L"Device type:", SS_LEFT, -1, kMargin, y + 4, kLabelWidth, kFieldHeight);
    HWND device = Add(module, L"COMBOBOX", L"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN,
                      kDeviceField, field_x, y, kFieldWidth, kFieldHeight * 5);
    for (const wchar_t* type : {L"modem", L"isdn", L"vpn"}) {
      SendMessageW(device, CB_ADDSTRING, 0, LPARAM(type));
    }
    SetWindowTextW(device, WideFromAnsi(entry_.device_type).c_str());
    SendMessageW(device, CB_LIMITTEXT, kMaxDeviceType, 0);
    y += kRowHeight;
    row(L"User name:", kUserField, entry_.user, 0);
    SendDlgItemMessageW(window_, kUserField, EM_LIMITTEXT, kMaxUserName, 0);
    row(L"Password:", kPasswordField, entry_.password, ES_PASSWORD);
    SendDlgItemMessageW(window_, kPasswordField, EM_LIMITTEXT, kMaxPassword, 0);
    const int button_y = y + kMargin / 2;
    const int right = field_x + kFieldWidth;
    Add(module, L"BUTTON", L"OK", WS_TABSTOP | BS_DEFPUSHBUTTON, IDOK,
        right - 2 * kButtonWidth - kMargin, button_y, kButtonWidth, kFieldHeight + 2);
    Add(module, L"BUTTON", L"Cancel", WS_TABSTOP | BS_PUSHBUTTON, IDCANCEL, right - kButtonWidth,
        button_y, kButtonWidth, kFieldHeight + 2);
  }

  std::string Field(int id) { return AnsiFromWide(TextOf(GetDlgItem(window_, id))); }

  void OnOk() {
    Entry entry = entry_;
    entry.name = Field(kNameField);
    const uint32_t country =
        NumberOr(TextOf(GetDlgItem(window_, kCountryField)), entry_.country_code);
    if (country != entry_.country_code) entry.country_id = country;
    entry.country_code = country;
    entry.area_code = Field(kAreaField);
    entry.phone_number = Field(kNumberField);
    entry.use_country_and_area_codes = IsDlgButtonChecked(window_, kUseCodesBox) == BST_CHECKED;
    entry.device_type = Field(kDeviceField);
    if (entry.device_type.empty()) entry.device_type = kDefaultDeviceType;
    entry.user = Field(kUserField);
    entry.password = Field(kPasswordField);
    const DWORD saved = IsValidEntryName(entry.name) ? save_(entry) : ERROR_INVALID_NAME;
    if (saved == ERROR_INVALID_NAME || saved == ERROR_ALREADY_EXISTS) {
      MessageBeep(MB_ICONWARNING);
      HWND name = GetDlgItem(window_, kNameField);
      SetFocus(name);
      SendMessageW(name, EM_SETSEL, 0, -1);
      return;
    }
    Finish(saved);
  }

  void Finish(DWORD result) {
    result_ = result;
    done_ = true;
  }

  Entry entry_;
  SaveFunction save_;
  HWND window_ = nullptr;
  HFONT font_ = nullptr;
  bool done_ = false;
  DWORD result_ = kCancelled;
};

}  // namespace

DWORD CreateEntryWithDialog(HWND owner, const std::wstring& phonebook) {
  uint32_t error = 0;
  const std::shared_ptr<Line> line = Line::Open(&error);
  if (!line) return error;
  const std::wstring path = line->Phonebook(phonebook);
  {
    Line::Session session(*line);
    if (session.error()) return session.error();
    if (session.fail_mode() == FailMode::DamagedPhonebook) return ERROR_CANNOT_OPEN_PHONEBOOK;
  }
  EntryDialog dialog(Entry(), [&](const Entry& entry) -> DWORD {
    Line::Session session(*line);
    if (session.error()) return session.error();
    return ChangePhonebook(session, path, [&](Phonebook& book) -> uint32_t {
      if (book.Contains(entry.name)) return ERROR_ALREADY_EXISTS;
      return book.Put(entry) ? 0 : ERROR_INVALID_NAME;
    });
  });
  return dialog.Run(owner, L"New phonebook entry");
}

DWORD EditEntryWithDialog(HWND owner, const std::wstring& phonebook, const std::string& name) {
  uint32_t error = 0;
  const std::shared_ptr<Line> line = Line::Open(&error);
  if (!line) return error;
  const std::wstring path = line->Phonebook(phonebook);
  Entry original;
  {
    Line::Session session(*line);
    if (session.error()) return session.error();
    if (const DWORD read = ReadEntry(session, path, name, original)) return read;
  }
  EntryDialog dialog(original, [&](const Entry& entry) -> DWORD {
    Line::Session session(*line);
    if (session.error()) return session.error();
    return ChangePhonebook(session, path, [&](Phonebook& book) -> uint32_t {
      if (!book.Contains(original.name)) return ERROR_CANNOT_FIND_PHONEBOOK_ENTRY;
      if (entry.name != original.name) {
        if (!SameEntryName(original.name, entry.name) && book.Contains(entry.name)) {
          return ERROR_ALREADY_EXISTS;
        }
        if (!book.Rename(original.name, entry.name)) return ERROR_INVALID_NAME;
      }
      return book.Put(entry) ? 0 : ERROR_INVALID_NAME;
    });
  });
  return dialog.Run(owner, WideFromAnsi("Edit phonebook entry - " + original.name));
}

}  // namespace lw::linesim
