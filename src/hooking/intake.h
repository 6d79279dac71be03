#pragma once
// The program's end of the request queue: every intercepted dial or hang-up is decided,
// answered, told to the extensions and logged, one request at a time.
//
// Threads: HandleDialRequest runs on the queue's threads, several at once; the decision lock
// makes each request wait until the one before it has been decided, answered, notified and
// logged, including the time a question waits for the user.

#include <cstdint>
#include <functional>
#include <mutex>
#include <span>
#include <string>

#include "hooking/dial_request.h"

namespace lw {

class DialDecider {
 public:
  virtual ~DialDecider() = default;
  virtual int32_t DecideDial(const DialFields& fields) = 0;
  virtual int32_t DecideHangUp(uint32_t word, const std::string& application) = 0;
};

// The loaded extensions, told of each outcome in their list order.
class ExtensionNotifications {
 public:
  virtual ~ExtensionNotifications() = default;
  virtual void NotifyConnect(const DialFields& fields) = 0;
  virtual void NotifyIllegal(const DialFields& fields) = 0;
  virtual void NotifyDisconnect() = 0;
};

enum class AttemptKind { Connect, Disconnect };

class AttemptLogger {
 public:
  virtual ~AttemptLogger() = default;
  virtual void LogAttempt(AttemptKind kind, const std::string& application, int32_t country_code,
                          const std::string& area_code, const std::string& local_number,
                          const std::string& entry_name, const std::string& phonebook,
                          bool allowed) = 0;
};

class DialIntake {
 public:
  // The answer sink sends the 32-bit answer to the waiting hook library; it is called exactly
  // once per request, before the extensions and the log.
  using AnswerSink = std::function<void(int32_t answer)>;

  DialIntake(std::mutex& decision_lock, DialDecider& decider, ExtensionNotifications& extensions,
             AttemptLogger& log)
      : decision_lock_(decision_lock), decider_(decider), extensions_(extensions), log_(log) {}

  // A message that does not parse (too short for its layout, or of an unknown type) is refused
  // with answer 0; nothing is decided, notified or logged for it.
  void HandleDialRequest(std::span<const uint8_t> message, const AnswerSink& answer);

 private:
  std::mutex& decision_lock_;
  DialDecider& decider_;
  ExtensionNotifications& extensions_;
  AttemptLogger& log_;
};

}  // namespace lw
