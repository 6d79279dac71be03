#pragma once
// The program's end of the request queue: a message-mode named pipe "\\.\pipe\<name>" that the
// hook library in every process opens to ask about one dial or hang-up. Each message is one
// request; the answer is one message of 4 bytes (a little-endian 32-bit 1 or 0).
//
// Creating the queue is also the single-instance test: it takes the named mutex "Local\<name>"
// as its first creator and the pipe's first instance. Either failing means another instance
// of the program serves this session.
//
// A fixed pool of threads serves the pipe, one pipe instance each. A thread waits for a client,
// reads one whole message (at most `message_timeout_ms` after the client connected; a message
// longer than kMaxQueueMessage is read and thrown away in pieces, then refused by the gate),
// holds it until StartServing, hands it to the handler with an answer sink, and after the
// handler has returned waits for the client's next message or for the client to close its end
// before it disconnects (so the answer is never discarded unread). A client that has not
// closed `message_timeout_ms` after the answer is disconnected. The handler itself has no time
// limit: a decision may wait for the user for minutes.
//
// Threads: Create, StartServing, Stop and the destructor are called from one thread (the main
// thread of the program). The handler runs on the pool threads, several at once; it must do
// its own locking. The sink may be called from any thread while the handler runs; the first
// call sends the answer at once and later calls, and calls after the handler has returned, do
// nothing.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "hooking/intake.h"
#include "hooking/win/unique_handle.h"

namespace lw {

using QueueHandler =
    std::function<void(std::span<const uint8_t> message, const DialIntake::AnswerSink& answer)>;

// The longest request the gate lets through: a dial's fixed part and any Windows path with
// room to spare.
inline constexpr std::size_t kMaxQueueMessage = 64 * 1024;

// The gate asked for every request before the handler sees it: a message longer than
// kMaxQueueMessage is refused (answer 0) without being looked at.
bool QueueGateAdmits(std::size_t message_length);

// The session of this process, which numbers the queue; 0 when it cannot be told.
uint32_t CurrentSessionNumber();
// "LarkWatch<number>", the number in decimal.
std::wstring QueueName(uint32_t number);
// "\\.\pipe\<name>" and "Local\<name>".
std::wstring QueuePipePath(std::wstring_view name);
std::wstring QueueMutexName(std::wstring_view name);

struct QueueOptions {
  // Pipe instances, each served by a thread of its own. Further clients wait for a free one
  // (ERROR_PIPE_BUSY, then WaitNamedPipe).
  int instances = 8;
  // How long a connected client may take to send its message, and to close its end (or send
  // the next one) after it has been answered.
  uint32_t message_timeout_ms = 10'000;
  // How long sending the answer may take before it is given up.
  uint32_t answer_timeout_ms = 5'000;
};

class QueueServer {
 public:
  // Creates the queue `name` (see QueueName) and starts its threads, which take requests but
  // hold them until StartServing. nullptr when the queue cannot be created: another instance
  // holds it, or the system refused the mutex or the pipe.
  static std::unique_ptr<QueueServer> Create(std::wstring_view name, QueueHandler handler,
                                             const QueueOptions& options = {});
  ~QueueServer();
  QueueServer(const QueueServer&) = delete;
  QueueServer& operator=(const QueueServer&) = delete;

  // From now on requests reach the handler, held ones first.
  void StartServing();
  // Ends the threads: those waiting for a client, reading or holding a request end at once
  // (the held request's client sees the pipe break); one inside the handler ends when the
  // handler returns. Returns when all have ended. The mutex and the pipe stay until the object
  // is destroyed, so no second instance can start meanwhile.
  void Stop();

  const std::wstring& pipe_path() const { return pipe_path_; }
  // The number of pipe instances actually created (at least one).
  int instance_count() const { return static_cast<int>(instances_.size()); }

 private:
  struct Instance;
  class AnswerChannel;

  QueueServer(std::wstring pipe_path, QueueHandler handler, const QueueOptions& options);
  void Serve(Instance& instance);
  // Serves one connected client until it closes, times out or the server stops.
  void ServeClient(Instance& instance, std::vector<uint8_t>& buffer);

  std::wstring pipe_path_;
  QueueHandler handler_;
  QueueOptions options_;
  UniqueHandle mutex_;
  UniqueHandle stop_;     // manual reset: set once by Stop
  UniqueHandle serving_;  // manual reset: set once by StartServing
  std::atomic<bool> serving_started_{false};
  std::vector<std::unique_ptr<Instance>> instances_;
  std::atomic<bool> stopped_{false};
};

}  // namespace lw
