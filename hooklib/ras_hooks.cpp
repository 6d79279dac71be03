// The replacements of RasDialA/W and RasHangUpA/W.
//
// A refused call returns ERROR_USER_DISCONNECTION (631, "The port was disconnected by the
// user.") and never reaches the system. Of the dial-up codes it is the one that says what
// happened: the call was stopped on this computer, on the user's behalf (by the user's answer
// or the user's lists), not by the line, the modem or the remote side. Dial-up clients take
// 631 for the user's cancellation and commonly stop without a redial or a fault report, which
// is what a refused dialer should do; codes such as ERROR_NO_DIALTONE, ERROR_LINE_BUSY or
// ERROR_NO_ANSWER would send the user looking for a fault of the line and invite a redial, and
// ERROR_NO_DIALIN_PERMISSION, ERROR_AUTHENTICATION_FAILURE, ERROR_BLOCKED or
// ERROR_SERVER_POLICY blame the remote server and its account. A refused hang-up returns the
// same code; the connection then stays up.
//
// A refused dial does not call the caller's notifier: nothing was started, so there is no
// progress to report, as with any dial that fails before it starts.

#include "ras_hooks.h"

#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "hooking/dial_request.h"
#include "interception.h"
#include "queue_client.h"

namespace lw::hook {

namespace {

// Marks the thread that is inside a replacement, so that a dial-up function which the system
// implements through another one (an ANSI call through its UTF-16 twin, say) is asked about
// once, not twice.
DWORD inside_index = TLS_OUT_OF_INDEXES;

class InsideGuard {
 public:
  InsideGuard() : nested_(TlsGetValue(inside_index) != nullptr) {
    if (!nested_) TlsSetValue(inside_index, reinterpret_cast<void*>(1));
  }
  ~InsideGuard() {
    if (!nested_) TlsSetValue(inside_index, nullptr);
  }
  InsideGuard(const InsideGuard&) = delete;
  InsideGuard& operator=(const InsideGuard&) = delete;
  bool nested() const { return nested_; }

 private:
  bool nested_;
};

std::string Bounded(const char* text, std::size_t capacity) {
  return text ? std::string(text, strnlen(text, capacity)) : std::string();
}

// UTF-16 to the ANSI code page, the encoding of every text of a request.
std::string Ansi(const wchar_t* text, std::size_t capacity) {
  if (!text) return {};
  const int length = static_cast<int>(wcsnlen(text, capacity));
  if (length == 0) return {};
  const int size = WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
  std::string result(size, '\0');
  WideCharToMultiByte(CP_ACP, 0, text, length, result.data(), size, nullptr, nullptr);
  return result;
}

template <typename Char, std::size_t N>
std::string Field(const Char (&field)[N]) {
  if constexpr (sizeof(Char) == 1) {
    return Bounded(field, N);
  } else {
    return Ansi(field, N);
  }
}

// The full path of this process's executable in the ANSI code page. Taken in UTF-16 and
// converted, so that a process that switched its file functions to the OEM code page still
// reports it in ANSI.
std::string ApplicationPath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size() || path.size() >= 32768) {
      return Ansi(path.data(), length);
    }
    path.resize(path.size() * 2);
  }
}

template <typename F>
F RasapiFunction(const char* name) {
  HMODULE rasapi = GetModuleHandleW(L"rasapi32.dll");
  if (!rasapi) return nullptr;
  return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(rasapi, name)));
}

// The number fields of a phonebook entry: country code, area code and local number.
struct EntryNumber {
  int32_t country_code = 0;
  std::string area_code;
  std::string local_number;
};

// Reads the entry through RasGetEntryPropertiesA or W (Entry is RASENTRYA or RASENTRYW); an
// entry that cannot be read gives empty fields.
template <typename Entry, typename Char>
EntryNumber ReadEntryNumber(const char* function_name, const Char* phonebook, const Char* entry) {
  using Get = DWORD(WINAPI*)(const Char*, const Char*, Entry*, LPDWORD, LPBYTE, LPDWORD);
  Get get = RasapiFunction<Get>(function_name);
  if (!get) return {};
  // The service may want room for more than the record (alternate numbers follow it).
  DWORD size = 0;
  get(phonebook, entry, nullptr, &size, nullptr, nullptr);
  constexpr DWORD kLargest = 1 << 16;
  size = size < sizeof(Entry) || size > kLargest ? sizeof(Entry) : size;
  std::vector<Entry> records((size + sizeof(Entry) - 1) / sizeof(Entry));
  records[0].dwSize = sizeof(Entry);
  size = static_cast<DWORD>(records.size() * sizeof(Entry));
  if (get(phonebook, entry, records.data(), &size, nullptr, nullptr) != 0) return {};
  const Entry& record = records[0];
  return {static_cast<int32_t>(record.dwCountryCode), Field(record.szAreaCode),
          Field(record.szLocalPhoneNumber)};
}

