#pragma once
// Rules the options dialog applies when fields change, shared by the dialog and by loading the
// settings (a field set while loading has the same effect as the user's change).

#include "config/settings.h"

namespace lw {

// After the danger list changed or was read: with an empty list "do nothing" becomes the danger
// action. Returns whether the other three actions are available (the list is not empty).
bool ApplyDangerActionRule(Settings& settings);

// Sets OnlySafe as its check box does: turning it on is refused while the safe list is empty,
// and OnlySafe is then false. Returns false when refused.
bool SetOnlySafe(Settings& settings, bool on);

}  // namespace lw
