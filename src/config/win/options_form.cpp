#include "config/win/options_form.h"

// After windows.h, which they need.
#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <utility>

#include "common/codec.h"
#include "common/win/wide.h"
#include "config/control_texts.h"
#include "config/messages.h"
#include "config/settings.h"
#include "notify/win/form_support.h"
#include "notify/win/main_images.h"

namespace lw {

namespace {

constexpr std::string_view kForm = "TOptionsForm";
constexpr int kFirstId = 1000;
constexpr UINT_PTR kFlashTimer = 1;
constexpr UINT_PTR kListSubclass = 1;
constexpr int kMargin = 8;
constexpr int kPad = 10;
constexpr int kGap = 6;
constexpr int kCheckExtra = 24;  // the box of a check box or radio button and its gap
constexpr int kButtonMinWidth = 75;
constexpr int kButtonHeight = 23;
constexpr int kSmallButton = 24;
constexpr int kNumberEditWidth = 40;
constexpr int kEntryEditWidth = 180;
constexpr int kListHeight = 96;
constexpr int kMinContentWidth = 420;
constexpr int kNotebookHeight = 150;
// The image the add buttons' alert shows: the dangerous connection's exclamation mark.
constexpr int kAlertImage = 18;
constexpr COLORREF kAlertColour = RGB(255, 0, 0);

bool ControlDown() { return (GetKeyState(VK_CONTROL) & 0x8000) != 0; }

int TextWidth(HWND control) {
  return ui::MeasureText(ui::MessageFont(), Widen(ui::WindowTextUtf8(control))).cx;
}

int LineHeight() { return ui::MeasureText(ui::MessageFont(), L"").cy; }

int RowHeight() { return std::max(21, LineHeight() + 8); }

std::wstring FilterOf(std::string_view text) {
  std::wstring filter = Widen(text);
  std::replace(filter.begin(), filter.end(), L'|', L'\0');
  filter.push_back(L'\0');
  filter.push_back(L'\0');
  return filter;
}

}  // namespace

TOptionsForm::TOptionsForm(Deps deps)
    : deps_(std::move(deps)),
      editor_(deps_.store, deps_.texts, deps_.messages, deps_.program_path,
              OptionsPorts{
                  [this](std::string_view text, std::string_view caption, MessageIcon icon,
                         MessageButtons buttons) { return Message(text, caption, icon, buttons); },
                  deps_.application_title,
                  deps_.ask_value,
                  deps_.choose_entry,
                  [this](std::string_view title) { return OpenFile(title); },
                  deps_.save,
                  deps_.reload,
                  deps_.on_saved,
              }) {}

TOptionsForm::~TOptionsForm() {
  if (tooltips_) DestroyWindow(tooltips_);
  if (window_) {
    KillTimer(window_, kFlashTimer);
    // The controls' last notifications (an edit losing the focus) reach nothing.
    for (HWND page : pages_) SetWindowLongPtrW(page, GWLP_USERDATA, 0);
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
  }
  if (flash_icon_) DestroyIcon(flash_icon_);
  if (pane_brush_) DeleteObject(pane_brush_);
}

// A page paints itself in the tabs' pane colour (which its controls draw as their parent's
// background) and hands its controls' notifications to the form.
LRESULT CALLBACK TOptionsForm::PageProc(HWND page, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* form = reinterpret_cast<TOptionsForm*>(GetWindowLongPtrW(page, GWLP_USERDATA));
  if (form == nullptr || form->window_ == nullptr) {
    return DefWindowProcW(page, message, wparam, lparam);
  }
  switch (message) {
    case WM_ERASEBKGND:
    case WM_PRINTCLIENT: {
      RECT client;
      GetClientRect(page, &client);
      FillRect(reinterpret_cast<HDC>(wparam), &client,
               form->pane_brush_ ? form->pane_brush_ : GetSysColorBrush(COLOR_BTNFACE));
      return TRUE;
    }
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      return form->HandleMessage(message, wparam, lparam);
    default:
      break;
  }
  return DefWindowProcW(page, message, wparam, lparam);
}

// The theme decides the colour of the tab control's pages, so it is read from a picture of the
// tab control: a pixel inside its display area.
void TOptionsForm::TakePaneColour() {
  RECT client;
  GetClientRect(tabs_, &client);
  RECT display = client;
  SendMessageW(tabs_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
  COLORREF colour = GetSysColor(COLOR_BTNFACE);
  HDC screen = GetDC(tabs_);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
  if (memory && bitmap) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    FillRect(memory, &client, GetSysColorBrush(COLOR_BTNFACE));
    SendMessageW(tabs_, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory),
                 PRF_CLIENT | PRF_ERASEBKGND);
    const COLORREF pixel = GetPixel(memory, display.left + kPad / 2, display.top + kPad / 2);
    if (pixel != CLR_INVALID) colour = pixel;
    SelectObject(memory, old);
  }
  if (bitmap) DeleteObject(bitmap);
  if (memory) DeleteDC(memory);
  ReleaseDC(tabs_, screen);
  if (pane_brush_ && colour == pane_colour_) return;
  if (pane_brush_) DeleteObject(pane_brush_);
  pane_colour_ = colour;
  pane_brush_ = CreateSolidBrush(colour);
}

HWND TOptionsForm::Add(std::string_view name, const wchar_t* window_class, DWORD style, int page,
                       int danger_sheet) {
  const int id = kFirstId + static_cast<int>(controls_.size());
  HWND parent = page >= 0 ? pages_[static_cast<std::size_t>(page)] : window_;
  HWND hwnd = ui::CreateControl(parent, window_class, style, id);
  controls_.push_back({std::string(name), hwnd, page, danger_sheet});
  return hwnd;
}

