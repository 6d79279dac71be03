// The commands that talk to the program's request queue.

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <latch>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "common/win/wide.h"
#include "driver_commands.h"
#include "driver_common.h"
#include "driver_pipe.h"
#include "hooking/dial_request.h"

namespace lw::e2e {

namespace {

// The queue's path: --name NAME, or the program's queue of this session.
std::wstring QueuePath(const Args& args) {
  std::optional<std::wstring> name = args.Value(L"--name");
  return PipePath(name ? *name : DefaultQueueName());
}

void ReportUnreachable(const std::wstring& path, const PipeAnswer& answer) {
  if (answer.kind == PipeAnswer::Kind::NoServer) {
    PrintError("nobody serves " + Utf8(path));
  } else if (answer.kind == PipeAnswer::Kind::NoAnswer) {
    PrintError("no answer from " + Utf8(path) + " (error " + std::to_string(answer.error) + ")");
  }
}

// This program's path as the hook library would report it for a process: ANSI bytes.
std::string OwnPath() {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  return std::string(path, length);
}

// The dial of the parallel and short commands: --type, --country, --area, --number, --entry,
// --phonebook, --app; a number of the test range and this program by default.
std::optional<DialFields> DialOf(const Args& args, RequestType& type) {
  const std::optional<uint64_t> type_number = args.Number(L"--type", 1);
  const std::optional<uint64_t> country = args.Number(L"--country", 48);
  if (!type_number || !country) return std::nullopt;
  if (*type_number != 1 && *type_number != 2) {
    PrintError("--type takes 1 or 2");
    return std::nullopt;
  }
  type = static_cast<RequestType>(*type_number);
  const auto ansi = [&](std::wstring_view name, std::string fallback) {
    std::optional<std::wstring> value = args.Value(name);
    return value ? NarrowTo(CP_ACP, *value) : fallback;
  };
  DialFields fields;
  fields.CountryCode = static_cast<int32_t>(*country);
  fields.AreaCode = ansi(L"--area", "22");
  fields.LocalNumber = ansi(L"--number", "5550100");
  fields.EntryName = ansi(L"--entry", "lwdriver");
  fields.Phonebook = ansi(L"--phonebook", "");
  fields.Application = ansi(L"--app", OwnPath());
  return fields;
}

// A bare echo of the queue's protocol on a pipe of its own: one message in, the 4-byte answer 1
// out, the connection ended once the client has closed its side, as the program's queue does.
void ServeEcho(HANDLE pipe, std::atomic<bool>& stop) {
  std::vector<uint8_t> buffer(64 * 1024);
  while (!stop.load()) {
    if (!ConnectNamedPipe(pipe, nullptr) && GetLastError() != ERROR_PIPE_CONNECTED) break;
    DWORD read = 0;
    if (ReadFile(pipe, buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr)) {
      const uint8_t answer[4] = {1, 0, 0, 0};
      DWORD written = 0;
      WriteFile(pipe, answer, 4, &written, nullptr);
      ReadFile(pipe, buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr);
    }
    DisconnectNamedPipe(pipe);
  }
}

// The median of the round trips of `count` exchanges, in microseconds.
double MedianRoundTrip(const std::wstring& path, const std::vector<uint8_t>& message,
                       uint64_t count, DWORD timeout_ms, DWORD gap_ms, bool& all_answered) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  std::vector<double> times;
  for (uint64_t i = 0; i < count; ++i) {
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    const PipeAnswer answer = SendOneMessage(path, message, timeout_ms);
    QueryPerformanceCounter(&end);
    if (answer.kind != PipeAnswer::Kind::Answered) all_answered = false;
    times.push_back(1e6 * static_cast<double>(end.QuadPart - start.QuadPart) /
                    static_cast<double>(frequency.QuadPart));
    // One dial at a time, as dialers dial: the program's work after each answer (its notice,
    // its log) is done before the next one comes.
    if (gap_ms) Sleep(gap_ms);
  }
  std::sort(times.begin(), times.end());
  return times.empty() ? 0 : times[times.size() / 2];
}

}  // namespace