// The dial as the program sees it. The dial parameters name an entry or carry a number or both;
// a number given there replaces the entry's local number for this call.
DialFields Describe(const std::string& entry_name, const std::string& number,
                    const std::string& phonebook, const EntryNumber& entry) {
  DialFields fields;
  fields.CountryCode = entry.country_code;
  fields.AreaCode = entry.area_code;
  fields.LocalNumber = number.empty() ? entry.local_number : number;
  fields.EntryName = entry_name;
  fields.Phonebook = phonebook;
  fields.Application = ApplicationPath();
  return fields;
}

// Asks the program; `build` makes the message. Without a program the call goes ahead; a
// request that cannot even be built (out of memory) does not.
template <typename Build>
bool ProgramAllows(Build&& build) {
  try {
    return AskProgram(build()) != Answer::Refuse;
  } catch (...) {
    return false;
  }
}

std::vector<uint8_t> DialMessageA(LPCSTR phonebook, const RASDIALPARAMSA& params) {
  const std::string entry = Field(params.szEntryName);
  EntryNumber number;
  if (!entry.empty()) {
    number = ReadEntryNumber<RASENTRYA>("RasGetEntryPropertiesA", phonebook, params.szEntryName);
  }
  return BuildDialMessage(RequestType::Dial, Describe(entry, Field(params.szPhoneNumber),
                                                      Bounded(phonebook, MAX_PATH), number));
}

std::vector<uint8_t> DialMessageW(LPCWSTR phonebook, const RASDIALPARAMSW& params) {
  const std::string entry = Field(params.szEntryName);
  EntryNumber number;
  if (!entry.empty()) {
    number = ReadEntryNumber<RASENTRYW>("RasGetEntryPropertiesW", phonebook, params.szEntryName);
  }
  return BuildDialMessage(RequestType::Dial, Describe(entry, Field(params.szPhoneNumber),
                                                      Ansi(phonebook, MAX_PATH), number));
}

// The word of a hang-up request is not read by the program; it carries the low half of the
// connection handle, which helps when reading a trace of the queue.
std::vector<uint8_t> HangUpMessage(HRASCONN connection) {
  return BuildHangUpMessage(ApplicationPath(),
                            static_cast<uint32_t>(reinterpret_cast<uintptr_t>(connection)));
}

}  // namespace

// Each replacement is reachable only once the original it calls has been kept, so the check
// for a missing original in each of them guards against nothing but a damaged state.

bool PrepareRasHooks() {
  if (inside_index == TLS_OUT_OF_INDEXES) inside_index = TlsAlloc();
  return inside_index != TLS_OUT_OF_INDEXES;
}

DWORD WINAPI RasDialAInstead(LPRASDIALEXTENSIONS extensions, LPCSTR phonebook,
                             LPRASDIALPARAMSA params, DWORD notifier_type, LPVOID notifier,
                             LPHRASCONN connection) {
  auto original = Original<decltype(&RasDialA)>(RasFunction::DialA);
  if (!original) return ERROR_PROC_NOT_FOUND;
  InsideGuard guard;
  // Without parameters the system refuses the call by itself; there is nothing to ask about.
  if (!guard.nested() && params &&
      !ProgramAllows([&] { return DialMessageA(phonebook, *params); })) {
    return kRefusedByProgram;
  }
  return original(extensions, phonebook, params, notifier_type, notifier, connection);
}

DWORD WINAPI RasDialWInstead(LPRASDIALEXTENSIONS extensions, LPCWSTR phonebook,
                             LPRASDIALPARAMSW params, DWORD notifier_type, LPVOID notifier,
                             LPHRASCONN connection) {
  auto original = Original<decltype(&RasDialW)>(RasFunction::DialW);
  if (!original) return ERROR_PROC_NOT_FOUND;
  InsideGuard guard;
  if (!guard.nested() && params &&
      !ProgramAllows([&] { return DialMessageW(phonebook, *params); })) {
    return kRefusedByProgram;
  }
  return original(extensions, phonebook, params, notifier_type, notifier, connection);
}

DWORD WINAPI RasHangUpAInstead(HRASCONN connection) {
  auto original = Original<decltype(&RasHangUpA)>(RasFunction::HangUpA);
  if (!original) return ERROR_PROC_NOT_FOUND;
  InsideGuard guard;
  if (!guard.nested() && !ProgramAllows([&] { return HangUpMessage(connection); })) {
    return kRefusedByProgram;
  }
  return original(connection);
}

DWORD WINAPI RasHangUpWInstead(HRASCONN connection) {
  auto original = Original<decltype(&RasHangUpW)>(RasFunction::HangUpW);
  if (!original) return ERROR_PROC_NOT_FOUND;
  InsideGuard guard;
  if (!guard.nested() && !ProgramAllows([&] { return HangUpMessage(connection); })) {
    return kRefusedByProgram;
  }
  return original(connection);
}

}  // namespace lw::hook
