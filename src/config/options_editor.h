#pragma once
// The rules of the options dialog, apart from its window: every change the user makes goes into
// the SettingsStore at once, so that the decisions on other threads see it; OK saves, and
// closing without OK loads the stored settings again. The window renders the settings and the
// state kept here (flashing, must-configure, danger actions) and forwards the user's actions.
// Main thread only.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "config/config_ui.h"
#include "config/settings.h"

namespace lw {

class ControlTexts;
class MessageTable;

// What the editor asks of the program and the user. Every callback may be empty; an empty one
// answers as a cancelled or refused prompt would.
struct OptionsPorts {
  // A modal message box; texts UTF-8.
  std::function<MessageAnswer(std::string_view text, std::string_view caption, MessageIcon icon,
                              MessageButtons buttons)>
      message;
  // The application's title (the caption of the unsafe-settings question).
  std::function<std::string()> application_title;
  // The input prompt with a text (UTF-8); none when cancelled. The answer is UTF-8.
  std::function<std::optional<std::string>(std::string_view prompt)> ask_value;
  // Refreshes the phonebook entries and shows the shared entry chooser modally.
  std::function<ChosenEntry()> choose_entry;
  // The open-file dialog with a title (UTF-8); the chosen path as ANSI bytes, none when
  // cancelled.
  std::function<std::optional<std::string>(std::string_view title)> open_file;
  // Writes the current settings; false when something could not be written.
  std::function<bool()> save;
  // Loads the stored settings into the store again (not the start-up load).
  std::function<void()> reload;
  // After a save: the windows that show settings read them again.
  std::function<void()> on_saved;
};

enum class NumberList { Danger, Safe };
enum class AppList { Permit, Deny };

class OptionsEditor {
 public:
  OptionsEditor(SettingsStore& store, const ControlTexts& texts, const MessageTable& messages,
                std::string program_path, OptionsPorts ports);

  // -- Numbers.
  // Asks for a number and appends its mask. True when the list changed.
  bool AddNumber(NumberList list);
  // Asks and deletes the item at `selected` (none: nothing selected). True when deleted.
  bool DeleteNumber(NumberList list, std::optional<std::size_t> selected);

  // -- Applications. Adding returns the index to select (the new or the already listed item),
  // none when nothing was chosen or the path was refused.
  std::optional<std::size_t> AddApplication(AppList list);
  bool DeleteApplication(AppList list, std::optional<std::size_t> selected);

  // -- Check boxes and radio buttons with rules.
  // The check box's click; returns the value it shows afterwards.
  bool SetOnlySafe(bool on);
  void SetPermit(bool on);
  void SetDeny(bool on);
  // The default entry chooser. True when the entry changed.
  bool GetDefaultEntry();
  // Any other change of a field without a rule of its own.
  template <typename F>
  void Change(F&& change) {
    store_.Update(std::forward<F>(change));
  }

  // -- Number edits: the text as it stands when the edit is left, and the fallback otherwise.
  static std::string NormalizeNumberText(std::string_view text, int fallback);
  // Normalizes the three number fields in the store; called when an edit is left.
  void NormalizeNumberFields();

  // -- What the window shows beside the settings.
  // With an empty danger list "do nothing" is selected and the other three are disabled.
  void UpdateDangerActions();
  bool DangerActionsEnabled() const { return danger_actions_enabled_; }
  void SetDangerActionsEnabled(bool enabled) { danger_actions_enabled_ = enabled; }
  // Enabled states that follow from the selected danger action.
  bool DisAfterTimeEnabled() const;
  bool AskPanelEnabled() const;
  bool AskDiscAfterTimeEnabled() const;

  // Flashing of the number lists' captions while both lists are empty.
  void UpdateFlashing();
  bool Flashing() const { return flashing_; }
  // One tick of the flashing timer: the phase to show (0 normal, 2 alert); the next tick shows
  // the other one.
  int FlashTick();
  void StopFlashing() { flashing_ = false; }

  // -- Must-configure: Cancel, Esc and closing are refused until OK.
  void EnterMustConfigure();
  bool MustConfigure() const { return must_configure_; }

  // -- Leaving. OK: false when the user kept the dialog open (or there is nothing to confirm).
  // True: saved, and the window closes.
  bool Confirm();
  // Whether Cancel, Esc or the close box may close the window now.
  bool MayClose() const { return !must_configure_; }
  // The window closes: the stored settings are loaded again.
  void Closed();

  // The explanation shown on the danger page while only safe numbers are allowed.
  std::string NotebookText() const;

 private:
  MessageAnswer Message(int line, std::string_view caption, MessageIcon icon,
                        MessageButtons buttons, std::initializer_list<std::string_view> args = {});
  std::string Caption(std::string_view control) const;
  std::shared_ptr<const Settings> Now() const { return store_.Snapshot(); }

  SettingsStore& store_;
  const ControlTexts& texts_;
  const MessageTable& messages_;
  std::string program_path_;
  OptionsPorts ports_;
  bool danger_actions_enabled_ = true;
  bool flashing_ = false;
  int flash_phase_ = 0;
  bool must_configure_ = false;
};

}  // namespace lw