int PipeSendCommand(int argc, wchar_t** argv, int first) {
  std::optional<Args> args = ParseArgs(argc, argv, first, {L"--name", L"--timeout"}, {});
  if (!args || args->positional.size() != 1) {
    PrintError("usage: lwdriver.exe pipe-send [--name NAME] [--timeout MS] FILE");
    return kExitUsage;
  }
  const std::optional<uint64_t> timeout = args->Number(L"--timeout", kDefaultTimeoutMs);
  if (!timeout) return kExitUsage;
  const std::wstring file = WindowsPath(args->positional[0]);
  std::ifstream in(std::filesystem::path(file), std::ios::binary);
  if (!in) {
    PrintError("cannot read " + Utf8(file));
    return kExitFailed;
  }
  const std::vector<uint8_t> message((std::istreambuf_iterator<char>(in)),
                                     std::istreambuf_iterator<char>());
  const std::wstring path = QueuePath(*args);
  const PipeAnswer answer = SendOneMessage(path, message, static_cast<DWORD>(*timeout));
  PrintLine(AnswerText(answer));
  ReportUnreachable(path, answer);
  return answer.kind == PipeAnswer::Kind::Answered ? kExitOk : kExitNotFound;
}

int PipeFloodCommand(int argc, wchar_t** argv, int first) {
  std::optional<Args> args = ParseArgs(argc, argv, first, {L"--name", L"--timeout"}, {});
  if (!args || args->positional.size() != 2) {
    PrintError("usage: lwdriver.exe pipe-flood N SEED [--name NAME] [--timeout MS]");
    return kExitUsage;
  }
  const std::optional<uint64_t> count = ParseNumber(args->positional[0]);
  const std::optional<uint64_t> seed = ParseNumber(args->positional[1]);
  const std::optional<uint64_t> timeout = args->Number(L"--timeout", kDefaultTimeoutMs);
  if (!count || !seed || !timeout) {
    PrintError("N and SEED are numbers");
    return kExitUsage;
  }
  const std::wstring path = QueuePath(*args);
  // The engine's raw output (not a distribution, whose results the standard leaves open), so
  // a seed gives the same messages with every compiler.
  std::mt19937 random(static_cast<std::mt19937::result_type>(*seed));
  Tally tally;
  int typed = 0;  // messages whose first two bytes name a request type
  for (uint64_t i = 0; i < *count; ++i) {
    std::vector<uint8_t> message(random() % 2001);
    for (uint8_t& byte : message) byte = static_cast<uint8_t>(random() & 0xFF);
    if (message.size() >= 2 && message[1] == 0 && message[0] >= 1 && message[0] <= 3) ++typed;
    tally.Add(SendOneMessage(path, message, static_cast<DWORD>(*timeout)));
  }
  PrintLine("messages=" + std::to_string(*count) + " seed=" + std::to_string(*seed) +
            " typed=" + std::to_string(typed));
  PrintLine(tally.Line());
  return tally.no_answer() == 0 ? kExitOk : kExitNotFound;
}

