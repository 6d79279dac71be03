#include "dialup/win/ras_dialup.h"

#include <windows.h>
// windows.h first: the dial-up headers depend on it.
#include <ras.h>
#include <raserror.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

namespace lw {

namespace {

using GetEntryPropertiesFn = DWORD(WINAPI*)(LPCSTR, LPCSTR, LPRASENTRYA, LPDWORD, LPBYTE, LPDWORD);
using GetCountryInfoFn = DWORD(WINAPI*)(LPRASCTRYINFOA, LPDWORD);

HMODULE RasLibrary() {
  static HMODULE module = LoadLibraryExW(L"rasapi32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  return module;
}

using EnumConnectionsFn = DWORD(WINAPI*)(LPRASCONNA, LPDWORD, LPDWORD);
using EnumEntriesFn = DWORD(WINAPI*)(LPCSTR, LPCSTR, LPRASENTRYNAMEA, LPDWORD, LPDWORD);
using GetEntryDialParamsFn = DWORD(WINAPI*)(LPCSTR, LPRASDIALPARAMSA, LPBOOL);
using DialFn = DWORD(WINAPI*)(LPRASDIALEXTENSIONS, LPCSTR, LPRASDIALPARAMSA, DWORD, LPVOID,
                              LPHRASCONN);
using GetErrorStringFn = DWORD(WINAPI*)(UINT, LPSTR, DWORD);
using HangUpFn = DWORD(WINAPI*)(HRASCONN);
using ConnectionNotificationFn = DWORD(WINAPI*)(HRASCONN, HANDLE, DWORD);
using CreateEntryFn = DWORD(WINAPI*)(HWND, LPCSTR);
using EditEntryFn = DWORD(WINAPI*)(HWND, LPCSTR, LPCSTR);

// The progress notifier of the dial in progress: the service's notifier carries no context.
std::mutex notifier_mutex;
DialNotifier current_notifier;

void WINAPI DialProgressCallback(HRASCONN connection, UINT /*message*/, RASCONNSTATE state,
                                 DWORD error, DWORD /*extended_error*/) {
  DialNotifier notifier;
  {
    std::lock_guard<std::mutex> lock(notifier_mutex);
    notifier = current_notifier;
  }
  if (notifier) {
    notifier(reinterpret_cast<uint64_t>(connection), static_cast<uint32_t>(state), error);
  }
}

// Copies text into a fixed field, cut to fit with its terminating NUL.
template <std::size_t N>
void SetField(char (&field)[N], const std::string& text) {
  const std::size_t length = std::min(text.size(), N - 1);
  std::memcpy(field, text.data(), length);
  field[length] = '\0';
}

// A text field of a record, never read past its array.
template <std::size_t N>
std::string Field(const char (&text)[N]) {
  return std::string(text, strnlen(text, N));
}

// The record size the service is told: the documented 32-bit sizes there, the platform's own
// structure on x64.
DWORD EntryRecordSize(bool extended) {
#if defined(_WIN64)
  (void)extended;
  return sizeof(RASENTRYA);
#else
  return extended ? 2088 : 1768;
#endif
}

// The size of a connection record, the stride of the enumeration; the fields read lie at the
// same offsets in every version of the record.
DWORD ConnectionRecordSize(bool extended) {
#if defined(_WIN64)
  (void)extended;
  return sizeof(RASCONNA);
#else
  return extended ? 692 : 412;
#endif
}

DWORD EntryNameRecordSize(bool extended) {
#if defined(_WIN64)
  (void)extended;
  return sizeof(RASENTRYNAMEA);
#else
  return extended ? 532 : 264;
#endif
}

DWORD DialParamsRecordSize(bool extended) {
#if defined(_WIN64)
  (void)extended;
  return sizeof(RASDIALPARAMSA);
#else
  return extended ? 1060 : 1052;
#endif
}

// Records of `stride` bytes, the first with its size field set, in a buffer at least one
// structure of this build long.
template <typename Record>
std::vector<unsigned char> RecordBuffer(DWORD stride, DWORD count) {
  const std::size_t bytes = std::max<std::size_t>(std::size_t{stride} * count, sizeof(Record));
  std::vector<unsigned char> buffer(bytes, 0);
  reinterpret_cast<Record*>(buffer.data())->dwSize = stride;
  return buffer;
}

// The most records a list is read with; a count above it is the service's fault.
constexpr DWORD kMaxRecords = 4096;

// The two-call enumeration: one record first to learn the count, then all of them. Calls
// `read` with each record's bytes.
template <typename Record, typename Call, typename Read>
uint32_t Enumerate(DWORD stride, Call call, Read read) {
  std::vector<unsigned char> buffer = RecordBuffer<Record>(stride, 1);
  DWORD bytes = stride;
  DWORD count = 0;
  DWORD result = call(reinterpret_cast<Record*>(buffer.data()), &bytes, &count);
  if (result == ERROR_BUFFER_TOO_SMALL) {
    if (count == 0 || count > kMaxRecords) return result;
    buffer = RecordBuffer<Record>(stride, count);
    bytes = stride * count;
    result = call(reinterpret_cast<Record*>(buffer.data()), &bytes, &count);
  }
  if (result != 0) return result;
  count = std::min<DWORD>(count, static_cast<DWORD>(buffer.size() / stride));
  for (DWORD i = 0; i < count; ++i) {
    read(*reinterpret_cast<const Record*>(buffer.data() + std::size_t{i} * stride));
  }
  return 0;
}

}  // namespace

bool SystemUsesExtendedRasSizes() {
  OSVERSIONINFOA version = {};
  version.dwOSVersionInfoSize = sizeof version;  // the 148-byte record
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExA(&version)) return false;
#pragma GCC diagnostic pop
  return version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion > 3;
}

RasDialUp::RasDialUp(bool extended_sizes, std::wstring library)
    : extended_sizes_(extended_sizes), library_(LoadLibraryW(library.c_str())) {}

template <typename Fn>
Fn RasDialUp::Function(const char* name) {
  HMODULE module = library_ ? static_cast<HMODULE>(library_) : RasLibrary();
  return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)))
                : nullptr;
}

