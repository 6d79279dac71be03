// Loading the settings: the lists, the autorun value, the first-run configuration, the values
// of the settings key and the checksum comparison of the start-up load.

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <utility>

#include "common/format.h"
#include "config/checksum.h"
#include "config/list_file.h"
#include "config/mask_input.h"
#include "config/messages.h"
#include "config/settings_io.h"
#include "config/settings_rules.h"
#include "config/stored_fields.h"

namespace lw {

namespace {

// The registry layer's text for a value that exists with another type than the one read.
std::string WrongTypeText(std::string_view name) {
  return FormatText("Nieprawidłowy typ danych wartości '%s'", {name});
}

int DamagedMessage(ListKind kind) {
  switch (kind) {
    case ListKind::Danger:
      return msg::DangerListDamaged;
    case ListKind::Safe:
      return msg::SafeListDamaged;
    case ListKind::Permit:
      return msg::PermitListDamaged;
    case ListKind::Deny:
      break;
  }
  return msg::DenyListDamaged;
}

class Loader {
 public:
  Loader(ConfigEnv& env, bool startup_load)
      : env_(env),
        registry_(env.registry),
        ui_(env.ui),
        startup_load_(startup_load),
        settings_(*env.store.Snapshot()) {}

  LoadOutcome Run() {
    if (env_.enter_program_dir) env_.enter_program_dir(env_.program_dir);
    ReadLists();
    if (!ReadAutoRun()) return Fail();
    bool key_open = registry_.CreateKey(Hive::CurrentUser, kSettingsKey);
    if (settings_.DangerList.empty() && settings_.SafeList.empty() && startup_load_) {
      if (!FirstRun()) return Fail();
      key_open = registry_.CreateKey(Hive::CurrentUser, kSettingsKey);
    }
    if (key_open && !ReadValues()) return Fail();
    Publish();
    if (!ui_.MustConfigure() && startup_load_ && !CompareChecksum()) return Fail();
    ui_.ApplyStatsOnTop(settings_.StatsOnTop);
    if (ui_.MustConfigure() && startup_load_) {
      ui_.ShowOptions(true);
    } else if (warned_) {
      if (Ask(msg::WarningsShownAsk, kMessageCaption, MessageIcon::Warning) == MessageAnswer::Yes) {
        ui_.EnterMustConfigure();
        ui_.ShowOptions(false);
      }
    }
    return {};
  }

 private:
  std::string Text(int line) const { return env_.messages.Text(line); }
  MessageAnswer Ask(int line, std::string_view caption, MessageIcon icon) {
    return ui_.ShowMessage(Text(line), caption, icon, MessageButtons::YesNo);
  }
  void Tell(int line, std::string_view caption, MessageIcon icon) {
    ui_.ShowMessage(Text(line), caption, icon, MessageButtons::Ok);
  }
  void Publish() { env_.store.Replace(settings_); }
  LoadOutcome Fail() {
    Publish();
    return {false, error_};
  }
  ListStorage Storage() const {
    return {registry_, env_.program_dir, env_.machine_identity, env_.program_path};
  }

  // All four lists are read before the record is published, so that no reader sees some of
  // them loaded and others cleared; the messages follow in list order.
  void ReadLists() {
    bool damaged[std::size(kAllLists)] = {};
    const ListStorage storage = Storage();
    for (std::size_t i = 0; i < std::size(kAllLists); ++i) {
      const ListKind kind = kAllLists[i];
      ui_.SetListCaptionAlert(kind, false);
      ListReadResult read = ReadList(kind, storage);
      ListOf(settings_, kind) = std::move(read.entries);
      damaged[i] = read.damaged;
      if (kind == ListKind::Danger) ui_.EnableDangerActions(ApplyDangerActionRule(settings_));
    }
    Publish();
    if (!startup_load_) return;
    for (std::size_t i = 0; i < std::size(kAllLists); ++i) {
      if (!damaged[i]) continue;
      ui_.SetListCaptionAlert(kAllLists[i], true);
      Tell(DamagedMessage(kAllLists[i]), kMessageCaption, MessageIcon::Warning);
      warned_ = true;
    }
  }

  // AutoRun holds exactly when the autorun value names this executable, letter case included.
  bool ReadAutoRun() {
    registry_.CreateKey(Hive::CurrentUser, kRunKey);
    RegValue<std::string> run = registry_.ReadString(Hive::CurrentUser, kRunKey, kRunValue);
    if (run.status == RegStatus::WrongType) {
      error_ = WrongTypeText(kRunValue);
      return false;
    }
    settings_.AutoRun = run.ok() && run.value == env_.program_path;
    text_ = FlagText(settings_.AutoRun);
    return true;
  }

