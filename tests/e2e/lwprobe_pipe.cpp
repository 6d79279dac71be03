#include "lwprobe_pipe.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "hooking/dial_request.h"

namespace lw::e2e {

namespace {

constexpr DWORD kBuffer = 4096;
constexpr int32_t kQuitAnswer = 2;

std::atomic<bool> g_quit{false};
HANDLE g_quit_event = nullptr;  // set when "quit" came

// Reads one whole message; false when the client went away first.
bool ReadMessage(HANDLE pipe, std::vector<uint8_t>& message) {
  message.clear();
  uint8_t buffer[kBuffer];
  for (;;) {
    DWORD got = 0;
    const BOOL ok = ReadFile(pipe, buffer, kBuffer, &got, nullptr);
    message.insert(message.end(), buffer, buffer + got);
    if (ok) return true;
    if (GetLastError() != ERROR_MORE_DATA) return false;
  }
}

// 1 for a message the request layout accepts, 0 for any other; 2 for "quit".
int32_t AnswerOf(const std::vector<uint8_t>& message) {
  if (message == std::vector<uint8_t>{'q', 'u', 'i', 't'}) return kQuitAnswer;
  return ParseDialRequest(message) ? 1 : 0;
}

void Serve(const std::wstring& path, int instances) {
  while (!g_quit) {
    HANDLE pipe = CreateNamedPipeW(path.c_str(), PIPE_ACCESS_DUPLEX,
                                   PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT,
                                   static_cast<DWORD>(instances), kBuffer, kBuffer, 0, nullptr);
    if (pipe == INVALID_HANDLE_VALUE) return;
    const BOOL connected =
        ConnectNamedPipe(pipe, nullptr) || GetLastError() == ERROR_PIPE_CONNECTED;
    std::vector<uint8_t> message;
    if (connected && ReadMessage(pipe, message)) {
      const int32_t answer = AnswerOf(message);
      DWORD written = 0;
      WriteFile(pipe, &answer, sizeof answer, &written, nullptr);
      if (answer == kQuitAnswer) {
        g_quit = true;
        SetEvent(g_quit_event);
      }
      // The client reads the answer and closes its end; the read fails then.
      ReadMessage(pipe, message);
    }
    DisconnectNamedPipe(pipe);
    CloseHandle(pipe);
  }
}

}  // namespace

int RunProbePipe(const wchar_t* name, int instances) {
  const std::wstring path = L"\\\\.\\pipe\\" + std::wstring(name);
  g_quit_event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (!g_quit_event) return 3;
  std::vector<std::thread> threads;
  for (int i = 0; i < instances; ++i) threads.emplace_back(Serve, path, instances);
  std::fputs("ready\n", stdout);
  std::fflush(stdout);
  WaitForSingleObject(g_quit_event, INFINITE);
  // The other threads wait for clients that never come: the process ends under them.
  std::fputs("quit\n", stdout);
  std::fflush(stdout);
  ExitProcess(0);
}

}  // namespace lw::e2e
