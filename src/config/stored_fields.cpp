#include "config/stored_fields.h"

#include <array>

#include "config/settings_rules.h"

namespace lw {

namespace {

template <bool Settings::*Member>
bool Assign(Settings& settings, bool on) {
  settings.*Member = on;
  return true;
}

template <void (Settings::*Setter)(bool)>
bool Select(Settings& settings, bool on) {
  (settings.*Setter)(on);
  return true;
}

template <bool Settings::*Member>
constexpr StoredField Flag(std::string_view name, bool in_text = true) {
  return {name, StoredKind::Flag, in_text, Member, &Assign<Member>};
}

template <bool Settings::*Member, void (Settings::*Setter)(bool)>
constexpr StoredField GroupFlag(std::string_view name) {
  return {name, StoredKind::Flag, true, Member, &Select<Setter>};
}

constexpr StoredField Number(std::string_view name, std::string Settings::*member,
                             int32_t fallback) {
  return {name, StoredKind::Number, true, nullptr, nullptr, nullptr, member, fallback};
}

const std::array<StoredField, 20> kFields = {
    StoredField{"InfoAppear", StoredKind::Integer, true, nullptr, nullptr, &Settings::InfoAppear},
    Number("WarningsTime", &Settings::WarningsTime, kWarningsTimeStoredFallback),
    Flag<&Settings::WarningsDblClk>("WarningsDblClk"),
    Flag<&Settings::StatsOnTop>("StatsOnTop", false),
    GroupFlag<&Settings::DangerDisNow, &Settings::SetDangerDisNow>("DangerDisNow"),
    GroupFlag<&Settings::RadioButtonDisAfter, &Settings::SetRadioButtonDisAfter>(
        "RadioButtonDisAfter"),
    Number("DisAfterTime", &Settings::DisAfterTime, kDisAfterTimeFallback),
    GroupFlag<&Settings::DangerDoNothing, &Settings::SetDangerDoNothing>("DangerDoNothing"),
    GroupFlag<&Settings::DangerAsk, &Settings::SetDangerAsk>("DangerAsk"),
    GroupFlag<&Settings::DangerWaitFor, &Settings::SetDangerWaitFor>("DangerWaitFor"),
    GroupFlag<&Settings::DangerAskDiscAfter, &Settings::SetDangerAskDiscAfter>(
        "DangerAskDiscAfter"),
    Number("AskDiscAfterTime", &Settings::AskDiscAfterTime, kAskDiscAfterTimeFallback),
    StoredField{"OnlySafe", StoredKind::Flag, true, &Settings::OnlySafe, &SetOnlySafe},
    Flag<&Settings::UseAcceleration>("UseAcceleration"),
    StoredField{"DefaultEntry", StoredKind::Text, true, nullptr, nullptr, nullptr,
                &Settings::DefaultEntry},
    Flag<&Settings::OnlyMyCountry>("OnlyMyCountry"),
    Flag<&Settings::DialDefault>("DialDefault"),
    GroupFlag<&Settings::Permit, &Settings::SetPermit>("Permit"),
    GroupFlag<&Settings::Deny, &Settings::SetDeny>("Deny"),
    Flag<&Settings::PDAsk>("PDAsk"),
};

}  // namespace

std::span<const StoredField> StoredFields() { return kFields; }

std::vector<std::string>& ListOf(Settings& settings, ListKind kind) {
  switch (kind) {
    case ListKind::Danger:
      return settings.DangerList;
    case ListKind::Safe:
      return settings.SafeList;
    case ListKind::Permit:
      return settings.PermitList;
    case ListKind::Deny:
      break;
  }
  return settings.DenyList;
}

const std::vector<std::string>& ListOf(const Settings& settings, ListKind kind) {
  return ListOf(const_cast<Settings&>(settings), kind);
}

}  // namespace lw
