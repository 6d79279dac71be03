#pragma once
// The main window: the statistics window (hidden until asked for), the owner of the tray menu,
// and the window whose closing ends the program. Closing it with its close box only hides it;
// the program ends through the menu's "Koniec" (with a question), a posted close message from
// "--stop", or the end of the Windows session (both without).
//
// The statistics show one connection as the connection list has drawn it (ConnectionView);
// the buttons and their keys step through the connections, hang up, refresh, show the last
// notice, keep the window on top and hide it. A key acts only while its button is enabled.

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "monitor/connection_view.h"
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
  kMenuLanguageFirst = 1100,   // one item per language file
  kMenuExtensionFirst = 1200,  // one item per extension with a command
};

class TMainForm final : public Form {
 public:
  // What the main window asks of the rest of the program.
  struct Hooks {
    std::function<void()> idle;           // the idle processing, also inside modal loops
    std::function<void(UINT)> command;    // a menu command other than closing
    std::function<void()> close_handler;  // the program is really closing
    std::function<void()> destroy;        // the window's destruction steps
    // The statistics' buttons (and their keys), after the window did its own part.
    std::function<void()> prev = {};        // ButtonPrev, Page Up
    std::function<void()> next = {};        // ButtonNext, Page Down
    std::function<void()> hide = {};        // ButtonOk, Esc: the window is already hidden
    std::function<void()> disconnect = {};  // ButtonDisconnect, Ctrl+Break
    // ButtonLock, Ctrl+F12: the window has already changed; 1 it stays on top now, 0 not.
    std::function<void(int on_top)> lock = {};
    std::function<void()> last_info = {};  // ButtonLastInfo, F12
    std::function<void()> refresh = {};    // ButtonRefreshStats, F5
  };

  // The statistics' controls, by their names in the control texts.
  enum class Control {
    Label2,  // "Wpis z książki:"
    BookEntry,
    Label3,  // "Numer telefonu:"
    PhoneNo,
    Label1,  // "Kraj:"
    Country,
    Label4,  // "Urządzenie:"
    DevType,
    DevName,
    Label5,  // "Połączenie:"
    CurConnText,
    ButtonPrev,
    ButtonNext,
    ButtonOk,
    ButtonDisconnect,
    ButtonLock,
    ButtonLastInfo,
    ButtonRefreshStats,
    StatusBar,
  };
  static constexpr int kControlCount = static_cast<int>(Control::StatusBar) + 1;
  // The size of the client area.
  static constexpr int kClientWidth = 314;
  static constexpr int kClientHeight = 127;

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

  // Takes the menu's captions and the statistics' captions and hints from the control texts
  // again, and lays the statistics out for them.
  void ApplyTexts();
  // The "Język" menu: one item per language (commands kMenuLanguageFirst and on, in order);
  // disabled when there is none. The item of `current` is ticked, the others not.
  void SetLanguages(const std::vector<std::string>& names);
  void CheckLanguage(const std::string& current);

  // Adds an extension's command (kMenuExtensionFirst + index) at the end of the "Dodatki"
  // submenu; the first one brings the separator after "Pokaż listę".
  void AddExtensionCommand(std::size_t index, const std::string& caption);

  // Shows a connection (or none) as the view has it.
  void ShowConnection(const ConnectionView& view);
  const ConnectionView& connection() const { return view_; }

  // 1: the window stays on top of the others and the lock shows image 3; 0: it does not, and
  // the lock shows image 4.
  void ApplyStatsOnTop(int on);
  int StatsOnTop() const { return lock_image_ == kLockedImage ? 1 : 0; }
  int lock_image() const { return lock_image_; }

  // Places the window's top-left corner on the screen; the window's outer size.
  void MoveTo(int x, int y) const;
  SIZE WindowSize() const;

  // For the program's message loop, before TranslateMessage: the statistics' keys while the
  // window or any of its controls has the focus, and moving between the controls with Tab.
  // True when the message was handled; it must then not be translated or dispatched.
  bool PreTranslate(MSG& message);

  HWND control(Control which) const { return controls_[static_cast<int>(which)]; }
  // A control's text as shown (the status bar's too), its hint, and the colour of its text.
  std::string TextOf(Control which) const;
  std::string HintOf(Control which) const;
  COLORREF TextColourOf(Control which) const;

 protected:
  LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  static constexpr int kLockedImage = 3;
  static constexpr int kUnlockedImage = 4;

  bool FormCloseQuery();
  void CreateControls();
  void Layout();
  void PlaceDevice(bool repaint);
  // A button's action, when the button is enabled.
  void Click(Control which);
  bool FormKeyDown(WPARAM key);
  // Gives the focus to a control that can take it when the one that had it was disabled.
  void KeepFocus();
  void ButtonOkClick();
  void ButtonLockClick();

  const ControlTexts& texts_;
  const MessageTable& messages_;
  Hooks hooks_;
  HMENU popup_ = nullptr;
  HMENU addons_ = nullptr;
  bool addons_separator_ = false;
  HMENU languages_ = nullptr;
  std::vector<std::string> language_names_;
  HMENU lang_version_ = nullptr;
  bool closing_ = false;
  bool forced_close_ = false;

  std::array<HWND, kControlCount> controls_ = {};
  HWND tooltips_ = nullptr;
  HWND focus_ = nullptr;  // the control that had the focus when the window was deactivated
  RECT device_ = {};      // the row of the device's type and name
  std::array<HICON, 6> icons_ = {};  // the buttons' pictures, which the form destroys
  ConnectionView view_;
  int lock_image_ = kUnlockedImage;
};

}  // namespace lw
