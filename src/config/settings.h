#pragma once
// The user's settings: one record, edited on the main thread and read by the decisions on the
// request threads. Readers take a snapshot, so several fields read together are consistent.

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace lw {

struct Settings {
  bool AutoRun = false;
  int32_t InfoAppear = 1;  // 0 centre of the screen, 1 bottom right
  std::string WarningsTime = "10";
  bool WarningsDblClk = true;
  bool StatsOnTop = true;
  // One-of group: the action on a dangerous number.
  bool DangerDisNow = false;
  bool RadioButtonDisAfter = false;
  std::string DisAfterTime = "3";
  bool DangerDoNothing = true;
  bool DangerAsk = false;
  // One-of group: how to ask.
  bool DangerWaitFor = false;
  bool DangerAskDiscAfter = true;
  std::string AskDiscAfterTime = "20";
  bool OnlySafe = false;
  bool UseAcceleration = true;
  std::string DefaultEntry;  // ANSI bytes
  bool OnlyMyCountry = false;
  bool DialDefault = false;
  // Exclude each other when set (both may be clear).
  bool Permit = false;
  bool Deny = true;
  bool PDAsk = true;

  // Number masks and executable paths, ANSI bytes, in list order.
  std::vector<std::string> DangerList;
  std::vector<std::string> SafeList;
  std::vector<std::string> PermitList;
  std::vector<std::string> DenyList;

  // Setting a member of a one-of group clears the other members; clearing one changes nothing
  // else.
  void SetDangerDisNow(bool on);
  void SetRadioButtonDisAfter(bool on);
  void SetDangerDoNothing(bool on);
  void SetDangerAsk(bool on);
  void SetDangerWaitFor(bool on);
  void SetDangerAskDiscAfter(bool on);
  void SetPermit(bool on);
  void SetDeny(bool on);

  bool operator==(const Settings&) const = default;
};

// Fallbacks of the number edits when their text is not an integer.
inline constexpr int32_t kDisAfterTimeFallback = 3;
inline constexpr int32_t kAskDiscAfterTimeFallback = 20;

// Holds the current settings. Writers publish a new record; readers keep the record they took
// for as long as they need it, unaffected by later changes.
class SettingsStore {
 public:
  std::shared_ptr<const Settings> Snapshot() const;
  void Replace(Settings settings);
  // Copies the current record, lets `change` edit the copy and publishes it.
  template <typename F>
  void Update(F&& change) {
    std::lock_guard<std::mutex> writer(write_mutex_);
    Settings copy = *Snapshot();
    change(copy);
    Publish(std::make_shared<const Settings>(std::move(copy)));
  }

 private:
  void Publish(std::shared_ptr<const Settings> next);
  mutable std::mutex mutex_;
  std::mutex write_mutex_;
  std::shared_ptr<const Settings> current_ = std::make_shared<const Settings>();
};

}  // namespace lw
