#pragma once
// TInfoForm: the small borderless note that shows a notice for a few seconds in the middle of
// the screen or in its bottom-right corner, with an image of the main image list beside the
// text. Created once at start-up; every method runs on the main thread (worker threads go
// through WinNotifier).

#include <windows.h>

#include <functional>
#include <string>

namespace lw {

class MessageTable;
class SettingsStore;

struct InfoFormDeps {
  const SettingsStore& settings;
  const MessageTable& messages;
  // Hides the application's taskbar button unless the about, options or question window is
  // visible. May be empty.
  std::function<void()> hide_taskbar_button_unless_dialogs = {};
};

class InfoForm {
 public:
  static constexpr wchar_t kClassName[] = L"TInfoForm";
  static constexpr UINT_PTR kTimerInfoId = 1;
  static constexpr UINT kTimerInfoMs = 1000;
  static constexpr int kImageLeft = 11;
  static constexpr int kImageTop = 7;
  static constexpr int kLabelLeft = 36;
  static constexpr int kLabelTop = 8;

  // Creates the hidden window with the initial notice (message 143, image 9).
  explicit InfoForm(InfoFormDeps deps);
  ~InfoForm();
  InfoForm(const InfoForm&) = delete;
  InfoForm& operator=(const InfoForm&) = delete;

  HWND handle() const { return window_; }
  HWND label_info() const { return label_info_; }

  // Shows a notice (UTF-8). An empty text shows the current one again; an image below 0 keeps
  // the current image.
  void ShowInfo(const std::string& text, int image);
  // Closes the note: stops the timer and hides the window.
  void Close();
  // The next notice reads InfoAppear and WarningsTime again (after the options are confirmed).
  void ReloadSettings() { reload_settings_ = true; }

  std::string text() const;
  int image() const { return image_; }
  int remaining() const { return remaining_; }
  int show_seconds() const { return show_seconds_; }
  int position_mode() const { return position_mode_; }
  bool shutdown_pending() const { return shutdown_pending_; }
  bool reload_pending() const { return reload_settings_; }
  bool visible() const;

  // Handlers.
  void TimerInfoTimer();
  void FormDblClick();
  void LabelInfoDblClick();
  // A close request: refused (the note only hides) unless the log-on is ending.
  void FormClose();
  void FormPaint();

  // For the window procedure.
  void AttachWindow(HWND window) { window_ = window; }
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);

 private:
  void ReadSettings();

  InfoFormDeps deps_;
  HWND window_ = nullptr;
  HWND label_info_ = nullptr;
  bool shutdown_pending_ = false;
  bool reload_settings_ = true;
  int position_mode_ = 1;
  int show_seconds_ = 10;
  int remaining_ = 0;
  int image_ = 9;
};

}  // namespace lw
