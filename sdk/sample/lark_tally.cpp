// Dial tally (LarkTally.dll): counts, for every program that asked to dial, how many of its
// requests LarkWatch allowed and how many it refused, and shows the tally from its command in
// the "Dodatki" submenu.
//
// The tally is kept in LarkTally.txt beside the library, one line per program:
//
//   <allowed> <refused> <the program's path>
//
// in decimal, the path in the system's ANSI code page, lines ending with CR LF, sorted by the
// path (ASCII letters without regard to case). Each notification reads the file, counts and
// writes it anew through a temporary file moved into place, so that an edit or the removal of
// the file (which starts the tally afresh) is seen at the next request. That takes a few small
// file operations: quick enough for the request thread, and nothing here waits for anything
// else. The message box is shown on the main thread, with no lock held.

#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>

#include "larkwatch_extension.h"

namespace {

HMODULE g_module = nullptr;
// Serialises the tally file's readers and writers within the process: the menu command runs on
// the main thread, the notifications on the request thread. A slim lock of the system's, so
// that the library builds with either thread model of MinGW.
SRWLOCK g_file_lock = SRWLOCK_INIT;

class FileLock {
 public:
  FileLock() { AcquireSRWLockExclusive(&g_file_lock); }
  ~FileLock() { ReleaseSRWLockExclusive(&g_file_lock); }
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
};

// A tally file larger than this is not one of ours: it is read only this far.
constexpr DWORD kMaxFileBytes = 1024 * 1024;
// Lines shown in the message box; the rest are summed up in one line.
constexpr int kMaxShownLines = 30;

struct Counts {
  uint64_t allowed = 0;
  uint64_t refused = 0;
};

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Windows paths name the same file whatever the case of their letters.
struct PathOrder {
  bool operator()(const std::string& a, const std::string& b) const {
    const std::size_t common = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < common; ++i) {
      const auto x = static_cast<unsigned char>(AsciiLower(a[i]));
      const auto y = static_cast<unsigned char>(AsciiLower(b[i]));
      if (x != y) return x < y;
    }
    return a.size() < b.size();
  }
};

using Tally = std::map<std::string, Counts, PathOrder>;

// The library's folder and the given file name in it.
std::wstring BesideLibrary(const wchar_t* file_name) {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(g_module, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return file_name;
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  const std::size_t slash = path.find_last_of(L"\\/");
  path.resize(slash == std::wstring::npos ? 0 : slash + 1);
  return path + file_name;
}

std::wstring TallyPath() { return BesideLibrary(L"LarkTally.txt"); }

std::string ReadFileBytes(const std::wstring& path) {
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string bytes;
  char block[4096];
  DWORD got = 0;
  while (bytes.size() < kMaxFileBytes && ReadFile(file, block, sizeof block, &got, nullptr) &&
         got > 0) {
    bytes.append(block, got);
  }
  CloseHandle(file);
  return bytes;
}

// A decimal number at the front of text, and the text after it; false when there is none.
bool TakeNumber(std::string& text, uint64_t* number) {
  std::size_t digits = 0;
  uint64_t value = 0;
  while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9' && digits < 19) {
    value = value * 10 + static_cast<uint64_t>(text[digits] - '0');
    ++digits;
  }
  if (digits == 0 || digits >= text.size() || text[digits] != ' ') return false;
  *number = value;
  text.erase(0, digits + 1);
  return true;
}

// Lines that do not read as "<allowed> <refused> <path>" are passed over.
Tally ParseTally(const std::string& text) {
  Tally tally;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    Counts counts;
    if (!TakeNumber(line, &counts.allowed) || !TakeNumber(line, &counts.refused)) continue;
    Counts& kept = tally[line];
    kept.allowed += counts.allowed;
    kept.refused += counts.refused;
  }
  return tally;
}

std::string FormatTally(const Tally& tally) {
  std::string text;
  for (const auto& [path, counts] : tally) {
    text +=
        std::to_string(counts.allowed) + " " + std::to_string(counts.refused) + " " + path + "\r\n";
  }
  return text;
}

// Written whole to a temporary file first, so that a reader never sees half a tally.
bool WriteTally(const Tally& tally) {
  const std::string text = FormatTally(tally);
  const std::wstring path = TallyPath();
  const std::wstring temporary = BesideLibrary(L"LarkTally.tmp");
  const HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok =
      WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) != FALSE &&
      written == text.size();
  CloseHandle(file);
  if (!ok || !MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    DeleteFileW(temporary.c_str());
    return false;
  }
  return true;
}

void Count(const char* application, bool allowed) {
  // Nothing may leave a routine the program calls, not even a failed allocation.
  try {
    const FileLock lock;
    Tally tally = ParseTally(ReadFileBytes(TallyPath()));
    Counts& counts = tally[application != nullptr ? application : ""];
    ++(allowed ? counts.allowed : counts.refused);
    WriteTally(tally);
  } catch (...) {
  }
}

std::wstring Wide(const std::string& ansi) {
  if (ansi.empty()) return {};
  const int length =
      MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
  if (length <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), wide.data(), length);
  return wide;
}

std::wstring TallyText(const Tally& tally) {
  if (tally.empty()) return L"Brak połączeń: żaden program jeszcze nie dzwonił.";
  std::wstring text;
  int shown = 0;
  for (const auto& [path, counts] : tally) {
    if (shown == kMaxShownLines) {
      text += L"… i jeszcze " + std::to_wstring(tally.size() - kMaxShownLines) + L" programów";
      break;
    }
    const std::wstring name = path.empty() ? L"(nieznany program)" : Wide(path);
    text += name + L": dozwolone " + std::to_wstring(counts.allowed) + L", odrzucone " +
            std::to_wstring(counts.refused) + L"\n";
    ++shown;
  }
  while (!text.empty() && text.back() == L'\n') text.pop_back();
  return text;
}

}  // namespace

extern "C" {

const char* LARKWATCH_CALL LarkWatchGetExtName(void) {
  // The program takes the name as ANSI text: the Polish one in the system's code page (best fit
  // letters where the code page has none).
  static char name[LARKWATCH_MAX_NAME + 1];
  if (name[0] == '\0' && WideCharToMultiByte(CP_ACP, 0, L"Licznik połączeń", -1, name, sizeof name,
                                             nullptr, nullptr) == 0) {
    lstrcpynA(name, "Licznik polaczen", sizeof name);
  }
  return name;
}

void LARKWATCH_CALL LarkWatchEntry(void) {
  try {
    Tally tally;
    {
      const FileLock lock;
      tally = ParseTally(ReadFileBytes(TallyPath()));
    }
    MessageBoxW(nullptr, TallyText(tally).c_str(), L"LarkWatch - licznik połączeń",
                MB_OK | MB_ICONINFORMATION | MB_SETFOREGROUND);
  } catch (...) {
  }
}

void LARKWATCH_CALL LarkWatchNotifyIllegal(int32_t, const char*, const char*, const char*,
                                           const char*, const char* application) {
  Count(application, false);
}

void LARKWATCH_CALL LarkWatchNotifyConnect(int32_t, const char*, const char*, const char*,
                                           const char*, const char* application) {
  Count(application, true);
}

// The C run-time's start-up calls it by its C name.
BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_module = instance;
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

}  // extern "C"
