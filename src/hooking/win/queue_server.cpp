#include "hooking/win/queue_server.h"

#include <windows.h>

#include <algorithm>
#include <mutex>
#include <system_error>
#include <utility>

#include "hooking/win/pipe_security.h"

namespace lw {

namespace {

// The buffers the pipe keeps on each side; larger messages still pass, the writer then waits
// for the reader.
constexpr DWORD kInBufferSize = 8192;
constexpr DWORD kOutBufferSize = 4096;
// How long a client's WaitNamedPipe(NMPWAIT_USE_DEFAULT_WAIT) waits for a free instance.
constexpr DWORD kDefaultClientWaitMs = 2000;
// Pause after an unexpected failure of the pipe before the instance listens again, so that a
// lasting failure cannot make the thread spin.
constexpr DWORD kRetryDelayMs = 200;

enum class IoResult { Done, MoreData, Failed, TimedOut, Stopped };

// Waits for the overlapped operation on `io` to end, at most `timeout_ms` and until `stop` (if
// any) is set; an operation that is given up is cancelled and its end awaited, so that `io`
// and the buffer are free again afterwards.
IoResult Await(HANDLE pipe, OVERLAPPED& io, HANDLE stop, DWORD timeout_ms, DWORD& transferred) {
  const HANDLE waits[2] = {io.hEvent, stop};
  const DWORD result = WaitForMultipleObjects(stop ? 2 : 1, waits, FALSE, timeout_ms);
  if (result != WAIT_OBJECT_0) {
    CancelIoEx(pipe, &io);
    DWORD ignored = 0;
    GetOverlappedResult(pipe, &io, &ignored, TRUE);
    if (result == WAIT_TIMEOUT) return IoResult::TimedOut;
    return result == WAIT_OBJECT_0 + 1 ? IoResult::Stopped : IoResult::Failed;
  }
  if (GetOverlappedResult(pipe, &io, &transferred, FALSE)) return IoResult::Done;
  return GetLastError() == ERROR_MORE_DATA ? IoResult::MoreData : IoResult::Failed;
}

// The outcome of a ReadFile or WriteFile just started on `io` (`started` is its result).
IoResult Complete(BOOL started, HANDLE pipe, OVERLAPPED& io, HANDLE stop, DWORD timeout_ms,
                  DWORD& transferred) {
  transferred = 0;
  if (!started) {
    const DWORD error = GetLastError();
    if (error == ERROR_MORE_DATA) {
      // The first part of a longer message has been read.
      GetOverlappedResult(pipe, &io, &transferred, FALSE);
      return IoResult::MoreData;
    }
    if (error != ERROR_IO_PENDING) return IoResult::Failed;
    return Await(pipe, io, stop, timeout_ms, transferred);
  }
  if (GetOverlappedResult(pipe, &io, &transferred, FALSE)) return IoResult::Done;
  return GetLastError() == ERROR_MORE_DATA ? IoResult::MoreData : IoResult::Failed;
}

// Milliseconds left until `deadline` (a GetTickCount64 time), 0 when it has passed.
DWORD Remaining(ULONGLONG deadline) {
  const ULONGLONG now = GetTickCount64();
  return now >= deadline ? 0
                         : static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, INFINITE - 1));
}

}  // namespace

bool QueueGateAdmits(std::size_t message_length) { return message_length <= kMaxQueueMessage; }

uint32_t CurrentSessionNumber() {
  DWORD session = 0;
  if (!ProcessIdToSessionId(GetCurrentProcessId(), &session)) return 0;
  return session;
}

std::wstring QueueName(uint32_t number) { return L"LarkWatch" + std::to_wstring(number); }

std::wstring QueuePipePath(std::wstring_view name) { return L"\\\\.\\pipe\\" + std::wstring(name); }

std::wstring QueueMutexName(std::wstring_view name) { return L"Local\\" + std::wstring(name); }

// One pipe instance and the thread that serves it.
struct QueueServer::Instance {
  UniqueHandle pipe;
  UniqueHandle io_event;  // manual reset, for `io`
  OVERLAPPED io{};
  std::thread thread;
};

// Sends the answer of one request, once, and no longer after the request has been dealt with.
class QueueServer::AnswerChannel {
 public:
  AnswerChannel(HANDLE pipe, OVERLAPPED& io, DWORD timeout_ms)
      : pipe_(pipe), io_(io), timeout_ms_(timeout_ms) {}

  void Send(int32_t answer) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (answered_ || closed_) return;
    answered_ = true;
    const auto value = static_cast<uint32_t>(answer);
    const BYTE bytes[4] = {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8),
                           static_cast<BYTE>(value >> 16), static_cast<BYTE>(value >> 24)};
    ResetEvent(io_.hEvent);
    DWORD written = 0;
    const BOOL started = WriteFile(pipe_, bytes, sizeof(bytes), nullptr, &io_);
    // A client that has gone away is not an error here: its request has been dealt with.
    Complete(started, pipe_, io_, nullptr, timeout_ms_, written);
  }

  // Ends the channel; true when an answer was sent.
  bool Close() {
    std::lock_guard<std::mutex> lock(mutex_);
    closed_ = true;
    return answered_;
  }

 private:
  std::mutex mutex_;
  HANDLE pipe_;
  OVERLAPPED& io_;
  DWORD timeout_ms_;
  bool answered_ = false;
  bool closed_ = false;
};

QueueServer::QueueServer(std::wstring pipe_path, QueueHandler handler, const QueueOptions& options)
    : pipe_path_(std::move(pipe_path)), handler_(std::move(handler)), options_(options) {}

