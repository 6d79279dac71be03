#pragma once
// The command line switch that stops the running instance.

#include <string_view>

namespace lw {

// True when the whole command line ends in exactly "--stop": letter case counts and nothing may
// follow, not even a blank.
inline bool IsStopCommand(std::wstring_view command_line) {
  constexpr std::wstring_view kStop = L"--stop";
  return command_line.size() >= kStop.size() &&
         command_line.substr(command_line.size() - kStop.size()) == kStop;
}

}  // namespace lw
