// The information window, the main images and the Notifier port, driven by messages on the
// test's thread (which is the main thread of the dispatcher). Needs a display (Xvfb).

#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "config/message_lines.h"
#include "config/messages.h"
#include "config/settings.h"
#include "notify/win/form_support.h"
#include "notify/win/info_form.h"
#include "notify/win/main_images.h"
#include "notify/win/win_notifier.h"
#include "shell/win/main_thread.h"
#include "support/message_pump.h"
#include "support/window_snapshot.h"

namespace lw {
namespace {

using test::Pump;
using test::PumpFor;
using test::PumpUntil;
using test::ScreenshotDir;
using test::SnapWindow;
using test::WriteBmp;

class InfoFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(InitMainThreadDispatcher());
    SetSettings(1, "5", true);
  }
  void SetSettings(int32_t appear, const std::string& seconds, bool dbl_click) {
    settings_.Update([&](Settings& s) {
      s.InfoAppear = appear;
      s.WarningsTime = seconds;
      s.WarningsDblClk = dbl_click;
    });
  }
  void Tick(InfoForm& info) { SendMessageW(info.handle(), WM_TIMER, InfoForm::kTimerInfoId, 0); }
  InfoForm& Info() {
    if (!info_) info_ = std::make_unique<InfoForm>(InfoFormDeps{settings_, messages_, {}});
    // Without a usable display Wine creates no windows; every check below would be void.
    EXPECT_NE(info_->handle(), nullptr) << "no window: is there a display (Xvfb)?";
    return *info_;
  }

  SettingsStore settings_;
  MessageTable messages_;
  std::unique_ptr<InfoForm> info_;
};

TEST_F(InfoFormTest, StartsHiddenWithTheNoConnectionsNoticeAndImageNine) {
  InfoForm& info = Info();
  ASSERT_NE(info.handle(), nullptr);
  wchar_t name[64] = {};
  GetClassNameW(info.handle(), name, 64);
  EXPECT_STREQ(name, L"TInfoForm");
  EXPECT_FALSE(info.visible());
  EXPECT_EQ(info.text(), messages_.Text(msg::NoConnections));
  EXPECT_EQ(info.image(), 9);
  EXPECT_TRUE(info.reload_pending());
  const LONG_PTR ex_style = GetWindowLongPtrW(info.handle(), GWL_EXSTYLE);
  EXPECT_TRUE(ex_style & WS_EX_TOPMOST);
  EXPECT_TRUE(ex_style & WS_EX_TOOLWINDOW);
  EXPECT_FALSE(GetWindowLongPtrW(info.handle(), GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME));
}

TEST_F(InfoFormTest, BottomRightSizedToTheLabel) {
  InfoForm& info = Info();
  const std::string text =
      "Aplikacja C:\\dialer.exe\r\nnawiązuje połączenie z numerem: 0700123\r\n"
      "Kraj: Polska";
  info.ShowInfo(text, 12);
  ASSERT_TRUE(info.visible());
  EXPECT_EQ(info.text(), text);
  EXPECT_EQ(info.image(), 12);
  EXPECT_FALSE(info.reload_pending());
  const SIZE label = ui::MeasureText(ui::MessageFont(),
                                     L"Aplikacja C:\\dialer.exe\r\nnawiązuje "
                                     L"połączenie z numerem: 0700123\r\nKraj: "
                                     L"Polska");
  const RECT label_rect = ui::ControlRect(info.label_info());
  EXPECT_EQ(label_rect.left, 36);
  EXPECT_EQ(label_rect.top, 8);
  EXPECT_EQ(label_rect.right - label_rect.left, label.cx);
  EXPECT_EQ(label_rect.bottom - label_rect.top, label.cy);
  RECT rect;
  GetWindowRect(info.handle(), &rect);
  const int width = label.cx + 45;
  const int height = std::max<int>(label.cy + 16, 29);
  const SIZE desktop = ui::DesktopSize();
  EXPECT_EQ(rect.right - rect.left, width);
  EXPECT_EQ(rect.bottom - rect.top, height);
  EXPECT_EQ(rect.left, desktop.cx - width - 10);
  EXPECT_EQ(rect.top, desktop.cy - height - 30);
}

TEST_F(InfoFormTest, OneLineIsAtLeastTwentyNinePixelsHigh) {
  InfoForm& info = Info();
  info.ShowInfo("x", 7);
  RECT rect;
  GetWindowRect(info.handle(), &rect);
  const SIZE label = ui::MeasureText(ui::MessageFont(), L"x");
  EXPECT_EQ(rect.bottom - rect.top, std::max<int>(29, label.cy + 16));
  EXPECT_EQ(rect.right - rect.left, label.cx + 45);
}

