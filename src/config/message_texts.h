#pragma once
// The built-in message texts with their capacities, in line order from the first message line.

#include <array>
#include <cstddef>
#include <string_view>

#include "config/messages.h"

namespace lw {

struct BuiltInMessage {
  int line;
  std::size_t capacity;  // in characters
  std::string_view text;
};

extern const std::array<BuiltInMessage, kMessageCount> kBuiltInMessages;

}  // namespace lw
