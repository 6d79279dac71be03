#include "monitor/connection_monitor.h"

#include <algorithm>
#include <limits>

#include "common/codec.h"
#include "common/format.h"
#include "common/text.h"
#include "config/control_texts.h"
#include "config/messages.h"
#include "config/registry.h"
#include "config/settings.h"
#include "notify/notifier.h"
#include "policy/masks.h"

namespace lw {

namespace {

// The longest text of the service's error that is shown.
constexpr std::size_t kErrorTextLimit = 255;

// The credentials of the accelerated connection, as far as the settings key holds them.
struct AcceleratedParams {
  bool key_opened = false;
  std::string number, user, password;
};

AcceleratedParams ReadAcceleratedParams(Registry& registry) {
  AcceleratedParams params;
  if (!registry.KeyExists(Hive::CurrentUser, kSettingsKey)) return params;
  params.key_opened = true;
  auto read = [&](std::string_view name, std::string& into) {
    RegValue<std::string> value = registry.ReadString(Hive::CurrentUser, kSettingsKey, name);
    if (value.ok()) into = value.value;
  };
  read("LWNo", params.number);
  read("LWUser", params.user);
  read("LWPass", params.password);
  return params;
}

// Every ". " of a sentence list becomes a full stop and a line break.
std::string SentencesOnLines(const std::string& text) {
  std::string lines;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '.' && i + 1 < text.size() && text[i + 1] == ' ') {
      lines += ".\r\n";
      ++i;
    } else {
      lines += text[i];
    }
  }
  if (lines.size() > kErrorTextLimit) lines.resize(kErrorTextLimit);
  return lines;
}

int32_t SecondsOf(int64_t minutes) {
  const int64_t seconds = minutes * 60;
  return static_cast<int32_t>(std::clamp<int64_t>(seconds, 0, std::numeric_limits<int32_t>::max()));
}

}  // namespace

void ConnectionMonitor::EnumerateConnections() {
  std::vector<ConnectionRecord> list;
  const uint32_t code = p_.dialup.EnumConnections(list);
  current_ = -1;
  if (code != ras::kOk) {
    list.clear();
    p_.ui.ErrorBox(p_.messages.Text(msg::ConnectionListError));
  }
  connections_ = std::move(list);
}

void ConnectionMonitor::EnumerateEntries() {
  std::vector<std::string> list;
  if (p_.dialup.EnumEntries(list) != ras::kOk) {
    list.clear();
    p_.ui.ErrorBox(p_.messages.Text(msg::PhonebookListError));
  }
  entries_ = std::move(list);
}

