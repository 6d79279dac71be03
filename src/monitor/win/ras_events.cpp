#include "monitor/win/ras_events.h"

#include "dialup/win/ras_dialup.h"

namespace lw {

namespace {

// The change each event index is registered for.
constexpr uint32_t kFlags[RasEvents::kHandleCount] = {0, 1, 2, 4, 8};

}  // namespace

RasEvents::~RasEvents() {
  SignalTermination();
  if (thread_.joinable()) thread_.join();
  if (handles_[0]) CloseHandle(handles_[0]);
  if (started_) CloseHandle(started_);
}

void RasEvents::Start() {
  if (thread_.joinable()) return;
  started_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  thread_ = std::thread([this] { Execute(); });
  // The termination event exists, and the registrations are done, before anyone may signal it.
  if (started_) WaitForSingleObject(started_, INFINITE);
}

void RasEvents::SignalTermination() {
  terminating_.store(true);
  if (handles_[0]) SetEvent(handles_[0]);
}

void RasEvents::Execute() {
  for (int i = 0; i < kHandleCount; ++i) {
    handles_[i] = CreateEventW(nullptr, FALSE, FALSE, kEventNames[i]);
  }
  bool registered = true;
  for (int i = 1; i < kHandleCount; ++i) {
    // All four are registered even when one fails.
    if (!handles_[i] || dialup_.RegisterNotification(handles_[i], kFlags[i]) != 0) {
      registered = false;
    }
  }
  monitoring_.store(registered && handles_[0]);
  if (started_) SetEvent(started_);
  if (monitoring_.load()) {
    while (!terminating_.load()) {
      const DWORD result = WaitForMultipleObjects(kHandleCount, handles_, FALSE, INFINITE);
      if (result == WAIT_OBJECT_0) {
        // Set by another program, the event is ignored: only the program ends its monitoring.
        continue;
      }
      if (result > WAIT_OBJECT_0 && result < WAIT_OBJECT_0 + kHandleCount) {
        const int index = static_cast<int>(result - WAIT_OBJECT_0);
        ResetEvent(handles_[index]);
        if (on_event_) on_event_(index);
      } else if (result == WAIT_FAILED) {
        break;
      }
    }
    monitoring_.store(false);
  }
  // The termination handle is closed last: SignalTermination may still set it.
  for (int i = 1; i < kHandleCount; ++i) {
    if (handles_[i]) CloseHandle(handles_[i]);
  }
}

}  // namespace lw
