#include "config/settings.h"

namespace lw {

namespace {
void SetDangerAction(Settings& s, bool Settings::*member, bool on) {
  if (on) {
    s.DangerDisNow = s.RadioButtonDisAfter = s.DangerDoNothing = s.DangerAsk = false;
  }
  s.*member = on;
}
}  // namespace

void Settings::SetDangerDisNow(bool on) { SetDangerAction(*this, &Settings::DangerDisNow, on); }
void Settings::SetRadioButtonDisAfter(bool on) {
  SetDangerAction(*this, &Settings::RadioButtonDisAfter, on);
}
void Settings::SetDangerDoNothing(bool on) {
  SetDangerAction(*this, &Settings::DangerDoNothing, on);
}
void Settings::SetDangerAsk(bool on) { SetDangerAction(*this, &Settings::DangerAsk, on); }

void Settings::SetDangerWaitFor(bool on) {
  if (on) DangerAskDiscAfter = false;
  DangerWaitFor = on;
}
void Settings::SetDangerAskDiscAfter(bool on) {
  if (on) DangerWaitFor = false;
  DangerAskDiscAfter = on;
}
void Settings::SetPermit(bool on) {
  if (on) Deny = false;
  Permit = on;
}
void Settings::SetDeny(bool on) {
  if (on) Permit = false;
  Deny = on;
}

std::shared_ptr<const Settings> SettingsStore::Snapshot() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return current_;
}

void SettingsStore::Replace(Settings settings) {
  std::lock_guard<std::mutex> writer(write_mutex_);
  Publish(std::make_shared<const Settings>(std::move(settings)));
}

void SettingsStore::Publish(std::shared_ptr<const Settings> next) {
  std::lock_guard<std::mutex> lock(mutex_);
  current_ = std::move(next);
}

}  // namespace lw
