// dialer.exe: a stand-in for a foreign application that dials or hangs up through the ordinary
// ANSI functions of rasapi32.dll, so that the hook library can be watched from the outside.
//
//   dialer.exe dial --entry NAME [--phonebook PATH] [--number N] [--user U --password P]
//   dialer.exe dial --number N
//   dialer.exe hangup --handle H | --all
//   dialer.exe load
//
// Flags of dial and hangup:
//   --hook      load larkwatch.dll from this program's folder and call LarkWatchInstall first
//   --pump      retrieve one message first, so that a global message hook gets its chance
//   --getproc   call the function through GetProcAddress instead of the import table
//   --wide      call the UTF-16 variant (RasDialW, RasHangUpW) instead of the ANSI one
//   --notify    dial asynchronously with a RasDialFunc notifier and wait for its last state
//   --threads N make the call from N threads at once (one line each)
//
// Every call prints one line, e.g. "RasDialA=631 handle=0x0 notified=0 text=...", where text is
// what RasGetErrorStringA says about the code. The exit code is 0 when every call returned 0,
// else the first nonzero code clamped to 1..255.

#include <fcntl.h>
#include <io.h>
#include <ras.h>
#include <raserror.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Options {
  std::string command;
  std::string entry, phonebook, number, user, password;
  bool has_phonebook = false;
  std::string handle;
  bool all = false;
  bool hook = false, pump = false, getproc = false, wide = false, notify = false;
  int threads = 1;
};

std::mutex output_lock;

void PrintLine(const std::string& line) {
  std::lock_guard<std::mutex> lock(output_lock);
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

std::string Hex(ULONG_PTR value) {
  char text[32];
  std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(value));
  return text;
}

// The system's text for a RAS code, or nothing when it has none.
std::string ErrorText(DWORD code) {
  if (code == 0) return {};
  char text[512] = {};
  if (RasGetErrorStringA(code, text, sizeof text) != 0) return {};
  std::string result(text);
  std::replace(result.begin(), result.end(), '\r', ' ');
  std::replace(result.begin(), result.end(), '\n', ' ');
  return result;
}

