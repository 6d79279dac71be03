#pragma once
// TLoginForm: asks for the user name and password of a dial whose entry has none stored, and
// shows the entry, country and number the dial is for. A tool window centred on the screen,
// asked modally on the main thread; the program's idle processing goes on while it waits.
// OK (Ctrl+Enter) is enabled only while both the user name and the password are filled in;
// Esc, Cancel and the close box cancel. Main thread only.

#include <windows.h>

#include <functional>
#include <string>

#include "config/win/prompt_dialog.h"

namespace lw {

class ControlTexts;
struct LoginFields;

class TLoginForm : public PromptDialog {
 public:
  static constexpr wchar_t kClassName[] = L"TLoginForm";
  // The longest user name and password the edits take.
  static constexpr int kMaxLength = 16;

  static constexpr int kUserEditId = 100;
  static constexpr int kPassEditId = 101;
  static constexpr int kEntryNameId = 102;
  static constexpr int kCountryId = 103;
  static constexpr int kPhoneNoId = 104;
  static constexpr int kButtonOkId = 105;
  static constexpr int kButtonCancelId = 106;
  // The labels: Label2, Label3, Label4, Label and Label1 of the control texts.
  static constexpr int kLabelEntryNameId = 110;
  static constexpr int kLabelCountryId = 111;
  static constexpr int kLabelPhoneNoId = 112;
  static constexpr int kLabelUserId = 113;
  static constexpr int kLabelPassId = 114;

  // `owner` is disabled while the prompt waits (may be null); `idle` runs whenever the prompt's
  // message queue is empty. Either callback may be empty.
  TLoginForm(const ControlTexts& texts, std::function<void()> show_taskbar_button,
             std::function<void()> hide_taskbar_button_unless_dialogs, HWND owner,
             std::function<void()> idle);

  // Shows the fields (UTF-8), waits for OK or Cancel, and on OK writes the user name and the
  // password back into `fields`. True when confirmed. The texts are taken from the control
  // texts at each show.
  bool ShowModal(LoginFields& fields);

  HWND user_edit() const { return user_edit_; }
  HWND pass_edit() const { return pass_edit_; }
  HWND entry_name() const { return entry_name_; }
  HWND country() const { return country_; }
  HWND phone_no() const { return phone_no_; }

 private:
  void CreateControls() override;
  void ApplyTexts() override;
  void UpdateButtonOk() override;
  void Command(int id, int code) override;
  HWND FocusOnActivation() const override { return RememberedFocus(user_edit_); }
  void Layout();

  HWND label_user_ = nullptr;
  HWND label_pass_ = nullptr;
  HWND label_entry_ = nullptr;
  HWND label_country_ = nullptr;
  HWND label_phone_ = nullptr;
  HWND user_edit_ = nullptr;
  HWND pass_edit_ = nullptr;
  HWND entry_name_ = nullptr;
  HWND country_ = nullptr;
  HWND phone_no_ = nullptr;
};

}  // namespace lw
