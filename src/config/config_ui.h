#pragma once
// What loading and saving the settings needs from the windows: message boxes, the look of the
// options dialog's list captions, its must-configure state, the first-run entry chooser, the
// statistics window's position and on-top state. Implemented by the options dialog on Windows
// and by a recording fake in tests. Every call is made on the main thread.

#include <cstdint>
#include <string>
#include <string_view>

#include "config/list_file.h"

namespace lw {

enum class MessageIcon { Information, Question, Warning, Error };
enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };

// The outcome of the default entry chooser.
struct ChosenEntry {
  bool chosen = false;     // left with OK on an entry
  std::string name;        // the entry's name, ANSI bytes
  std::string number;      // area code and local number, or the local number alone
  bool has_codes = false;  // the entry uses country and area codes
};

struct WindowPosition {
  int32_t left = 0;
  int32_t top = 0;
};

class ConfigUi {
 public:
  virtual ~ConfigUi() = default;

  // A modal message box; texts are UTF-8. Answers Ok for an OK box, Yes or No otherwise.
  virtual MessageAnswer ShowMessage(std::string_view text, std::string_view caption,
                                    MessageIcon icon, MessageButtons buttons) = 0;
  // The application's title, the caption of some of the boxes.
  virtual std::string ApplicationTitle() = 0;

  // The caption of the list in the options dialog: red (damaged) or in the normal colour.
  virtual void SetListCaptionAlert(ListKind list, bool alert) = 0;
  // Enables the three danger actions other than "do nothing", or disables them. Called after
  // the danger list was read.
  virtual void EnableDangerActions(bool enabled) = 0;

  // Enters the must-configure state (Cancel, Esc and closing refused until OK) and brings the
  // flashing of the number lists up to date.
  virtual void EnterMustConfigure() = 0;
  virtual bool MustConfigure() const = 0;

  // Refreshes the phonebook entries and shows a chooser of its own (not the options dialog's
  // shared one) modally with the given caption; the chooser is gone when this returns.
  virtual ChosenEntry ChooseFirstRunEntry(std::string_view caption) = 0;

  // Shows the options dialog: on the safe numbers page with the focus on the safe list and the
  // flashing started, or as it was last shown.
  virtual void ShowOptions(bool safe_page) = 0;

  // Statistics window: puts it on top of other windows or not; its current left and top.
  virtual void ApplyStatsOnTop(bool on_top) = 0;
  virtual WindowPosition StatsWindowPosition() = 0;
};

}  // namespace lw
