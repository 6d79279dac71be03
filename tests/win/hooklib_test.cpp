// The hook library seen from outside: dialer.exe (and lw_late_loader.exe) from the test's own
// folder dial through rasapi32 with larkwatch.dll installed, and a queue inside the test
// records what they send and answers from a script.
//
// The queue has the program's name, so every test that serves it or needs it absent first
// owns the program's single-instance mutex, as the program does: tests running side by side
// take turns instead of answering each other's requests.

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <chrono>
#include <cwchar>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "common/win/wide.h"
#include "hooking/dial_request.h"
#include "support/program_run.h"

namespace lw {
namespace {

using test::BinFolder;
using test::ProgramRun;
using test::RunProgram;

constexpr DWORD kRefused = 631;  // ERROR_USER_DISCONNECTION
constexpr DWORD kProcessTimeoutMs = 60000;

std::string AnsiPath(const std::wstring& path) { return NarrowTo(CP_ACP, path); }

std::wstring SessionName(const wchar_t* format) {
  DWORD session = 0;
  ProcessIdToSessionId(GetCurrentProcessId(), &session);
  wchar_t name[64];
  std::swprintf(name, 64, format, static_cast<unsigned long>(session));
  return name;
}

// The program's single-instance mutex, owned for the life of the object.
class QueueOwnership {
 public:
  QueueOwnership()
      : mutex_(CreateMutexW(nullptr, FALSE, SessionName(L"Local\\LarkWatch%lu").c_str())) {
    // The other tests hold it for a few seconds at most; a program left running holds it for
    // good, and the test then fails at once instead of waiting with the rest.
    const DWORD waited = WaitForSingleObject(mutex_, 30000);
    owned_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
  }
  ~QueueOwnership() {
    if (owned_) ReleaseMutex(mutex_);
    CloseHandle(mutex_);
  }
  QueueOwnership(const QueueOwnership&) = delete;
  QueueOwnership& operator=(const QueueOwnership&) = delete;
  bool owned() const { return owned_; }

 private:
  HANDLE mutex_;
  bool owned_ = false;
};

// The programs that these tests start; a global hook may bring the library into others.
bool IsOurProgram(const std::string& application) {
  return application == AnsiPath(BinFolder() + L"dialer.exe") ||
         application == AnsiPath(BinFolder() + L"lw_late_loader.exe");
}

enum class Reply {
  Allow,   // answers 1
  Refuse,  // answers 0
  Close,   // closes the connection without an answer
  Short,   // answers two bytes only
};

// The program's queue as the hook library sees it: message mode, several instances, one
// request and one answer per connection. Requests of programs other than ours are allowed and
// not recorded.
class FakeQueue {
 public:
  explicit FakeQueue(std::vector<Reply> script, int instances = 4)
      : script_(std::move(script)), stop_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    for (int i = 0; i < instances; ++i) {
      threads_.emplace_back([this, ready, instances] { Serve(ready, instances); });
    }
    // Every instance exists before the first client looks for the queue.
    WaitForSingleObject(ready, 10000);
    CloseHandle(ready);
  }
  ~FakeQueue() {
    SetEvent(stop_);
    for (auto& thread : threads_) thread.join();
    CloseHandle(stop_);
  }
  FakeQueue(const FakeQueue&) = delete;
  FakeQueue& operator=(const FakeQueue&) = delete;

  bool ready() const { return ownership_.owned() && created_ >= 1; }

  std::vector<DialRequest> Requests() {
    std::lock_guard<std::mutex> lock(lock_);
    return requests_;
  }

 private:
  HANDLE NewInstance() {
    return CreateNamedPipeW(SessionName(L"\\\\.\\pipe\\LarkWatch%lu").c_str(),
                            PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                            PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT,
                            PIPE_UNLIMITED_INSTANCES, 4096, 65536, 0, nullptr);
  }

