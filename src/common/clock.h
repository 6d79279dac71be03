#pragma once
// Time as the policy sees it: sleeps of the documented polls and pauses, and the local date and
// time text of the log. Tests use a fake that returns at once.

#include <cstdint>
#include <string>

namespace lw {

class Clock {
 public:
  virtual ~Clock() = default;
  virtual void Sleep(uint32_t milliseconds) = 0;
  // Milliseconds of a count that goes on while the machine sleeps: a delay measured with it
  // ends on time after a sleep, where a plain Sleep would still be waiting.
  virtual uint64_t ElapsedMs() = 0;
  // Local date and time as the regional settings give them: short date, one blank, long time.
  // UTF-8.
  virtual std::string LocalDateTimeText() = 0;
};

}  // namespace lw