std::optional<EntryProperties> RasDialUp::GetEntryProperties(std::string_view phonebook,
                                                             std::string_view entry) {
  auto get = Function<GetEntryPropertiesFn>("RasGetEntryPropertiesA");
  if (!get) return std::nullopt;
  const std::string book(phonebook), name(entry);
  const DWORD record_size = EntryRecordSize(extended_sizes_);
  // The buffer is at least as large as this build's structure, whatever size the record claims.
  DWORD buffer_size = std::max<DWORD>(record_size, sizeof(RASENTRYA));
  std::vector<unsigned char> buffer(buffer_size, 0);
  auto* record = reinterpret_cast<RASENTRYA*>(buffer.data());
  record->dwSize = record_size;
  DWORD result = get(book.empty() ? nullptr : book.c_str(), name.c_str(), record, &buffer_size,
                     nullptr, nullptr);
  if (result == ERROR_BUFFER_TOO_SMALL && buffer_size > buffer.size() && buffer_size < (1u << 20)) {
    buffer.assign(buffer_size, 0);
    record = reinterpret_cast<RASENTRYA*>(buffer.data());
    record->dwSize = record_size;
    result = get(book.empty() ? nullptr : book.c_str(), name.c_str(), record, &buffer_size, nullptr,
                 nullptr);
  }
  if (result != 0) return std::nullopt;
  EntryProperties properties;
  properties.Options = record->dwfOptions;
  properties.CountryId = record->dwCountryID;
  properties.CountryCode = record->dwCountryCode;
  properties.AreaCode = Field(record->szAreaCode);
  properties.LocalNumber = Field(record->szLocalPhoneNumber);
  properties.DeviceType = Field(record->szDeviceType);
  return properties;
}

std::optional<std::string> RasDialUp::GetCountryName(uint32_t country_id) {
  auto get = Function<GetCountryInfoFn>("RasGetCountryInfoA");
  if (!get) return std::nullopt;
  constexpr DWORD kBufferSize = 1024;
  alignas(RASCTRYINFOA) unsigned char buffer[kBufferSize] = {};
  auto* info = reinterpret_cast<RASCTRYINFOA*>(buffer);
  info->dwSize = 20;
  info->dwCountryID = country_id;
  DWORD size = kBufferSize;
  if (get(info, &size) != 0) return std::nullopt;
  // The name lies at an offset from the start of the buffer; nothing outside the buffer is read.
  const DWORD offset = info->dwCountryNameOffset;
  if (offset < sizeof(RASCTRYINFOA) || offset >= kBufferSize) return std::nullopt;
  const char* name = reinterpret_cast<const char*>(buffer + offset);
  return std::string(name, strnlen(name, kBufferSize - offset));
}

