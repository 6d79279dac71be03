// The single-value prompt (TInputForm), asked modally on the test's thread: a timer of the test
// acts while the prompt's own loop runs. Needs a display (Xvfb).

#include "config/win/input_form.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "config/control_texts.h"
#include "support/modal_script.h"
#include "support/window_snapshot.h"

namespace lw {
namespace {

using test::PostKey;
using test::Text;
using test::Type;

class InputFormTest : public test::ModalWindowTest {
 protected:
  void SetUp() override {
    CreateOwner(L"LarkWatchInputOwner");
    form_ = std::make_unique<TInputForm>(texts_, CountTaskbarShows(), CountTaskbarHides(), owner_,
                                         CountIdles());
    ASSERT_TRUE(form_->Create()) << "no window: is there a display (Xvfb)?";
  }
  void TearDown() override {
    form_.reset();
    DestroyOwner();
  }

  std::optional<std::string> Ask(const std::string& prompt,
                                 std::vector<std::function<void()>> steps) {
    return RunSteps(form_->hwnd(), std::move(steps), [&] { return form_->Ask(prompt); });
  }

  ControlTexts texts_;
  std::unique_ptr<TInputForm> form_;
};

TEST_F(InputFormTest, AnEmptyValueCannotBeConfirmed) {
  TInputForm& form = *form_;
  wchar_t name[64] = {};
  GetClassNameW(form.hwnd(), name, 64);
  EXPECT_STREQ(name, L"TInputForm");
  EXPECT_TRUE(GetWindowLongPtrW(form.hwnd(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
  const std::optional<std::string> value =
      Ask("Podaj numer:", {[&] {
                             EXPECT_EQ(Text(form.hwnd()), "LarkWatch");
                             EXPECT_EQ(Text(form.label()), "Podaj numer:");
                             EXPECT_EQ(Text(form.value()), "");
                             EXPECT_EQ(Text(form.button_ok()), "OK");
                             EXPECT_EQ(Text(form.button_cancel()), "Anuluj");
                             EXPECT_EQ(form.HintOf(form.button_ok()), "Potwierdzenie (Ctrl+Enter)");
                             EXPECT_EQ(form.HintOf(form.button_cancel()), "Anulowanie (Esc)");
                             EXPECT_FALSE(IsWindowEnabled(form.button_ok()));
                             EXPECT_FALSE(IsWindowEnabled(owner_));
                             test::SnapWindow(form.hwnd(), "input");
                             PostKey(form.value(), VK_RETURN, true);  // nothing happens
                           },
                           [&] {
                             PostMessageW(form.button_ok(), BM_CLICK, 0, 0);  // nor here
                             Type(form.value(), L"1");
                             EXPECT_TRUE(IsWindowEnabled(form.button_ok()));
                             SendMessageW(form.value(), WM_CHAR, VK_BACK, 1);
                             EXPECT_FALSE(IsWindowEnabled(form.button_ok()));
                           },
                           test::Await([&] { return idles_ > 0; }),
                           [&] {
                             EXPECT_TRUE(form.IsVisible());
                             PostMessageW(form.button_cancel(), BM_CLICK, 0, 0);
                           }});
  EXPECT_FALSE(value.has_value());
  EXPECT_FALSE(form.IsVisible());
  EXPECT_TRUE(IsWindowEnabled(owner_));
  EXPECT_EQ(taskbar_shows_, 1);
  EXPECT_EQ(taskbar_hides_, 1);
  EXPECT_GT(idles_, 0);
}

TEST_F(InputFormTest, ATypedValueIsReturned) {
  TInputForm& form = *form_;
  std::optional<std::string> value = Ask("Numer:", {[&] {
                                           Type(form.value(), L"0700*ż");
                                           PostKey(form.value(), VK_RETURN, true);
                                         }});
  ASSERT_TRUE(value.has_value());
  EXPECT_EQ(*value, "0700*ż");

  // The next question starts empty again.
  value = Ask("Numer:", {[&] {
                EXPECT_EQ(Text(form.value()), "");
                EXPECT_FALSE(IsWindowEnabled(form.button_ok()));
                Type(form.value(), L"00*");
                PostMessageW(form.button_ok(), BM_CLICK, 0, 0);
              }});
  EXPECT_EQ(value, std::optional<std::string>("00*"));
}

TEST_F(InputFormTest, EscCancels) {
  TInputForm& form = *form_;
  EXPECT_FALSE(Ask("Numer:", {[&] {
                     Type(form.value(), L"123");
                     PostKey(form.value(), VK_ESCAPE);
                   }})
                   .has_value());
  EXPECT_FALSE(Ask("Numer:", {[&] {
                     Type(form.value(), L"123");
                     PostMessageW(form.hwnd(), WM_CLOSE, 0, 0);
                   }})
                   .has_value());
}

TEST_F(InputFormTest, TheValueKeepsSixtyFourCharacters) {
  TInputForm& form = *form_;
  const std::wstring typed(70, L'7');
  const std::optional<std::string> value =
      Ask("Numer:", {[&] {
            EXPECT_EQ(SendMessageW(form.value(), EM_GETLIMITTEXT, 0, 0), 64);
            Type(form.value(), typed);
            EXPECT_EQ(GetWindowTextLengthW(form.value()), 64);
            PostKey(form.value(), VK_RETURN, true);
          }});
  EXPECT_EQ(value, std::optional<std::string>(std::string(64, '7')));
}

}  // namespace
}  // namespace lw
