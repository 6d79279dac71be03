#pragma once
// TOptionsForm: the options dialog. A tool window centred on the screen with four pages; its
// controls are the live editing view of the settings: every change goes into the SettingsStore
// at once, so that the decisions on other threads see it. OK saves; Cancel, Esc and the close
// box load the stored settings again. The rules sit in OptionsEditor; this window renders the
// settings and forwards the user's actions. Main thread only.

#include <windows.h>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/config_ui.h"
#include "config/options_editor.h"

namespace lw {

class ControlTexts;
class MessageTable;
class SettingsStore;

class TOptionsForm {
 public:
  static constexpr wchar_t kClassName[] = L"TOptionsForm";
  static constexpr wchar_t kPageClassName[] = L"TOptionsPage";
  static constexpr UINT kFlashInterval = 500;  // ms, the timer of the list captions' flashing

  enum Page { kGeneralPage = 0, kDangerPage = 1, kSafePage = 2, kRightsPage = 3 };

  struct Deps {
    SettingsStore& store;
    const ControlTexts& texts;
    const MessageTable& messages;
    std::string program_path = {};  // the program's executable, ANSI bytes
    // Writes the current settings (SaveSettings); loads the stored ones again
    // (LoadSettings, not the start-up load). Either may be empty.
    std::function<bool()> save = {};
    std::function<void()> reload = {};
    // Message boxes; when empty the form shows MessageBoxW itself.
    std::function<MessageAnswer(std::string_view text, std::string_view caption, MessageIcon icon,
                                MessageButtons buttons)>
        message = {};
    std::function<std::string()> application_title = {};
    // The input prompt (UTF-8 in and out), the shared entry chooser, the open dialog (title
    // UTF-8, path ANSI bytes; when empty the form shows the system's open dialog itself).
    std::function<std::optional<std::string>(std::string_view prompt)> ask_value = {};
    std::function<ChosenEntry()> choose_entry = {};
    std::function<std::optional<std::string>(std::string_view title)> open_file = {};
    // The accelerated connection's number (registry value LWNo); the acceleration controls are
    // shown only when it is not empty.
    std::function<std::string()> accelerated_number = {};
    // After OK saved: the statistics and information windows read their settings again.
    std::function<void()> on_saved = {};
    std::function<void()> show_taskbar_button = {};
    std::function<void()> hide_taskbar_button = {};
  };

  explicit TOptionsForm(Deps deps);
  ~TOptionsForm();
  TOptionsForm(const TOptionsForm&) = delete;
  TOptionsForm& operator=(const TOptionsForm&) = delete;

  // Creates the hidden window and its controls; false when the system refuses.
  bool Create();
  HWND hwnd() const { return window_; }
  bool IsVisible() const { return window_ && IsWindowVisible(window_); }

  // Shows the dialog: on the safe numbers page with the focus on the safe list, or as it was
  // last shown.
  void ShowOptions(bool safe_page);
  // Takes every text from the control texts again (after a language file was applied).
  void ApplyTexts();
  // Every control shows the settings again (after LoadSettings).
  void Refresh();

  // What ConfigUi asks of the options dialog.
  void SetListCaptionAlert(ListKind list, bool alert);
  void EnableDangerActions(bool enabled);
  void EnterMustConfigure();
  bool MustConfigure() const { return editor_.MustConfigure(); }

  // Keys of the whole window: the program's message loop passes every message here first;
  // true when the message was handled.
  bool PreTranslate(MSG& message);

  // Handlers, also for tests.
  void ButtonOkClick();
  void ButtonCancelClick();
  void SelectPage(int page);
  int CurrentPage() const;

  // A control by its name ("CheckBoxOnlySafe", "TabSheet2" for a page's tab, ...); nullptr for
  // an unknown name. The names of the controls the program knows its texts by.
  HWND control(std::string_view name) const;
  std::vector<std::string> ControlNames() const;
  std::string HintOf(HWND control) const;
  // The phase the list captions show: 0 normal, 2 alert; and whether the timer runs.
  int ShownFlashPhase() const { return shown_phase_; }
  bool Flashing() const { return editor_.Flashing(); }
  OptionsEditor& editor() { return editor_; }

  // For the window procedure.
  void AttachWindow(HWND window) { window_ = window; }
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);

 private:
  struct Control {
    std::string name;
    HWND hwnd = nullptr;
    int page = -1;         // -1 on every page (OK, Cancel, the tabs)
    int danger_sheet = 0;  // on the danger page: 0 the controls, 1 the explanation
  };

  HWND Add(std::string_view name, const wchar_t* window_class, DWORD style, int page,
           int danger_sheet = 0);
  const Control* Find(HWND hwnd) const;
  void Layout();
  void ShowPageControls();
  void UpdateEnabling();
  void UpdateFlashing();
  void FlashTick();
  void TakePaneColour();
  static LRESULT CALLBACK PageProc(HWND page, UINT message, WPARAM wparam, LPARAM lparam);
  void FillList(std::string_view name, const std::vector<std::string>& items);
  std::optional<std::size_t> Selected(std::string_view name) const;
  void Select(std::string_view name, std::optional<std::size_t> index);
  void OnCommand(const Control& control, int code);
  void OnEditChanged(std::string_view name);
  void OnEditLeft();
  void AddNumber(NumberList list);
  void DeleteNumber(NumberList list);
  void AddApplication(AppList list);
  void DeleteApplication(AppList list);
  void ListHover(HWND list, POINT point);
  bool Close();
  MessageAnswer Message(std::string_view text, std::string_view caption, MessageIcon icon,
                        MessageButtons buttons);
  std::optional<std::string> OpenFile(std::string_view title);
  static LRESULT CALLBACK ListProc(HWND list, UINT message, WPARAM wparam, LPARAM lparam,
                                   UINT_PTR id, DWORD_PTR data);

  Deps deps_;
  OptionsEditor editor_;
  HWND window_ = nullptr;
  HWND tooltips_ = nullptr;
  HWND tabs_ = nullptr;
  std::array<HWND, 4> pages_ = {};
  std::vector<Control> controls_;
  std::array<bool, 4> alerts_ = {};
  std::array<int, 2> hovered_ = {-1, -1};  // the item last noted under the mouse, per app list
  HICON flash_icon_ = nullptr;
  // The colour the tab control paints its pages with, which the pages' controls take.
  COLORREF pane_colour_ = 0;
  HBRUSH pane_brush_ = nullptr;
  int shown_phase_ = 0;
  bool updating_ = false;  // controls are being set from the settings
  bool timer_running_ = false;
};

}  // namespace lw