uint32_t RasDialUp::EnumConnections(std::vector<ConnectionRecord>& connections) {
  connections.clear();
  auto enumerate = Function<EnumConnectionsFn>("RasEnumConnectionsA");
  if (!enumerate) return ras::kNotAvailable;
  const uint32_t result = Enumerate<RASCONNA>(
      ConnectionRecordSize(extended_sizes_),
      [&](RASCONNA* records, LPDWORD bytes, LPDWORD count) {
        return enumerate(records, bytes, count);
      },
      [&](const RASCONNA& record) {
        connections.push_back({reinterpret_cast<uint64_t>(record.hrasconn),
                               Field(record.szEntryName), Field(record.szDeviceType),
                               Field(record.szDeviceName)});
      });
  if (result != 0) connections.clear();
  return result;
}

uint32_t RasDialUp::EnumEntries(std::vector<std::string>& entries) {
  entries.clear();
  auto enumerate = Function<EnumEntriesFn>("RasEnumEntriesA");
  if (!enumerate) return ras::kNotAvailable;
  const uint32_t result = Enumerate<RASENTRYNAMEA>(
      EntryNameRecordSize(extended_sizes_),
      [&](RASENTRYNAMEA* records, LPDWORD bytes, LPDWORD count) {
        return enumerate(nullptr, nullptr, records, bytes, count);
      },
      [&](const RASENTRYNAMEA& record) { entries.push_back(Field(record.szEntryName)); });
  if (result != 0) entries.clear();
  return result;
}

uint32_t RasDialUp::GetEntryDialParams(std::string_view entry, StoredCredentials& credentials) {
  auto get = Function<GetEntryDialParamsFn>("RasGetEntryDialParamsA");
  if (!get) return ras::kNotAvailable;
  RASDIALPARAMSA params = {};
  params.dwSize = DialParamsRecordSize(extended_sizes_);
  SetField(params.szEntryName, std::string(entry));
  BOOL has_password = FALSE;
  const DWORD result = get(nullptr, &params, &has_password);
  if (result != 0) return result;
  credentials.UserName = Field(params.szUserName);
  credentials.Password = has_password ? Field(params.szPassword) : std::string();
  return 0;
}

uint32_t RasDialUp::Dial(const DialParams& request, DialNotifier notifier) {
  auto dial = Function<DialFn>("RasDialA");
  if (!dial) return ras::kNotAvailable;
  RASDIALPARAMSA params = {};
  params.dwSize = DialParamsRecordSize(extended_sizes_);
  SetField(params.szEntryName, request.EntryName);
  SetField(params.szPhoneNumber, request.PhoneNumber);
  SetField(params.szUserName, request.UserName);
  SetField(params.szPassword, request.Password);
  {
    std::lock_guard<std::mutex> lock(notifier_mutex);
    current_notifier = std::move(notifier);
  }
  HRASCONN connection = nullptr;
  const DWORD result = dial(nullptr, nullptr, &params, 1,
                            reinterpret_cast<void*>(&DialProgressCallback), &connection);
  SecureZeroMemory(params.szPassword, sizeof params.szPassword);
  return result;
}

std::optional<std::string> RasDialUp::GetErrorString(uint32_t code) {
  auto get = Function<GetErrorStringFn>("RasGetErrorStringA");
  if (!get) return std::nullopt;
  char text[256] = {};
  if (get(code, text, sizeof text) != 0) return std::nullopt;
  return Field(text);
}

uint32_t RasDialUp::HangUp(uint64_t handle) {
  auto hang_up = Function<HangUpFn>("RasHangUpA");
  if (!hang_up) return ras::kNotAvailable;
  return hang_up(reinterpret_cast<HRASCONN>(handle));
}

uint32_t RasDialUp::RegisterNotification(void* event, uint32_t flag) {
  auto enroll = Function<ConnectionNotificationFn>("RasConnectionNotificationA");
  if (!enroll) return ras::kNotAvailable;
  return enroll(reinterpret_cast<HRASCONN>(INVALID_HANDLE_VALUE), event, flag);
}

uint32_t RasDialUp::CreateEntry(void* owner_hwnd) {
  auto create = Function<CreateEntryFn>("RasCreatePhonebookEntryA");
  if (!create) return ras::kNotAvailable;
  return create(static_cast<HWND>(owner_hwnd), nullptr);
}

uint32_t RasDialUp::EditEntry(void* owner_hwnd, std::string_view name) {
  auto edit = Function<EditEntryFn>("RasEditPhonebookEntryA");
  if (!edit) return ras::kNotAvailable;
  const std::string entry(name);
  return edit(static_cast<HWND>(owner_hwnd), nullptr, entry.c_str());
}

}  // namespace lw
