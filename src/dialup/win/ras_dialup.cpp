#include "dialup/win/ras_dialup.h"

#include <windows.h>
// windows.h first: the dial-up headers depend on it.
#include <ras.h>
#include <raserror.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace lw {

namespace {

using GetEntryPropertiesFn = DWORD(WINAPI*)(LPCSTR, LPCSTR, LPRASENTRYA, LPDWORD, LPBYTE, LPDWORD);
using GetCountryInfoFn = DWORD(WINAPI*)(LPRASCTRYINFOA, LPDWORD);

HMODULE RasLibrary() {
  static HMODULE module = LoadLibraryExW(L"rasapi32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  return module;
}

template <typename Fn>
Fn RasFunction(const char* name) {
  HMODULE module = RasLibrary();
  return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)))
                : nullptr;
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

std::optional<EntryProperties> RasDialUp::GetEntryProperties(std::string_view phonebook,
                                                             std::string_view entry) {
  auto get = RasFunction<GetEntryPropertiesFn>("RasGetEntryPropertiesA");
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
  auto get = RasFunction<GetCountryInfoFn>("RasGetCountryInfoA");
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

}  // namespace lw
