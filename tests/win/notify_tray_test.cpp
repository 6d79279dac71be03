// The notification-area icon: its tip, its updates of the shell and the mouse callbacks.
// Registering an icon needs the shell's tray, which Wine offers only with a display (Xvfb).

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "common/win/wide.h"
#include "notify/win/main_images.h"
#include "notify/win/tray_icon.h"
#include "support/own_window.h"

namespace lw {
namespace {

constexpr UINT kStatistics = 101;
constexpr UINT kClose = 102;

TEST(TrayTip, CutToSixtyThreeUnitsWithoutSplittingAPair) {
  EXPECT_EQ(TrayIcon::CutTip(L"LarkWatch"), L"LarkWatch");
  EXPECT_EQ(TrayIcon::CutTip(std::wstring(63, L'a')), std::wstring(63, L'a'));
  EXPECT_EQ(TrayIcon::CutTip(std::wstring(70, L'a')), std::wstring(63, L'a'));
  // A character outside the basic plane takes two units; it is not cut in half.
  const std::wstring pair = L"\U0001F4DE";
  ASSERT_EQ(pair.size(), 2u);
  EXPECT_EQ(TrayIcon::CutTip(std::wstring(62, L'a') + pair + L"b"), std::wstring(62, L'a'));
  EXPECT_EQ(TrayIcon::CutTip(std::wstring(61, L'a') + pair + L"b"), std::wstring(61, L'a') + pair);
}

bool menu_seen = false;

void CALLBACK EndTheMenu(HWND, UINT, UINT_PTR, DWORD) {
  menu_seen = test::FindOwnWindow(L"#32768") != nullptr;
  EndMenu();
}

class TrayIconTest : public ::testing::Test {
 protected:
  void SetUp() override {
    menu_ = CreatePopupMenu();
    AppendMenuW(menu_, MF_STRING, kStatistics, L"Statystyki");
    AppendMenuW(menu_, MF_STRING, kClose, L"Zamknij");
  }
  void TearDown() override { DestroyMenu(menu_); }
  void Callback(TrayIcon& tray, UINT mouse_message) {
    SendMessageW(tray.handle(), TrayIcon::kCallbackMessage, tray.tag(), mouse_message);
  }
  HMENU menu_ = nullptr;
};

TEST_F(TrayIconTest, RegisteredWhenEnabledAndTheHintIsCut) {
  TrayIcon tray(7);
  ASSERT_NE(tray.handle(), nullptr);
  EXPECT_FALSE(IsWindowVisible(tray.handle()));
  EXPECT_NE(tray.icon(), nullptr);  // the program's icon
  EXPECT_FALSE(tray.enabled());
  EXPECT_FALSE(tray.added());
  EXPECT_EQ(tray.shell_updates(), 0);

  tray.SetHint("LarkWatch");
  EXPECT_EQ(tray.shell_updates(), 0);  // nothing is registered yet
  tray.SetEnabled(true);
  EXPECT_TRUE(tray.added()) << "no tray under this display?";
  EXPECT_EQ(tray.shell_updates(), 1);
  EXPECT_EQ(tray.shell_tip(), L"LarkWatch");

  const std::string long_hint =
      "Połączony z numerem 0202122 (Polska), czas połączenia 00:12:34, przesłano 123 kB";
  tray.SetHint(long_hint);
  EXPECT_EQ(tray.shell_updates(), 2);
  EXPECT_EQ(tray.shell_tip().size(), TrayIcon::kMaxTipLength);
  EXPECT_EQ(tray.shell_tip(), Widen(long_hint).substr(0, 63));
  EXPECT_EQ(tray.hint(), long_hint);  // the hint itself is kept whole

  tray.SetEnabled(false);
  EXPECT_FALSE(tray.added());
  EXPECT_EQ(tray.shell_updates(), 3);
}

TEST_F(TrayIconTest, SettersTellTheShellOnlyOfChanges) {
  TrayIcon tray(1);
  tray.SetEnabled(true);
  const int after_add = tray.shell_updates();
  tray.SetEnabled(true);
  tray.SetHint("");
  EXPECT_EQ(tray.shell_updates(), after_add);

  tray.SetImage(7);
  EXPECT_EQ(tray.image(), 7);
  HICON idle = tray.icon();
  EXPECT_EQ(tray.shell_updates(), after_add + 1);
  tray.SetImage(7);
  EXPECT_EQ(tray.icon(), idle);
  EXPECT_EQ(tray.shell_updates(), after_add + 1);
  tray.SetImage(12);
  EXPECT_NE(tray.icon(), idle);
  EXPECT_EQ(tray.shell_updates(), after_add + 2);

  HICON own = MainImageIcon(14);
  tray.SetIcon(own);
  EXPECT_EQ(tray.image(), -1);
  EXPECT_NE(tray.icon(), own);  // a copy
  EXPECT_EQ(tray.shell_updates(), after_add + 3);
  tray.SetIcon(own);
  EXPECT_EQ(tray.shell_updates(), after_add + 3);
  DestroyIcon(own);

  tray.SetHint("Czuwanie...");
  tray.SetHint("Czuwanie...");
  EXPECT_EQ(tray.shell_updates(), after_add + 4);
  EXPECT_TRUE(tray.added());
}

TEST_F(TrayIconTest, TaskbarCreatedRegistersTheIconAgain) {
  TrayIcon tray(3);
  tray.SetEnabled(true);
  ASSERT_TRUE(tray.added());
  const int before = tray.shell_updates();
  SendMessageW(tray.handle(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  EXPECT_TRUE(tray.added());
  EXPECT_EQ(tray.shell_updates(), before + 1);
}

TEST_F(TrayIconTest, MouseCallbacks) {
  TrayIcon tray(5);
  std::vector<std::string> events;
  tray.OnMouseMove = [&] { events.push_back("move"); };
  tray.OnLeftBtnClick = [&] { events.push_back("left"); };
  tray.OnLeftBtnDblClick = [&] { events.push_back("double"); };
  tray.OnRightBtnClick = [&] { events.push_back("right"); };
  tray.OnMenuCommand = [&](UINT command) {
    events.push_back("command " + std::to_string(command));
  };

  Callback(tray, WM_MOUSEMOVE);
  Callback(tray, WM_LBUTTONDOWN);
  Callback(tray, WM_LBUTTONUP);      // not an event
  Callback(tray, WM_LBUTTONDBLCLK);  // no menu yet
  EXPECT_EQ(events, (std::vector<std::string>{"move", "left", "double"}));

  events.clear();
  tray.SetPopupMenu(menu_);
  Callback(tray, WM_LBUTTONDBLCLK);
  EXPECT_EQ(events, (std::vector<std::string>{"double", "command 101"}));

  events.clear();
  tray.SetAutoShow(false);
  Callback(tray, WM_LBUTTONDBLCLK);
  EXPECT_EQ(events, (std::vector<std::string>{"double"}));
}

TEST_F(TrayIconTest, RightClickPopsTheMenuUpWithTheFirstItemInBold) {
  TrayIcon tray(6);
  std::vector<std::string> events;
  tray.OnRightBtnClick = [&] { events.push_back("right"); };
  tray.OnMenuCommand = [&](UINT command) {
    events.push_back("command " + std::to_string(command));
  };
  tray.SetPopupMenu(menu_);
  EXPECT_EQ(GetMenuDefaultItem(menu_, TRUE, 0), static_cast<UINT>(-1));

  // The menu runs a loop of its own; a timer of this thread ends it.
  menu_seen = false;
  const UINT_PTR timer = SetTimer(nullptr, 0, 300, &EndTheMenu);
  Callback(tray, WM_RBUTTONDOWN);
  KillTimer(nullptr, timer);
  EXPECT_TRUE(menu_seen);
  EXPECT_EQ(events, (std::vector<std::string>{"right"}));  // nothing chosen
  EXPECT_EQ(GetMenuDefaultItem(menu_, TRUE, 0), 0u);
}

}  // namespace
}  // namespace lw
