#pragma once
// What the two question windows share: a small always-on-top tool window centred on the
// screen, its Answer and Active fields (read by the deciding thread while the window runs on
// the main thread), the keys (Esc = no, Ctrl+Enter = yes), and the guard against an answer
// typed before the user could see the question: for a moment after each show the buttons are
// disabled and the answering keys are ignored.

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace lw {

class ControlTexts;
class MessageTable;

struct QuestionWindowDeps {
  const ControlTexts& texts;
  const MessageTable& messages;
  // Disabled while a question is asked modally, and told of idle moments of the modal loop
  // with WM_ENTERIDLE (MSGF_DIALOGBOX), as a dialog box would. May be null.
  HWND owner = nullptr;
  // The application's taskbar button: shown with the question; hidden again unless the about,
  // options or credential window is visible. Either may be empty.
  std::function<void()> show_taskbar_button = {};
  std::function<void()> hide_taskbar_button_unless_dialogs = {};
};

class QuestionWindow {
 public:
  // How long after a show the question ignores clicks and answering keys.
  static constexpr UINT kInputGuardMs = 700;
  static constexpr UINT_PTR kInputGuardTimerId = 2;
  // The layout puts the two rows of the application question 20 pixels apart and the yes/no
  // row 28 pixels above the bottom of a question 56 pixels taller than its text: buttons must
  // stay lower than 20 pixels to fit between.
  static constexpr int kButtonHeight = 19;

  virtual ~QuestionWindow();
  QuestionWindow(const QuestionWindow&) = delete;
  QuestionWindow& operator=(const QuestionWindow&) = delete;

  HWND handle() const { return window_; }

  // Any thread.
  int32_t Answer() const { return answer_.load(); }
  bool Active() const { return active_.load(); }
  // Whether the window is shown (a mirror the window keeps).
  bool Visible() const { return visible_.load(); }
  // Set by whoever asks, before the show is posted, so that the first poll already sees it.
  void MarkActive() { active_.store(true); }
  // Ends the wait for a question that cannot be shown (Answer unchanged).
  void Abandon() { active_.store(false); }

  // Main thread.
  // Closes the window: timers off, hidden, Active cleared.
  void Close();
  bool input_guarded() const { return input_guarded_; }
  // The end of the guard (what its one-shot timer does).
  void InputGuardTimerTimer();
  std::string question_text() const;
  // Takes the caption and the button texts from the control texts again.
  virtual void ApplyTexts() = 0;

  // For the window procedure.
  void AttachWindow(HWND window) { window_ = window; }
  virtual LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);

 protected:
  QuestionWindow(QuestionWindowDeps deps, const wchar_t* class_name, int label_id);

  // Creates a button; buttons are kept in tab order.
  HWND AddButton(int id);
  // The label's size for its text, after it was moved to (kLabelLeft, kLabelTop).
  SIZE PlaceLabel();
  // Sizes the client area, centres the window on the screen, shows it on top and focuses it;
  // starts the input guard.
  void Present(int client_width, int client_height);
  // Runs messages until Active is cleared, with the owner disabled; returns Answer.
  int32_t RunModal();

  // What a click on a button does (the guard is already checked).
  virtual void ButtonClick(int id) = 0;
  virtual void ButtonNoClick() = 0;
  virtual void ButtonYesClick() = 0;
  // Stops the window's own timers when it closes.
  virtual void StopTimers() {}

  static constexpr int kLabelLeft = 8;
  static constexpr int kLabelTop = 6;

  QuestionWindowDeps deps_;
  HWND window_ = nullptr;
  HWND label_ = nullptr;
  std::vector<HWND> buttons_;
  std::atomic<int32_t> answer_{0};
  std::atomic<bool> active_{false};
  std::atomic<bool> visible_{false};

 private:
  void FormHide();
  void FormKeyDown(WPARAM key);
  bool Mnemonic(wchar_t key);
  void MoveFocus(bool forward);
  static LRESULT CALLBACK ButtonProc(HWND button, UINT message, WPARAM wparam, LPARAM lparam);

  bool input_guarded_ = false;
  HWND modal_owner_ = nullptr;
};

}  // namespace lw
