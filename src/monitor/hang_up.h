#pragma once
// One hang-up, as its worker thread runs it: an optional delay, then the service's hang-up with
// the tray showing it. The delay is measured on a count that goes on while the machine sleeps,
// so a connection due to be cut after three minutes is cut on time after a resume.

#include <cstdint>
#include <functional>

namespace lw {

class Clock;
class DialUp;
class MessageTable;
class Notifier;
class TrayState;

struct HangUpJob {
  uint64_t handle = 0;        // 0: nothing to hang up
  int32_t delay_seconds = 0;  // 0 or less: none
  bool by_user = false;       // from the disconnect button; carried only
};

struct HangUpPorts {
  DialUp& dialup;
  Notifier& notifier;
  TrayState& tray;
  const MessageTable& messages;
  // Its Sleep may return early when the program ends; `stopping` then says so.
  Clock& clock;
  std::function<bool()> stopping = {};
};

// The longest single sleep of a delay: the remaining time is checked again after each.
inline constexpr uint32_t kHangUpRecheckMs = 10000;

// Runs the job; returns early, without hanging up, when the program ends during the delay.
void RunHangUp(const HangUpJob& job, HangUpPorts& ports);

}  // namespace lw