void ConnectionMonitor::DrawConnection(int step) {
  const AnsiCodec& codec = p_.codec;
  const auto count = static_cast<int32_t>(connections_.size());
  if (count == 0) {
    view_.has_connections = false;
    view_.position.clear();
    for (std::string* text :
         {&view_.book_entry, &view_.phone_no, &view_.dev_type, &view_.dev_name, &view_.country}) {
      text->assign(1, '-');
    }
    view_.book_entry_colour = TextColour::WindowText;
    view_.country_colour = TextColour::WindowText;
    view_.status = p_.messages.Text(msg::StatusNoConnections);
    shown_handle_ = 0;
    p_.ui.ShowConnection(view_);
    return;
  }
  const std::shared_ptr<const Settings> settings = p_.settings.Snapshot();
  view_.has_connections = true;
  current_ += step;
  if (current_ < 0) current_ = count - 1;
  if (current_ >= count) current_ = 0;
  view_.position = FormatText("%i/%i", {int64_t{current_} + 1, int64_t{count}});
  const ConnectionRecord& record = connections_[static_cast<std::size_t>(current_)];
  shown_handle_ = record.Handle;

  std::string number;  // ANSI bytes, as shown
  if (std::find(entries_.begin(), entries_.end(), record.EntryName) != entries_.end()) {
    foreign_country_ = false;
    view_.book_entry_colour = TextColour::WindowText;
    view_.book_entry = safe_connection_active_ ? p_.messages.Text(msg::StatsSafeEntry)
                                               : codec.ToUtf8(record.EntryName);
    // A look-up that fails leaves an entry without codes and numbers.
    const EntryProperties entry =
        p_.dialup.GetEntryProperties({}, record.EntryName).value_or(EntryProperties{});
    const bool uses_codes = (entry.Options & kEntryUsesCountryAndAreaCodes) != 0;
    number = uses_codes ? entry.AreaCode + " " + entry.LocalNumber : entry.LocalNumber;
    if (uses_codes && entry.CountryCode != 0) {
      const std::string name = p_.dialup.GetCountryName(entry.CountryId).value_or(std::string());
      view_.country = FormatText("(%i) %s", {int64_t{entry.CountryCode}, codec.ToUtf8(name)});
    } else {
      view_.country = p_.messages.Text(msg::StatsNoCountryInfo);
    }
    if (static_cast<int64_t>(entry.CountryCode) == own_country_code_) {
      view_.country_colour = TextColour::WindowText;
    } else {
      view_.country_colour = TextColour::Red;
      if (settings->OnlyMyCountry) foreign_country_ = true;
    }
  } else {
    // "." and the number: a connection dialled without an entry. The accelerated number is
    // recognised only when one is known, so that a nameless connection is never taken for it.
    number = record.EntryName.empty() ? std::string() : record.EntryName.substr(1);
    if (!accelerated_number_.empty() && number == accelerated_number_) {
      safe_connection_active_ = true;
    }
    view_.book_entry_colour = safe_connection_active_ ? TextColour::WindowText : TextColour::Red;
    view_.book_entry =
        p_.messages.Text(safe_connection_active_ ? msg::StatsSafeNoEntry : msg::StatsNoEntry);
  }
  view_.phone_no = codec.ToUtf8(number);
  std::string reduced = number;
  view_.phone_no_colour =
      MatchesAnyMask(settings->DangerList, reduced) ? TextColour::Red : TextColour::WindowText;
  view_.dev_type = codec.ToUtf8(record.DeviceType);
  view_.dev_name = codec.ToUtf8(record.DeviceName);

  previous_count_ = static_cast<uint32_t>(count);
  view_.status = FormatText(p_.messages.Text(msg::StatusConnections), {int64_t{count}});
  current_ = 0;
  if (!manual_refresh_) pending_ras_event_ = pending::kConnected;
  manual_refresh_ = false;
  p_.ui.ShowConnection(view_);
}

void ConnectionMonitor::OnRasEvent(int code) {
  const bool disconnection = code == ras_event::kDisconnected || code == ras_event::kLinkRemoved;
  if (disconnection && pending_ras_event_ != pending::kDisconnected) {
    count_before_disconnect_ = previous_count_;
  }
  EnumerateConnections();
  EnumerateEntries();
  DrawConnection(0);
  switch (code) {
    case ras_event::kConnected:
    case ras_event::kLinkAdded:
      pending_ras_event_ = pending::kConnected;
      break;
    case ras_event::kDisconnected:
    case ras_event::kLinkRemoved:
      pending_ras_event_ = pending::kDisconnected;
      break;
    default:
      pending_ras_event_ = pending::kNone;
      break;
  }
}

void ConnectionMonitor::ButtonRefreshStatsClick() {
  manual_refresh_ = true;
  OnRasEvent(ras_event::kRefresh);
}

void ConnectionMonitor::ButtonDisconnectClick() {
  if (current_ < 0 || connections_.empty()) return;
  p_.notifier.ShowInfo(p_.messages.Text(msg::UserHangUpStarted), image::kRefused);
  p_.workers.StartHangUp(shown_handle_, 0, true);
}