TEST_F(InfoFormTest, CentredModeAndSettingsReadOnlyWhenAskedTo) {
  SetSettings(0, "5", true);
  InfoForm& info = Info();
  info.ShowInfo("Rozłączam połączenie", 13);
  RECT rect;
  GetWindowRect(info.handle(), &rect);
  const SIZE desktop = ui::DesktopSize();
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  EXPECT_EQ(rect.left, (desktop.cx - width) / 2);
  EXPECT_EQ(rect.top, (desktop.cy - height) / 2);
  EXPECT_EQ(info.position_mode(), 0);

  // A change of the settings counts only after the options are confirmed.
  SetSettings(1, "7", true);
  info.ShowInfo("Rozłączam połączenie", 13);
  GetWindowRect(info.handle(), &rect);
  EXPECT_EQ(rect.left, (desktop.cx - width) / 2);
  EXPECT_EQ(info.show_seconds(), 5);
  info.ReloadSettings();
  info.ShowInfo("Rozłączam połączenie", 13);
  GetWindowRect(info.handle(), &rect);
  EXPECT_EQ(rect.left, desktop.cx - width - 10);
  EXPECT_EQ(info.show_seconds(), 7);
}

TEST_F(InfoFormTest, FiveSecondsHideAfterSixTicks) {
  InfoForm& info = Info();
  info.ShowInfo("Notice", 12);
  EXPECT_EQ(info.remaining(), 5);
  for (int i = 0; i < 5; ++i) {
    Tick(info);
    EXPECT_TRUE(info.visible()) << "tick " << i + 1;
  }
  Tick(info);
  EXPECT_FALSE(info.visible());
}

TEST_F(InfoFormTest, WarningsTimeThatIsNoIntegerMeansFive) {
  SetSettings(1, "dziesięć", true);
  InfoForm& info = Info();
  info.ShowInfo("Notice", 12);
  EXPECT_EQ(info.show_seconds(), 5);
}

TEST_F(InfoFormTest, ANewMessageRestartsTheCount) {
  InfoForm& info = Info();
  info.ShowInfo("First", 12);
  for (int i = 0; i < 4; ++i) Tick(info);
  info.ShowInfo("Second", 13);
  EXPECT_EQ(info.text(), "Second");
  EXPECT_EQ(info.remaining(), 5);
  for (int i = 0; i < 5; ++i) Tick(info);
  EXPECT_TRUE(info.visible());
  Tick(info);
  EXPECT_FALSE(info.visible());
}

TEST_F(InfoFormTest, EmptyTextAndNoImageShowTheLastNoticeAgain) {
  InfoForm& info = Info();
  info.ShowInfo("Połączony z numerem 0221234567", 12);
  for (int i = 0; i < 6; ++i) Tick(info);
  ASSERT_FALSE(info.visible());
  info.ShowInfo("", -1);
  EXPECT_TRUE(info.visible());
  EXPECT_EQ(info.text(), "Połączony z numerem 0221234567");
  EXPECT_EQ(info.image(), 12);
  EXPECT_EQ(info.remaining(), 5);
  // An image alone changes the image only.
  info.ShowInfo("", 18);
  EXPECT_EQ(info.text(), "Połączony z numerem 0221234567");
  EXPECT_EQ(info.image(), 18);
}

TEST_F(InfoFormTest, DoubleClickClosesOnlyWhenTheSettingAllowsIt) {
  SetSettings(1, "5", false);
  InfoForm& info = Info();
  info.ShowInfo("Notice", 12);
  SendMessageW(info.handle(), WM_LBUTTONDBLCLK, 0, MAKELPARAM(3, 3));
  SendMessageW(info.label_info(), WM_LBUTTONDBLCLK, 0, MAKELPARAM(2, 2));
  Pump();
  EXPECT_TRUE(info.visible());

  SetSettings(1, "5", true);  // read at the moment of the click
  SendMessageW(info.label_info(), WM_LBUTTONDBLCLK, 0, MAKELPARAM(2, 2));
  Pump();
  EXPECT_FALSE(info.visible());
  info.ShowInfo("Notice", 12);
  SendMessageW(info.handle(), WM_LBUTTONDBLCLK, 0, MAKELPARAM(3, 3));
  EXPECT_FALSE(info.visible());
}

