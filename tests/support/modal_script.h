#pragma once
// Driving a modal window inside a window test: the window's own loop runs on the test's thread
// and a timer of the test takes one step a tick while it waits; keys and typing as the steps
// send them, and a fixture with a disabled-while-waiting owner and counters of the taskbar and
// idle callbacks. Needs a display (Xvfb).

#include <gtest/gtest.h>
#include <windows.h>

#include <cstddef>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "notify/win/form_support.h"

namespace lw::test {

inline void SetControlKey(bool down) {
  BYTE state[256] = {};
  GetKeyboardState(state);
  state[VK_CONTROL] = down ? 0x80 : 0;
  SetKeyboardState(state);
}

// A key typed on a control, seen by the loop that runs when this step returns. Ctrl stays held
// until the next step.
inline void PostKey(HWND control, WPARAM key, bool with_control = false) {
  SetControlKey(with_control);
  PostMessageW(control, WM_KEYDOWN, key, 1);
}

inline void Type(HWND edit, const std::wstring& text) {
  for (wchar_t c : text) SendMessageW(edit, WM_CHAR, c, 1);
}

inline std::string Text(HWND window) { return ui::WindowTextUtf8(window); }

// Steps run one a tick while the window waits. When they are over and it still waits, it is
// closed and the test fails, so that no test waits for ever.
class Script {
 public:
  Script(HWND form, std::vector<std::function<void()>> steps, std::string what = "the prompt")
      : form_(form), steps_(std::move(steps)), what_(std::move(what)) {
    current = this;
    timer_ = SetTimer(nullptr, 0, 30, &Tick);
  }
  ~Script() {
    KillTimer(nullptr, timer_);
    current = nullptr;
    SetControlKey(false);
  }
  Script(const Script&) = delete;
  Script& operator=(const Script&) = delete;
  std::size_t done() const { return next_; }

  // Called by a step: the same step runs again at the next tick instead of the next one. A step
  // that keeps asking is bounded like the wait after the last step.
  static void RunAgain() {
    if (current != nullptr) current->again_ = true;
  }

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    Script* script = current;
    // A step that pumps messages itself (a snapshot) does not run the next one meanwhile.
    if (script == nullptr || script->running_ || !IsWindowVisible(script->form_)) return;
    SetControlKey(false);
    if (script->next_ < script->steps_.size()) {
      script->running_ = true;
      script->steps_[script->next_++]();
      script->running_ = false;
      if (script->again_) {
        script->again_ = false;
        --script->next_;
        script->Overtime(": step " + std::to_string(script->next_ + 1) + " still waits");
      } else {
        script->overtime_ = 0;
      }
    } else {
      script->Overtime(" still waits after the last step");
    }
  }

  // Counts a tick of waiting; after 60 (about 2 s) the test fails and the window is closed.
  void Overtime(const std::string& why) {
    if (++overtime_ != 60) return;
    ADD_FAILURE() << what_ << why;
    PostMessageW(form_, WM_CLOSE, 0, 0);
  }

  static inline Script* current = nullptr;
  HWND form_;
  std::vector<std::function<void()>> steps_;
  std::string what_;
  std::size_t next_ = 0;
  int overtime_ = 0;
  bool running_ = false;
  bool again_ = false;
  UINT_PTR timer_ = 0;
};

// A step that waits, a tick at a time, until the condition holds. It puts nothing in the queue,
// so a loop that acts when its queue is empty gets the chance meanwhile.
inline std::function<void()> Await(std::function<bool()> condition) {
  return [condition = std::move(condition)] {
    if (!condition()) Script::RunAgain();
  };
}

// A fixture for a modal window: its owner, and how often the window showed and hid its taskbar
// button and ran the idle processing.
class ModalWindowTest : public ::testing::Test {
 protected:
  // Creates the owner, a plain window of its own class.
  void CreateOwner(const wchar_t* class_name) {
    WNDCLASSW window_class = {};
    window_class.lpfnWndProc = DefWindowProcW;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.lpszClassName = class_name;
    RegisterClassW(&window_class);
    owner_ = CreateWindowExW(0, class_name, L"owner", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                             nullptr, GetModuleHandleW(nullptr), nullptr);
  }
  void DestroyOwner() {
    if (owner_) DestroyWindow(owner_);
    owner_ = nullptr;
  }

  std::function<void()> CountTaskbarShows() {
    return [this] { ++taskbar_shows_; };
  }
  std::function<void()> CountTaskbarHides() {
    return [this] { ++taskbar_hides_; };
  }
  std::function<void()> CountIdles() {
    return [this] { ++idles_; };
  }

  // Runs `show` (which waits in the window's loop) with the steps taken meanwhile; the steps
  // must have run to the last.
  template <typename Show>
  auto RunSteps(HWND window, std::vector<std::function<void()>> steps, Show show,
                std::string what = "the prompt") {
    const std::size_t count = steps.size();
    Script script(window, std::move(steps), std::move(what));
    auto result = show();
    EXPECT_EQ(script.done(), count);
    return result;
  }

  HWND owner_ = nullptr;
  int taskbar_shows_ = 0;
  int taskbar_hides_ = 0;
  int idles_ = 0;
};

}  // namespace lw::test