void ConnectionMonitor::IdleProcessing() {
  {
    std::lock_guard<std::mutex> lock(idle_lock_);
    if (idle_busy_) return;
    idle_busy_ = true;
  }
  switch (pending_ras_event_) {
    case pending::kConnected:
      ConnectedBranch();
      break;
    case pending::kDisconnected:
      DisconnectedBranch();
      break;
    case pending::kNone:
      break;
    default:
      pending_ras_event_ = pending::kNone;
      break;
  }
  std::lock_guard<std::mutex> lock(idle_lock_);
  idle_busy_ = false;
}

void ConnectionMonitor::HangUpCurrent(int32_t delay_seconds) {
  redial_pending_ = true;
  p_.workers.StartHangUp(shown_handle_, delay_seconds, false);
}

void ConnectionMonitor::ConnectedBranch() {
  const std::shared_ptr<const Settings> settings = p_.settings.Snapshot();
  const Settings& s = *settings;
  // Each walk over a list reduces the number in place: the messages after it show the digits.
  std::string number = view_.phone_no;
  const std::string country = view_.country;
  const MessageTable& m = p_.messages;

  pending_ras_event_ = pending::kNone;
  p_.tray.SetTrayImage(image::kConnected);
  p_.tray.SetTrayHint(m.Text(msg::TrayConnected));

  std::string message = country != "-"
                            ? FormatText(m.Text(msg::ConnectedNumberCountry), {number, country})
                            : FormatText(m.Text(msg::ConnectedNumber), {number});
  if (safe_connection_active_) {
    message = FormatText(m.Text(msg::ConnectedSafe), {number});
  } else {
    if (s.OnlySafe && !MatchesAnyMask(s.SafeList, number)) {
      p_.notifier.ShowInfo(FormatText(m.Text(msg::ConnectedNotSafe), {number}), image::kRefused);
      HangUpCurrent(0);
      return;
    }
    if (foreign_country_) {
      p_.notifier.ShowInfo(FormatText(m.Text(msg::ConnectedForeignCountry), {country, number}),
                           image::kPolicyHangUp);
      HangUpCurrent(0);
      return;
    }
    if (MatchesAnyMask(s.DangerList, number)) {
      if (s.DangerDisNow) {
        p_.notifier.ShowInfo(FormatText(m.Text(msg::ConnectedDangerHangUp), {number, country}),
                             image::kPolicyHangUp);
        HangUpCurrent(0);
      } else if (s.RadioButtonDisAfter) {
        const int64_t minutes = IntegerOr(s.DisAfterTime, kDisAfterTimeFallback);
        p_.notifier.ShowInfo(
            FormatText(m.Text(msg::ConnectedDangerHangUpAfter), {number, country, minutes}),
            image::kPolicyHangUp);
        HangUpCurrent(SecondsOf(minutes));
      } else if (s.DangerDoNothing) {
        p_.notifier.ShowInfo(FormatText(m.Text(msg::ConnectedDangerDoNothing), {number, country}),
                             image::kDangerWarning);
      } else if (s.DangerAsk && !OwnDialPending()) {
        // With a countdown the question is asked in any case; without one (also when neither
        // way of asking is set) not while the question window is open for something else.
        const bool countdown = s.DangerAskDiscAfter;
        if (countdown || !p_.ui.QuestionVisible()) {
          const int32_t seconds =
              countdown ? IntegerOr(s.AskDiscAfterTime, kAskDiscAfterTimeFallback) : 0;
          p_.notifier.ShowInfo(FormatText(m.Text(countdown ? msg::ConnectedDangerCountdownInfo
                                                           : msg::ConnectedDangerWaitForInfo),
                                          {number, country}),
                               image::kDangerWarning);
          const int32_t keep =
              p_.ui.AskQuestion(FormatText(m.Text(countdown ? msg::ConnectedDangerCountdownAsk
                                                            : msg::ConnectedDangerWaitForAsk),
                                           {number, country}),
                                seconds);
          if (keep == 0) HangUpCurrent(0);
        }
      }
      return;
    }
  }
  if (!redial_pending_) {
    StartUpdateCheck();
    SetOwnDialPending(false);
  }
  p_.notifier.ShowInfo(message, image::kConnected);
}

