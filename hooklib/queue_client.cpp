#include "queue_client.h"

#include <windows.h>

#include <cwchar>

namespace lw::hook {

namespace {

// How long one wait for a free instance lasts before the queue is looked at again.
constexpr DWORD kBusyWaitMs = 2000;
// A pause after a wait that failed at once, so that an odd failure cannot make a busy loop.
constexpr DWORD kRetryPauseMs = 50;

// "\\.\pipe\LarkWatch%u", numbered by the session of this process like the program's queue.
void QueueName(wchar_t (&name)[64]) {
  DWORD session = 0;
  ProcessIdToSessionId(GetCurrentProcessId(), &session);
  std::swprintf(name, 64, L"\\\\.\\pipe\\LarkWatch%lu", static_cast<unsigned long>(session));
}

Answer Exchange(HANDLE pipe, std::span<const uint8_t> request) {
  DWORD mode = PIPE_READMODE_MESSAGE;
  SetNamedPipeHandleState(pipe, &mode, nullptr, nullptr);
  uint8_t answer[4] = {};
  DWORD read = 0;
  const BOOL done =
      TransactNamedPipe(pipe, const_cast<uint8_t*>(request.data()),
                        static_cast<DWORD>(request.size()), answer, sizeof answer, &read, nullptr);
  // A longer answer than ours still starts with the four bytes that count.
  const bool answered = (done || GetLastError() == ERROR_MORE_DATA) && read >= sizeof answer;
  CloseHandle(pipe);
  if (!answered) return Answer::Refuse;
  const uint32_t value = uint32_t{answer[0]} | uint32_t{answer[1]} << 8 |
                         uint32_t{answer[2]} << 16 | uint32_t{answer[3]} << 24;
  return value == 1 ? Answer::Allow : Answer::Refuse;
}

}  // namespace

Answer AskProgram(std::span<const uint8_t> request) {
  wchar_t name[64];
  QueueName(name);
  for (;;) {
    // Identification level only: the program has no business acting as this process.
    HANDLE pipe = CreateFileW(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION, nullptr);
    if (pipe != INVALID_HANDLE_VALUE) return Exchange(pipe, request);
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return Answer::NoProgram;
    // A queue that exists but will not take us (another user's program, say) guards the line
    // all the same: the call does not go ahead unasked.
    if (error != ERROR_PIPE_BUSY) return Answer::Refuse;
    // Every instance is serving another request; one of them may be waiting for the user.
    // Whether the wait ends by a free instance, a time-out or the queue going away, the next
    // CreateFileW tells.
    const DWORD started = GetTickCount();
    if (!WaitNamedPipeW(name, kBusyWaitMs) && GetLastError() != ERROR_SEM_TIMEOUT &&
        GetTickCount() - started < kRetryPauseMs) {
      Sleep(kRetryPauseMs);
    }
  }
}

}  // namespace lw::hook
