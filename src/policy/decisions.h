#pragma once
// The dial and hang-up decisions: may this application dial this number now, may it hang up?
// They run on the queue's threads under the decision lock and may wait for the user's answer
// to a question for as long as it stays open.

#include <cstdint>
#include <string>

#include "hooking/intake.h"

namespace lw {

class AnsiCodec;
class Clock;
class DialUp;
class MessageTable;
class Notifier;
class ProgramState;
class Questions;
class Registry;
class SettingsStore;

struct PolicyPorts {
  SettingsStore& settings;
  DialUp& dialup;
  Notifier& notifier;
  Questions& questions;
  Clock& clock;
  Registry& registry;
  const MessageTable& messages;
  ProgramState& program;
  const AnsiCodec& codec;
};

// The poll of a question window's Active flag.
inline constexpr uint32_t kQuestionPollMs = 500;
// The pause after the notice that the accelerated connection cannot be prepared.
inline constexpr uint32_t kAccelerationFailurePauseMs = 2000;

class Policy final : public DialDecider {
 public:
  explicit Policy(PolicyPorts ports) : p_(ports) {}

  int32_t DecideDial(const DialFields& fields) override;
  // The word is passed on from the request and not used.
  int32_t DecideHangUp(uint32_t word, const std::string& application) override;

 private:
  PolicyPorts p_;
};

}  // namespace lw