std::wstring WideFromAnsi(const std::string& text) {
  if (text.empty()) return {};
  const int size =
      MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(size, L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
  return wide;
}

template <typename Char, std::size_t N>
void CopyField(Char (&field)[N], const std::basic_string<Char>& text) {
  const std::size_t length = std::min(text.size(), N - 1);
  std::copy_n(text.data(), length, field);
  field[length] = 0;
}

// Function pointers of the calls, from the import table or from GetProcAddress.
struct RasCalls {
  decltype(&RasDialA) dial_a = &RasDialA;
  decltype(&RasDialW) dial_w = &RasDialW;
  decltype(&RasHangUpA) hang_up_a = &RasHangUpA;
  decltype(&RasHangUpW) hang_up_w = &RasHangUpW;
};

template <typename F>
F Lookup(HMODULE module, const char* name) {
  return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

RasCalls ResolveCalls(bool getproc) {
  RasCalls calls;
  if (getproc) {
    HMODULE ras = GetModuleHandleW(L"rasapi32.dll");
    calls.dial_a = Lookup<decltype(calls.dial_a)>(ras, "RasDialA");
    calls.dial_w = Lookup<decltype(calls.dial_w)>(ras, "RasDialW");
    calls.hang_up_a = Lookup<decltype(calls.hang_up_a)>(ras, "RasHangUpA");
    calls.hang_up_w = Lookup<decltype(calls.hang_up_w)>(ras, "RasHangUpW");
  }
  return calls;
}

// Progress of an asynchronous dial, reported by the notifier on a thread of the service.
struct Progress {
  std::atomic<int> notified{0};
  std::atomic<int> state{0};
  std::atomic<DWORD> error{0};
  HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
};
Progress progress;

VOID WINAPI OnDialEvent(UINT, RASCONNSTATE state, DWORD error) {
  progress.notified++;
  progress.state = static_cast<int>(state);
  progress.error = error;
  if (error != 0 || state == RASCS_Connected || state == RASCS_Disconnected) {
    SetEvent(progress.done);
  }
}

DWORD Dial(const Options& options, const RasCalls& calls) {
  HRASCONN connection = nullptr;
  void* notifier = options.notify ? reinterpret_cast<void*>(&OnDialEvent) : nullptr;
  const char* phonebook = options.has_phonebook ? options.phonebook.c_str() : nullptr;
  DWORD result;
  if (options.wide) {
    RASDIALPARAMSW params = {};
    params.dwSize = sizeof params;
    CopyField(params.szEntryName, WideFromAnsi(options.entry));
    CopyField(params.szPhoneNumber, WideFromAnsi(options.number));
    CopyField(params.szUserName, WideFromAnsi(options.user));
    CopyField(params.szPassword, WideFromAnsi(options.password));
    const std::wstring wide_phonebook = WideFromAnsi(options.phonebook);
    result = calls.dial_w(nullptr, phonebook ? wide_phonebook.c_str() : nullptr, &params, 0,
                          notifier, &connection);
  } else {
    RASDIALPARAMSA params = {};
    params.dwSize = sizeof params;
    CopyField(params.szEntryName, options.entry);
    CopyField(params.szPhoneNumber, options.number);
    CopyField(params.szUserName, options.user);
    CopyField(params.szPassword, options.password);
    result = calls.dial_a(nullptr, phonebook, &params, 0, notifier, &connection);
  }
  std::string line = std::string(options.wide ? "RasDialW=" : "RasDialA=") +
                     std::to_string(result) +
                     " handle=" + Hex(reinterpret_cast<ULONG_PTR>(connection));
  DWORD outcome = result;
  if (options.notify) {
    if (result == 0 && WaitForSingleObject(progress.done, 120000) != WAIT_OBJECT_0) {
      line += " timeout";
    }
    if (result == 0) outcome = progress.error;
    line += " notified=" + std::to_string(progress.notified.load()) +
            " state=" + std::to_string(progress.state.load()) +
            " error=" + std::to_string(progress.error.load());
  }
  PrintLine(line + " text=" + ErrorText(outcome));
  return outcome;
}

DWORD HangUpOne(const Options& options, const RasCalls& calls, HRASCONN connection) {
  const DWORD result = options.wide ? calls.hang_up_w(connection) : calls.hang_up_a(connection);
  PrintLine(std::string(options.wide ? "RasHangUpW=" : "RasHangUpA=") + std::to_string(result) +
            " handle=" + Hex(reinterpret_cast<ULONG_PTR>(connection)) +
            " text=" + ErrorText(result));
  return result;
}

DWORD HangUp(const Options& options, const RasCalls& calls) {
  if (!options.all) {
    const auto value = static_cast<ULONG_PTR>(std::strtoull(options.handle.c_str(), nullptr, 0));
    return HangUpOne(options, calls, reinterpret_cast<HRASCONN>(value));
  }
  std::vector<RASCONNA> connections(16);
  DWORD first_error = 0;
  for (;;) {
    connections[0].dwSize = sizeof(RASCONNA);
    DWORD bytes = static_cast<DWORD>(connections.size() * sizeof(RASCONNA));
    DWORD count = 0;
    const DWORD result = RasEnumConnectionsA(connections.data(), &bytes, &count);
    if (result == ERROR_BUFFER_TOO_SMALL) {
      connections.resize(bytes / sizeof(RASCONNA) + 1);
      continue;
    }
    if (result != 0 || count == 0) {
      PrintLine("RasEnumConnectionsA=" + std::to_string(result) +
                " count=" + std::to_string(count) + " text=" + ErrorText(result));
      return result;
    }
    for (DWORD i = 0; i < count; ++i) {
      const DWORD error = HangUpOne(options, calls, connections[i].hrasconn);
      if (first_error == 0) first_error = error;
    }
    return first_error;
  }
}

// Loads the hook library that lies beside this program and installs it in this process.
bool LoadHookLibrary() {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring library(path, length);
  library.resize(library.find_last_of(L"\\/") + 1);
  library += L"larkwatch.dll";
  HMODULE module = LoadLibraryW(library.c_str());
  if (!module) {
    PrintLine("LoadLibrary=" + std::to_string(GetLastError()));
    return false;
  }
  using InstallFunction = BOOL(WINAPI*)();
  auto install = Lookup<InstallFunction>(module, "LarkWatchInstall");
  if (!install) {
    PrintLine("LarkWatchInstall=missing");
    return false;
  }
  const BOOL installed = install();
  if (!installed) PrintLine("LarkWatchInstall=0");
  return installed != FALSE;
}

// Retrieves one message of this thread, the moment at which a global WH_GETMESSAGE hook runs.
void PumpOneMessage() {
  MSG message;
  PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);
  PostThreadMessageW(GetCurrentThreadId(), WM_NULL, 0, 0);
  GetMessageW(&message, nullptr, 0, 0);
}

int Usage() {
  std::fputs(
      "usage: dialer dial (--entry NAME [--phonebook PATH] | --number N) [--number N]\n"
      "                   [--user U --password P] [--notify]\n"
      "       dialer hangup (--handle H | --all)\n"
      "       dialer load\n"
      "flags: --hook --pump --getproc --wide --threads N\n",
      stderr);
  return 2;
}

bool Parse(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&](std::string& target) {
      if (i + 1 >= argc) return false;
      target = argv[++i];
      return true;
    };
    if (arg == "dial" || arg == "hangup" || arg == "load") {
      options.command = arg;
    } else if (arg == "--entry") {
      if (!value(options.entry)) return false;
    } else if (arg == "--phonebook") {
      if (!value(options.phonebook)) return false;
      options.has_phonebook = true;
    } else if (arg == "--number") {
      if (!value(options.number)) return false;
    } else if (arg == "--user") {
      if (!value(options.user)) return false;
    } else if (arg == "--password") {
      if (!value(options.password)) return false;
    } else if (arg == "--handle") {
      if (!value(options.handle)) return false;
    } else if (arg == "--threads") {
      std::string count;
      if (!value(count)) return false;
      options.threads = std::clamp(std::atoi(count.c_str()), 1, 64);
    } else if (arg == "--all") {
      options.all = true;
    } else if (arg == "--hook") {
      options.hook = true;
    } else if (arg == "--pump") {
      options.pump = true;
    } else if (arg == "--getproc") {
      options.getproc = true;
    } else if (arg == "--wide") {
      options.wide = true;
    } else if (arg == "--notify") {
      options.notify = true;
    } else {
      return false;
    }
  }
  if (options.command == "dial") return !options.entry.empty() || !options.number.empty();
  if (options.command == "hangup") return options.all || !options.handle.empty();
  return options.command == "load";
}