void ConnectionMonitor::DisconnectedBranch() {
  pending_ras_event_ = pending::kNone;
  SetOwnDialPending(false);
  safe_connection_active_ = false;
  p_.tray.SetTrayImage(image::kIdle);
  p_.tray.SetTrayHint(p_.messages.Text(msg::TrayIdleDisconnected));
  const auto count = static_cast<uint32_t>(connections_.size());
  if (count_before_disconnect_ > count) {
    p_.notifier.ShowInfo(p_.messages.Text(msg::Disconnected), image::kRefused);
  } else {
    p_.notifier.ShowInfo(p_.messages.Text(msg::ModemReset), image::kAcceleration);
  }
  previous_count_ = count;
  if (p_.settings.Snapshot()->DialDefault && redial_pending_) DialDefaultEntry();
}

void ConnectionMonitor::StartUpdateCheck() {
  if (update_check_started_) return;
  update_check_started_ = true;
  p_.workers.StartUpdateCheck();
}

void ConnectionMonitor::DialDefaultClick() {
  if (!accelerated_number_.empty() && p_.settings.Snapshot()->UseAcceleration) {
    const AcceleratedParams params = ReadAcceleratedParams(p_.registry);
    if (params.key_opened) {
      if (!params.number.empty() || !params.user.empty() || !params.password.empty()) {
        if (DialAccelerated()) {
          clear_own_dial_after_start_ = true;
        } else {
          SetOwnDialPending(false);
        }
        return;
      }
      p_.ui.WarningBox(p_.messages.Text(msg::AccelerationNotReady));
    }
  }
  if (DialDefaultEntry()) {
    clear_own_dial_after_start_ = true;
  } else {
    SetOwnDialPending(false);
  }
}

bool ConnectionMonitor::DialDefaultEntry() {
  const AnsiCodec& codec = p_.codec;
  const MessageTable& m = p_.messages;
  DialParams params;
  params.EntryName = p_.settings.Snapshot()->DefaultEntry;
  StoredCredentials stored;
  const uint32_t code = p_.dialup.GetEntryDialParams(params.EntryName, stored);
  if (code != ras::kOk) {
    if (code == ras::kEntryNotFound) {
      p_.ui.ErrorBox(FormatText(m.Text(msg::EntryNotFound), {codec.ToUtf8(params.EntryName)}));
    } else if (code == ras::kPhonebookMissing) {
      p_.ui.ErrorBox(m.Text(msg::PhonebookMissing));
    }
    redial_pending_ = false;
    return false;
  }
  const EntryProperties entry =
      p_.dialup.GetEntryProperties({}, params.EntryName).value_or(EntryProperties{});
  LoginFields fields;
  if ((entry.Options & kEntryUsesCountryAndAreaCodes) != 0 && entry.CountryCode != 0) {
    fields.phone_no = codec.ToUtf8(entry.AreaCode + " " + entry.LocalNumber);
    const std::string name = p_.dialup.GetCountryName(entry.CountryId).value_or(std::string());
    fields.country = FormatText("(%i) %s", {int64_t{entry.CountryCode}, codec.ToUtf8(name)});
  } else {
    fields.phone_no =
        FormatText(m.Text(msg::LoginNumberWithoutArea), {codec.ToUtf8(entry.LocalNumber)});
    fields.country = m.Text(msg::LoginNoCountry);
  }
  fields.entry_name = codec.ToUtf8(params.EntryName);
  fields.user = codec.ToUtf8(stored.UserName);
  fields.password = codec.ToUtf8(stored.Password);
  if (p_.ui.LoginVisible()) return false;
  if (!p_.ui.AskLogin(fields)) return false;
  if (fields.password.empty()) {
    p_.ui.ErrorBox(FormatText(m.Text(msg::NoPassword), {codec.ToUtf8(stored.UserName)}));
    return false;
  }
  params.UserName = codec.FromUtf8(fields.user);
  params.Password = codec.FromUtf8(fields.password);

  SetOwnDialPending(true);
  p_.tray.SetTrayImage(image::kDialling);
  p_.tray.SetTrayHint(m.Text(msg::TrayDialling));
  redial_pending_ = false;
  p_.workers.StartDial(params, false);
  return true;
}

