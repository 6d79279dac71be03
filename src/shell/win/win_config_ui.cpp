#include "shell/win/win_config_ui.h"

#include <windows.h>

#include "common/win/wide.h"
#include "config/win/options_form.h"
#include "notify/win/form_support.h"
#include "shell/win/form.h"
#include "shell/win/main_form.h"

namespace lw {

MessageAnswer WinConfigUi::ShowMessage(std::string_view text, std::string_view caption,
                                       MessageIcon icon, MessageButtons buttons) {
  // Start-up messages come before any window is shown: no owner.
  return ui::ShowMessageBox(nullptr, text, caption, icon, buttons, false);
}

void WinConfigUi::SetListCaptionAlert(ListKind list, bool alert) {
  alerts_[static_cast<int>(list)] = alert;
  if (TOptionsForm* options = Options()) options->SetListCaptionAlert(list, alert);
}

void WinConfigUi::EnableDangerActions(bool enabled) {
  danger_actions_enabled_ = enabled;
  if (TOptionsForm* options = Options()) options->EnableDangerActions(enabled);
}

void WinConfigUi::EnterMustConfigure() {
  must_configure_ = true;
  if (TOptionsForm* options = Options()) options->EnterMustConfigure();
}

// The dialog's OK ends the state; before the dialog exists it is kept here.
bool WinConfigUi::MustConfigure() const {
  TOptionsForm* options = Options();
  return options ? options->MustConfigure() : must_configure_;
}

ChosenEntry WinConfigUi::ChooseFirstRunEntry(std::string_view caption) {
  return windows_.choose_entry ? windows_.choose_entry(caption) : ChosenEntry{};
}

void WinConfigUi::ShowOptions(bool safe_page) {
  if (TOptionsForm* options = Options()) options->ShowOptions(safe_page);
}

void WinConfigUi::ApplyStatsOnTop(bool on_top) {
  if (windows_.statistics) windows_.statistics->ApplyStatsOnTop(on_top ? 1 : 0);
}

WindowPosition WinConfigUi::StatsWindowPosition() {
  RECT rect = {};
  if (windows_.statistics && windows_.statistics->hwnd()) {
    GetWindowRect(windows_.statistics->hwnd(), &rect);
  }
  return {rect.left, rect.top};
}

}  // namespace lw