  // Waits for an overlapped operation; false when the queue is stopped or the operation failed.
  bool Finish(HANDLE pipe, OVERLAPPED& overlapped, BOOL started, DWORD& bytes, DWORD& error) {
    error = started ? 0 : GetLastError();
    if (!started && error != ERROR_IO_PENDING) return false;
    HANDLE events[] = {overlapped.hEvent, stop_};
    if (WaitForMultipleObjects(2, events, FALSE, INFINITE) != WAIT_OBJECT_0) {
      CancelIo(pipe);
      GetOverlappedResult(pipe, &overlapped, &bytes, TRUE);
      error = ERROR_OPERATION_ABORTED;
      return false;
    }
    if (GetOverlappedResult(pipe, &overlapped, &bytes, FALSE)) {
      error = 0;
      return true;
    }
    error = GetLastError();
    return false;
  }

  bool Connect(HANDLE pipe, OVERLAPPED& overlapped) {
    DWORD bytes, error;
    if (ConnectNamedPipe(pipe, &overlapped)) return true;
    if (GetLastError() == ERROR_PIPE_CONNECTED) return true;
    return Finish(pipe, overlapped, FALSE, bytes, error);
  }

  bool ReadMessage(HANDLE pipe, OVERLAPPED& overlapped, std::vector<uint8_t>& message) {
    uint8_t buffer[65536];
    for (;;) {
      DWORD bytes = 0, error = 0;
      const BOOL started = ReadFile(pipe, buffer, sizeof buffer, nullptr, &overlapped);
      const bool done = Finish(pipe, overlapped, started, bytes, error);
      message.insert(message.end(), buffer, buffer + bytes);
      if (done) return true;
      if (error != ERROR_MORE_DATA) return false;
    }
  }

  void Write(HANDLE pipe, OVERLAPPED& overlapped, const void* data, DWORD size) {
    DWORD bytes, error;
    Finish(pipe, overlapped, WriteFile(pipe, data, size, nullptr, &overlapped), bytes, error);
  }

  // Waits until the client has read the answer and closed its end.
  void AwaitClose(HANDLE pipe, OVERLAPPED& overlapped) {
    uint8_t byte;
    DWORD bytes, error;
    while (Finish(pipe, overlapped, ReadFile(pipe, &byte, 1, nullptr, &overlapped), bytes, error)) {
    }
  }

  Reply Next(const std::vector<uint8_t>& message) {
    std::lock_guard<std::mutex> lock(lock_);
    std::optional<DialRequest> request = ParseDialRequest(message);
    std::string application;
    if (request) {
      application = request->Type == RequestType::HangUp ? request->HangUpApplication
                                                         : request->Dial.Application;
    }
    if (!request || !IsOurProgram(application)) return Reply::Allow;
    requests_.push_back(*request);
    return next_ < script_.size() ? script_[next_++] : Reply::Allow;
  }

  void Serve(HANDLE ready, int instances) {
    OVERLAPPED overlapped = {};
    overlapped.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE pipe = NewInstance();
    if (++created_ == instances) SetEvent(ready);
    while (pipe != INVALID_HANDLE_VALUE && Connect(pipe, overlapped)) {
      std::vector<uint8_t> message;
      const bool read = ReadMessage(pipe, overlapped, message);
      // The next instance exists before this one goes, so the queue never vanishes between
      // two requests.
      HANDLE next = NewInstance();
      if (read) {
        const Reply reply = Next(message);
        const uint8_t allow[4] = {1, 0, 0, 0}, refuse[4] = {0, 0, 0, 0};
        if (reply == Reply::Allow) Write(pipe, overlapped, allow, 4);
        if (reply == Reply::Refuse) Write(pipe, overlapped, refuse, 4);
        if (reply == Reply::Short) Write(pipe, overlapped, allow, 2);
        if (reply != Reply::Close) AwaitClose(pipe, overlapped);
      }
      DisconnectNamedPipe(pipe);
      CloseHandle(pipe);
      pipe = next;
      if (WaitForSingleObject(stop_, 0) == WAIT_OBJECT_0) break;
    }
    if (pipe != INVALID_HANDLE_VALUE) CloseHandle(pipe);
    CloseHandle(overlapped.hEvent);
  }