std::unique_ptr<QueueServer> QueueServer::Create(std::wstring_view name, QueueHandler handler,
                                                 const QueueOptions& options) {
  std::unique_ptr<QueueServer> server(
      new QueueServer(QueuePipePath(name), std::move(handler), options));

  // The mutex first: Wine lets a second "first instance" of a pipe be created.
  const HANDLE mutex = CreateMutexW(nullptr, FALSE, QueueMutexName(name).c_str());
  const DWORD mutex_error = GetLastError();
  server->mutex_.Reset(mutex);
  if (!server->mutex_ || mutex_error == ERROR_ALREADY_EXISTS) return nullptr;

  std::optional<PipeSecurity> security = PipeSecurity::ForCurrentUser();
  if (!security) return nullptr;
  server->stop_.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  server->serving_.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!server->stop_ || !server->serving_) return nullptr;

  const int count =
      std::clamp(options.instances, 1, static_cast<int>(PIPE_UNLIMITED_INSTANCES) - 1);
  for (int i = 0; i < count; ++i) {
    auto instance = std::make_unique<Instance>();
    const DWORD open_mode =
        PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | (i == 0 ? FILE_FLAG_FIRST_PIPE_INSTANCE : 0);
    const DWORD pipe_mode =
        PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS;
    instance->pipe.Reset(CreateNamedPipeW(server->pipe_path_.c_str(), open_mode, pipe_mode,
                                          static_cast<DWORD>(count), kOutBufferSize, kInBufferSize,
                                          kDefaultClientWaitMs, security->attributes()));
    instance->io_event.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!instance->pipe || !instance->io_event) {
      // Without the first instance the queue is someone else's; with it, fewer threads serve.
      if (i == 0) return nullptr;
      break;
    }
    instance->io.hEvent = instance->io_event.get();
    server->instances_.push_back(std::move(instance));
  }

  for (auto& instance : server->instances_) {
    Instance* serving = instance.get();
    QueueServer* self = server.get();
    try {
      instance->thread = std::thread([self, serving] { self->Serve(*serving); });
    } catch (const std::system_error&) {
      server->Stop();
      return nullptr;
    }
  }
  return server;
}

QueueServer::~QueueServer() { Stop(); }

void QueueServer::StartServing() {
  serving_started_.store(true);
  if (serving_) SetEvent(serving_.get());
}

void QueueServer::Stop() {
  if (stopped_.exchange(true)) return;
  if (stop_) SetEvent(stop_.get());
  for (auto& instance : instances_) {
    if (instance->thread.joinable()) instance->thread.join();
  }
}

void QueueServer::Serve(Instance& instance) {
  std::vector<uint8_t> buffer(kMaxQueueMessage);
  const HANDLE pipe = instance.pipe.get();
  // The flag spares a call to the system per request; the event wakes what waits.
  while (!stopped_.load()) {
    ResetEvent(instance.io.hEvent);
    bool connected = ConnectNamedPipe(pipe, &instance.io) != FALSE;
    bool failed = false;
    if (!connected) {
      switch (GetLastError()) {
        case ERROR_PIPE_CONNECTED:
          connected = true;
          break;
        case ERROR_NO_DATA:  // the client came and went before it was seen
          break;
        case ERROR_IO_PENDING: {
          DWORD unused = 0;
          const IoResult result = Await(pipe, instance.io, stop_.get(), INFINITE, unused);
          if (result == IoResult::Stopped) return;
          connected = result == IoResult::Done;
          failed = !connected;
          break;
        }
        default:
          failed = true;
          break;
      }
    }
    if (connected) ServeClient(instance, buffer);
    DisconnectNamedPipe(pipe);
    if (failed && WaitForSingleObject(stop_.get(), kRetryDelayMs) == WAIT_OBJECT_0) return;
  }
}

void QueueServer::ServeClient(Instance& instance, std::vector<uint8_t>& buffer) {
  const HANDLE pipe = instance.pipe.get();
  OVERLAPPED& io = instance.io;
  // One request after another, until the client closes its end (the usual case: it has read
  // its answer), stays silent too long, or breaks the rules.
  for (;;) {
    const ULONGLONG deadline = GetTickCount64() + options_.message_timeout_ms;
    ResetEvent(io.hEvent);
    DWORD got = 0;
    BOOL started = ReadFile(pipe, buffer.data(), static_cast<DWORD>(buffer.size()), nullptr, &io);
    IoResult result = Complete(started, pipe, io, stop_.get(), Remaining(deadline), got);
    std::size_t length = got;
    // A longer message is read to its end in pieces and thrown away; only its length counts.
    while (result == IoResult::MoreData) {
      ResetEvent(io.hEvent);
      started = ReadFile(pipe, buffer.data(), static_cast<DWORD>(buffer.size()), nullptr, &io);
      result = Complete(started, pipe, io, stop_.get(), Remaining(deadline), got);
      length += got;
    }
    if (result != IoResult::Done) return;

    // Held until the program is ready to decide (once it is, without asking the system).
    if (!serving_started_.load()) {
      const HANDLE waits[2] = {stop_.get(), serving_.get()};
      if (WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0 + 1) return;
    }
    if (stopped_.load()) return;

    auto channel = std::make_shared<AnswerChannel>(pipe, io, options_.answer_timeout_ms);
    const DialIntake::AnswerSink sink = [channel](int32_t answer) { channel->Send(answer); };
    if (!QueueGateAdmits(length)) {
      sink(0);
    } else {
      try {
        handler_(std::span<const uint8_t>(buffer.data(), length), sink);
      } catch (...) {
        // The handler's failure is this request's alone; the client, if not yet answered,
        // sees the pipe break.
      }
    }
    // Without an answer the client must not wait on: it sees the pipe break.
    if (!channel->Close()) return;
  }
}

}  // namespace lw