bool TOptionsForm::Create() {
  if (window_) return true;
  ui::InitCommonControlsOnce();
  ui::RegisterFormClass(kClassName, ui::FormProc<TOptionsForm>, 0,
                        reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1)));
  CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, kClassName, L"",
                  WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN, 0, 0, 500, 420, nullptr,
                  nullptr, GetModuleHandleW(nullptr), this);
  if (window_ == nullptr) return false;

  const DWORD check = BS_AUTOCHECKBOX | WS_TABSTOP;
  const DWORD radio = BS_RADIOBUTTON | WS_TABSTOP;
  const DWORD label = SS_LEFTNOWORDWRAP | SS_NOPREFIX;
  const DWORD number_edit = ES_AUTOHSCROLL | WS_TABSTOP | WS_BORDER;
  const DWORD list = LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP | WS_BORDER;
  const DWORD button = BS_PUSHBUTTON | WS_TABSTOP;
  const DWORD group = BS_GROUPBOX;

  // Tab order is creation order: the pages' controls, then OK and Cancel.
  tabs_ = Add("PageControl", WC_TABCONTROLW, WS_TABSTOP | WS_CLIPSIBLINGS, -1);
  for (int page = 0; page < 4; ++page) {
    TCITEMW item = {};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(L"");
    SendMessageW(tabs_, TCM_INSERTITEMW, page, reinterpret_cast<LPARAM>(&item));
  }
  // Each page is a panel over the tabs' display area that holds the page's controls.
  ui::RegisterFormClass(kPageClassName, &TOptionsForm::PageProc, 0, nullptr);
  for (HWND& page : pages_) {
    page = CreateWindowExW(WS_EX_CONTROLPARENT, kPageClassName, L"", WS_CHILD | WS_CLIPSIBLINGS, 0,
                           0, 10, 10, window_, nullptr, GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(page, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  // General.
  Add("CheckBoxAutoRun", L"BUTTON", check, kGeneralPage);
  Add("Label1", L"STATIC", label, kGeneralPage);
  SendMessageW(Add("EditWarnings", L"EDIT", number_edit, kGeneralPage), EM_SETLIMITTEXT, 3, 0);
  Add("CheckBoxClickClose", L"BUTTON", check, kGeneralPage);
  Add("RadioGroupShowWarnings", L"BUTTON", group, kGeneralPage);
  Add("RadioGroupShowWarnings.0", L"BUTTON", radio, kGeneralPage);
  Add("RadioGroupShowWarnings.1", L"BUTTON", radio, kGeneralPage);
  Add("CheckBoxOnTop", L"BUTTON", check, kGeneralPage);
  // Dangerous connections.
  Add("LabelDangerConn", L"BUTTON", group, kDangerPage);
  Add("RadioButtonDangerDisNow", L"BUTTON", radio, kDangerPage);
  Add("RadioButtonDisAfter", L"BUTTON", radio, kDangerPage);
  SendMessageW(Add("EditDisAfterTime", L"EDIT", number_edit, kDangerPage), EM_SETLIMITTEXT, 3, 0);
  Add("RadioButtonDangerDoNothing", L"BUTTON", radio, kDangerPage);
  Add("RadioButtonDangerAsk", L"BUTTON", radio, kDangerPage);
  Add("PanelAsk", L"BUTTON", group, kDangerPage);
  Add("RadioButtonDangerWaitFor", L"BUTTON", radio, kDangerPage);
  Add("RadioButtonDangerAskDiscAfter", L"BUTTON", radio, kDangerPage);
  SendMessageW(Add("EditAskDiscAfterTime", L"EDIT", number_edit, kDangerPage), EM_SETLIMITTEXT, 3,
               0);
  Add("LabelDanger", L"STATIC", label, kDangerPage);
  Add("ListBoxDanger", L"LISTBOX", list, kDangerPage);
  Add("ButtonNewDanger", L"BUTTON", button, kDangerPage);
  Add("ButtonDelDanger", L"BUTTON", button, kDangerPage);
  Add("ImageNewDanger", L"STATIC", SS_ICON | SS_CENTERIMAGE, kDangerPage);
  Add("Label4", L"STATIC", label, kDangerPage);
  Add("Label5", L"STATIC", label, kDangerPage);
  Add("LabelNotebook", L"STATIC", SS_LEFT | SS_NOPREFIX, kDangerPage, 1);
  // Safe connections.
  Add("CheckBoxOnlySafe", L"BUTTON", check, kSafePage);
  Add("LabelOnlySafe", L"STATIC", label, kSafePage);
  Add("CheckBoxUseAcceleration", L"BUTTON", check, kSafePage);
  Add("LabelUseAcceleration", L"STATIC", label | SS_NOTIFY, kSafePage);
  Add("Label9", L"STATIC", label, kSafePage);
  Add("EditDefaultEntry", L"EDIT", ES_AUTOHSCROLL | ES_READONLY | WS_TABSTOP | WS_BORDER,
      kSafePage);
  Add("ButtonGetDefault", L"BUTTON", button, kSafePage);
  Add("CheckBoxOnlyMyCountry", L"BUTTON", check, kSafePage);
  Add("CheckBoxDialDefault", L"BUTTON", check, kSafePage);
  Add("LabelSafe", L"STATIC", label, kSafePage);
  Add("ListBoxSafe", L"LISTBOX", list, kSafePage);
  Add("ButtonNewSafe", L"BUTTON", button, kSafePage);
  Add("ButtonDelSafe", L"BUTTON", button, kSafePage);
  Add("ImageNewSafe", L"STATIC", SS_ICON | SS_CENTERIMAGE, kSafePage);
  Add("Label7", L"STATIC", label, kSafePage);
  Add("Label8", L"STATIC", label, kSafePage);
  // Rights.
  Add("Label13", L"STATIC", label, kRightsPage);
  Add("CheckBoxPermit", L"BUTTON", check, kRightsPage);
  Add("ListBoxPermit", L"LISTBOX", list | WS_HSCROLL, kRightsPage);
  Add("ToolbarButtonPermitAdd", L"BUTTON", button, kRightsPage);
  Add("ToolbarButtonPremitDel", L"BUTTON", button, kRightsPage);
  Add("CheckBoxDeny", L"BUTTON", check, kRightsPage);
  Add("ListBoxDeny", L"LISTBOX", list | WS_HSCROLL, kRightsPage);
  Add("ToolbarButtonDenyAdd", L"BUTTON", button, kRightsPage);
  Add("ToolbarButtonDenyDel", L"BUTTON", button, kRightsPage);
  Add("CheckBoxPDAsk", L"BUTTON", check, kRightsPage);
  // Every page.
  Add("ButtonOk", L"BUTTON", button, -1);
  Add("ButtonCancel", L"BUTTON", button, -1);

  for (const char* edit :
       {"EditWarnings", "EditDisAfterTime", "EditAskDiscAfterTime", "EditDefaultEntry"}) {
    HWND hwnd = control(edit);
    SetWindowLongPtrW(hwnd, GWL_STYLE, GetWindowLongPtrW(hwnd, GWL_STYLE) & ~WS_BORDER);
    SetWindowLongPtrW(hwnd, GWL_EXSTYLE, GetWindowLongPtrW(hwnd, GWL_EXSTYLE) | WS_EX_CLIENTEDGE);
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  }
  // The small buttons show signs, not words; their hints say what they do.
  for (const char* add :
       {"ButtonNewDanger", "ButtonNewSafe", "ToolbarButtonPermitAdd", "ToolbarButtonDenyAdd"}) {
    SetWindowTextW(control(add), L"+");
  }
  for (const char* del :
       {"ButtonDelDanger", "ButtonDelSafe", "ToolbarButtonPremitDel", "ToolbarButtonDenyDel"}) {
    SetWindowTextW(control(del), L"\x2212");
  }
  flash_icon_ = MainImageIcon(kAlertImage, 16);
  for (const char* image : {"ImageNewDanger", "ImageNewSafe"}) {
    SendMessageW(control(image), STM_SETICON, reinterpret_cast<WPARAM>(flash_icon_), 0);
  }
  for (const char* app_list : {"ListBoxPermit", "ListBoxDeny"}) {
    SetWindowSubclass(control(app_list), &TOptionsForm::ListProc, kListSubclass,
                      reinterpret_cast<DWORD_PTR>(this));
  }
  tooltips_ = ui::CreateTooltips();
  ApplyTexts();
  Refresh();
  SelectPage(kGeneralPage);
  return true;
}

HWND TOptionsForm::control(std::string_view name) const {
  for (const Control& c : controls_) {
    if (c.name == name) return c.hwnd;
  }
  if (name.starts_with("TabSheet")) return tabs_;
  return nullptr;
}

std::vector<std::string> TOptionsForm::ControlNames() const {
  std::vector<std::string> names;
  for (const Control& c : controls_) names.push_back(c.name);
  return names;
}

const TOptionsForm::Control* TOptionsForm::Find(HWND hwnd) const {
  for (const Control& c : controls_) {
    if (c.hwnd == hwnd) return &c;
  }
  return nullptr;
}

std::string TOptionsForm::HintOf(HWND control) const { return ui::HintOf(tooltips_, control); }

void TOptionsForm::ApplyTexts() {
  if (window_ == nullptr) return;
  auto text = [&](std::string_view name, ControlProperty what, int index = 0) {
    return deps_.texts.Text(kForm, name, what, index);
  };
  ui::SetWindowTextUtf8(window_, text("", ControlProperty::WindowCaption));
  for (int page = 0; page < 4; ++page) {
    std::wstring caption =
        Widen(text("TabSheet" + std::to_string(page + 1), ControlProperty::Caption));
    TCITEMW item = {};
    item.mask = TCIF_TEXT;
    item.pszText = caption.data();
    SendMessageW(tabs_, TCM_SETITEMW, page, reinterpret_cast<LPARAM>(&item));
  }
  for (const Control& c : controls_) {
    if (c.name == "RadioGroupShowWarnings.0" || c.name == "RadioGroupShowWarnings.1") {
      ui::SetWindowTextUtf8(
          c.hwnd, text("RadioGroupShowWarnings", ControlProperty::Item, c.name.back() - '0'));
      continue;
    }
    if (ControlLineOf(kForm, c.name, ControlProperty::Caption)) {
      ui::SetWindowTextUtf8(c.hwnd, text(c.name, ControlProperty::Caption));
    }
    if (ControlLineOf(kForm, c.name, ControlProperty::Hint)) {
      ui::SetHint(tooltips_, c.hwnd, text(c.name, ControlProperty::Hint));
    }
  }
  // Hints shared by the controls of one row.
  ui::SetHint(tooltips_, control("ButtonOk"), text("ButtonOk", ControlProperty::Hint));
  ui::SetHint(tooltips_, control("ButtonCancel"), text("ButtonCancel", ControlProperty::Hint));
  ui::SetWindowTextUtf8(control("LabelNotebook"), editor_.NotebookText());
  Layout();
}

// The pages' controls in rows, as wide as their texts need; the window takes the size of the
// widest and the tallest page.
void TOptionsForm::Layout() {
  const int row = RowHeight();
  const int line = LineHeight();
  auto width_of = [&](std::string_view name) { return TextWidth(control(name)); };
  auto check_width = [&](std::string_view name) { return width_of(name) + kCheckExtra; };

  int content_width = kMinContentWidth;
  int content_height = 0;
  RECT display = {};
  bool apply = false;
  auto place = [&](std::string_view name, int x, int y, int w, int h) {
    content_width = std::max(content_width, x + w);
    content_height = std::max(content_height, y + h);
    if (apply) {
      MoveWindow(control(name), kPad + x, kPad + y, w, h, FALSE);
    }
  };
  auto arrange = [&] {
    const int full = content_width;
    // General.
    int y = 0;
    place("CheckBoxAutoRun", 0, y, check_width("CheckBoxAutoRun"), row);
    y += row + kGap;
    place("Label1", 0, y + (row - line) / 2, width_of("Label1"), line);
    place("EditWarnings", width_of("Label1") + kGap, y, kNumberEditWidth, row);
    y += row + kGap;
    place("CheckBoxClickClose", 0, y, check_width("CheckBoxClickClose"), row);
    y += row + kGap;
    const int column = std::max({check_width("RadioGroupShowWarnings.0"),
                                 check_width("RadioGroupShowWarnings.1"), (full - 3 * kPad) / 2});
    place("RadioGroupShowWarnings", 0, y,
          std::max(2 * column + 3 * kPad, width_of("RadioGroupShowWarnings") + 2 * kPad),
          row + line + 2 * kGap);
    place("RadioGroupShowWarnings.0", kPad, y + line + kGap / 2, column, row);
    place("RadioGroupShowWarnings.1", 2 * kPad + column, y + line + kGap / 2, column, row);
    y += row + line + 3 * kGap;
    place("CheckBoxOnTop", 0, y, check_width("CheckBoxOnTop"), row);

    // Dangerous connections: the actions in a frame, the panel of the question inside it.
    y = line + kGap / 2;
    const int inner = kPad;
    place("RadioButtonDangerDisNow", inner, y, check_width("RadioButtonDangerDisNow"), row);
    y += row;
    place("RadioButtonDisAfter", inner, y, check_width("RadioButtonDisAfter"), row);
    place("EditDisAfterTime", inner + check_width("RadioButtonDisAfter") + kGap, y,
          kNumberEditWidth, row);
    y += row;
    place("RadioButtonDangerDoNothing", inner, y, check_width("RadioButtonDangerDoNothing"), row);
    y += row;
    place("RadioButtonDangerAsk", inner, y, check_width("RadioButtonDangerAsk"), row);
    y += row;
    const int panel_top = y;
    const int ask_indent = inner + kCheckExtra;
    y += line / 2 + kGap;
    place("RadioButtonDangerWaitFor", ask_indent + kPad, y, check_width("RadioButtonDangerWaitFor"),
          row);
    y += row;
    place("RadioButtonDangerAskDiscAfter", ask_indent + kPad, y,
          check_width("RadioButtonDangerAskDiscAfter"), row);
    place("EditAskDiscAfterTime",
          ask_indent + kPad + check_width("RadioButtonDangerAskDiscAfter") + kGap, y,
          kNumberEditWidth, row);
    y += row + kGap;
    place("PanelAsk", ask_indent, panel_top,
          std::max(full - ask_indent - kPad, kPad + check_width("RadioButtonDangerAskDiscAfter") +
                                                 kGap + kNumberEditWidth + kPad),
          y - panel_top);
    y += kGap;
    place("LabelDangerConn", 0, 0, std::max(full, width_of("LabelDangerConn") + 2 * kPad), y);
    y += kGap;
    auto number_list = [&](const char* caption, const char* list, const char* add, const char* del,
                           const char* image, const char* any_digit, const char* any_digits,
                           int top) {
      place(caption, 0, top, width_of(caption), line);
      top += line + 2;
      const int list_width = full - kSmallButton - kGap;
      place(list, 0, top, list_width, kListHeight);
      place(add, list_width + kGap, top, kSmallButton, kSmallButton);
      place(del, list_width + kGap, top + kSmallButton + 2, kSmallButton, kSmallButton);
      place(image, list_width + kGap + (kSmallButton - 16) / 2, top + 2 * kSmallButton + 8, 16, 16);
      top += kListHeight + 2;
      place(any_digit, 0, top, width_of(any_digit), line);
      top += line;
      place(any_digits, 0, top, width_of(any_digits), line);
      return top + line;
    };
    number_list("LabelDanger", "ListBoxDanger", "ButtonNewDanger", "ButtonDelDanger",
                "ImageNewDanger", "Label4", "Label5", y);
    place("LabelNotebook", 0, 0, full, kNotebookHeight);

    // Safe connections.
    y = 0;
    place("CheckBoxOnlySafe", 0, y, check_width("CheckBoxOnlySafe"), row);
    place("LabelOnlySafe", check_width("CheckBoxOnlySafe"), y + (row - line) / 2,
          width_of("LabelOnlySafe"), line);
    y += row;
    place("CheckBoxUseAcceleration", 0, y, check_width("CheckBoxUseAcceleration"), row);
    place("LabelUseAcceleration", check_width("CheckBoxUseAcceleration"), y + (row - line) / 2,
          width_of("LabelUseAcceleration"), line);
    y += row + kGap;
    place("Label9", 0, y + (row - line) / 2, width_of("Label9"), line);
    const int entry_left = width_of("Label9") + kGap;
    place("EditDefaultEntry", entry_left, y, kEntryEditWidth, row);
    const int get_width = std::max(kButtonMinWidth, width_of("ButtonGetDefault") + 20);
    place("ButtonGetDefault", entry_left + kEntryEditWidth + kGap, y, get_width, row);
    y += row + kGap;
    place("CheckBoxOnlyMyCountry", 0, y, check_width("CheckBoxOnlyMyCountry"), row);
    y += row;
    place("CheckBoxDialDefault", 0, y, check_width("CheckBoxDialDefault"), row);
    y += row + kGap;
    number_list("LabelSafe", "ListBoxSafe", "ButtonNewSafe", "ButtonDelSafe", "ImageNewSafe",
                "Label7", "Label8", y);

    // Rights.
    y = 0;
    place("Label13", 0, y, width_of("Label13"), line);
    y += line + kGap;
    auto app_list = [&](const char* check_box, const char* list, const char* add, const char* del,
                        int top) {
      place(check_box, 0, top, check_width(check_box), row);
      top += row;
      const int list_width = full - kSmallButton - kGap;
      place(list, 0, top, list_width, kListHeight * 2 / 3);
      place(add, list_width + kGap, top, kSmallButton, kSmallButton);
      place(del, list_width + kGap, top + kSmallButton + 2, kSmallButton, kSmallButton);
      return top + kListHeight * 2 / 3 + kGap;
    };
    y = app_list("CheckBoxPermit", "ListBoxPermit", "ToolbarButtonPermitAdd",
                 "ToolbarButtonPremitDel", y);
    y = app_list("CheckBoxDeny", "ListBoxDeny", "ToolbarButtonDenyAdd", "ToolbarButtonDenyDel", y);
    place("CheckBoxPDAsk", 0, y, check_width("CheckBoxPDAsk"), row);
  };
  // Measure, then place at the measured size.
  arrange();
  arrange();
  RECT tab = {0, 0, content_width + 2 * kPad, content_height + 2 * kPad};
  SendMessageW(tabs_, TCM_ADJUSTRECT, TRUE, reinterpret_cast<LPARAM>(&tab));
  const int tab_width = tab.right - tab.left;
  const int tab_height = tab.bottom - tab.top;
  MoveWindow(tabs_, kMargin, kMargin, tab_width, tab_height, FALSE);
  display = {kMargin - tab.left, kMargin - tab.top, kMargin - tab.left + content_width + 2 * kPad,
             kMargin - tab.top + content_height + 2 * kPad};
  for (HWND page : pages_) {
    MoveWindow(page, display.left, display.top, display.right - display.left,
               display.bottom - display.top, FALSE);
  }
  apply = true;
  arrange();
  TakePaneColour();

  const int ok_width = std::max(kButtonMinWidth, TextWidth(control("ButtonOk")) + 20);
  const int cancel_width = std::max(kButtonMinWidth, TextWidth(control("ButtonCancel")) + 20);
  const int width = kMargin + tab_width + kMargin;
  const int button_top = kMargin + tab_height + kMargin;
  MoveWindow(control("ButtonCancel"), kMargin, button_top, cancel_width, kButtonHeight, FALSE);
  MoveWindow(control("ButtonOk"), width - kMargin - ok_width, button_top, ok_width, kButtonHeight,
             FALSE);
  const SIZE window = ui::SizeForClient(window_, width, button_top + kButtonHeight + kMargin);
  const SIZE desktop = ui::DesktopSize();
  SetWindowPos(window_, nullptr, (desktop.cx - window.cx) / 2, (desktop.cy - window.cy) / 2,
               window.cx, window.cy, SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateRect(window_, nullptr, TRUE);
}

void TOptionsForm::SelectPage(int page) {
  if (window_ == nullptr || page < 0 || page > 3) return;
  SendMessageW(tabs_, TCM_SETCURSEL, page, 0);
  ShowPageControls();
}

int TOptionsForm::CurrentPage() const {
  return static_cast<int>(SendMessageW(tabs_, TCM_GETCURSEL, 0, 0));
}

void TOptionsForm::ShowPageControls() {
  const int page = CurrentPage();
  const auto now = deps_.store.Snapshot();
  const int danger_sheet = now->OnlySafe ? 1 : 0;
  const bool acceleration = deps_.accelerated_number && !deps_.accelerated_number().empty();
  for (const Control& c : controls_) {
    bool visible = c.page == -1 || c.page == page;
    if (c.page == kDangerPage && c.danger_sheet != danger_sheet) visible = false;
    if (c.name == "CheckBoxUseAcceleration" || c.name == "LabelUseAcceleration") {
      visible = visible && acceleration;
    }
    if (c.name == "ImageNewDanger" || c.name == "ImageNewSafe") {
      visible = visible && timer_running_ && shown_phase_ == 2;
    }
    ShowWindow(c.hwnd, visible ? SW_SHOWNA : SW_HIDE);
  }
  for (std::size_t i = 0; i < pages_.size(); ++i) {
    ShowWindow(pages_[i], static_cast<int>(i) == page ? SW_SHOWNA : SW_HIDE);
  }
  // The tabs stay behind the pages' controls.
  SetWindowPos(tabs_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TOptionsForm::FillList(std::string_view name, const std::vector<std::string>& items) {
  HWND list = control(name);
  const std::optional<std::size_t> selected = Selected(name);
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  int widest = 0;
  for (const std::string& item : items) {
    const std::wstring text = Widen(SystemCodec().ToUtf8(item));
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    widest = std::max<int>(widest, ui::MeasureText(ui::MessageFont(), text).cx);
  }
  SendMessageW(list, LB_SETHORIZONTALEXTENT, widest + 8, 0);
  if (selected && *selected < items.size()) Select(name, selected);
}

std::optional<std::size_t> TOptionsForm::Selected(std::string_view name) const {
  const LRESULT index = SendMessageW(control(name), LB_GETCURSEL, 0, 0);
  if (index == LB_ERR) return std::nullopt;
  return static_cast<std::size_t>(index);
}

void TOptionsForm::Select(std::string_view name, std::optional<std::size_t> index) {
  SendMessageW(control(name), LB_SETCURSEL, index ? static_cast<WPARAM>(*index) : -1, 0);
}

void TOptionsForm::Refresh() {
  if (window_ == nullptr) return;
  updating_ = true;
  editor_.UpdateDangerActions();
  const auto s = deps_.store.Snapshot();
  auto check = [&](std::string_view name, bool on) {
    SendMessageW(control(name), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
  };
  auto text = [&](std::string_view name, const std::string& ansi) {
    const std::string utf8 = SystemCodec().ToUtf8(ansi);
    if (ui::WindowTextUtf8(control(name)) != utf8) ui::SetWindowTextUtf8(control(name), utf8);
  };
  check("CheckBoxAutoRun", s->AutoRun);
  text("EditWarnings", s->WarningsTime);
  check("CheckBoxClickClose", s->WarningsDblClk);
  check("RadioGroupShowWarnings.0", s->InfoAppear == 0);
  check("RadioGroupShowWarnings.1", s->InfoAppear == 1);
  check("CheckBoxOnTop", s->StatsOnTop);
  check("RadioButtonDangerDisNow", s->DangerDisNow);
  check("RadioButtonDisAfter", s->RadioButtonDisAfter);
  text("EditDisAfterTime", s->DisAfterTime);
  check("RadioButtonDangerDoNothing", s->DangerDoNothing);
  check("RadioButtonDangerAsk", s->DangerAsk);
  check("RadioButtonDangerWaitFor", s->DangerWaitFor);
  check("RadioButtonDangerAskDiscAfter", s->DangerAskDiscAfter);
  text("EditAskDiscAfterTime", s->AskDiscAfterTime);
  check("CheckBoxOnlySafe", s->OnlySafe);
  check("CheckBoxUseAcceleration", s->UseAcceleration);
  text("EditDefaultEntry", s->DefaultEntry);
  check("CheckBoxOnlyMyCountry", s->OnlyMyCountry);
  check("CheckBoxDialDefault", s->DialDefault);
  check("CheckBoxPermit", s->Permit);
  check("CheckBoxDeny", s->Deny);
  check("CheckBoxPDAsk", s->PDAsk);
  FillList("ListBoxDanger", s->DangerList);
  FillList("ListBoxSafe", s->SafeList);
  FillList("ListBoxPermit", s->PermitList);
  FillList("ListBoxDeny", s->DenyList);
  updating_ = false;
  UpdateEnabling();
  ShowPageControls();
}

void TOptionsForm::UpdateEnabling() {
  const bool actions = editor_.DangerActionsEnabled();
  for (const char* name :
       {"RadioButtonDangerDisNow", "RadioButtonDisAfter", "RadioButtonDangerAsk"}) {
    EnableWindow(control(name), actions);
  }
  EnableWindow(control("EditDisAfterTime"), editor_.DisAfterTimeEnabled());
  const bool ask = editor_.AskPanelEnabled();
  EnableWindow(control("PanelAsk"), ask);
  EnableWindow(control("RadioButtonDangerWaitFor"), ask);
  EnableWindow(control("RadioButtonDangerAskDiscAfter"), ask);
  EnableWindow(control("EditAskDiscAfterTime"), editor_.AskDiscAfterTimeEnabled());
  EnableWindow(control("ButtonCancel"), !editor_.MustConfigure());
}

void TOptionsForm::UpdateFlashing() {
  editor_.UpdateFlashing();
  if (editor_.Flashing()) {
    if (!timer_running_) SetTimer(window_, kFlashTimer, kFlashInterval, nullptr);
    timer_running_ = true;
  } else {
    if (timer_running_) KillTimer(window_, kFlashTimer);
    timer_running_ = false;
    shown_phase_ = 0;
    InvalidateRect(control("LabelSafe"), nullptr, TRUE);
    InvalidateRect(control("LabelDanger"), nullptr, TRUE);
    ShowPageControls();
  }
}

void TOptionsForm::FlashTick() {
  if (!editor_.Flashing()) return;
  shown_phase_ = editor_.FlashTick();
  InvalidateRect(control("LabelSafe"), nullptr, TRUE);
  InvalidateRect(control("LabelDanger"), nullptr, TRUE);
  ShowPageControls();
}

void TOptionsForm::SetListCaptionAlert(ListKind list, bool alert) {
  alerts_[static_cast<std::size_t>(list)] = alert;
  for (const char* name : {"LabelDanger", "LabelSafe", "CheckBoxPermit", "CheckBoxDeny"}) {
    InvalidateRect(control(name), nullptr, TRUE);
  }
}

void TOptionsForm::EnableDangerActions(bool enabled) {
  editor_.SetDangerActionsEnabled(enabled);
  UpdateEnabling();
}

void TOptionsForm::EnterMustConfigure() {
  editor_.EnterMustConfigure();
  UpdateEnabling();
  UpdateFlashing();
}

void TOptionsForm::ShowOptions(bool safe_page) {
  if (window_ == nullptr && !Create()) return;
  Refresh();
  UpdateFlashing();
  if (deps_.show_taskbar_button) deps_.show_taskbar_button();
  if (safe_page) SelectPage(kSafePage);
  ShowPageControls();
  ShowWindow(window_, SW_SHOW);
  SetForegroundWindow(window_);
  if (safe_page) SetFocus(control("ListBoxSafe"));
}

MessageAnswer TOptionsForm::Message(std::string_view text, std::string_view caption,
                                    MessageIcon icon, MessageButtons buttons) {
  if (deps_.message) return deps_.message(text, caption, icon, buttons);
  return ui::ShowMessageBox(window_, text, caption, icon, buttons, true);
}

// The system's open dialog, loaded when first needed so that the program does not import the
// common dialogs for this one use.
std::optional<std::string> TOptionsForm::OpenFile(std::string_view title) {
  if (deps_.open_file) return deps_.open_file(title);
  using GetOpenFileNameProc = BOOL(WINAPI*)(OPENFILENAMEW*);
  static const auto get_open_file_name = [] {
    HMODULE library = LoadLibraryW(L"comdlg32.dll");
    return library ? reinterpret_cast<GetOpenFileNameProc>(
                         reinterpret_cast<void*>(GetProcAddress(library, "GetOpenFileNameW")))
                   : nullptr;
  }();
  if (get_open_file_name == nullptr) return std::nullopt;
  const std::wstring filter =
      FilterOf(deps_.texts.Text(kForm, "OpenDialog", ControlProperty::Filter));
  const std::wstring caption = Widen(title);
  wchar_t path[MAX_PATH] = {};
  OPENFILENAMEW dialog = {};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = window_;
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = path;
  dialog.nMaxFile = MAX_PATH;
  dialog.lpstrTitle = caption.c_str();
  dialog.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  if (!get_open_file_name(&dialog)) return std::nullopt;
  return SystemCodec().FromUtf8(Narrow(path));
}

void TOptionsForm::AddNumber(NumberList list) {
  const char* name = list == NumberList::Danger ? "ListBoxDanger" : "ListBoxSafe";
  SetFocus(control(name));
  if (editor_.AddNumber(list)) {
    Refresh();
    const auto now = deps_.store.Snapshot();
    const auto& items = list == NumberList::Danger ? now->DangerList : now->SafeList;
    Select(name, items.size() - 1);
  }
  UpdateFlashing();
}

void TOptionsForm::DeleteNumber(NumberList list) {
  const char* name = list == NumberList::Danger ? "ListBoxDanger" : "ListBoxSafe";
  SetFocus(control(name));
  if (editor_.DeleteNumber(list, Selected(name))) Refresh();
  UpdateFlashing();
}

void TOptionsForm::AddApplication(AppList list) {
  const char* name = list == AppList::Permit ? "ListBoxPermit" : "ListBoxDeny";
  if (const std::optional<std::size_t> index = editor_.AddApplication(list)) {
    Refresh();
    Select(name, index);
  }
}

void TOptionsForm::DeleteApplication(AppList list) {
  const char* name = list == AppList::Permit ? "ListBoxPermit" : "ListBoxDeny";
  if (editor_.DeleteApplication(list, Selected(name))) Refresh();
}

void TOptionsForm::ListHover(HWND list, POINT point) {
  const std::size_t which = list == control("ListBoxPermit") ? 0 : 1;
  const LRESULT hit = SendMessageW(list, LB_ITEMFROMPOINT, 0, MAKELPARAM(point.x, point.y));
  const int count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
  const int index = LOWORD(hit);
  if (HIWORD(hit) != 0 || index >= count) {
    if (hovered_[which] != -1) {
      hovered_[which] = -1;
      ui::SetHint(tooltips_, list, "");
      SendMessageW(tooltips_, TTM_POP, 0, 0);
    }
    return;
  }
  if (index == hovered_[which]) return;
  hovered_[which] = index;
  const auto now = deps_.store.Snapshot();
  const auto& items = which == 0 ? now->PermitList : now->DenyList;
  if (static_cast<std::size_t>(index) >= items.size()) return;
  ui::SetHint(tooltips_, list, SystemCodec().ToUtf8(items[static_cast<std::size_t>(index)]));
  SendMessageW(tooltips_, TTM_POPUP, 0, 0);
}

LRESULT CALLBACK TOptionsForm::ListProc(HWND list, UINT message, WPARAM wparam, LPARAM lparam,
                                        UINT_PTR, DWORD_PTR data) {
  if (message == WM_MOUSEMOVE) {
    reinterpret_cast<TOptionsForm*>(data)->ListHover(
        list, POINT{static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))});
  }
  return DefSubclassProc(list, message, wparam, lparam);
}

void TOptionsForm::OnEditChanged(std::string_view name) {
  const std::string text = SystemCodec().FromUtf8(ui::WindowTextUtf8(control(name)));
  editor_.Change([&](Settings& s) {
    if (name == "EditWarnings") s.WarningsTime = text;
    if (name == "EditDisAfterTime") s.DisAfterTime = text;
    if (name == "EditAskDiscAfterTime") s.AskDiscAfterTime = text;
  });
}

void TOptionsForm::OnEditLeft() {
  editor_.NormalizeNumberFields();
  Refresh();
}

void TOptionsForm::OnCommand(const Control& c, int code) {
  if (updating_) return;
  const std::string_view name = c.name;
  if (c.name.starts_with("Edit")) {
    if (code == EN_CHANGE && name != "EditDefaultEntry") OnEditChanged(name);
    if (code == EN_KILLFOCUS && name != "EditDefaultEntry") OnEditLeft();
    return;
  }
  if (code != BN_CLICKED) return;
  const bool checked = SendMessageW(c.hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED;
  auto change = [&](auto&& edit) {
    editor_.Change(edit);
    Refresh();
  };
  if (name == "ButtonOk") {
    ButtonOkClick();
  } else if (name == "ButtonCancel") {
    ButtonCancelClick();
  } else if (name == "CheckBoxAutoRun") {
    change([&](Settings& s) { s.AutoRun = checked; });
  } else if (name == "CheckBoxClickClose") {
    change([&](Settings& s) { s.WarningsDblClk = checked; });
  } else if (name == "RadioGroupShowWarnings.0") {
    change([](Settings& s) { s.InfoAppear = 0; });
  } else if (name == "RadioGroupShowWarnings.1") {
    change([](Settings& s) { s.InfoAppear = 1; });
  } else if (name == "CheckBoxOnTop") {
    change([&](Settings& s) { s.StatsOnTop = checked; });
  } else if (name == "RadioButtonDangerDisNow") {
    change([](Settings& s) { s.SetDangerDisNow(true); });
  } else if (name == "RadioButtonDisAfter") {
    change([](Settings& s) { s.SetRadioButtonDisAfter(true); });
  } else if (name == "RadioButtonDangerDoNothing") {
    change([](Settings& s) { s.SetDangerDoNothing(true); });
  } else if (name == "RadioButtonDangerAsk") {
    change([](Settings& s) { s.SetDangerAsk(true); });
  } else if (name == "RadioButtonDangerWaitFor") {
    change([](Settings& s) { s.SetDangerWaitFor(true); });
  } else if (name == "RadioButtonDangerAskDiscAfter") {
    change([](Settings& s) { s.SetDangerAskDiscAfter(true); });
  } else if (name == "CheckBoxOnlySafe") {
    editor_.SetOnlySafe(checked);
    Refresh();
  } else if (name == "CheckBoxUseAcceleration") {
    change([&](Settings& s) { s.UseAcceleration = checked; });
  } else if (name == "CheckBoxOnlyMyCountry") {
    change([&](Settings& s) { s.OnlyMyCountry = checked; });
  } else if (name == "CheckBoxDialDefault") {
    change([&](Settings& s) { s.DialDefault = checked; });
  } else if (name == "CheckBoxPermit") {
    editor_.SetPermit(checked);
    Refresh();
  } else if (name == "CheckBoxDeny") {
    editor_.SetDeny(checked);
    Refresh();
  } else if (name == "CheckBoxPDAsk") {
    change([&](Settings& s) { s.PDAsk = checked; });
  } else if (name == "ButtonGetDefault") {
    if (editor_.GetDefaultEntry()) Refresh();
  } else if (name == "ButtonNewDanger") {
    AddNumber(NumberList::Danger);
  } else if (name == "ButtonDelDanger") {
    DeleteNumber(NumberList::Danger);
  } else if (name == "ButtonNewSafe") {
    AddNumber(NumberList::Safe);
  } else if (name == "ButtonDelSafe") {
    DeleteNumber(NumberList::Safe);
  } else if (name == "ToolbarButtonPermitAdd") {
    AddApplication(AppList::Permit);
  } else if (name == "ToolbarButtonPremitDel") {
    DeleteApplication(AppList::Permit);
  } else if (name == "ToolbarButtonDenyAdd") {
    AddApplication(AppList::Deny);
  } else if (name == "ToolbarButtonDenyDel") {
    DeleteApplication(AppList::Deny);
  }
}

void TOptionsForm::ButtonOkClick() {
  // A number edit being typed in counts as left.
  editor_.NormalizeNumberFields();
  if (!editor_.Confirm()) {
    Refresh();
    return;
  }
  UpdateFlashing();
  UpdateEnabling();
  Close();
}

void TOptionsForm::ButtonCancelClick() {
  if (editor_.MustConfigure()) return;
  Close();
}

bool TOptionsForm::Close() {
  if (!editor_.MayClose()) return false;
  if (timer_running_) KillTimer(window_, kFlashTimer);
  timer_running_ = false;
  shown_phase_ = 0;
  editor_.Closed();
  Refresh();
  ShowWindow(window_, SW_HIDE);
  if (deps_.hide_taskbar_button) deps_.hide_taskbar_button();
  return true;
}

bool TOptionsForm::PreTranslate(MSG& message) {
  if (window_ == nullptr || !IsWindowVisible(window_)) return false;
  if (message.hwnd != window_ && !IsChild(window_, message.hwnd)) return false;
  if (message.message == WM_KEYDOWN) {
    const bool ctrl = ControlDown();
    const int page = CurrentPage();
    switch (message.wParam) {
      case VK_ESCAPE:
        ButtonCancelClick();
        return true;
      case VK_RETURN:
        if (ctrl) {
          ButtonOkClick();
          return true;
        }
        // Enter alone presses the focused button and does nothing elsewhere.
        if ((GetWindowLongPtrW(message.hwnd, GWL_STYLE) & BS_TYPEMASK) != BS_PUSHBUTTON ||
            Find(message.hwnd) == nullptr || !Find(message.hwnd)->name.starts_with("Button")) {
          return true;
        }
        SendMessageW(message.hwnd, BM_CLICK, 0, 0);
        return true;
      case VK_F12:
        if (ctrl && page == kSafePage) {
          if (editor_.GetDefaultEntry()) Refresh();
          return true;
        }
        break;
      case VK_INSERT:
      case VK_DELETE:
        if (!ctrl) break;
        {
          const bool add = message.wParam == VK_INSERT;
          if (page == kDangerPage && !deps_.store.Snapshot()->OnlySafe) {
            add ? AddNumber(NumberList::Danger) : DeleteNumber(NumberList::Danger);
            return true;
          }
          if (page == kSafePage) {
            add ? AddNumber(NumberList::Safe) : DeleteNumber(NumberList::Safe);
            return true;
          }
          if (page == kRightsPage) {
            HWND focus = GetFocus();
            if (focus == control("ListBoxPermit")) {
              add ? AddApplication(AppList::Permit) : DeleteApplication(AppList::Permit);
              return true;
            }
            if (focus == control("ListBoxDeny")) {
              add ? AddApplication(AppList::Deny) : DeleteApplication(AppList::Deny);
              return true;
            }
          }
        }
        break;
      default:
        break;
    }
  }
  return IsDialogMessageW(window_, &message) != FALSE;
}

LRESULT TOptionsForm::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND: {
      if (const Control* c = Find(reinterpret_cast<HWND>(lparam))) {
        OnCommand(*c, HIWORD(wparam));
      } else if (LOWORD(wparam) == IDCANCEL) {
        ButtonCancelClick();
      } else if (LOWORD(wparam) == IDOK) {
        ButtonOkClick();
      }
      return 0;
    }
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lparam);
      if (header->hwndFrom == tabs_ && header->code == TCN_SELCHANGE) ShowPageControls();
      return 0;
    }
    case WM_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(wparam);
      HWND target = reinterpret_cast<HWND>(lparam);
      bool red = false;
      if (target == control("LabelDanger")) {
        red = shown_phase_ == 2 || alerts_[static_cast<std::size_t>(ListKind::Danger)];
      } else if (target == control("LabelSafe")) {
        red = shown_phase_ == 2 || alerts_[static_cast<std::size_t>(ListKind::Safe)];
      } else if (target == control("CheckBoxPermit")) {
        red = alerts_[static_cast<std::size_t>(ListKind::Permit)];
      } else if (target == control("CheckBoxDeny")) {
        red = alerts_[static_cast<std::size_t>(ListKind::Deny)];
      }
      const Control* c = Find(target);
      // Edits keep the look of a read-only or disabled edit; OK and Cancel lie outside the pages.
      if (c == nullptr || c->page == -1 || c->name.starts_with("Edit") || pane_brush_ == nullptr) {
        return DefWindowProcW(window_, message, wparam, lparam);
      }
      if (red) SetTextColor(dc, kAlertColour);
      SetBkColor(dc, pane_colour_);
      return reinterpret_cast<LRESULT>(pane_brush_);
    }
    case WM_TIMER:
      if (wparam == kFlashTimer) FlashTick();
      return 0;
    case WM_CLOSE:
      ButtonCancelClick();
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;
    default:
      break;
  }
  return DefWindowProcW(window_, message, wparam, lparam);
}

}  // namespace lw
