#pragma once
// TDefaultForm: chooses the default entry of the phonebook, the one dialled as the safe number.
// Steps through the entries of the default phonebook one at a time and shows each one's name
// and number; the service's own dialogs create a new entry or edit the one shown. A tool window
// centred on the screen, asked modally on the main thread; the program's idle processing goes
// on while it waits. Keys: Esc cancels, Ctrl+Enter confirms (while there is an entry), Page Up
// and Page Down (or - and +) step, Ctrl+Ins creates and F12 edits an entry. Main thread only.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "config/config_ui.h"
#include "config/win/prompt_dialog.h"

namespace lw {

class AnsiCodec;
class ControlTexts;
class DialUp;
class MessageTable;

class TDefaultForm : public PromptDialog {
 public:
  static constexpr wchar_t kClassName[] = L"TDefaultForm";

  static constexpr int kBookEntryId = 100;
  static constexpr int kPhoneNoId = 101;
  static constexpr int kCurConnTextId = 102;
  static constexpr int kButtonPrevId = 103;
  static constexpr int kButtonNextId = 104;
  static constexpr int kButtonOkId = 105;
  static constexpr int kButtonCancelId = 106;
  static constexpr int kButtonCreateEntryId = 107;
  static constexpr int kButtonEditEntryId = 108;
  // Label1 and Label4 of the control texts.
  static constexpr int kLabelBookEntryId = 110;
  static constexpr int kLabelPhoneNoId = 111;

  // The service's dialogs: a new entry of the default phonebook, or the named entry (ANSI
  // bytes) edited, modal to the given window; 0 when the user saved it.
  using CreateEntryFn = std::function<uint32_t(HWND)>;
  using EditEntryFn = std::function<uint32_t(HWND, const std::string&)>;

  // `owner` is disabled while the chooser waits (may be null); `idle` runs whenever the
  // chooser's message queue is empty. Any callback may be empty.
  TDefaultForm(DialUp& dialup, CreateEntryFn create_entry, EditEntryFn edit_entry,
               const ControlTexts& texts, const MessageTable& messages, const AnsiCodec& codec,
               std::function<void()> show_taskbar_button,
               std::function<void()> hide_taskbar_button_unless_dialogs, HWND owner,
               std::function<void()> idle);

  // Reads the entries afresh, shows the first, and waits for OK or Cancel. `caption` (UTF-8)
  // replaces the window's caption of the control texts when not empty. The result holds the
  // entry shown last; `chosen` only when left with OK.
  ChosenEntry ShowModal(const std::string& caption = "");

  // Texts of the control texts, laid out for them; ShowModal applies them at each show.
  void ApplyTexts() override;

  HWND book_entry() const { return book_entry_; }
  HWND phone_no() const { return phone_no_; }
  HWND cur_conn_text() const { return cur_conn_text_; }
  HWND button_prev() const { return button_prev_; }
  HWND button_next() const { return button_next_; }
  HWND button_create_entry() const { return button_create_entry_; }
  HWND button_edit_entry() const { return button_edit_entry_; }

  // Handlers.
  void ButtonPrevClick() { ShowEntry(-1); }
  void ButtonNextClick() { ShowEntry(+1); }
  void ButtonCreateEntryClick();
  void ButtonEditEntryClick();

 private:
  void CreateControls() override;
  // Keys of the whole window while the chooser waits, besides Esc.
  bool KeyDown(HWND target, WPARAM key) override;
  void Command(int id, int code) override;
  HWND FocusOnActivation() const override { return RememberedFocus(button_create_entry_); }
  void Layout();
  void RefreshEntries();
  // Moves `step` entries on (-1, 0 or +1), round from either end, and shows that entry.
  void ShowEntry(int step);
  void EnableEntryControls(bool enable);
  void Click(int id);

  DialUp& dialup_;
  CreateEntryFn create_entry_;
  EditEntryFn edit_entry_;
  const MessageTable& messages_;
  const AnsiCodec& codec_;

  HWND label_book_entry_ = nullptr;
  HWND label_phone_no_ = nullptr;
  HWND book_entry_ = nullptr;
  HWND phone_no_ = nullptr;
  HWND cur_conn_text_ = nullptr;
  HWND button_prev_ = nullptr;
  HWND button_next_ = nullptr;
  HWND button_create_entry_ = nullptr;
  HWND button_edit_entry_ = nullptr;

  std::vector<std::string> entries_;  // ANSI bytes
  int index_ = 0;
  ChosenEntry shown_;  // the entry on show; its name is the one the edit dialog gets
};

}  // namespace lw