int PipeShortCommand(int argc, wchar_t** argv, int first) {
  std::optional<Args> args = ParseArgs(argc, argv, first, {L"--name", L"--timeout"}, {});
  if (!args || !args->positional.empty()) {
    PrintError("usage: lwdriver.exe pipe-short [--name NAME] [--timeout MS]");
    return kExitUsage;
  }
  const std::optional<uint64_t> timeout = args->Number(L"--timeout", kDefaultTimeoutMs);
  if (!timeout) return kExitUsage;
  const std::wstring path = QueuePath(*args);

  struct Case {
    std::string name;
    std::vector<uint8_t> bytes;
  };
  std::vector<Case> cases;
  DialFields dial;
  dial.CountryCode = 48;
  dial.AreaCode = "22";
  dial.LocalNumber = "5550100";
  dial.EntryName = "lwdriver";
  dial.Application = "C:\\lwtest\\short.exe";
  // Every cut of a dial (both types) and of a hang-up shorter than its fixed part.
  for (RequestType type : {RequestType::Dial, RequestType::DialOther}) {
    const std::vector<uint8_t> whole = BuildDialMessage(type, dial);
    const std::string name = type == RequestType::Dial ? "type1-short" : "type2-short";
    for (std::size_t length = 0; length < request_layout::kDialApplication; ++length) {
      cases.push_back({name, std::vector<uint8_t>(whole.begin(), whole.begin() + length)});
    }
  }
  const std::vector<uint8_t> hang_up = BuildHangUpMessage(dial.Application);
  for (std::size_t length = 0; length < request_layout::kHangUpApplication; ++length) {
    cases.push_back(
        {"type3-short", std::vector<uint8_t>(hang_up.begin(), hang_up.begin() + length)});
  }
  // A whole dial of a type that does not exist.
  for (uint16_t type : {0, 4, 5, 255, 256, 257, 0x7FFF, 0xFFFF}) {
    std::vector<uint8_t> bytes = BuildDialMessage(RequestType::Dial, dial);
    bytes[0] = static_cast<uint8_t>(type);
    bytes[1] = static_cast<uint8_t>(type >> 8);
    cases.push_back({"unknown-type-" + std::to_string(type), bytes});
  }
  // Fields filled to their capacity without a NUL, and paths that end without one.
  const auto unterminated = [&](RequestType type, std::string_view application) {
    std::vector<uint8_t> bytes(request_layout::kDialApplication, 0);
    bytes[0] = static_cast<uint8_t>(type);
    bytes[4] = 48;
    const auto fill = [&](std::size_t offset, std::size_t size, char c) {
      for (std::size_t i = 0; i < size; ++i) bytes[offset + i] = static_cast<uint8_t>(c);
    };
    fill(request_layout::kAreaCode, request_layout::kAreaCodeSize, '7');
    fill(request_layout::kLocalNumber, request_layout::kLocalNumberSize, '9');
    fill(request_layout::kEntryName, request_layout::kEntryNameSize, 'E');
    fill(request_layout::kPhonebook, request_layout::kPhonebookSize, 'P');
    bytes.insert(bytes.end(), application.begin(), application.end());
    return bytes;
  };
  cases.push_back({"type1-no-nul", unterminated(RequestType::Dial, "")});
  cases.push_back({"type1-no-nul-path", unterminated(RequestType::Dial, "C:\\lwtest\\nonul.exe")});
  cases.push_back({"type2-no-nul", unterminated(RequestType::DialOther, "")});
  std::vector<uint8_t> hang_up_open(hang_up.begin(), hang_up.end() - 1);  // no final NUL
  cases.push_back({"type3-no-nul-path", hang_up_open});
  cases.push_back(
      {"type3-header-only", std::vector<uint8_t>(hang_up.begin(), hang_up.begin() + 8)});

  Tally tally;
  for (const Case& c : cases) {
    const PipeAnswer answer = SendOneMessage(path, c.bytes, static_cast<DWORD>(*timeout));
    tally.Add(answer);
    PrintLine("case=" + c.name + " len=" + std::to_string(c.bytes.size()) +
              " answer=" + AnswerText(answer));
  }
  PrintLine(tally.Line());
  return tally.no_answer() == 0 ? kExitOk : kExitNotFound;
}

int PipeParallelCommand(int argc, wchar_t** argv, int first) {
  std::optional<Args> args = ParseArgs(argc, argv, first,
                                       {L"--name", L"--timeout", L"--type", L"--country", L"--area",
                                        L"--number", L"--entry", L"--phonebook", L"--app"},
                                       {});
  if (!args || args->positional.size() != 1) {
    PrintError(
        "usage: lwdriver.exe pipe-parallel N [--name NAME] [--timeout MS] [--type 1|2]"
        " [--country C] [--area A] [--number N] [--entry E] [--phonebook P] [--app PATH]");
    return kExitUsage;
  }
  const std::optional<uint64_t> count = ParseNumber(args->positional[0]);
  const std::optional<uint64_t> timeout = args->Number(L"--timeout", kDefaultTimeoutMs);
  if (!count || *count == 0 || *count > 256 || !timeout) {
    PrintError("N is a number of 1 to 256");
    return kExitUsage;
  }
  RequestType type = RequestType::Dial;
  const std::optional<DialFields> fields = DialOf(*args, type);
  if (!fields) return kExitUsage;
  const std::vector<uint8_t> message = BuildDialMessage(type, *fields);
  const std::wstring path = QueuePath(*args);

  // Every thread waits at the start line; the event lets them all go at the same moment.
  HANDLE start = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (!start) return kExitFailed;
  std::latch ready(static_cast<std::ptrdiff_t>(*count));
  std::mutex tally_mutex;
  Tally tally;
  std::vector<std::thread> threads;
  for (uint64_t i = 0; i < *count; ++i) {
    threads.emplace_back([&] {
      ready.count_down();
      const bool released =
          WaitForSingleObject(start, static_cast<DWORD>(*timeout)) == WAIT_OBJECT_0;
      const PipeAnswer answer =
          released ? SendOneMessage(path, message, static_cast<DWORD>(*timeout)) : PipeAnswer{};
      std::lock_guard<std::mutex> lock(tally_mutex);
      tally.Add(answer);
    });
  }
  ready.wait();
  SetEvent(start);
  for (std::thread& thread : threads) thread.join();
  CloseHandle(start);
  PrintLine("requests=" + std::to_string(*count));
  PrintLine(tally.Line());
  return tally.no_answer() == 0 ? kExitOk : kExitNotFound;
}

