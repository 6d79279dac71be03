#include "config/settings_rules.h"

namespace lw {

bool ApplyDangerActionRule(Settings& settings) {
  if (!settings.DangerList.empty()) return true;
  settings.SetDangerDoNothing(true);
  return false;
}

bool SetOnlySafe(Settings& settings, bool on) {
  if (on && settings.SafeList.empty()) {
    settings.OnlySafe = false;
    return false;
  }
  settings.OnlySafe = on;
  return true;
}

}  // namespace lw
