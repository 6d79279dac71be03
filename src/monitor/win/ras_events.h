#pragma once
// RasEvents: the thread that waits for the system's connection events for the program's
// lifetime and hands each one on. It registers four named auto-reset events with the dial-up
// service ("RasEventConn", "RasEventDisconn", "RasEventBandAdd", "RasEventBandRem") and ends on
// a fifth, "ProgramTermination". If any registration fails, it ends at once: connections are
// then never evaluated after the fact (the interception of dials does not depend on it).

#include <windows.h>

#include <atomic>
#include <functional>
#include <thread>

namespace lw {

class RasDialUp;

class RasEvents {
 public:
  static constexpr int kHandleCount = 5;
  static constexpr const wchar_t* kEventNames[kHandleCount] = {
      L"ProgramTermination", L"RasEventConn", L"RasEventDisconn", L"RasEventBandAdd",
      L"RasEventBandRem"};

  // `on_event` runs on the worker thread with the code of each change (1 to 4).
  RasEvents(RasDialUp& dialup, std::function<void(int code)> on_event)
      : dialup_(dialup), on_event_(std::move(on_event)) {}
  // Ends the thread (as SignalTermination does) and waits for it.
  ~RasEvents();
  RasEvents(const RasEvents&) = delete;
  RasEvents& operator=(const RasEvents&) = delete;

  void Start();
  // The program ends: the thread leaves its wait. The named event can be set by any program
  // of the session, so the thread ends only when this was called.
  void SignalTermination();
  // Whether the thread got past the registration and waits for events (for tests).
  bool monitoring() const { return monitoring_.load(); }

 private:
  void Execute();

  RasDialUp& dialup_;
  std::function<void(int)> on_event_;
  HANDLE handles_[kHandleCount] = {};
  std::atomic<bool> terminating_{false};
  std::atomic<bool> monitoring_{false};
  HANDLE started_ = nullptr;  // set once the events exist and are registered
  std::thread thread_;
};

}  // namespace lw
