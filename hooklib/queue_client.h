#pragma once
// The hook library's end of the program's queue: one request, one answer, on a connection of
// its own, so that several threads of a process may ask at the same time.

#include <cstdint>
#include <span>

namespace lw::hook {

enum class Answer {
  Allow,      // the program answered 1
  Refuse,     // the program answered 0, or the exchange broke after the request was offered
  NoProgram,  // no queue exists: the program is not running
};

// Sends one DialRequest message to the queue of this session and waits for the answer, as long
// as it takes (the program may be asking the user). While every instance of the queue is busy,
// waits for one to come free.
Answer AskProgram(std::span<const uint8_t> request);

}  // namespace lw::hook
