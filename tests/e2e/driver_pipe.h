#pragma once
// A client of the program's request queue: one message per connection, one 4-byte answer.

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <string_view>

namespace lw::e2e {

// The session of this process.
uint32_t SessionId();
// "LarkWatch<session id>", the queue the program of this session serves.
std::wstring DefaultQueueName();
// "\\.\pipe\<name>".
std::wstring PipePath(std::wstring_view name);

struct PipeAnswer {
  enum class Kind {
    Answered,   // exactly 4 bytes came back
    Malformed,  // an answer of another length
    NoAnswer,   // the pipe broke, or nothing came back in time
    NoServer,   // nobody serves the pipe
  };
  Kind kind = Kind::NoAnswer;
  int32_t value = 0;      // Answered: the little-endian 32-bit answer
  std::size_t bytes = 0;  // Malformed: its length
  DWORD error = 0;        // NoAnswer, NoServer: the system's error code
};

// Connects (waiting with WaitNamedPipe while every instance is busy), sends the message in one
// write, reads the answer and disconnects. The whole exchange is bounded by `timeout_ms`.
PipeAnswer SendOneMessage(const std::wstring& path, std::span<const uint8_t> message,
                          DWORD timeout_ms);

// "0", "1", ... for an answer, "malformed-<bytes>", or "no-answer".
std::string AnswerText(const PipeAnswer& answer);

// Answers counted by value.
class Tally {
 public:
  void Add(const PipeAnswer& answer);
  // "answered-0=X answered-1=Y answered-other=W no-answer=Z"; answers of other values and of
  // other lengths count as answered-other.
  std::string Line() const;
  int no_answer() const { return no_answer_; }

 private:
  int zero_ = 0;
  int one_ = 0;
  int other_ = 0;
  int no_answer_ = 0;
};

}  // namespace lw::e2e