int SessionIdCommand(int argc, wchar_t** argv, int first) {
  std::optional<Args> args = ParseArgs(argc, argv, first, {}, {});
  if (!args || !args->positional.empty()) {
    PrintError("usage: lwdriver.exe session-id");
    return kExitUsage;
  }
  PrintLine(std::to_string(SessionId()));
  return kExitOk;
}

int PipeBenchCommand(int argc, wchar_t** argv, int first) {
  std::optional<Args> args =
      ParseArgs(argc, argv, first, {L"--name", L"--timeout", L"--gap-ms"}, {});
  if (!args || args->positional.size() != 1) {
    PrintError("usage: lwdriver.exe pipe-bench N [--name NAME] [--timeout MS] [--gap-ms MS]");
    return kExitUsage;
  }
  const std::optional<uint64_t> count = ParseNumber(args->positional[0]);
  const std::optional<uint64_t> timeout = args->Number(L"--timeout", kDefaultTimeoutMs);
  const std::optional<uint64_t> gap = args->Number(L"--gap-ms", 20);
  if (!count || *count == 0 || !timeout || !gap) return kExitUsage;
  const DWORD gap_ms = static_cast<DWORD>(*gap);
  RequestType type = RequestType::Dial;
  const std::optional<DialFields> fields = DialOf(*args, type);
  if (!fields) return kExitUsage;
  const std::vector<uint8_t> message = BuildDialMessage(type, *fields);

  // As many instances as the program's queue has, so that no client waits for a free one.
  constexpr int kEchoInstances = 8;
  const std::wstring echo_path =
      PipePath(L"LarkWatchEcho" + std::to_wstring(GetCurrentProcessId()));
  std::atomic<bool> stop{false};
  std::vector<HANDLE> pipes;
  std::vector<std::thread> echoes;
  for (int i = 0; i < kEchoInstances; ++i) {
    HANDLE pipe = CreateNamedPipeW(echo_path.c_str(), PIPE_ACCESS_DUPLEX,
                                   PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT,
                                   kEchoInstances, 8192, 4096, 0, nullptr);
    if (pipe == INVALID_HANDLE_VALUE) break;
    pipes.push_back(pipe);
    echoes.emplace_back([pipe, &stop] { ServeEcho(pipe, stop); });
  }
  if (pipes.empty()) return kExitFailed;

  bool all_answered = true;
  // Both are warmed up first, so that neither pays for a first connection.
  const DWORD timeout_ms = static_cast<DWORD>(*timeout);
  MedianRoundTrip(echo_path, message, 10, timeout_ms, gap_ms, all_answered);
  MedianRoundTrip(QueuePath(*args), message, 10, timeout_ms, gap_ms, all_answered);
  const double echo_us =
      MedianRoundTrip(echo_path, message, *count, timeout_ms, gap_ms, all_answered);
  const double queue_us =
      MedianRoundTrip(QueuePath(*args), message, *count, timeout_ms, gap_ms, all_answered);

  stop.store(true);
  // Each waiting echo thread is woken by one more exchange, after which it sees the stop.
  for (std::size_t i = 0; i < echoes.size(); ++i) SendOneMessage(echo_path, message, 1000);
  for (std::thread& echo : echoes) echo.join();
  for (HANDLE pipe : pipes) CloseHandle(pipe);
  PrintLine("exchanges=" + std::to_string(*count));
  PrintLine("echo_median_us=" + std::to_string(static_cast<long long>(echo_us)));
  PrintLine("queue_median_us=" + std::to_string(static_cast<long long>(queue_us)));
  char ratio[32];
  snprintf(ratio, sizeof ratio, "%.2f", echo_us > 0 ? queue_us / echo_us : 0.0);
  PrintLine(std::string("ratio=") + ratio);
  return all_answered ? kExitOk : kExitNotFound;
}

}  // namespace lw::e2e
