// The statistics window (TMainForm): what it shows of a connection, its lock, its buttons and
// keys, and its layout in Polish and English. Driven with messages on the test's thread; needs
// a display (Xvfb).

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "common/win/wide.h"
#include "config/control_texts.h"
#include "config/messages.h"
#include "monitor/connection_view.h"
#include "notify/win/form_support.h"
#include "shell/win/main_form.h"
#include "support/message_pump.h"
#include "support/window_snapshot.h"

namespace lw {
namespace {

using C = TMainForm::Control;
using test::PumpFor;
using test::SnapWindow;

constexpr COLORREF kRed = RGB(255, 0, 0);

// Holds Ctrl down, or lets it go, for the keys that follow.
void SetControlKey(bool down) {
  BYTE state[256] = {};
  GetKeyboardState(state);
  state[VK_CONTROL] = down ? 0x80 : 0;
  SetKeyboardState(state);
}

// A key as the message loop takes it from the queue.
MSG KeyDown(HWND window, WPARAM key) {
  MSG message = {};
  message.hwnd = window;
  message.message = WM_KEYDOWN;
  message.wParam = key;
  message.lParam = 1;
  return message;
}

ConnectionView TwoConnections() {
  ConnectionView view;
  view.has_connections = true;
  view.position = "1/2";
  view.book_entry = "Połączenie z Internetem";
  view.book_entry_colour = TextColour::Red;
  view.phone_no = "0 202 122";
  view.phone_no_colour = TextColour::WindowText;
  view.country = "Polska";
  view.country_colour = TextColour::Red;
  view.dev_type = "modem";
  view.dev_name = "Standardowy modem 56000 b/s";
  view.status = "Liczba połączeń: 2";
  return view;
}

ConnectionView NoConnections() {
  ConnectionView view;
  view.book_entry = "-";
  view.phone_no = "-";
  view.country = "-";
  view.dev_type = "-";
  view.dev_name = "-";
  view.status = "Brak połączeń";
  return view;
}

// The colour a control's text is drawn in: what the window answers to WM_CTLCOLORSTATIC.
COLORREF DrawnColour(TMainForm& form, C which) {
  HDC dc = CreateCompatibleDC(nullptr);
  SetTextColor(dc, RGB(1, 2, 3));
  SendMessageW(form.hwnd(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
               reinterpret_cast<LPARAM>(form.control(which)));
  const COLORREF colour = GetTextColor(dc);
  DeleteDC(dc);
  return colour;
}

RECT RectOf(TMainForm& form, C which) { return ui::ControlRect(form.control(which)); }

class StatsWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TMainForm::Hooks hooks;
    hooks.idle = [this] { calls_.push_back("idle"); };
    hooks.command = [this](UINT command) {
      calls_.push_back("command " + std::to_string(command));
    };
    hooks.close_handler = [this] { calls_.push_back("close"); };
    hooks.destroy = [this] { calls_.push_back("destroy"); };
    hooks.prev = [this] { calls_.push_back("prev"); };
    hooks.next = [this] { calls_.push_back("next"); };
    hooks.hide = [this] { calls_.push_back("hide"); };
    hooks.disconnect = [this] { calls_.push_back("disconnect"); };
    hooks.lock = [this](int on) { calls_.push_back("lock " + std::to_string(on)); };
    hooks.last_info = [this] { calls_.push_back("last_info"); };
    hooks.refresh = [this] { calls_.push_back("refresh"); };
    form_ = std::make_unique<TMainForm>(texts_, messages_, std::move(hooks));
    ASSERT_TRUE(form_->Create()) << "no window: is there a display (Xvfb)?";
  }
  void TearDown() override {
    SetControlKey(false);
    form_.reset();
    // A closed main window ends the program's loop: the test's queue forgets it.
    MSG message;
    while (PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
  }
  std::vector<std::string> TakeCalls() { return std::exchange(calls_, {}); }

  ControlTexts texts_;
  MessageTable messages_;
  std::vector<std::string> calls_;
  std::unique_ptr<TMainForm> form_;
};

TEST_F(StatsWindowTest, AToolWindowOfItsSizeWithItsTextsAndHints) {
  TMainForm& form = *form_;
  wchar_t name[64] = {};
  GetClassNameW(form.hwnd(), name, 64);
  EXPECT_STREQ(name, L"TMainForm");
  EXPECT_FALSE(IsWindowVisible(form.hwnd()));
  EXPECT_TRUE(GetWindowLongPtrW(form.hwnd(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
  RECT client;
  GetClientRect(form.hwnd(), &client);
  EXPECT_EQ(client.right, 314);
  EXPECT_EQ(client.bottom, 127);
  const struct {
    C control;
    const char* caption;
    const char* hint;
  } kTexts[] = {
      {C::Label2, "Wpis z książki:", ""},
      {C::Label3, "Numer telefonu:", ""},
      {C::Label1, "Kraj:", ""},
      {C::Label4, "Urządzenie:", ""},
      {C::Label5, "Połączenie:", ""},
      {C::ButtonOk, "Ukryj", "Ukryj okno (Esc)"},
      {C::ButtonDisconnect, "Rozłącz", "Rozłącz bieżące połączenie (Ctrl+Break)"},
      {C::ButtonPrev, "", "Poprzednie połączenie (PgUp)"},
      {C::ButtonNext, "", "Następne połączenie (PgDn)"},
      {C::ButtonLock, "", "Okno zawsze na wierzchu (Ctrl+F12)"},
      {C::ButtonLastInfo, "", "Pokaż ostatni komunikat (F12)"},
      {C::ButtonRefreshStats, "", "Odśwież statystykę (F5)"},
  };
  for (const auto& t : kTexts) {
    ASSERT_NE(form.control(t.control), nullptr);
    EXPECT_EQ(form.TextOf(t.control), t.caption);
    EXPECT_EQ(form.HintOf(t.control), t.hint) << t.caption;
  }
  // The picture buttons carry their pictures.
  for (C which :
       {C::ButtonPrev, C::ButtonNext, C::ButtonLock, C::ButtonLastInfo, C::ButtonRefreshStats}) {
    EXPECT_NE(SendMessageW(form.control(which), BM_GETIMAGE, IMAGE_ICON, 0), 0);
  }
  // A language file's texts come with ApplyTexts.
  texts_.Set(7, "Hide");
  texts_.Set(14, "Refresh the statistics (F5)");
  form.ApplyTexts();
  EXPECT_EQ(form.TextOf(C::ButtonOk), "Hide");
  EXPECT_EQ(form.HintOf(C::ButtonRefreshStats), "Refresh the statistics (F5)");
  // The tray menu stays the window's.
  EXPECT_EQ(GetMenuItemCount(form.popup_menu()), 10);

  // The caller places the window.
  const SIZE size = form.WindowSize();
  EXPECT_GE(size.cx, 314);
  EXPECT_GE(size.cy, 127);
  const SIZE desktop = ui::DesktopSize();
  form.MoveTo(desktop.cx - size.cx - 10, desktop.cy - size.cy - 40);
  RECT window;
  GetWindowRect(form.hwnd(), &window);
  EXPECT_EQ(window.left, desktop.cx - size.cx - 10);
  EXPECT_EQ(window.top, desktop.cy - size.cy - 40);
  EXPECT_EQ(window.right - window.left, size.cx);
}

TEST_F(StatsWindowTest, ShowsAConnectionAsTheViewHasIt) {
  TMainForm& form = *form_;
  const ConnectionView view = TwoConnections();
  form.ShowConnection(view);
  EXPECT_EQ(form.TextOf(C::BookEntry), view.book_entry);
  EXPECT_EQ(form.TextOf(C::PhoneNo), view.phone_no);
  EXPECT_EQ(form.HintOf(C::PhoneNo), view.phone_no);
  EXPECT_EQ(form.TextOf(C::Country), view.country);
  EXPECT_EQ(form.TextOf(C::DevType), view.dev_type);
  EXPECT_EQ(form.TextOf(C::DevName), view.dev_name);
  EXPECT_EQ(form.TextOf(C::CurConnText), "1/2");
  EXPECT_EQ(form.TextOf(C::StatusBar), view.status);
  EXPECT_EQ(DrawnColour(form, C::BookEntry), kRed);
  EXPECT_EQ(DrawnColour(form, C::PhoneNo), GetSysColor(COLOR_WINDOWTEXT));
  EXPECT_EQ(DrawnColour(form, C::Country), kRed);
  EXPECT_EQ(form.TextColourOf(C::BookEntry), kRed);
  for (C which : {C::CurConnText, C::ButtonDisconnect, C::ButtonRefreshStats, C::ButtonNext,
                  C::ButtonPrev, C::ButtonOk, C::ButtonLock, C::ButtonLastInfo}) {
    EXPECT_TRUE(IsWindowEnabled(form.control(which))) << static_cast<int>(which);
  }
  // The device's type and name side by side.
  EXPECT_LT(RectOf(form, C::DevType).right, RectOf(form, C::DevName).left);
  form.Show();
  SnapWindow(form.hwnd(), "stats_connection");

  // The next view replaces every text and colour.
  ConnectionView second = view;
  second.position = "2/2";
  second.book_entry_colour = TextColour::WindowText;
  second.phone_no = "0 700 123 456";
  second.phone_no_colour = TextColour::Red;
  form.ShowConnection(second);
  EXPECT_EQ(form.TextOf(C::CurConnText), "2/2");
  EXPECT_EQ(form.HintOf(C::PhoneNo), "0 700 123 456");
  EXPECT_EQ(DrawnColour(form, C::BookEntry), GetSysColor(COLOR_WINDOWTEXT));
  EXPECT_EQ(DrawnColour(form, C::PhoneNo), kRed);
  EXPECT_EQ(form.connection().phone_no, "0 700 123 456");
}

TEST_F(StatsWindowTest, WithoutConnectionsTheSteppingRefreshAndDisconnectAreDisabled) {
  TMainForm& form = *form_;
  form.ShowConnection(TwoConnections());
  form.ShowConnection(NoConnections());
  for (C which : {C::BookEntry, C::PhoneNo, C::Country, C::DevType, C::DevName}) {
    EXPECT_EQ(form.TextOf(which), "-");
  }
  EXPECT_EQ(form.TextOf(C::CurConnText), "");
  EXPECT_EQ(form.TextOf(C::StatusBar), "Brak połączeń");
  EXPECT_EQ(DrawnColour(form, C::Country), GetSysColor(COLOR_WINDOWTEXT));
  for (C which :
       {C::CurConnText, C::ButtonDisconnect, C::ButtonRefreshStats, C::ButtonNext, C::ButtonPrev}) {
    EXPECT_FALSE(IsWindowEnabled(form.control(which))) << static_cast<int>(which);
  }
  for (C which : {C::ButtonOk, C::ButtonLock, C::ButtonLastInfo}) {
    EXPECT_TRUE(IsWindowEnabled(form.control(which))) << static_cast<int>(which);
  }
  form.Show();
  SnapWindow(form.hwnd(), "stats_no_connections");
}

TEST_F(StatsWindowTest, TheLockKeepsTheWindowOnTop) {
  TMainForm& form = *form_;
  auto topmost = [&] { return (GetWindowLongPtrW(form.hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; };
  auto lock_icon = [&] {
    return SendMessageW(form.control(C::ButtonLock), BM_GETIMAGE, IMAGE_ICON, 0);
  };
  EXPECT_EQ(form.StatsOnTop(), 0);
  const LRESULT open_icon = lock_icon();
  form.ApplyStatsOnTop(1);
  EXPECT_TRUE(topmost());
  EXPECT_EQ(form.StatsOnTop(), 1);
  EXPECT_EQ(form.lock_image(), 3);
  const LRESULT closed_icon = lock_icon();
  EXPECT_NE(closed_icon, open_icon);
  form.ApplyStatsOnTop(0);
  EXPECT_FALSE(topmost());
  EXPECT_EQ(form.lock_image(), 4);
  EXPECT_EQ(lock_icon(), open_icon);

  // The button toggles and tells.
  SendMessageW(form.control(C::ButtonLock), BM_CLICK, 0, 0);
  EXPECT_TRUE(topmost());
  EXPECT_EQ(lock_icon(), closed_icon);
  SendMessageW(form.control(C::ButtonLock), BM_CLICK, 0, 0);
  EXPECT_FALSE(topmost());
  EXPECT_EQ(TakeCalls(), (std::vector<std::string>{"lock 1", "lock 0"}));
}

TEST_F(StatsWindowTest, KeysReachTheHooksOnlyWhileTheirButtonsAreEnabled) {
  TMainForm& form = *form_;
  struct Case {
    WPARAM key;
    bool control;
    const char* call;
    bool needs_connection;
  };
  const Case kCases[] = {
      {VK_NEXT, false, "next", true},      {VK_PRIOR, false, "prev", true},
      {VK_F5, false, "refresh", true},     {VK_CANCEL, true, "disconnect", true},
      {VK_F12, false, "last_info", false}, {VK_F12, true, "lock 1", false},
  };
  form.Show();
  for (bool connected : {true, false}) {
    form.ShowConnection(connected ? TwoConnections() : NoConnections());
    form.ApplyStatsOnTop(0);
    for (const Case& c : kCases) {
      // Typed on a control of the window: the message loop's preview takes it.
      MSG message = KeyDown(form.control(C::ButtonOk), c.key);
      SetControlKey(c.control);
      EXPECT_TRUE(form.PreTranslate(message)) << c.call;
      // Typed with the window itself focused.
      form.ApplyStatsOnTop(0);
      SendMessageW(form.hwnd(), WM_KEYDOWN, c.key, 1);
      SetControlKey(false);
      form.ApplyStatsOnTop(0);
      const std::vector<std::string> expected = c.needs_connection && !connected
                                                    ? std::vector<std::string>{}
                                                    : std::vector<std::string>{c.call, c.call};
      EXPECT_EQ(TakeCalls(), expected) << c.call << (connected ? " connected" : " idle");
    }
  }
  // Break without Ctrl neither hangs up nor hides, as Esc would.
  form.ShowConnection(TwoConnections());
  MSG message = KeyDown(form.control(C::ButtonOk), VK_CANCEL);
  form.PreTranslate(message);
  EXPECT_TRUE(TakeCalls().empty());
  EXPECT_TRUE(IsWindowVisible(form.hwnd()));

  // Buttons call the same hooks.
  for (auto [which, call] :
       {std::pair{C::ButtonNext, "next"}, std::pair{C::ButtonPrev, "prev"},
        std::pair{C::ButtonDisconnect, "disconnect"}, std::pair{C::ButtonLastInfo, "last_info"},
        std::pair{C::ButtonRefreshStats, "refresh"}}) {
    SendMessageW(form.control(which), BM_CLICK, 0, 0);
    EXPECT_EQ(TakeCalls(), std::vector<std::string>{call});
  }

  // Esc hides the window, from a control or from the window.
  ASSERT_TRUE(IsWindowVisible(form.hwnd()));
  MSG escape = KeyDown(form.control(C::CurConnText), VK_ESCAPE);
  EXPECT_TRUE(form.PreTranslate(escape));
  EXPECT_FALSE(IsWindowVisible(form.hwnd()));
  form.Show();
  SendMessageW(form.hwnd(), WM_KEYDOWN, VK_ESCAPE, 1);
  EXPECT_FALSE(IsWindowVisible(form.hwnd()));
  EXPECT_EQ(TakeCalls(), (std::vector<std::string>{"hide", "hide"}));
  // A hidden window previews nothing.
  MSG next = KeyDown(form.control(C::ButtonOk), VK_NEXT);
  EXPECT_FALSE(form.PreTranslate(next));
}

// The order of Tab, which the dialog keys follow from the focused control. Where the focus is
// is checked only while the window is in the foreground: windows of tests run beside this one
// may take the foreground, and the focus with it.
TEST_F(StatsWindowTest, TabMovesBetweenTheControls) {
  TMainForm& form = *form_;
  auto order_from = [&](C first) {
    std::vector<HWND> order;
    HWND at = form.control(first);
    do {
      order.push_back(at);
      at = GetNextDlgTabItem(form.hwnd(), at, FALSE);
    } while (at && at != form.control(first) && order.size() < 20);
    return order;
  };
  auto controls = [&](std::initializer_list<C> list) {
    std::vector<HWND> handles;
    for (C which : list) handles.push_back(form.control(which));
    return handles;
  };
  form.ShowConnection(TwoConnections());
  form.Show();
  EXPECT_EQ(order_from(C::ButtonOk),
            controls({C::ButtonOk, C::ButtonDisconnect, C::CurConnText, C::ButtonPrev,
                      C::ButtonNext, C::ButtonLock, C::ButtonLastInfo, C::ButtonRefreshStats}));
  form.ShowConnection(NoConnections());
  EXPECT_EQ(order_from(C::ButtonOk), controls({C::ButtonOk, C::ButtonLock, C::ButtonLastInfo}));

  // The window moves the focus itself; a focused control that is disabled leaves it to Hide.
  form.ShowConnection(TwoConnections());
  SetForegroundWindow(form.hwnd());
  SetFocus(form.control(C::CurConnText));
  MSG tab = KeyDown(form.control(C::CurConnText), VK_TAB);
  EXPECT_TRUE(form.PreTranslate(tab));
  SetFocus(form.control(C::CurConnText));
  form.ShowConnection(NoConnections());
  if (GetForegroundWindow() == form.hwnd()) {
    EXPECT_EQ(GetFocus(), form.control(C::ButtonOk));
  }
}

TEST_F(StatsWindowTest, TheMainWindowKeepsItsOtherDuties) {
  TMainForm& form = *form_;
  form.Show();
  SendMessageW(form.hwnd(), WM_CLOSE, 0, 0);  // the close box hides
  EXPECT_FALSE(IsWindowVisible(form.hwnd()));
  ASSERT_TRUE(IsWindow(form.hwnd()));
  SendMessageW(form.hwnd(), WM_ENTERIDLE, MSGF_DIALOGBOX, 0);
  SendMessageW(form.hwnd(), WM_COMMAND, kMenuAbout, 0);  // from the tray menu
  EXPECT_EQ(TakeCalls(),
            (std::vector<std::string>{"idle", "command " + std::to_string(kMenuAbout)}));
  EXPECT_TRUE(SendMessageW(form.hwnd(), WM_QUERYENDSESSION, 0, 0));
  EXPECT_TRUE(form.closing());
  form.ForceClose();
  EXPECT_FALSE(IsWindow(form.hwnd()));
  EXPECT_EQ(TakeCalls(), (std::vector<std::string>{"close", "destroy"}));
}

// Every caption fits its control and no control covers another, with the Polish texts and with
// the longer English ones.
TEST_F(StatsWindowTest, EverythingFitsItsTexts) {
  TMainForm& form = *form_;
  const std::vector<std::pair<int, const char*>> kEnglish = {
      {1, "Phonebook entry:"}, {2, "Phone number:"}, {3, "Country:"}, {4, "Device:"}, {7, "Hide"},
      {9, "Disconnect"},       {12, "Connection:"},
  };
  for (const char* language : {"pl", "en"}) {
    if (std::string(language) == "en") {
      for (const auto& [line, text] : kEnglish) texts_.Set(line, text);
    }
    form.ApplyTexts();
    form.ShowConnection(TwoConnections());
    RECT status;
    GetWindowRect(form.control(C::StatusBar), &status);
    const int status_height = status.bottom - status.top;
    std::vector<std::pair<C, RECT>> placed;
    for (int i = 0; i < TMainForm::kControlCount; ++i) {
      const C which = static_cast<C>(i);
      if (which == C::StatusBar) continue;
      const RECT rect = RectOf(form, which);
      EXPECT_GE(rect.left, 0) << language << " " << i;
      EXPECT_GE(rect.top, 0) << language << " " << i;
      EXPECT_LE(rect.right, 314) << language << " " << i;
      EXPECT_LE(rect.bottom, 127 - status_height) << language << " " << i;
      for (const auto& [other, other_rect] : placed) {
        RECT overlap;
        EXPECT_FALSE(IntersectRect(&overlap, &rect, &other_rect))
            << language << ": " << i << " covers " << static_cast<int>(other);
      }
      placed.emplace_back(which, rect);
    }
    for (C label : {C::Label1, C::Label2, C::Label3, C::Label4, C::Label5}) {
      const SIZE text = ui::MeasureText(ui::MessageFont(), Widen(form.TextOf(label)));
      const RECT rect = RectOf(form, label);
      EXPECT_GE(rect.right - rect.left, text.cx) << language << " " << form.TextOf(label);
      EXPECT_GE(rect.bottom - rect.top, text.cy) << language << " " << form.TextOf(label);
    }
    for (C button : {C::ButtonOk, C::ButtonDisconnect}) {
      const SIZE text = ui::MeasureText(ui::MessageFont(), Widen(form.TextOf(button)));
      const RECT rect = RectOf(form, button);
      EXPECT_GE(rect.right - rect.left, text.cx + 12) << language << " " << form.TextOf(button);
      EXPECT_GE(rect.bottom - rect.top, text.cy + 6) << language << " " << form.TextOf(button);
    }
    // Short values fit; a longer one ends in an ellipsis (the number shows itself in its hint).
    for (C value : {C::PhoneNo, C::Country, C::DevType}) {
      const SIZE text = ui::MeasureText(ui::MessageFont(), Widen(form.TextOf(value)));
      EXPECT_GE(RectOf(form, value).right - RectOf(form, value).left, text.cx)
          << language << " " << form.TextOf(value);
    }
    for (C value : {C::BookEntry, C::PhoneNo, C::Country, C::DevType, C::DevName}) {
      EXPECT_TRUE(GetWindowLongPtrW(form.control(value), GWL_STYLE) & SS_ENDELLIPSIS);
    }
    form.Show();
    SnapWindow(form.hwnd(), std::string("stats_layout_") + language);
  }
}

}  // namespace
}  // namespace lw