TEST_F(InfoFormTest, CloseRequestsOnlyHideAndTheEndOfTheSessionIsAllowed) {
  InfoForm& info = Info();
  info.ShowInfo("Notice", 12);
  SendMessageW(info.handle(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(info.handle()));
  EXPECT_FALSE(info.visible());
  EXPECT_FALSE(info.shutdown_pending());
  EXPECT_EQ(SendMessageW(info.handle(), WM_QUERYENDSESSION, 0, 0), TRUE);
  EXPECT_TRUE(info.shutdown_pending());
}

TEST_F(InfoFormTest, TheRealTimerHidesTheNote) {
  SetSettings(1, "0", true);  // one tick
  InfoForm& info = Info();
  info.ShowInfo("Notice", 12);
  EXPECT_TRUE(PumpUntil([&] { return !info.visible(); }, 3000));
}

TEST_F(InfoFormTest, NoticesFromAnotherThreadReachTheWindow) {
  InfoForm& info = Info();
  WinNotifier notifier(info);
  std::thread worker([&] { notifier.ShowInfo("Z wątku roboczego", 14); });
  worker.join();
  EXPECT_FALSE(info.visible());  // nothing happens before the main thread runs its messages
  ASSERT_TRUE(PumpUntil([&] { return info.visible(); }, 2000));
  EXPECT_EQ(info.text(), "Z wątku roboczego");
  EXPECT_EQ(info.image(), 14);
  std::thread hider([&] { notifier.HideInfo(); });
  hider.join();
  EXPECT_TRUE(PumpUntil([&] { return !info.visible(); }, 2000));
}

TEST_F(InfoFormTest, Screenshots) {
  InfoForm& info = Info();
  info.ShowInfo(
      "UWAGA !!!!\r\nNastępująca aplikacja próbuje nawiązać połączenie z numerem "
      "niebezpiecznym\r\nC:\\Program Files\\Dialer\\dialer.exe\r\n\r\nNumer: 0 700 123 456\r\n"
      "Kraj: Polska",
      18);
  SnapWindow(info.handle(), "info_warning");
  info.ShowInfo(
      "Aplikacja C:\\Windows\\explorer.exe\r\nnawiązuje połączenie z numerem: "
      "0202122\r\nKraj: Polska",
      12);
  SnapWindow(info.handle(), "info_connected");
  info.ShowInfo(messages_.Text(msg::NoConnections), 9);
  SnapWindow(info.handle(), "info_initial");
  info.Close();
}

// ---- The main images ----

TEST(MainImages, TheUsedIndexesHavePicturesAndTheOthersAreBlank) {
  const std::set<int> shields = {0, 6, 7, 9, 12, 13, 14, 18};
  const std::set<int> padlocks = {3, 4};
  std::set<std::vector<uint32_t>> distinct;
  for (int i = 0; i < kMainImageCount; ++i) {
    const std::vector<uint32_t> pixels = MainImagePixels(i, 16);
    ASSERT_EQ(pixels.size(), 256u);
    int opaque = 0;
    for (uint32_t p : pixels) opaque += (p >> 24) >= 128;
    if (shields.count(i) || padlocks.count(i)) {
      EXPECT_GT(opaque, shields.count(i) ? 120 : 80) << "image " << i;
      // The corners stay clear: no picture fills the square.
      EXPECT_EQ(pixels[0] >> 24, 0u) << "image " << i;
      distinct.insert(pixels);
    } else {
      EXPECT_EQ(opaque, 0) << "image " << i;
    }
  }
  EXPECT_EQ(distinct.size(), shields.size() + padlocks.size());
  EXPECT_TRUE(MainImagePixels(kMainImageCount, 16).empty());
  EXPECT_TRUE(MainImagePixels(-1, 16).empty());
}

TEST(MainImages, ListAndIcons) {
  HIMAGELIST list = MainImageList();
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(ImageList_GetImageCount(list), kMainImageCount);
  int cx = 0, cy = 0;
  ImageList_GetIconSize(list, &cx, &cy);
  EXPECT_EQ(cx, 16);
  EXPECT_EQ(cy, 16);
  for (int size : {16, 32}) {
    HICON icon = MainImageIcon(12, size);
    ASSERT_NE(icon, nullptr);
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAP bitmap = {};
    GetObjectW(info.hbmColor, sizeof(bitmap), &bitmap);
    EXPECT_EQ(bitmap.bmWidth, size);
    EXPECT_EQ(bitmap.bmHeight, size);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(icon);
  }
  EXPECT_EQ(MainImageIcon(kMainImageCount), nullptr);
}

// A sheet of every picture at 16 and 32 pixels, enlarged four and two times, for looking at.
TEST(MainImages, Sheet) {
  constexpr int kCell = 72;
  const int count = kMainImageCount;
  const int width = kCell * count;
  const int height = kCell * 2;
  std::vector<uint32_t> sheet(static_cast<std::size_t>(width) * height, 0xFFFFFFFF);
  for (int i = 0; i < count; ++i) {
    for (int row = 0; row < 2; ++row) {
      const int size = row == 0 ? 16 : 32;
      const int zoom = 64 / size;
      const std::vector<uint32_t> pixels = MainImagePixels(i, size);
      for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
          const uint32_t p = pixels[static_cast<std::size_t>(y / zoom) * size + x / zoom];
          const uint32_t a = p >> 24;
          uint32_t out = 0xFF000000;
          for (int c = 0; c < 3; ++c) {
            const uint32_t fg = (p >> (8 * c)) & 0xFF;
            out |= ((fg * a + 0xE8 * (255 - a)) / 255) << (8 * c);
          }
          sheet[static_cast<std::size_t>(row * kCell + 4 + y) * width + i * kCell + 4 + x] = out;
        }
      }
    }
  }
  WriteBmp(ScreenshotDir() / "main_images.bmp", sheet, width, height);
  // The actual sizes too, on a light and a dark ground.
  constexpr int kSmallCell = 56;
  constexpr int kRow = 40;
  const int actual_width = count * kSmallCell;
  std::vector<uint32_t> actual(static_cast<std::size_t>(actual_width) * kRow * 2, 0);
  for (int half = 0; half < 2; ++half) {
    const uint32_t ground = half == 0 ? 0xFFF0F0F0 : 0xFF202830;
    for (int y = 0; y < kRow; ++y) {
      for (int x = 0; x < actual_width; ++x) {
        actual[static_cast<std::size_t>(half * kRow + y) * actual_width + x] = ground;
      }
    }
    auto put = [&](const std::vector<uint32_t>& pixels, int size, int left, int top) {
      for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
          const uint32_t p = pixels[static_cast<std::size_t>(y) * size + x];
          const uint32_t a = p >> 24;
          uint32_t out = 0xFF000000;
          for (int c = 0; c < 3; ++c) {
            const uint32_t fg = (p >> (8 * c)) & 0xFF;
            const uint32_t bg = (ground >> (8 * c)) & 0xFF;
            out |= ((fg * a + bg * (255 - a)) / 255) << (8 * c);
          }
          actual[static_cast<std::size_t>(half * kRow + top + y) * actual_width + left + x] = out;
        }
      }
    };
    for (int i = 0; i < count; ++i) {
      put(MainImagePixels(i, 16), 16, i * kSmallCell + 2, 12);
      put(MainImagePixels(i, 32), 32, i * kSmallCell + 20, 4);
    }
  }
  WriteBmp(ScreenshotDir() / "main_images_actual.bmp", actual, actual_width, kRow * 2);
}

