#pragma once
// The main window: the statistics window (hidden until asked for), the owner of the tray menu,
// and the window whose closing ends the program. Closing it with its close box only hides it;
// the program ends through the menu's "Koniec" (with a question), a posted close message from
// "--stop", or the end of the Windows session (both without).

#include <functional>
#include <string>

#include "shell/win/form.h"

namespace lw {

class ControlTexts;
class MessageTable;

// Identifiers of the tray menu's commands.
enum MenuCommand : UINT {
  kMenuStats = 1001,
  kMenuOptions,
  kMenuDialDefault,
  kMenuAddonsScan,
  kMenuAbout,
  kMenuHelp,
  kMenuClose,
  kMenuLangVersionTranslation,
  kMenuLangVersionHttp,
  kMenuLangVersionEmail,
  kMenuLanguageFirst = 1100,  // one item per language file
};

class TMainForm final : public Form {
 public:
  // What the main window asks of the rest of the program.
  struct Hooks {
    std::function<void()> idle;           // the idle processing, also inside modal loops
    std::function<void(UINT)> command;    // a menu command other than closing
    std::function<void()> close_handler;  // the program is really closing
    std::function<void()> destroy;        // the window's destruction steps
  };

  TMainForm(const ControlTexts& texts, const MessageTable& messages, Hooks hooks)
      : texts_(texts), messages_(messages), hooks_(std::move(hooks)) {}
  ~TMainForm() override;

  bool Create();
  HMENU popup_menu() const { return popup_; }

  // The menu's "Koniec": asks before the program ends.
  void MenuClose();
  // A posted close message (from "--stop"): ends without asking.
  void ForceClose();
  bool closing() const { return closing_; }

  // Rebuilds the menu's captions from the control texts.
  void ApplyTexts();

 protected:
  LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  bool FormCloseQuery();

  const ControlTexts& texts_;
  const MessageTable& messages_;
  Hooks hooks_;
  HMENU popup_ = nullptr;
  HMENU addons_ = nullptr;
  HMENU languages_ = nullptr;
  HMENU lang_version_ = nullptr;
  bool closing_ = false;
  bool forced_close_ = false;
};

}  // namespace lw