  // Offers to configure the program when it has no number lists yet. False on a failed read.
  bool FirstRun() {
    settings_.AutoRun = true;
    if (registry_.CreateKey(Hive::CurrentUser, kRunKey)) {
      registry_.WriteString(Hive::CurrentUser, kRunKey, kRunValue, env_.program_path);
    }
    Publish();
    if (Ask(msg::FirstRunAsk, kMessageCaption, MessageIcon::Information) == MessageAnswer::No) {
      ui_.EnterMustConfigure();
      return true;
    }
    const ChosenEntry entry = ui_.ChooseFirstRunEntry(Text(msg::FirstRunChooserCaption));
    // The whole number of an entry may be longer than a mask the list can hold.
    std::string mask = ReduceToMask(entry.number).substr(0, kMaxMaskLength);
    if (entry.chosen && AppendListEntry(ListKind::Safe, settings_.SafeList, std::move(mask))) {
      SetOnlySafe(settings_, true);
      settings_.DefaultEntry = entry.name;
      Publish();
      RegValue<std::string> access_number =
          registry_.ReadString(Hive::CurrentUser, kSettingsKey, "LWNo");
      if (access_number.status == RegStatus::WrongType) {
        error_ = WrongTypeText("LWNo");
        return false;
      }
      if (access_number.ok() && !access_number.value.empty() &&
          Ask(msg::ModemQuestion, ui_.ApplicationTitle(), MessageIcon::Question) ==
              MessageAnswer::No) {
        settings_.UseAcceleration = false;
        Publish();
      }
    } else {
      Tell(msg::NoDefaultChosen, ui_.ApplicationTitle(), MessageIcon::Information);
      ui_.EnterMustConfigure();
    }
    if (!ui_.MustConfigure()) {
      if (SaveSettings(env_)) {
        Tell(msg::Configured, kMessageCaption, MessageIcon::Information);
        startup_load_ = false;
      } else {
        // Not stored (a list file could not be written): saying "configured" would be false,
        // so the user finishes in the options dialog, whose OK saves again.
        ui_.EnterMustConfigure();
      }
    }
    return true;
  }

  // Reads one value into its field. Absent values (and values that cannot be read for any
  // reason but their type) leave the field as it is. False when the type is wrong.
  bool ReadField(const StoredField& field) {
    if (field.kind == StoredKind::Text) {
      RegValue<std::string> value =
          registry_.ReadString(Hive::CurrentUser, kSettingsKey, field.name);
      if (value.status == RegStatus::WrongType) return false;
      if (value.ok()) settings_.*field.text = value.value;
      return true;
    }
    RegValue<uint32_t> value = registry_.ReadDword(Hive::CurrentUser, kSettingsKey, field.name);
    if (value.status == RegStatus::WrongType) return false;
    if (!value.ok()) return true;
    switch (field.kind) {
      case StoredKind::Flag:
        if (!field.set_flag(settings_, value.value != 0)) {
          Tell(msg::AddSafeNumbersFirst, kMessageCaption, MessageIcon::Information);
        }
        break;
      case StoredKind::Integer:
        settings_.*field.integer = static_cast<int32_t>(value.value);
        break;
      case StoredKind::Number:
        settings_.*field.text = std::to_string(static_cast<int32_t>(value.value));
        break;
      case StoredKind::Text:
        break;
    }
    return true;
  }

  // The field's part of the settings text, as it now stands.
  std::string FieldText(const StoredField& field) const {
    switch (field.kind) {
      case StoredKind::Flag:
        return FlagText(settings_.*field.flag);
      case StoredKind::Integer:
        return std::to_string(settings_.*field.integer);
      case StoredKind::Number:
      case StoredKind::Text:
        break;
    }
    return settings_.*field.text;
  }

  bool ReadValues() {
    for (const StoredField& field : StoredFields()) {
      if (!ReadField(field)) {
        error_ = WrongTypeText(field.name);
        return false;
      }
      if (field.in_text) text_ += FieldText(field);
    }
    return true;
  }

  // Warns when the stored settings were changed by someone else. False on a failed read.
  bool CompareChecksum() {
    RegValue<uint32_t> stored =
        registry_.ReadDword(Hive::CurrentUser, kSettingsKey, ChecksumValueName("reg"));
    if (stored.status == RegStatus::WrongType) {
      error_ = WrongTypeText(ChecksumValueName("reg"));
      return false;
    }
    const uint32_t expected = stored.ok() ? stored.value : 0;
    if (TextChecksum(env_.machine_identity, text_) != expected) {
      Tell(msg::SettingsChecksumBad, kMessageCaption, MessageIcon::Warning);
      warned_ = true;
    }
    return true;
  }

  ConfigEnv& env_;
  Registry& registry_;
  ConfigUi& ui_;
  bool startup_load_;
  Settings settings_;
  std::string text_;  // the settings text as read
  bool warned_ = false;
  std::string error_;
};

}  // namespace

LoadOutcome LoadSettings(ConfigEnv& env, bool startup_load) {
  return Loader(env, startup_load).Run();
}

void ReportLoadFailure(ConfigEnv& env, bool startup_load, const LoadOutcome& outcome) {
  if (outcome.ok) return;
  const std::string text = startup_load ? env.messages.Text(msg::ConfigInitError) : outcome.error;
  env.ui.ShowMessage(text, kMessageCaption, MessageIcon::Error, MessageButtons::Ok);
}

}  // namespace lw