// The statistics window's button pictures: each drawn, each different, as icons too; a sheet
// of them enlarged four times, for looking at.
TEST(MainImages, ButtonGlyphs) {
  const ButtonGlyph glyphs[] = {ButtonGlyph::Previous, ButtonGlyph::Next, ButtonGlyph::LastInfo,
                                ButtonGlyph::Refresh};
  constexpr int kZoom = 4;
  constexpr int kCell = 16 * kZoom + 8;
  const int width = kCell * static_cast<int>(std::size(glyphs));
  std::vector<uint32_t> sheet(static_cast<std::size_t>(width) * kCell, 0xFFE8E8E8);
  std::set<std::vector<uint32_t>> distinct;
  int column = 0;
  for (ButtonGlyph glyph : glyphs) {
    const std::vector<uint32_t> pixels = ButtonGlyphPixels(glyph, 16);
    ASSERT_EQ(pixels.size(), 256u);
    int opaque = 0;
    for (uint32_t p : pixels) opaque += (p >> 24) >= 128;
    EXPECT_GT(opaque, 40) << "glyph " << column;
    distinct.insert(pixels);
    HICON icon = ButtonGlyphIcon(glyph);
    EXPECT_NE(icon, nullptr);
    if (icon) DestroyIcon(icon);
    for (int y = 0; y < 16 * kZoom; ++y) {
      for (int x = 0; x < 16 * kZoom; ++x) {
        const uint32_t p = pixels[static_cast<std::size_t>(y / kZoom) * 16 + x / kZoom];
        const uint32_t a = p >> 24;
        uint32_t out = 0xFF000000;
        for (int c = 0; c < 3; ++c) {
          out |= ((((p >> (8 * c)) & 0xFF) * a + 0xE8 * (255 - a)) / 255) << (8 * c);
        }
        sheet[static_cast<std::size_t>(4 + y) * width + column * kCell + 4 + x] = out;
      }
    }
    ++column;
  }
  EXPECT_EQ(distinct.size(), std::size(glyphs));
  WriteBmp(ScreenshotDir() / "button_glyphs.bmp", sheet, width, kCell);
}

}  // namespace
}  // namespace lw