  QueueOwnership ownership_;
  std::vector<Reply> script_;
  std::size_t next_ = 0;
  HANDLE stop_;
  std::atomic<int> created_{0};
  std::mutex lock_;
  std::vector<DialRequest> requests_;
  std::vector<std::thread> threads_;
};

ProgramRun Dialer(const std::wstring& arguments) {
  return RunProgram(L"dialer.exe", arguments, kProcessTimeoutMs);
}

// The code of the first line, e.g. 631 of "RasDialA=631 handle=0x0 text=...".
long Code(const std::string& output, const std::string& function) {
  const std::size_t at = output.find(function + "=");
  if (at == std::string::npos) return -1;
  return std::strtol(output.c_str() + at + function.size() + 1, nullptr, 10);
}

int Lines(const std::string& output, const std::string& prefix) {
  int count = 0;
  for (std::size_t at = output.find(prefix); at != std::string::npos;
       at = output.find(prefix, at + 1)) {
    ++count;
  }
  return count;
}

// What the system's dial-up service returns for a call that nobody intercepts.
long SystemResult(const std::wstring& arguments, const std::string& function) {
  const ProgramRun run = Dialer(arguments);
  EXPECT_TRUE(run.finished);
  return Code(run.output, function);
}

const std::string& DialerPath() {
  static const std::string path = AnsiPath(BinFolder() + L"dialer.exe");
  return path;
}

class HookLibrary : public testing::Test {
 protected:
  void SetUp() override {
    for (const wchar_t* file : {L"dialer.exe", L"larkwatch.dll", L"lw_late_loader.exe"}) {
      ASSERT_NE(GetFileAttributesW((BinFolder() + file).c_str()), INVALID_FILE_ATTRIBUTES)
          << Narrow(file) << " must lie beside the test program";
    }
  }
};

TEST_F(HookLibrary, AllowedDialIsReportedWithItsFieldsAndReachesTheSystem) {
  const long system = SystemResult(L"dial --number 0202122", "RasDialA");
  FakeQueue queue({Reply::Allow});
  ASSERT_TRUE(queue.ready());
  const ProgramRun run =
      Dialer(L"--hook dial --entry Dom --phonebook \"C:\\Książka\\lw.pbk\" --number 0202122");
  ASSERT_TRUE(run.finished) << run.output;
  EXPECT_EQ(Code(run.output, "RasDialA"), system) << run.output;

  const std::vector<DialRequest> requests = queue.Requests();
  ASSERT_EQ(requests.size(), 1u) << run.output;
  EXPECT_EQ(requests[0].Type, RequestType::Dial);
  EXPECT_EQ(requests[0].Dial.LocalNumber, "0202122");
  EXPECT_EQ(requests[0].Dial.EntryName, "Dom");
  EXPECT_EQ(requests[0].Dial.Phonebook, AnsiPath(L"C:\\Książka\\lw.pbk"));
  EXPECT_EQ(requests[0].Dial.Application, DialerPath());
}

TEST_F(HookLibrary, DialOfANumberAloneNamesNoEntryNorPhonebook) {
  FakeQueue queue({Reply::Allow});
  ASSERT_TRUE(queue.ready());
  const ProgramRun run = Dialer(L"--hook dial --number 0700123456");
  ASSERT_TRUE(run.finished) << run.output;
  const std::vector<DialRequest> requests = queue.Requests();
  ASSERT_EQ(requests.size(), 1u) << run.output;
  EXPECT_EQ(requests[0].Dial.CountryCode, 0);
  EXPECT_EQ(requests[0].Dial.AreaCode, "");
  EXPECT_EQ(requests[0].Dial.LocalNumber, "0700123456");
  EXPECT_EQ(requests[0].Dial.EntryName, "");
  EXPECT_EQ(requests[0].Dial.Phonebook, "");
  EXPECT_EQ(requests[0].Dial.Application, DialerPath());
}

TEST_F(HookLibrary, RefusedDialReturnsUserDisconnection) {
  FakeQueue queue({Reply::Refuse});
  ASSERT_TRUE(queue.ready());
  const ProgramRun run = Dialer(L"--hook dial --entry Dom --number 0700123456");
  ASSERT_TRUE(run.finished) << run.output;
  EXPECT_EQ(Code(run.output, "RasDialA"), static_cast<long>(kRefused)) << run.output;
  EXPECT_EQ(run.exit_code, 255u);
  EXPECT_EQ(queue.Requests().size(), 1u);
}

TEST_F(HookLibrary, RefusedDialDoesNotCallTheNotifier) {
  FakeQueue queue({Reply::Refuse});
  ASSERT_TRUE(queue.ready());
  const ProgramRun run = Dialer(L"--hook dial --entry Dom --notify");
  ASSERT_TRUE(run.finished) << run.output;
  EXPECT_EQ(Code(run.output, "RasDialA"), static_cast<long>(kRefused)) << run.output;
  EXPECT_NE(run.output.find(" notified=0 "), std::string::npos) << run.output;
}

TEST_F(HookLibrary, WithoutTheProgramTheDialGoesThroughAtOnce) {
  const long system = SystemResult(L"dial --number 0202122", "RasDialA");
  QueueOwnership no_queue;
  ASSERT_TRUE(no_queue.owned());
  const ProgramRun run = Dialer(L"--hook dial --number 0202122");
  ASSERT_TRUE(run.finished) << run.output;
  EXPECT_EQ(Code(run.output, "RasDialA"), system) << run.output;
  EXPECT_LT(run.seconds, 10.0);
}

TEST_F(HookLibrary, QueueClosingWithoutAnAnswerRefuses) {
  FakeQueue queue({Reply::Close});
  ASSERT_TRUE(queue.ready());
  const ProgramRun run = Dialer(L"--hook dial --number 0202122");
  ASSERT_TRUE(run.finished) << run.output;
  EXPECT_EQ(Code(run.output, "RasDialA"), static_cast<long>(kRefused)) << run.output;
  EXPECT_EQ(queue.Requests().size(), 1u);
}

TEST_F(HookLibrary, ShortAnswerRefuses) {
  FakeQueue queue({Reply::Short});
  ASSERT_TRUE(queue.ready());
  const ProgramRun run = Dialer(L"--hook dial --number 0202122");
  ASSERT_TRUE(run.finished) << run.output;
  EXPECT_EQ(Code(run.output, "RasDialA"), static_cast<long>(kRefused)) << run.output;
}

TEST_F(HookLibrary, GetProcAddressRouteIsInterceptedToo) {
  FakeQueue queue({Reply::Refuse, Reply::Refuse});
  ASSERT_TRUE(queue.ready());
  ProgramRun run = Dialer(L"--hook --getproc dial --number 0202122");
  ASSERT_TRUE(run.finished) << run.output;
  EXPECT_EQ(Code(run.output, "RasDialA"), static_cast<long>(kRefused)) << run.output;
  run = Dialer(L"--hook --getproc hangup --handle 0x42");
  ASSERT_TRUE(run.finished) << run.output;
  EXPECT_EQ(Code(run.output, "RasHangUpA"), static_cast<long>(kRefused)) << run.output;
  EXPECT_EQ(queue.Requests().size(), 2u);
}

TEST_F(HookLibrary, HangUpSendsTheHangUpLayout) {
  const long system = SystemResult(L"hangup --handle 0x1234", "RasHangUpA");
  FakeQueue queue({Reply::Refuse, Reply::Allow});
  ASSERT_TRUE(queue.ready());
  ProgramRun run = Dialer(L"--hook hangup --handle 0x1234");
  ASSERT_TRUE(run.finished) << run.output;
  EXPECT_EQ(Code(run.output, "RasHangUpA"), static_cast<long>(kRefused)) << run.output;
  run = Dialer(L"--hook hangup --handle 0x1234");
  ASSERT_TRUE(run.finished) << run.output;
  EXPECT_EQ(Code(run.output, "RasHangUpA"), system) << run.output;

  const std::vector<DialRequest> requests = queue.Requests();
  ASSERT_EQ(requests.size(), 2u);
  for (const DialRequest& request : requests) {
    EXPECT_EQ(request.Type, RequestType::HangUp);
    EXPECT_EQ(request.HangUpApplication, DialerPath());
    EXPECT_EQ(request.HangUpWord, 0x1234u);
  }
}

TEST_F(HookLibrary, WideCallsAreReportedInTheAnsiCodePage) {
  FakeQueue queue({Reply::Refuse, Reply::Refuse});
  ASSERT_TRUE(queue.ready());
  ProgramRun run = Dialer(L"--hook --wide dial --entry Połączenie --number 0202122");
  ASSERT_TRUE(run.finished) << run.output;
  EXPECT_EQ(Code(run.output, "RasDialW"), static_cast<long>(kRefused)) << run.output;
  run = Dialer(L"--hook --wide hangup --handle 7");
  ASSERT_TRUE(run.finished) << run.output;
  EXPECT_EQ(Code(run.output, "RasHangUpW"), static_cast<long>(kRefused)) << run.output;

  const std::vector<DialRequest> requests = queue.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].Type, RequestType::Dial);
  EXPECT_EQ(requests[0].Dial.EntryName, AnsiPath(L"Połączenie"));
  EXPECT_EQ(requests[0].Dial.LocalNumber, "0202122");
  EXPECT_EQ(requests[0].Dial.Application, DialerPath());
  EXPECT_EQ(requests[1].Type, RequestType::HangUp);
  EXPECT_EQ(requests[1].HangUpApplication, DialerPath());
}

