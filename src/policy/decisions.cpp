#include "policy/decisions.h"

#include <memory>
#include <vector>

#include "common/clock.h"
#include "common/codec.h"
#include "common/format.h"
#include "common/text.h"
#include "config/messages.h"
#include "config/registry.h"
#include "config/settings.h"
#include "dialup/dialup.h"
#include "notify/notifier.h"
#include "policy/masks.h"
#include "policy/program_state.h"

namespace lw {

namespace {

bool InList(const AnsiCodec& codec, const std::vector<std::string>& list,
            const std::string& application) {
  for (const std::string& entry : list) {
    if (codec.EqualsIgnoreCase(entry, application)) return true;
  }
  return false;
}

bool IsModemDevice(const std::string& device_type) {
  static constexpr std::string_view kModem = "modem";
  if (device_type.size() != kModem.size()) return false;
  for (std::size_t i = 0; i < kModem.size(); ++i) {
    char c = device_type[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != kModem[i]) return false;
  }
  return true;
}

// Asks the application question and waits for the window to clear its Active flag.
int32_t AskAboutApplication(PolicyPorts& p, int message, const std::string& application) {
  p.questions.ShowAppQuestion(FormatText(p.messages.Text(message), {p.codec.ToUtf8(application)}),
                              application);
  while (p.questions.AppQuestionActive()) p.clock.Sleep(kQuestionPollMs);
  return p.questions.AppQuestionAnswer();
}

// The accelerated connection is possible unless the settings key exists and one of the dial
// parameters in it is missing or empty.
bool AccelerationPossible(Registry& registry) {
  if (!registry.KeyExists(Hive::CurrentUser, kSettingsKey)) return true;
  for (std::string_view name : {"LWNo", "LWUser", "LWPass"}) {
    RegValue<std::string> value = registry.ReadString(Hive::CurrentUser, kSettingsKey, name);
    if (!value.ok() || value.value.empty()) return false;
  }
  return true;
}

}  // namespace

int32_t Policy::DecideDial(const DialFields& f) {
  const std::shared_ptr<const Settings> settings = p_.settings.Snapshot();
  const Settings& s = *settings;
  const AnsiCodec& codec = p_.codec;

  // The entry's properties; an entry that cannot be read has no options and no device.
  const std::optional<EntryProperties> entry =
      p_.dialup.GetEntryProperties(f.Phonebook, f.EntryName);
  const uint32_t options = entry ? entry->Options : 0;
  const bool uses_codes = (options & kEntryUsesCountryAndAreaCodes) != 0;
  const bool modem = entry && IsModemDevice(entry->DeviceType);

  // The number is matched reduced to its digits; each walk over a list reduces it in place, so
  // the notices that follow a walk show the reduced form.
  std::string number = uses_codes ? f.AreaCode + " " + f.LocalNumber : f.LocalNumber;
  const bool foreign = f.CountryCode != p_.program.OwnCountryCode() && s.OnlyMyCountry;
  std::string country;
  if (uses_codes && f.CountryCode != 0) {
    const std::string name = p_.dialup.GetCountryName(entry->CountryId).value_or(std::string());
    country = FormatText("(%i) %s", {int64_t{f.CountryCode}, codec.ToUtf8(name)});
  } else {
    country = p_.messages.Text(msg::NoCountryInfo);
  }
  const bool own = f.Application == p_.program.ProgramPath();
  const std::string app = codec.ToUtf8(f.Application);

  auto notice = [&](int message, int image) {
    p_.notifier.ShowInfo(
        FormatText(p_.messages.Text(message), {app, codec.ToUtf8(number), country}), image);
  };

  // Application rules; the program's own dials skip them.
  if (!own) {
    bool asked = false;
    if (s.PDAsk && !InList(codec, s.PermitList, f.Application) &&
        !InList(codec, s.DenyList, f.Application)) {
      if (AskAboutApplication(p_, msg::AskAppDial, f.Application) == 0) return 0;
      asked = true;
    }
    if (s.Permit && !asked && !InList(codec, s.PermitList, f.Application)) {
      notice(msg::DialNotPermitted, image::kRefused);
      return 0;
    }
    if (s.Deny && !asked && InList(codec, s.DenyList, f.Application)) {
      notice(msg::DialDenied, image::kRefused);
      return 0;
    }
  }

  // The accelerated connection replaces a modem dial by the program's own.
  if (s.UseAcceleration && modem) {
    if (p_.program.OwnDialPending()) return 1;
    if (AccelerationPossible(p_.registry)) {
      p_.notifier.ShowInfo(FormatText(p_.messages.Text(msg::AccelerationStart), {app}),
                           image::kAcceleration);
      p_.program.EnableAccelerationTimer();
      return 0;
    }
    p_.notifier.ShowInfo(p_.messages.Text(msg::AccelerationFailed), image::kAcceleration);
    p_.clock.Sleep(kAccelerationFailurePauseMs);
  }

  if (s.OnlySafe && !MatchesAnyMask(s.SafeList, number)) {
    notice(msg::NotSafeNumber, image::kRefused);
    return 0;
  }

  if (foreign) {
    notice(msg::ForeignCountry, image::kPolicyHangUp);
    return 0;
  }

  if (MatchesAnyMask(s.DangerList, number)) {
    if (s.DangerDisNow) {
      notice(msg::DangerRefused, image::kPolicyHangUp);
      return 0;
    }
    if (s.RadioButtonDisAfter) {
      const int64_t minutes = IntegerOr(s.DisAfterTime, kDisAfterTimeFallback);
      p_.notifier.ShowInfo(FormatText(p_.messages.Text(msg::DangerDisconnectAfter),
                                      {app, minutes, codec.ToUtf8(number), country}),
                           image::kPolicyHangUp);
      return 1;
    }
    if (s.DangerDoNothing) {
      notice(own ? msg::DangerDoNothingOwn : msg::DangerDoNothing, image::kDangerWarning);
      return 1;
    }
    if (s.DangerAsk) {
      // Asking with a countdown answers no by itself when it runs out. Without one (also when
      // neither way of asking is set) the question waits for the user, and is not asked at all
      // while the question window is already open for another purpose.
      const bool countdown = s.DangerAskDiscAfter;
      if (countdown || !p_.questions.QuestionVisible()) {
        const int message = countdown ? msg::DangerAskCountdown : msg::DangerAskWaitFor;
        const int32_t seconds =
            countdown ? IntegerOr(s.AskDiscAfterTime, kAskDiscAfterTimeFallback) : 0;
        p_.questions.ShowQuestion(
            FormatText(p_.messages.Text(message), {app, codec.ToUtf8(number), country}), seconds);
        while (p_.questions.QuestionActive()) p_.clock.Sleep(kQuestionPollMs);
        p_.notifier.HideInfo();
        if (p_.questions.QuestionAnswer() == 0) return 0;
      }
    }
  }

  if (own) return 1;
  notice(msg::DialAllowed, image::kConnected);
  return 1;
}

int32_t Policy::DecideHangUp(uint32_t /*word*/, const std::string& application) {
  if (application == p_.program.ProgramPath()) return 1;
  const std::shared_ptr<const Settings> settings = p_.settings.Snapshot();
  const Settings& s = *settings;
  const std::string app = p_.codec.ToUtf8(application);
  auto notice = [&](int message, int image) {
    p_.notifier.ShowInfo(FormatText(p_.messages.Text(message), {app}), image);
  };

  bool asked = false;
  if (s.PDAsk && !InList(p_.codec, s.PermitList, application) &&
      !InList(p_.codec, s.DenyList, application)) {
    if (AskAboutApplication(p_, msg::AskAppHangUp, application) == 0) return 0;
    asked = true;
  }
  if (s.Permit && !asked && !InList(p_.codec, s.PermitList, application)) {
    notice(msg::HangUpNotPermitted, image::kRefused);
    return 0;
  }
  if (s.Deny && !asked && InList(p_.codec, s.DenyList, application)) {
    notice(msg::HangUpDenied, image::kRefused);
    return 0;
  }
  notice(msg::HangUpAllowed, image::kConnected);
  return 1;
}

}  // namespace lw
