#pragma once
// What every command of the window driver shares: its output (UTF-8 lines on a binary stdout),
// its arguments, its exit codes and its deadlines.

#include <windows.h>

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace lw::e2e {

// Exit codes of every command.
inline constexpr int kExitOk = 0;
inline constexpr int kExitNotFound = 1;  // timed out, not found, no answer
inline constexpr int kExitUsage = 2;
inline constexpr int kExitFailed = 3;  // the system refused (a file, a bitmap, the pipe)

// The default bound of every wait.
inline constexpr DWORD kDefaultTimeoutMs = 10'000;
// The pause between two looks of a wait.
inline constexpr DWORD kPollMs = 50;

// Writes one line of UTF-8 to stdout and flushes it, so a reader sees it at once.
void PrintLine(std::string_view utf8);
// Writes "lwdriver: <text>" to stderr.
void PrintError(std::string_view utf8);

std::string Utf8(std::wstring_view wide);
// A text on one line: CR, LF and TAB become \r, \n and \t; everything else is kept.
std::string Escape(std::wstring_view text);
// "0x" and the handle in hexadecimal.
std::string HandleText(HWND window);

// A path for the file functions: a Unix path of the Wine host ("/tmp/x") is reached through
// drive Z:.
std::wstring WindowsPath(std::wstring_view path);

// A command's arguments after its name: positional ones in order, options that take a value,
// and flags.
struct Args {
  std::vector<std::wstring> positional;
  std::map<std::wstring, std::wstring> values;
  std::set<std::wstring> flags;

  bool Flag(std::wstring_view name) const { return flags.count(std::wstring(name)) != 0; }
  // The option's value as an unsigned number (decimal, or hexadecimal after "0x"); the fallback
  // when the option is absent; nullopt (with the reason printed) when it is not a number.
  std::optional<uint64_t> Number(std::wstring_view name, uint64_t fallback) const;
  std::optional<std::wstring> Value(std::wstring_view name) const;
};

// Parses argv[first..]. Options named in `valued` take the next argument, those in `flags`
// none; anything else starting with "--" is refused. nullopt (with the reason printed) on a
// usage error.
std::optional<Args> ParseArgs(int argc, wchar_t** argv, int first,
                              std::initializer_list<std::wstring_view> valued,
                              std::initializer_list<std::wstring_view> flags);

std::optional<uint64_t> ParseNumber(std::wstring_view text);

// A point in time a wait must not pass.
class Deadline {
 public:
  explicit Deadline(uint64_t timeout_ms) : end_(GetTickCount64() + timeout_ms) {}
  bool Passed() const { return GetTickCount64() >= end_; }
  DWORD RemainingMs() const {
    const ULONGLONG now = GetTickCount64();
    return now >= end_ ? 0 : static_cast<DWORD>(end_ - now);
  }
  // Sleeps one poll interval, or what is left of the wait when that is shorter.
  void Pause() const {
    const DWORD left = RemainingMs();
    Sleep(left < kPollMs ? left : kPollMs);
  }

 private:
  ULONGLONG end_;
};

}  // namespace lw::e2e
