#pragma once
// The texts of the windows' controls: captions, hints, menu items, list columns and the like.
// A language file sets them by line, 1 to 134, each line always to the same target; the windows
// take their texts from here when they are built and again after a language file is applied.

#include <array>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace lw {

inline constexpr int kFirstControlLine = 1;
inline constexpr int kLastControlLine = 134;
inline constexpr int kControlLineCount = kLastControlLine - kFirstControlLine + 1;

// What a line sets on its control.
enum class ControlProperty {
  Caption,        // the caption of a label, button, check box, page or group
  Hint,           // the hint shown under the mouse
  WindowCaption,  // the title of the window itself (no control)
  MenuCaption,    // the caption of a menu item
  Item,           // the caption of one item of a group of radio buttons
  Column,         // the caption of one column of a list view
  Filter,         // the file-type filter of an open dialog
  Unused,         // read from the file and kept, but shown nowhere
};

struct ControlTarget {
  int line;
  std::string_view window;   // class of the window, "TMainForm"
  std::string_view control;  // name of the control; empty for the window itself
  ControlProperty what;
  int index;                  // item or column number for Item and Column, else 0
  std::string_view built_in;  // UTF-8
};

// The targets of lines 1-134, in line order. Lines 21-23 are Unused. Lines 133 and 134 both set
// the caption of TQuestionForm's ButtonYes: the file is applied in line order, so line 134 wins.
std::span<const ControlTarget, kControlLineCount> ControlTargets();

// The target of a line, or nullptr for a line outside 1-134.
const ControlTarget* ControlTargetOf(int line);

// The line whose text a control shows for a property: of several lines aimed at the same target
// the last one, as it is applied last; none for a target no line sets (or an Unused one).
std::optional<int> ControlLineOf(std::string_view window, std::string_view control,
                                 ControlProperty what, int index = 0);

// The current texts (UTF-8). Applied on the main thread; reads may come from any thread, so
// every access is locked and readers get a copy.
class ControlTexts {
 public:
  // Every line holds its built-in text.
  ControlTexts();

  // The current text of a line; "" for a line outside 1-134.
  std::string Text(int line) const;

  // The current text a control shows for a property; "" when no line sets it.
  std::string Text(std::string_view window, std::string_view control, ControlProperty what,
                   int index = 0) const;

  static std::string_view BuiltIn(int line);

  // Replaces the text of a line; any text is taken. False for a line outside 1-134.
  bool Set(int line, std::string text);

 private:
  mutable std::mutex mutex_;
  std::array<std::string, kControlLineCount> texts_;
};

}  // namespace lw
