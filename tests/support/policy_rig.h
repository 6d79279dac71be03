#pragma once
// A dial policy wired to fakes of all its ports, for tests and benchmarks.

#include "common/codec.h"
#include "config/messages.h"
#include "config/settings.h"
#include "fakes/fake_ports.h"
#include "fakes/fake_registry.h"
#include "policy/decisions.h"

namespace lw::test {

struct PolicyRig {
  SettingsStore store;
  FakeDialUp dialup;
  RecordingNotifier notifier;
  ScriptedQuestions questions;
  FakeClock clock;
  FakeRegistry registry;
  MessageTable messages;
  FakeProgramState program;
  Cp1250Codec codec;

  PolicyPorts Ports(Clock& with_clock) {
    return {store, dialup, notifier, questions, with_clock, registry, messages, program, codec};
  }
  Policy policy{Ports(clock)};
};

}  // namespace lw::test