TEST_F(HookLibrary, ConcurrentDialsWaitForABusyQueueAndEachGetsItsAnswer) {
  // One instance for three callers: two of them find it busy and wait for it.
  FakeQueue queue({Reply::Refuse, Reply::Refuse, Reply::Refuse}, 1);
  ASSERT_TRUE(queue.ready());
  const ProgramRun run = Dialer(L"--hook --threads 3 dial --number 0202122");
  ASSERT_TRUE(run.finished) << run.output;
  EXPECT_EQ(Lines(run.output, "RasDialA=631 "), 3) << run.output;
  EXPECT_EQ(queue.Requests().size(), 3u);
}

TEST_F(HookLibrary, RasapiLoadedLaterIsInterceptedThroughItsExportTable) {
  FakeQueue queue({Reply::Refuse});
  ASSERT_TRUE(queue.ready());
  const ProgramRun run = RunProgram(L"lw_late_loader.exe", L"0202122", kProcessTimeoutMs);
  ASSERT_TRUE(run.finished) << run.output;
  EXPECT_EQ(Code(run.output, "RasDialA"), static_cast<long>(kRefused)) << run.output;
  const std::vector<DialRequest> requests = queue.Requests();
  ASSERT_EQ(requests.size(), 1u) << run.output;
  EXPECT_EQ(requests[0].Dial.LocalNumber, "0202122");
  EXPECT_EQ(requests[0].Dial.Application, AnsiPath(BinFolder() + L"lw_late_loader.exe"));
}

TEST_F(HookLibrary, GlobalMessageHookInstallsTheInterceptionInAProgramThatPumps) {
  HMODULE library = LoadLibraryW((BinFolder() + L"larkwatch.dll").c_str());
  ASSERT_NE(library, nullptr);
  auto procedure = reinterpret_cast<HOOKPROC>(
      reinterpret_cast<void*>(GetProcAddress(library, "LarkWatchHookProc")));
  ASSERT_NE(procedure, nullptr);
  FakeQueue queue({Reply::Refuse});
  ASSERT_TRUE(queue.ready());
  HHOOK hook = SetWindowsHookExW(WH_GETMESSAGE, procedure, library, 0);
  ASSERT_NE(hook, nullptr) << GetLastError();
  const ProgramRun run = Dialer(L"--pump dial --number 0202122");
  UnhookWindowsHookEx(hook);
  FreeLibrary(library);
  ASSERT_TRUE(run.finished) << run.output;
  EXPECT_EQ(Code(run.output, "RasDialA"), static_cast<long>(kRefused)) << run.output;
  EXPECT_EQ(queue.Requests().size(), 1u);
}

}  // namespace
}  // namespace lw
