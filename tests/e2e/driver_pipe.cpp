#include "driver_pipe.h"

#include <string>

#include "driver_common.h"

namespace lw::e2e {

namespace {

constexpr std::size_t kAnswerBuffer = 64;

// An event for overlapped I/O, closed with the object.
class Event {
 public:
  Event() : handle_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
  ~Event() {
    if (handle_) CloseHandle(handle_);
  }
  Event(const Event&) = delete;
  Event& operator=(const Event&) = delete;
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

class Pipe {
 public:
  explicit Pipe(HANDLE handle) : handle_(handle) {}
  ~Pipe() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  Pipe(const Pipe&) = delete;
  Pipe& operator=(const Pipe&) = delete;
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

enum class Io { Done, MoreData, TimedOut, Failed };

// How long a cancelled operation is given to end.
constexpr DWORD kCancelWaitMs = 5000;

// Waits for an overlapped read or write started with `started` as its immediate result.

Io Await(HANDLE pipe, OVERLAPPED& overlapped, BOOL started, const Deadline& deadline,
         DWORD& transferred, DWORD& error) {
  if (!started) {
    error = GetLastError();
    if (error != ERROR_IO_PENDING && error != ERROR_MORE_DATA) return Io::Failed;
  }
  if (WaitForSingleObject(overlapped.hEvent, deadline.RemainingMs()) != WAIT_OBJECT_0) {
    CancelIoEx(pipe, &overlapped);
    // The cancelled operation must end before its OVERLAPPED goes; the wait for it is bounded
    // too, so that the driver ends with a clear failure rather than hang its caller.
    if (WaitForSingleObject(overlapped.hEvent, kCancelWaitMs) != WAIT_OBJECT_0) {
      PrintError("a cancelled pipe operation did not end within " + std::to_string(kCancelWaitMs) +
                 " ms");
      ExitProcess(kExitFailed);
    }
    GetOverlappedResult(pipe, &overlapped, &transferred, FALSE);
    error = WAIT_TIMEOUT;
    return Io::TimedOut;
  }
  if (GetOverlappedResult(pipe, &overlapped, &transferred, FALSE)) return Io::Done;
  error = GetLastError();
  return error == ERROR_MORE_DATA ? Io::MoreData : Io::Failed;
}

// Opens the pipe, waiting while all its instances are busy. INVALID_HANDLE_VALUE with `error`
// set when it cannot be opened in time.
HANDLE Connect(const std::wstring& path, const Deadline& deadline, DWORD& error) {
  for (;;) {
    HANDLE pipe = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OVERLAPPED, nullptr);
    if (pipe != INVALID_HANDLE_VALUE) return pipe;
    error = GetLastError();
    if (error != ERROR_PIPE_BUSY || deadline.Passed()) return INVALID_HANDLE_VALUE;
    // 0 would mean the pipe's default wait: at least 1 ms.
    const DWORD wait = deadline.RemainingMs();
    WaitNamedPipeW(path.c_str(), wait > 0 ? wait : 1);
  }
}

}  // namespace

uint32_t SessionId() {
  DWORD session = 0;
  if (!ProcessIdToSessionId(GetCurrentProcessId(), &session)) return 0;
  return session;
}

std::wstring DefaultQueueName() { return L"LarkWatch" + std::to_wstring(SessionId()); }

std::wstring PipePath(std::wstring_view name) { return L"\\\\.\\pipe\\" + std::wstring(name); }

PipeAnswer SendOneMessage(const std::wstring& path, std::span<const uint8_t> message,
                          DWORD timeout_ms) {
  const Deadline deadline(timeout_ms);
  PipeAnswer answer;
  Pipe pipe(Connect(path, deadline, answer.error));
  if (pipe.get() == INVALID_HANDLE_VALUE) {
    answer.kind = answer.error == ERROR_FILE_NOT_FOUND ? PipeAnswer::Kind::NoServer
                                                       : PipeAnswer::Kind::NoAnswer;
    return answer;
  }
  DWORD mode = PIPE_READMODE_MESSAGE;
  SetNamedPipeHandleState(pipe.get(), &mode, nullptr, nullptr);

  Event event;
  OVERLAPPED overlapped = {};
  overlapped.hEvent = event.get();
  DWORD transferred = 0;
  const BOOL written = WriteFile(pipe.get(), message.data(), static_cast<DWORD>(message.size()),
                                 nullptr, &overlapped);
  if (Await(pipe.get(), overlapped, written, deadline, transferred, answer.error) != Io::Done) {
    answer.kind = PipeAnswer::Kind::NoAnswer;
    return answer;
  }

  ResetEvent(event.get());
  overlapped = {};
  overlapped.hEvent = event.get();
  uint8_t buffer[kAnswerBuffer];
  const BOOL read = ReadFile(pipe.get(), buffer, sizeof buffer, nullptr, &overlapped);
  const Io got = Await(pipe.get(), overlapped, read, deadline, transferred, answer.error);
  if (got == Io::MoreData) {
    answer.kind = PipeAnswer::Kind::Malformed;
    answer.bytes = kAnswerBuffer + 1;  // at least
  } else if (got != Io::Done || transferred == 0) {
    answer.kind = PipeAnswer::Kind::NoAnswer;
  } else if (transferred != 4) {
    answer.kind = PipeAnswer::Kind::Malformed;
    answer.bytes = transferred;
  } else {
    answer.kind = PipeAnswer::Kind::Answered;
    answer.value = static_cast<int32_t>(
        static_cast<uint32_t>(buffer[0]) | static_cast<uint32_t>(buffer[1]) << 8 |
        static_cast<uint32_t>(buffer[2]) << 16 | static_cast<uint32_t>(buffer[3]) << 24);
  }
  return answer;
}

std::string AnswerText(const PipeAnswer& answer) {
  switch (answer.kind) {
    case PipeAnswer::Kind::Answered:
      return std::to_string(answer.value);
    case PipeAnswer::Kind::Malformed:
      return "malformed-" + std::to_string(answer.bytes);
    case PipeAnswer::Kind::NoAnswer:
    case PipeAnswer::Kind::NoServer:
      break;
  }
  return "no-answer";
}

void Tally::Add(const PipeAnswer& answer) {
  if (answer.kind == PipeAnswer::Kind::Answered && answer.value == 0) {
    ++zero_;
  } else if (answer.kind == PipeAnswer::Kind::Answered && answer.value == 1) {
    ++one_;
  } else if (answer.kind == PipeAnswer::Kind::Answered ||
             answer.kind == PipeAnswer::Kind::Malformed) {
    ++other_;
  } else {
    ++no_answer_;
  }
}

std::string Tally::Line() const {
  return "answered-0=" + std::to_string(zero_) + " answered-1=" + std::to_string(one_) +
         " answered-other=" + std::to_string(other_) + " no-answer=" + std::to_string(no_answer_);
}

}  // namespace lw::e2e
