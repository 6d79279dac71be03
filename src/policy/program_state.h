#pragma once
// What the decisions read of the main window's state, and the one thing they start there.

#include <cstdint>
#include <string>

namespace lw {

class ProgramState {
 public:
  virtual ~ProgramState() = default;
  // Full path of the program's own executable (ANSI bytes).
  virtual std::string ProgramPath() = 0;
  // Country code of the system default locale.
  virtual int32_t OwnCountryCode() = 0;
  // Set while the program itself dials its accelerated connection.
  virtual bool OwnDialPending() = 0;
  // Starts the timer whose handler dials the accelerated connection.
  virtual void EnableAccelerationTimer() = 0;
};

}  // namespace lw
