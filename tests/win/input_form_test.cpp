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
#include "notify/win/form_support.h"
#include "support/window_snapshot.h"

namespace lw {
namespace {

void SetControlKey(bool down) {
  BYTE state[256] = {};
  GetKeyboardState(state);
  state[VK_CONTROL] = down ? 0x80 : 0;
  SetKeyboardState(state);
}

// A key typed on a control, seen by the loop that runs when this step returns. Ctrl stays held
// until the next step.
void PostKey(HWND control, WPARAM key, bool with_control = false) {
  SetControlKey(with_control);
  PostMessageW(control, WM_KEYDOWN, key, 1);
}

void Type(HWND edit, const std::wstring& text) {
  for (wchar_t c : text) SendMessageW(edit, WM_CHAR, c, 1);
}

std::string Text(HWND window) { return ui::WindowTextUtf8(window); }

// Steps run one a tick while the prompt waits. When they are over and the prompt still waits,
// it is closed and the test fails, so that no test waits for ever.
class Script {
 public:
  Script(HWND form, std::vector<std::function<void()>> steps)
      : form_(form), steps_(std::move(steps)) {
    current = this;
    timer_ = SetTimer(nullptr, 0, 30, &Tick);
  }
  ~Script() {
    KillTimer(nullptr, timer_);
    current = nullptr;
    SetControlKey(false);
  }
  std::size_t done() const { return next_; }

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    Script* script = current;
    if (script == nullptr || script->running_ || !IsWindowVisible(script->form_)) return;
    SetControlKey(false);
    if (script->next_ < script->steps_.size()) {
      script->running_ = true;
      script->steps_[script->next_++]();
      script->running_ = false;
    } else if (++script->overtime_ == 60) {
      ADD_FAILURE() << "the prompt still waits after the last step";
      PostMessageW(script->form_, WM_CLOSE, 0, 0);
    }
  }

  static inline Script* current = nullptr;
  HWND form_;
  std::vector<std::function<void()>> steps_;
  std::size_t next_ = 0;
  int overtime_ = 0;
  bool running_ = false;
  UINT_PTR timer_ = 0;
};

LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return DefWindowProcW(window, message, wparam, lparam);
}

class InputFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSW window_class = {};
    window_class.lpfnWndProc = OwnerProc;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.lpszClassName = L"LarkWatchInputOwner";
    RegisterClassW(&window_class);
    owner_ = CreateWindowExW(0, L"LarkWatchInputOwner", L"owner", WS_OVERLAPPEDWINDOW, 0, 0, 200,
                             100, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    form_ = std::make_unique<TInputForm>(
        texts_, [this] { ++taskbar_shows_; }, [this] { ++taskbar_hides_; }, owner_,
        [this] { ++idles_; });
    ASSERT_TRUE(form_->Create()) << "no window: is there a display (Xvfb)?";
  }
  void TearDown() override {
    form_.reset();
    if (owner_) DestroyWindow(owner_);
  }

  std::optional<std::string> Ask(const std::string& prompt,
                                 std::vector<std::function<void()>> steps) {
    const std::size_t count = steps.size();
    Script script(form_->hwnd(), std::move(steps));
    std::optional<std::string> value = form_->Ask(prompt);
    EXPECT_EQ(script.done(), count);
    return value;
  }

  ControlTexts texts_;
  HWND owner_ = nullptr;
  int taskbar_shows_ = 0;
  int taskbar_hides_ = 0;
  int idles_ = 0;
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
