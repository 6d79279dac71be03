#pragma once
// The clock of the running system: real sleeps, and the local date and time in the user's
// regional format.

#include "common/clock.h"

namespace lw {

class SystemClock final : public Clock {
 public:
  void Sleep(uint32_t milliseconds) override;
  uint64_t ElapsedMs() override;
  std::string LocalDateTimeText() override;
};

}  // namespace lw
