#include "config/options_editor.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "common/format.h"
#include "common/text.h"
#include "config/control_texts.h"
#include "config/mask_input.h"
#include "config/message_lines.h"
#include "config/messages.h"
#include "config/settings_io.h"
#include "config/settings_rules.h"

namespace lw {

namespace {

constexpr std::string_view kForm = "TOptionsForm";
constexpr int kWarningsTimeFallback = 10;

std::vector<std::string>& NumbersOf(Settings& settings, NumberList list) {
  return list == NumberList::Danger ? settings.DangerList : settings.SafeList;
}

std::vector<std::string>& AppsOf(Settings& settings, AppList list) {
  return list == AppList::Permit ? settings.PermitList : settings.DenyList;
}

}  // namespace

OptionsEditor::OptionsEditor(SettingsStore& store, const ControlTexts& texts,
                             const MessageTable& messages, std::string program_path,
                             OptionsPorts ports)
    : store_(store),
      texts_(texts),
      messages_(messages),
      program_path_(std::move(program_path)),
      ports_(std::move(ports)) {}

std::string OptionsEditor::Caption(std::string_view control) const {
  return texts_.Text(kForm, control, ControlProperty::Caption);
}

MessageAnswer OptionsEditor::Message(int line, std::string_view caption, MessageIcon icon,
                                     MessageButtons buttons,
                                     std::initializer_list<std::string_view> args) {
  std::vector<FormatArg> format_args(args.begin(), args.end());
  const std::string text =
      args.size() == 0 ? messages_.Text(line) : FormatText(messages_.Text(line), format_args);
  if (!ports_.message) return buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::No;
  return ports_.message(text, caption, icon, buttons);
}

bool OptionsEditor::AddNumber(NumberList list) {
  const bool danger = list == NumberList::Danger;
  if (!ports_.ask_value) return false;
  const std::optional<std::string> typed =
      ports_.ask_value(messages_.Text(danger ? msg::EnterDangerNumber : msg::EnterSafeNumber));
  if (!typed) return false;
  const std::string mask = ReduceToMask(*typed);
  if (mask.empty()) return false;
  if (*typed == "*" &&
      Message(danger ? msg::AllNumbersDangerous : msg::AllNumbersSafe, kMessageCaption,
              MessageIcon::Question, MessageButtons::YesNo) != MessageAnswer::Yes) {
    return false;
  }
  const auto now = Now();
  const bool both_empty = now->SafeList.empty() && now->DangerList.empty();
  if (danger) {
    if (both_empty) {
      Message(msg::ChooseDangerAction, kMessageCaption, MessageIcon::Information,
              MessageButtons::Ok, {Caption("RadioButtonDangerAsk")});
    }
    store_.Update([&](Settings& s) {
      if (both_empty) s.SetDangerAsk(true);
      s.DangerList.push_back(mask);
    });
    UpdateFlashing();
    UpdateDangerActions();
  } else {
    if (both_empty) {
      Message(msg::OnlySafeSwitchedOn, kMessageCaption, MessageIcon::Information,
              MessageButtons::Ok, {Caption("CheckBoxOnlySafe")});
    }
    store_.Update([&](Settings& s) {
      s.SafeList.push_back(mask);
      if (both_empty) lw::SetOnlySafe(s, true);
    });
    UpdateFlashing();
  }
  return true;
}

bool OptionsEditor::DeleteNumber(NumberList list, std::optional<std::size_t> selected) {
  const bool danger = list == NumberList::Danger;
  {
    const auto now = Now();
    const auto& items = danger ? now->DangerList : now->SafeList;
    if (!selected || *selected >= items.size()) return false;
  }
  if (Message(danger ? msg::AskDeleteDanger : msg::AskDeleteSafe, kMessageCaption,
              MessageIcon::Warning, MessageButtons::YesNo) != MessageAnswer::Yes) {
    return false;
  }
  bool deleted = false;
  store_.Update([&](Settings& s) {
    auto& items = NumbersOf(s, list);
    if (*selected >= items.size()) return;
    items.erase(items.begin() + static_cast<std::ptrdiff_t>(*selected));
    deleted = true;
  });
  if (!deleted) return false;
  UpdateFlashing();
  if (danger) {
    UpdateDangerActions();
  } else {
    const auto now = Now();
    if (now->SafeList.empty() && now->OnlySafe) {
      Message(msg::SafeListEmptied, kMessageCaption, MessageIcon::Information, MessageButtons::Ok);
      store_.Update([](Settings& s) { s.OnlySafe = false; });
    }
  }
  return true;
}

std::optional<std::size_t> OptionsEditor::AddApplication(AppList list) {
  const bool permit = list == AppList::Permit;
  if (!ports_.open_file) return std::nullopt;
  const std::optional<std::string> path =
      ports_.open_file(messages_.Text(permit ? msg::ChoosePermittedApp : msg::ChooseDeniedApp));
  if (!path) return std::nullopt;
  if (*path == program_path_) {
    Message(permit ? msg::OwnProgramPermitted : msg::OwnProgramDenied, kMessageCaption,
            MessageIcon::Information, MessageButtons::Ok);
    return std::nullopt;
  }
  std::size_t index = 0;
  store_.Update([&](Settings& s) {
    auto& items = AppsOf(s, list);
    const auto found = std::find(items.begin(), items.end(), *path);
    index = static_cast<std::size_t>(found - items.begin());
    if (found == items.end()) items.push_back(*path);
  });
  return index;
}

bool OptionsEditor::DeleteApplication(AppList list, std::optional<std::size_t> selected) {
  const bool permit = list == AppList::Permit;
  {
    const auto now = Now();
    const auto& items = permit ? now->PermitList : now->DenyList;
    if (!selected || *selected >= items.size()) return false;
  }
  if (Message(permit ? msg::AskDeletePermitted : msg::AskDeleteDenied, kMessageCaption,
              MessageIcon::Warning, MessageButtons::YesNo) != MessageAnswer::Yes) {
    return false;
  }
  bool deleted = false;
  store_.Update([&](Settings& s) {
    auto& items = AppsOf(s, list);
    if (*selected >= items.size()) return;
    items.erase(items.begin() + static_cast<std::ptrdiff_t>(*selected));
    deleted = true;
  });
  return deleted;
}

bool OptionsEditor::SetOnlySafe(bool on) {
  bool accepted = true;
  store_.Update([&](Settings& s) { accepted = lw::SetOnlySafe(s, on); });
  if (!accepted) {
    Message(msg::AddSafeNumbersFirst, kMessageCaption, MessageIcon::Information,
            MessageButtons::Ok);
  }
  return Now()->OnlySafe;
}

void OptionsEditor::SetPermit(bool on) {
  store_.Update([&](Settings& s) { s.SetPermit(on); });
}

void OptionsEditor::SetDeny(bool on) {
  store_.Update([&](Settings& s) { s.SetDeny(on); });
}

bool OptionsEditor::GetDefaultEntry() {
  if (!ports_.choose_entry) return false;
  const ChosenEntry entry = ports_.choose_entry();
  if (!entry.chosen) return false;
  if (!entry.has_codes && Now()->OnlyMyCountry) {
    Message(msg::EntryWithoutCodes, kMessageCaption, MessageIcon::Information, MessageButtons::Ok);
    return false;
  }
  store_.Update([&](Settings& s) { s.DefaultEntry = entry.name; });
  return true;
}

std::string OptionsEditor::NormalizeNumberText(std::string_view text, int fallback) {
  return std::to_string(IntegerOr(text, fallback));
}

void OptionsEditor::NormalizeNumberFields() {
  store_.Update([](Settings& s) {
    s.WarningsTime = NormalizeNumberText(s.WarningsTime, kWarningsTimeFallback);
    s.DisAfterTime = NormalizeNumberText(s.DisAfterTime, kDisAfterTimeFallback);
    s.AskDiscAfterTime = NormalizeNumberText(s.AskDiscAfterTime, kAskDiscAfterTimeFallback);
  });
}

void OptionsEditor::UpdateDangerActions() {
  const auto now = Now();
  danger_actions_enabled_ = !now->DangerList.empty();
  // Nothing is published when the rule changes nothing.
  if (danger_actions_enabled_ || now->DangerDoNothing) return;
  store_.Update([](Settings& s) { ApplyDangerActionRule(s); });
}

bool OptionsEditor::DisAfterTimeEnabled() const {
  return danger_actions_enabled_ && Now()->RadioButtonDisAfter;
}

bool OptionsEditor::AskPanelEnabled() const { return danger_actions_enabled_ && Now()->DangerAsk; }

bool OptionsEditor::AskDiscAfterTimeEnabled() const {
  return AskPanelEnabled() && Now()->DangerAskDiscAfter;
}

void OptionsEditor::UpdateFlashing() {
  const auto now = Now();
  if (now->SafeList.empty() && now->DangerList.empty()) {
    flash_phase_ = 0;
    flashing_ = true;
  } else {
    flashing_ = false;
  }
}

int OptionsEditor::FlashTick() {
  const int shown = flash_phase_;
  flash_phase_ = 2 - flash_phase_;
  return shown;
}

void OptionsEditor::EnterMustConfigure() {
  must_configure_ = true;
  UpdateFlashing();
}

bool OptionsEditor::Confirm() {
  const auto now = Now();
  if (!now->OnlySafe && now->DangerDoNothing) {
    const std::string title =
        ports_.application_title ? ports_.application_title() : std::string(kMessageCaption);
    const std::string only_safe = Caption("CheckBoxOnlySafe");
    const std::string safe_page = Caption("TabSheet3");
    const std::string danger_conn = Caption("LabelDangerConn");
    const std::string danger_page = Caption("TabSheet2");
    if (Message(msg::UnsafeSettingsAsk, title, MessageIcon::Question, MessageButtons::YesNo,
                {only_safe, safe_page, danger_conn, danger_page}) != MessageAnswer::Yes) {
      return false;
    }
  }
  flashing_ = false;
  must_configure_ = false;
  if (ports_.save) ports_.save();
  if (ports_.on_saved) ports_.on_saved();
  return true;
}

void OptionsEditor::Closed() {
  flashing_ = false;
  if (ports_.reload) ports_.reload();
}

std::string OptionsEditor::NotebookText() const {
  const std::string only_safe = Caption("CheckBoxOnlySafe");
  const std::string safe_page = Caption("TabSheet3");
  const std::string safe_label = Caption("LabelSafe");
  return FormatText(messages_.Text(msg::NotebookUnavailable),
                    {only_safe, safe_page, safe_label, safe_page, only_safe});
}

}  // namespace lw