int ExitCode(DWORD result) {
  return result == 0 ? 0 : static_cast<int>(std::clamp<DWORD>(result, 1, 255));
}

}  // namespace

int main(int argc, char** argv) {
  // Wine writes CR LF for every LF of a text-mode stream.
  _setmode(_fileno(stdout), _O_BINARY);
  Options options;
  if (!Parse(argc, argv, options)) return Usage();

  if (options.command == "load") {
    if (!LoadHookLibrary()) return 255;
    PrintLine("LarkWatchInstall=1");
    return 0;
  }
  if (options.hook && !LoadHookLibrary()) return 255;
  if (options.pump) PumpOneMessage();

  const RasCalls calls = ResolveCalls(options.getproc);
  if (!calls.dial_a || !calls.dial_w || !calls.hang_up_a || !calls.hang_up_w) {
    PrintLine("GetProcAddress=missing");
    return 255;
  }
  auto call = [&] {
    return options.command == "dial" ? Dial(options, calls) : HangUp(options, calls);
  };
  if (options.threads == 1) return ExitCode(call());

  std::vector<DWORD> results(options.threads);
  std::vector<std::thread> threads;
  for (int i = 0; i < options.threads; ++i) threads.emplace_back([&, i] { results[i] = call(); });
  for (auto& thread : threads) thread.join();
  for (DWORD result : results) {
    if (result != 0) return ExitCode(result);
  }
  return 0;
}