bool ConnectionMonitor::DialAccelerated() {
  const AcceleratedParams stored = ReadAcceleratedParams(p_.registry);
  DialParams params;
  params.PhoneNumber = stored.number;
  params.UserName = stored.user;
  params.Password = stored.password;

  SetOwnDialPending(true);
  p_.tray.SetTrayImage(image::kDialling);
  const std::string message =
      FormatText(p_.messages.Text(msg::AcceleratedDialling),
                 {p_.codec.ToUtf8(params.PhoneNumber),
                  p_.texts.Text("TMainForm", "MenuOptions", ControlProperty::MenuCaption),
                  p_.texts.Text("TOptionsForm", "TabSheet3", ControlProperty::Caption)});
  p_.tray.SetTrayHint(p_.messages.Text(msg::TrayDiallingAccelerated));
  p_.notifier.ShowInfo(message, image::kDialling);

  redial_pending_ = false;
  p_.ui.SetAccelerationTimer(false);
  safe_connection_active_ = true;
  p_.workers.StartDial(params, true);
  return true;
}

// A dial of the program's own that ends without a connection leaves nothing for the
// interception to let through, and no connection to take for the safe one.
void ConnectionMonitor::OwnDialFailed(bool accelerated) {
  SetOwnDialPending(false);
  if (accelerated) safe_connection_active_ = false;
  p_.tray.SetTrayImage(image::kIdle);
  p_.tray.SetTrayHint(
      p_.messages.Text(accelerated ? msg::TrayIdleAcceleratedFailed : msg::TrayIdleDialFailed));
}

void ConnectionMonitor::DialStartResult(bool accelerated, uint32_t code) {
  if (code != ras::kOk) {
    OwnDialFailed(accelerated);
    redial_pending_ = true;
    p_.notifier.HideInfo();
  }
  if (clear_own_dial_after_start_) {
    clear_own_dial_after_start_ = false;
    SetOwnDialPending(false);
  }
}

void ConnectionMonitor::DialProgress(uint32_t state, uint32_t error) {
  const MessageTable& m = p_.messages;
  if (error != 0) {
    const std::string system = p_.dialup.GetErrorString(error).value_or(std::to_string(error));
    OwnDialFailed(safe_connection_active_);
    p_.notifier.ShowInfo(p_.codec.ToUtf8(SentencesOnLines(system)), image::kAcceleration);
    return;
  }
  int message = 0;
  if (!safe_connection_active_) {
    switch (state) {
      case dial_state::kOpenPort:
        message = msg::ProgressOpenPort;
        break;
      case dial_state::kPortOpened:
        message = msg::ProgressPortOpened;
        break;
      case dial_state::kConnectDevice:
        message = msg::ProgressConnectDevice;
        break;
      default:
        break;
    }
  } else {
    switch (state) {
      case dial_state::kDeviceConnected:
        message = msg::ProgressDeviceConnected;
        break;
      case dial_state::kAuthenticate:
        message = msg::ProgressAuthenticate;
        break;
      case dial_state::kAuthNotify:
        message = msg::ProgressAuthNotify;
        break;
      case dial_state::kAuthRetry:
        message = msg::ProgressAuthRetry;
        break;
      case dial_state::kAuthProject:
        message = msg::ProgressProjection;
        break;
      case dial_state::kAuthenticated:
        message = msg::ProgressAuthenticated;
        break;
      case dial_state::kConnected:
        message = msg::ProgressConnected;
        break;
      case dial_state::kDisconnected:
        message = msg::ProgressDisconnected;
        break;
      default:
        break;
    }
  }
  if (message != 0) p_.notifier.ShowInfo(m.Text(message), image::kDialling);
}

}  // namespace lw
