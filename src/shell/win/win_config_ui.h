#pragma once
// What loading and saving the settings needs from the windows, on Windows: message boxes, and
// the options dialog's and the statistics window's state as far as those windows exist.

#include <functional>

#include "config/config_ui.h"

namespace lw {

class Form;
class TMainForm;
class TOptionsForm;

class WinConfigUi final : public ConfigUi {
 public:
  struct Windows {
    TMainForm* statistics = nullptr;  // the main window
    // The options dialog, once it exists (null before).
    std::function<TOptionsForm*()> options;
    // Chooses a phonebook entry with a chooser of its own; none chosen while there is no chooser.
    std::function<ChosenEntry(std::string_view caption)> choose_entry;
  };
  explicit WinConfigUi(Windows windows) : windows_(std::move(windows)) {}

  MessageAnswer ShowMessage(std::string_view text, std::string_view caption, MessageIcon icon,
                            MessageButtons buttons) override;
  std::string ApplicationTitle() override { return "LarkWatch"; }
  void SetListCaptionAlert(ListKind list, bool alert) override;
  void EnableDangerActions(bool enabled) override;
  void EnterMustConfigure() override;
  bool MustConfigure() const override;
  ChosenEntry ChooseFirstRunEntry(std::string_view caption) override;
  void ShowOptions(bool safe_page) override;
  void ApplyStatsOnTop(bool on_top) override;
  WindowPosition StatsWindowPosition() override;

  bool ListCaptionAlert(ListKind list) const { return alerts_[static_cast<int>(list)]; }
  bool DangerActionsEnabled() const { return danger_actions_enabled_; }

 private:
  TOptionsForm* Options() const { return windows_.options ? windows_.options() : nullptr; }

  Windows windows_;
  bool must_configure_ = false;
  bool danger_actions_enabled_ = true;
  bool alerts_[4] = {};
};

}  // namespace lw
