// rasapi32.dll of the simulated line: the dial-up functions over the line's shared state and
// its phonebook. linesim.def lists the exports: every name of the system's rasapi32, those
// not implemented here answering ERROR_CALL_NOT_IMPLEMENTED.
//
// Structures are accepted in the sizes of their versions in <ras.h> (the full size of this
// build and the smaller, older ones); only the fields within the caller's size are read or
// written, and arrays are strided by the caller's dwSize. The ANSI functions carry texts in
// the system code page; the wide ones convert at the edge.

#include <windows.h>
// After windows.h.
#include <ras.h>
#include <raserror.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <cwchar>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "linesim/countries.h"
#include "linesim/error_texts.h"
#include "linesim/phonebook.h"
#include "linesim/win/dial.h"
#include "linesim/win/entry_dialog.h"
#include "linesim/win/line_state.h"
#include "linesim/win/phonebook_store.h"

namespace lw::linesim {
namespace {

constexpr DWORD kNotifyFlags =
    RASCN_Connection | RASCN_Disconnection | RASCN_BandwidthAdded | RASCN_BandwidthRemoved;
constexpr DWORD kWindowNotifier = 0xFFFFFFFF;

// --- structure sizes ---------------------------------------------------------------------------

// The size of a version that ends before `offset`: structures are packed to 4 bytes.
constexpr DWORD EndingAt(std::size_t offset) { return DWORD((offset + 3) & ~std::size_t{3}); }

template <typename T>
constexpr std::array<DWORD, 5> kConnectionSizes = {
    EndingAt(offsetof(T, szDeviceType)), EndingAt(offsetof(T, szPhonebook)),
    DWORD(offsetof(T, guidEntry)), DWORD(offsetof(T, dwFlags)), DWORD(sizeof(T))};
template <typename T>
constexpr std::array<DWORD, 2> kEntryNameSizes = {EndingAt(offsetof(T, dwFlags)), DWORD(sizeof(T))};
template <typename T>
constexpr std::array<DWORD, 3> kDialParamsSizes = {EndingAt(offsetof(T, dwSubEntry)),
                                                   DWORD(offsetof(T, dwIfIndex)), DWORD(sizeof(T))};
template <typename T>
constexpr std::array<DWORD, 4> kEntrySizes = {DWORD(offsetof(T, dwSubEntries)),
                                              DWORD(offsetof(T, dwType)),
                                              DWORD(offsetof(T, dwfOptions2)), DWORD(sizeof(T))};
template <typename T>
constexpr std::array<DWORD, 3> kStatusSizes = {
    EndingAt(offsetof(T, szDeviceType)), EndingAt(offsetof(T, szPhoneNumber)), DWORD(sizeof(T))};
template <typename T>
constexpr std::array<DWORD, 1> kDeviceSizes = {DWORD(sizeof(T))};

template <std::size_t N>
bool Accepts(const std::array<DWORD, N>& sizes, DWORD size) {
  return std::find(sizes.begin(), sizes.end(), size) != sizes.end();
}

// A copy of the caller's structure: the first `size` bytes, the rest zero.
template <typename T>
T Load(const T* source, DWORD size) {
  T item{};
  std::memcpy(&item, source, std::min<std::size_t>(size, sizeof(T)));
  return item;
}

// Writes the first `size` bytes of the structure, with `size` as its dwSize.
template <typename T>
void Store(void* destination, T item, DWORD size) {
  item.dwSize = size;
  std::memcpy(destination, &item, std::min<std::size_t>(size, sizeof(T)));
}

// --- texts -------------------------------------------------------------------------------------

template <std::size_t N>
void Put(char (&field)[N], std::string_view text) {
  const std::size_t length = std::min(text.size(), N - 1);
  std::memcpy(field, text.data(), length);
  field[length] = '\0';
}

template <std::size_t N>
void Put(wchar_t (&field)[N], std::string_view ansi) {
  const std::wstring wide = WideFromAnsi(std::string(ansi));
  const std::size_t length = std::min(wide.size(), N - 1);
  std::wmemcpy(field, wide.data(), length);
  field[length] = L'\0';
}

template <std::size_t N>
void PutPath(char (&field)[N], const std::wstring& path) {
  Put(field, AnsiFromWide(path));
}

template <std::size_t N>
void PutPath(wchar_t (&field)[N], const std::wstring& path) {
  const std::size_t length = std::min(path.size(), N - 1);
  std::wmemcpy(field, path.data(), length);
  field[length] = L'\0';
}

template <std::size_t N>
std::string Read(const char (&field)[N]) {
  return std::string(field, strnlen(field, N));
}

template <std::size_t N>
std::string Read(const wchar_t (&field)[N]) {
  return AnsiFromWide(std::wstring(field, wcsnlen(field, N)));
}

// Arguments: NULL is empty; at most 4096 characters are looked at.
constexpr std::size_t kMaxArgument = 4096;
std::string Arg(const char* text) {
  return text ? std::string(text, strnlen(text, kMaxArgument)) : std::string();
}
std::string Arg(const wchar_t* text) {
  return text ? AnsiFromWide(std::wstring(text, wcsnlen(text, kMaxArgument))) : std::string();
}
std::wstring PathArg(const char* path) { return WideFromAnsi(Arg(path)); }
std::wstring PathArg(const wchar_t* path) {
  return path ? std::wstring(path, wcsnlen(path, kMaxArgument)) : std::wstring();
}

HRASCONN AsConnection(uint64_t handle) {
  return reinterpret_cast<HRASCONN>(static_cast<uintptr_t>(handle));
}
uint64_t HandleOf(HRASCONN connection) {
  return static_cast<uint64_t>(reinterpret_cast<uintptr_t>(connection));
}

// --- calls -------------------------------------------------------------------------------------

// Runs a function's body: no exception leaves the library.
template <typename Body>
DWORD Guarded(Body&& body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return ERROR_NOT_ENOUGH_MEMORY;
  } catch (...) {
    return ERROR_UNKNOWN;
  }
}

// Runs `body(line, session)` with the line's mutex held.
template <typename Body>
DWORD WithSession(Body&& body) {
  uint32_t error = 0;
  const std::shared_ptr<Line> line = Line::Open(&error);
  if (!line) return error;
  Line::Session session(*line);
  if (session.error()) return session.error();
  return body(*line, session);
}

// The two-call pattern: `items` elements of `stride` bytes into the caller's buffer of
// *bytes bytes, or ERROR_BUFFER_TOO_SMALL with the size needed and the count.
template <typename T, typename Fill>
DWORD Deliver(T* buffer, LPDWORD bytes, LPDWORD count, DWORD stride, std::size_t items,
              Fill&& fill) {
  const DWORD needed = DWORD(items * stride);
  *count = DWORD(items);
  if (needed > 0 && (!buffer || *bytes < needed)) {
    *bytes = needed;
    return ERROR_BUFFER_TOO_SMALL;
  }
  for (std::size_t i = 0; i < items; ++i) {
    T item{};
    fill(item, i);
    Store(reinterpret_cast<BYTE*>(buffer) + i * stride, item, stride);
  }
  *bytes = needed;
  return 0;
}

// The element size of an enumeration: the first element's dwSize, or the full size when the
// caller passes no buffer (asking for the size needed).
template <typename T, std::size_t N>
DWORD StrideOf(const T* buffer, const DWORD* bytes, const std::array<DWORD, N>& sizes,
               DWORD& stride) {
  stride = sizeof(T);
  if (!buffer || *bytes < sizeof(DWORD)) return 0;
  if (!Accepts(sizes, buffer->dwSize)) return ERROR_INVALID_SIZE;
  stride = buffer->dwSize;
  return 0;
}

template <typename T>
DWORD EnumConnections(T* buffer, LPDWORD bytes, LPDWORD count) {
  if (!bytes || !count) return ERROR_INVALID_PARAMETER;
  DWORD stride = 0;
  if (const DWORD error = StrideOf(buffer, bytes, kConnectionSizes<T>, stride)) return error;
  std::vector<ConnectionSlot> connected;
  if (const DWORD error = WithSession([&](Line&, Line::Session& session) {
        connected = session.Connected();
        return DWORD{0};
      })) {
    return error;
  }
  return Deliver(buffer, bytes, count, stride, connected.size(), [&](T& item, std::size_t i) {
    const ConnectionSlot& slot = connected[i];
    item.hrasconn = AsConnection(slot.handle);
    Put(item.szEntryName, FieldOf(slot.entry));
    Put(item.szDeviceType, FieldOf(slot.device_type));
    Put(item.szDeviceName, FieldOf(slot.device_name));
    Put(item.szPhonebook, FieldOf(slot.phonebook));
    item.dwSubEntry = 1;
    item.luid.LowPart = DWORD(slot.handle);
  });
}

template <typename T>
DWORD EnumEntries(const void* reserved, const std::wstring& phonebook, T* buffer, LPDWORD bytes,
                  LPDWORD count) {
  if (reserved || !bytes || !count) return ERROR_INVALID_PARAMETER;
  DWORD stride = 0;
  if (const DWORD error = StrideOf(buffer, bytes, kEntryNameSizes<T>, stride)) return error;
  std::vector<std::string> names;
  std::wstring path;
  if (const DWORD error = WithSession([&](Line& line, Line::Session& session) -> DWORD {
        path = line.Phonebook(phonebook);
        Phonebook book;
        if (const uint32_t read = ReadPhonebook(session, path, book)) return read;
        names = book.EntryNames();
        return 0;
      })) {
    return error;
  }
  return Deliver(buffer, bytes, count, stride, names.size(), [&](T& item, std::size_t i) {
    Put(item.szEntryName, names[i]);
    item.dwFlags = REN_User;
    PutPath(item.szPhonebookPath, path);
  });
}

template <typename T>
DWORD EnumDevices(T* buffer, LPDWORD bytes, LPDWORD count) {
  if (!bytes || !count) return ERROR_INVALID_PARAMETER;
  DWORD stride = 0;
  if (const DWORD error = StrideOf(buffer, bytes, kDeviceSizes<T>, stride)) return error;
  return Deliver(buffer, bytes, count, stride, 1, [](T& item, std::size_t) {
    Put(item.szDeviceType, kDefaultDeviceType);
    Put(item.szDeviceName, kDeviceName);
  });
}

template <typename T>
DWORD GetEntryProperties(const std::wstring& phonebook, const std::string& name, T* buffer,
                         LPDWORD bytes, LPDWORD device_bytes) {
  if (!bytes) return ERROR_INVALID_PARAMETER;
  DWORD needed = sizeof(T);
  if (buffer && *bytes >= sizeof(DWORD)) {
    if (!Accepts(kEntrySizes<T>, buffer->dwSize)) return ERROR_INVALID_SIZE;
    needed = buffer->dwSize;
  }
  // No device-specific configuration.
  if (device_bytes) *device_bytes = 0;
  if (!buffer || *bytes < needed) {
    *bytes = needed;
    return ERROR_BUFFER_TOO_SMALL;
  }
  // An empty name asks for the properties of a new entry.
  Entry entry;
  if (!name.empty()) {
    if (const DWORD error = WithSession([&](Line& line, Line::Session& session) {
          return DWORD(ReadEntry(session, line.Phonebook(phonebook), name, entry));
        })) {
      return error;
    }
  }
  T item{};
  item.dwfOptions = entry.use_country_and_area_codes ? RASEO_UseCountryAndAreaCodes : 0;
  item.dwCountryID = entry.country_id;
  item.dwCountryCode = entry.country_code;
  Put(item.szAreaCode, entry.area_code);
  Put(item.szLocalPhoneNumber, entry.phone_number);
  item.dwfNetProtocols = RASNP_Ip;
  item.dwFramingProtocol = RASFP_Ppp;
  Put(item.szDeviceType, entry.device_type);
  Put(item.szDeviceName, DeviceNameOf(entry.device_type));
  item.dwSubEntries = 1;
  item.dwDialMode = RASEDM_DialAll;
  item.dwType = RASET_Phone;
  item.dwEncryptionType = ET_Optional;
  Store(buffer, item, needed);
  *bytes = needed;
  return 0;
}

template <typename T>
DWORD SetEntryProperties(const std::wstring& phonebook, const std::string& name, const T* buffer,
                         DWORD bytes) {
  if (!buffer || bytes < sizeof(DWORD)) return ERROR_INVALID_PARAMETER;
  if (!Accepts(kEntrySizes<T>, buffer->dwSize)) return ERROR_INVALID_SIZE;
  if (bytes < buffer->dwSize) return ERROR_BUFFER_INVALID;
  if (!IsValidEntryName(name)) return ERROR_INVALID_NAME;
  const T given = Load(buffer, buffer->dwSize);
  return WithSession([&](Line& line, Line::Session& session) {
    return DWORD(ChangePhonebook(session, line.Phonebook(phonebook), [&](Phonebook& book) {
      Entry entry;
      entry.name = name;
      if (const auto found = book.Find(name)) entry = *found;
      entry.phone_number = Read(given.szLocalPhoneNumber);
      entry.area_code = Read(given.szAreaCode);
      entry.country_code = given.dwCountryCode;
      entry.country_id = given.dwCountryID != 0 ? given.dwCountryID : given.dwCountryCode;
      entry.use_country_and_area_codes = (given.dwfOptions & RASEO_UseCountryAndAreaCodes) != 0;
      const std::string device = Read(given.szDeviceType);
      if (!device.empty()) entry.device_type = device;
      return book.Put(entry) ? 0u : uint32_t{ERROR_INVALID_NAME};
    }));
  });
}

template <typename T>
DWORD GetEntryDialParams(const std::wstring& phonebook, T* params, LPBOOL has_password) {
  if (!params || !has_password) return ERROR_INVALID_PARAMETER;
  if (!Accepts(kDialParamsSizes<T>, params->dwSize)) return ERROR_INVALID_SIZE;
  T item = Load(params, params->dwSize);
  Entry entry;
  if (const DWORD error = WithSession([&](Line& line, Line::Session& session) {
        return DWORD(ReadEntry(session, line.Phonebook(phonebook), Read(item.szEntryName), entry));
      })) {
    return error;
  }
  Put(item.szPhoneNumber, "");
  Put(item.szCallbackNumber, "");
  Put(item.szUserName, entry.user);
  Put(item.szPassword, entry.password);
  Put(item.szDomain, "");
  Store(params, item, params->dwSize);
  *has_password = entry.password.empty() ? FALSE : TRUE;
  return 0;
}

template <typename T>
DWORD SetEntryDialParams(const std::wstring& phonebook, const T* params, BOOL remove_password) {
  if (!params) return ERROR_INVALID_PARAMETER;
  if (!Accepts(kDialParamsSizes<T>, params->dwSize)) return ERROR_INVALID_SIZE;
  const T item = Load(params, params->dwSize);
  return WithSession([&](Line& line, Line::Session& session) {
    return DWORD(
        ChangeEntry(session, line.Phonebook(phonebook), Read(item.szEntryName), [&](Entry& entry) {
          entry.user = Read(item.szUserName);
          entry.password = remove_password ? "" : Read(item.szPassword);
        }));
  });
}

template <typename T>
DWORD DialWith(const std::wstring& phonebook, const T* params, DWORD notifier_type, void* notifier,
               HRASCONN* connection) {
  if (!connection) return ERROR_INVALID_PARAMETER;
  *connection = nullptr;
  if (!params) return ERROR_INVALID_PARAMETER;
  if (!Accepts(kDialParamsSizes<T>, params->dwSize)) return ERROR_INVALID_SIZE;
  const T item = Load(params, params->dwSize);
  DialNotifier dial_notifier;
  if (notifier) {
    if (notifier_type > 2 && notifier_type != kWindowNotifier) return ERROR_INVALID_PARAMETER;
    if (notifier_type == kWindowNotifier && !IsWindow(static_cast<HWND>(notifier))) {
      return ERROR_INVALID_PARAMETER;
    }
    dial_notifier.type = notifier_type;
    dial_notifier.function = notifier;
    dial_notifier.callback_id = item.dwCallbackId;
  }
  DialRequest request;
  request.entry = Read(item.szEntryName);
  request.number = Read(item.szPhoneNumber);
  request.phonebook = phonebook;
  return Dial(request, dial_notifier, connection);
}

template <typename T>
DWORD GetConnectStatus(HRASCONN connection, T* status) {
  if (!status) return ERROR_INVALID_PARAMETER;
  if (!Accepts(kStatusSizes<T>, status->dwSize)) return ERROR_INVALID_SIZE;
  const DWORD size = status->dwSize;
  return WithSession([&](Line&, Line::Session& session) -> DWORD {
    const ConnectionSlot* slot = session.Find(HandleOf(connection));
    if (!slot) return ERROR_INVALID_HANDLE;
    T item{};
    item.rasconnstate = slot->state == uint32_t(SlotState::Connected)
                            ? RASCS_Connected
                            : static_cast<RASCONNSTATE>(slot->dial_state);
    item.dwError = slot->error;
    Put(item.szDeviceType, FieldOf(slot->device_type));
    Put(item.szDeviceName, FieldOf(slot->device_name));
    Put(item.szPhoneNumber, FieldOf(slot->phone_number));
    Store(status, item, size);
    return 0;
  });
}

DWORD ConnectionNotification(HRASCONN connection, HANDLE event, DWORD flags) {
  if (!event || event == INVALID_HANDLE_VALUE || flags == 0 || (flags & ~kNotifyFlags)) {
    return ERROR_INVALID_PARAMETER;
  }
  const uint64_t target = connection == reinterpret_cast<HRASCONN>(INVALID_HANDLE_VALUE)
                              ? kAllConnections
                              : HandleOf(connection);
  return WithSession([&](Line&, Line::Session& session) -> DWORD {
    if (target != kAllConnections && !session.Find(target)) return ERROR_INVALID_HANDLE;
    return session.Register(event, flags, target);
  });
}

// The country's name: UTF-16 for the wide function, the system code page for the ANSI one.
std::wstring CountryName(const Country& country, const wchar_t*) {
  const std::string_view utf8 = country.name;
  const int size = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
  std::wstring wide(size, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), wide.data(), size);
  return wide;
}
std::string CountryName(const Country& country, const char*) {
  return AnsiFromWide(CountryName(country, static_cast<const wchar_t*>(nullptr)));
}

template <typename Char>
DWORD GetCountryInfo(RASCTRYINFO* info, LPDWORD bytes) {
  if (!info || !bytes) return ERROR_INVALID_PARAMETER;
  if (*bytes < sizeof(RASCTRYINFO)) {
    *bytes = sizeof(RASCTRYINFO) + (kMaxEntryName + 1) * sizeof(Char);
    return ERROR_BUFFER_TOO_SMALL;
  }
  if (info->dwSize != sizeof(RASCTRYINFO)) return ERROR_INVALID_SIZE;
  const Country* country = FindCountry(info->dwCountryID);
  if (!country) return ERROR_INVALID_PARAMETER;
  const auto name = CountryName(*country, static_cast<const Char*>(nullptr));
  const DWORD needed = DWORD(sizeof(RASCTRYINFO) + (name.size() + 1) * sizeof(Char));
  if (*bytes < needed) {
    *bytes = needed;
    return ERROR_BUFFER_TOO_SMALL;
  }
  info->dwNextCountryID = NextCountryId(country->id);
  info->dwCountryCode = country->code;
  info->dwCountryNameOffset = sizeof(RASCTRYINFO);
  std::memcpy(reinterpret_cast<BYTE*>(info) + sizeof(RASCTRYINFO), name.c_str(),
              (name.size() + 1) * sizeof(Char));
  *bytes = needed;
  return 0;
}

template <typename Char>
DWORD GetErrorString(UINT code, Char* buffer, DWORD size) {
  if (!buffer || size == 0) return ERROR_INVALID_PARAMETER;
  const std::string_view text = ErrorText(code);
  if (text.empty()) return ERROR_INVALID_PARAMETER;
  const std::size_t length = std::min<std::size_t>(text.size(), size - 1);
  std::copy_n(text.begin(), length, buffer);
  buffer[length] = 0;
  return text.size() < size ? 0 : ERROR_INSUFFICIENT_BUFFER;
}

DWORD ValidateEntryName(const std::wstring& phonebook, const std::string& name) {
  if (!IsValidEntryName(name)) return ERROR_INVALID_NAME;
  return WithSession([&](Line& line, Line::Session& session) -> DWORD {
    Phonebook book;
    if (const uint32_t error = ReadPhonebook(session, line.Phonebook(phonebook), book)) {
      return error;
    }
    return book.Contains(name) ? ERROR_ALREADY_EXISTS : 0;
  });
}

DWORD DeleteEntry(const std::wstring& phonebook, const std::string& name) {
  return WithSession([&](Line& line, Line::Session& session) {
    return DWORD(ChangePhonebook(session, line.Phonebook(phonebook), [&](Phonebook& book) {
      return book.Remove(name) ? 0u : uint32_t{ERROR_CANNOT_FIND_PHONEBOOK_ENTRY};
    }));
  });
}

DWORD RenameEntry(const std::wstring& phonebook, const std::string& from, const std::string& to) {
  if (!IsValidEntryName(to)) return ERROR_INVALID_NAME;
  return WithSession([&](Line& line, Line::Session& session) {
    return DWORD(
        ChangePhonebook(session, line.Phonebook(phonebook), [&](Phonebook& book) -> uint32_t {
          if (!book.Contains(from)) return ERROR_CANNOT_FIND_PHONEBOOK_ENTRY;
          if (!SameEntryName(from, to) && book.Contains(to)) return ERROR_ALREADY_EXISTS;
          return book.Rename(from, to) ? 0 : ERROR_INVALID_NAME;
        }));
  });
}

}  // namespace
}  // namespace lw::linesim

namespace ls = lw::linesim;

extern "C" {

// Every export that the line does not implement.
DWORD WINAPI LineSimNotImplemented() { return ERROR_CALL_NOT_IMPLEMENTED; }

DWORD WINAPI RasEnumConnectionsA(LPRASCONNA buffer, LPDWORD bytes, LPDWORD count) {
  return ls::Guarded([&] { return ls::EnumConnections(buffer, bytes, count); });
}
DWORD WINAPI RasEnumConnectionsW(LPRASCONNW buffer, LPDWORD bytes, LPDWORD count) {
  return ls::Guarded([&] { return ls::EnumConnections(buffer, bytes, count); });
}

DWORD WINAPI RasEnumEntriesA(LPCSTR reserved, LPCSTR phonebook, LPRASENTRYNAMEA buffer,
                             LPDWORD bytes, LPDWORD count) {
  return ls::Guarded(
      [&] { return ls::EnumEntries(reserved, ls::PathArg(phonebook), buffer, bytes, count); });
}
DWORD WINAPI RasEnumEntriesW(LPCWSTR reserved, LPCWSTR phonebook, LPRASENTRYNAMEW buffer,
                             LPDWORD bytes, LPDWORD count) {
  return ls::Guarded(
      [&] { return ls::EnumEntries(reserved, ls::PathArg(phonebook), buffer, bytes, count); });
}

DWORD WINAPI RasEnumDevicesA(LPRASDEVINFOA buffer, LPDWORD bytes, LPDWORD count) {
  return ls::Guarded([&] { return ls::EnumDevices(buffer, bytes, count); });
}
DWORD WINAPI RasEnumDevicesW(LPRASDEVINFOW buffer, LPDWORD bytes, LPDWORD count) {
  return ls::Guarded([&] { return ls::EnumDevices(buffer, bytes, count); });
}

DWORD WINAPI RasGetEntryPropertiesA(LPCSTR phonebook, LPCSTR entry, LPRASENTRYA buffer,
                                    LPDWORD bytes, LPBYTE, LPDWORD device_bytes) {
  return ls::Guarded([&] {
    return ls::GetEntryProperties(ls::PathArg(phonebook), ls::Arg(entry), buffer, bytes,
                                  device_bytes);
  });
}
DWORD WINAPI RasGetEntryPropertiesW(LPCWSTR phonebook, LPCWSTR entry, LPRASENTRYW buffer,
                                    LPDWORD bytes, LPBYTE, LPDWORD device_bytes) {
  return ls::Guarded([&] {
    return ls::GetEntryProperties(ls::PathArg(phonebook), ls::Arg(entry), buffer, bytes,
                                  device_bytes);
  });
}

DWORD WINAPI RasSetEntryPropertiesA(LPCSTR phonebook, LPCSTR entry, LPRASENTRYA buffer, DWORD bytes,
                                    LPBYTE, DWORD) {
  return ls::Guarded([&] {
    return ls::SetEntryProperties(ls::PathArg(phonebook), ls::Arg(entry), buffer, bytes);
  });
}
DWORD WINAPI RasSetEntryPropertiesW(LPCWSTR phonebook, LPCWSTR entry, LPRASENTRYW buffer,
                                    DWORD bytes, LPBYTE, DWORD) {
  return ls::Guarded([&] {
    return ls::SetEntryProperties(ls::PathArg(phonebook), ls::Arg(entry), buffer, bytes);
  });
}

DWORD WINAPI RasGetCountryInfoA(LPRASCTRYINFOA info, LPDWORD bytes) {
  return ls::Guarded([&] { return ls::GetCountryInfo<char>(info, bytes); });
}
DWORD WINAPI RasGetCountryInfoW(LPRASCTRYINFOW info, LPDWORD bytes) {
  return ls::Guarded([&] { return ls::GetCountryInfo<wchar_t>(info, bytes); });
}

DWORD WINAPI RasGetEntryDialParamsA(LPCSTR phonebook, LPRASDIALPARAMSA params,
                                    LPBOOL has_password) {
  return ls::Guarded(
      [&] { return ls::GetEntryDialParams(ls::PathArg(phonebook), params, has_password); });
}
DWORD WINAPI RasGetEntryDialParamsW(LPCWSTR phonebook, LPRASDIALPARAMSW params,
                                    LPBOOL has_password) {
  return ls::Guarded(
      [&] { return ls::GetEntryDialParams(ls::PathArg(phonebook), params, has_password); });
}

DWORD WINAPI RasSetEntryDialParamsA(LPCSTR phonebook, LPRASDIALPARAMSA params,
                                    WINBOOL remove_password) {
  return ls::Guarded(
      [&] { return ls::SetEntryDialParams(ls::PathArg(phonebook), params, remove_password); });
}
DWORD WINAPI RasSetEntryDialParamsW(LPCWSTR phonebook, LPRASDIALPARAMSW params,
                                    WINBOOL remove_password) {
  return ls::Guarded(
      [&] { return ls::SetEntryDialParams(ls::PathArg(phonebook), params, remove_password); });
}

DWORD WINAPI RasDialA(LPRASDIALEXTENSIONS, LPCSTR phonebook, LPRASDIALPARAMSA params,
                      DWORD notifier_type, LPVOID notifier, LPHRASCONN connection) {
  return ls::Guarded([&] {
    return ls::DialWith(ls::PathArg(phonebook), params, notifier_type, notifier, connection);
  });
}
DWORD WINAPI RasDialW(LPRASDIALEXTENSIONS, LPCWSTR phonebook, LPRASDIALPARAMSW params,
                      DWORD notifier_type, LPVOID notifier, LPHRASCONN connection) {
  return ls::Guarded([&] {
    return ls::DialWith(ls::PathArg(phonebook), params, notifier_type, notifier, connection);
  });
}

DWORD WINAPI RasHangUpA(HRASCONN connection) {
  return ls::Guarded([&] { return ls::HangUp(connection); });
}
DWORD WINAPI RasHangUpW(HRASCONN connection) {
  return ls::Guarded([&] { return ls::HangUp(connection); });
}

DWORD WINAPI RasGetErrorStringA(UINT code, LPSTR buffer, DWORD size) {
  return ls::Guarded([&] { return ls::GetErrorString(code, buffer, size); });
}
DWORD WINAPI RasGetErrorStringW(UINT code, LPWSTR buffer, DWORD size) {
  return ls::Guarded([&] { return ls::GetErrorString(code, buffer, size); });
}

DWORD WINAPI RasConnectionNotificationA(HRASCONN connection, HANDLE event, DWORD flags) {
  return ls::Guarded([&] { return ls::ConnectionNotification(connection, event, flags); });
}
DWORD WINAPI RasConnectionNotificationW(HRASCONN connection, HANDLE event, DWORD flags) {
  return ls::Guarded([&] { return ls::ConnectionNotification(connection, event, flags); });
}

DWORD WINAPI RasGetConnectStatusA(HRASCONN connection, LPRASCONNSTATUSA status) {
  return ls::Guarded([&] { return ls::GetConnectStatus(connection, status); });
}
DWORD WINAPI RasGetConnectStatusW(HRASCONN connection, LPRASCONNSTATUSW status) {
  return ls::Guarded([&] { return ls::GetConnectStatus(connection, status); });
}

DWORD WINAPI RasCreatePhonebookEntryA(HWND owner, LPCSTR phonebook) {
  return ls::Guarded([&] { return ls::CreateEntryWithDialog(owner, ls::PathArg(phonebook)); });
}
DWORD WINAPI RasCreatePhonebookEntryW(HWND owner, LPCWSTR phonebook) {
  return ls::Guarded([&] { return ls::CreateEntryWithDialog(owner, ls::PathArg(phonebook)); });
}

DWORD WINAPI RasEditPhonebookEntryA(HWND owner, LPCSTR phonebook, LPCSTR entry) {
  return ls::Guarded(
      [&] { return ls::EditEntryWithDialog(owner, ls::PathArg(phonebook), ls::Arg(entry)); });
}
DWORD WINAPI RasEditPhonebookEntryW(HWND owner, LPCWSTR phonebook, LPCWSTR entry) {
  return ls::Guarded(
      [&] { return ls::EditEntryWithDialog(owner, ls::PathArg(phonebook), ls::Arg(entry)); });
}

DWORD WINAPI RasDeleteEntryA(LPCSTR phonebook, LPCSTR entry) {
  return ls::Guarded([&] { return ls::DeleteEntry(ls::PathArg(phonebook), ls::Arg(entry)); });
}
DWORD WINAPI RasDeleteEntryW(LPCWSTR phonebook, LPCWSTR entry) {
  return ls::Guarded([&] { return ls::DeleteEntry(ls::PathArg(phonebook), ls::Arg(entry)); });
}

DWORD WINAPI RasValidateEntryNameA(LPCSTR phonebook, LPCSTR entry) {
  return ls::Guarded([&] { return ls::ValidateEntryName(ls::PathArg(phonebook), ls::Arg(entry)); });
}
DWORD WINAPI RasValidateEntryNameW(LPCWSTR phonebook, LPCWSTR entry) {
  return ls::Guarded([&] { return ls::ValidateEntryName(ls::PathArg(phonebook), ls::Arg(entry)); });
}

DWORD WINAPI RasRenameEntryA(LPCSTR phonebook, LPCSTR from, LPCSTR to) {
  return ls::Guarded(
      [&] { return ls::RenameEntry(ls::PathArg(phonebook), ls::Arg(from), ls::Arg(to)); });
}
DWORD WINAPI RasRenameEntryW(LPCWSTR phonebook, LPCWSTR from, LPCWSTR to) {
  return ls::Guarded(
      [&] { return ls::RenameEntry(ls::PathArg(phonebook), ls::Arg(from), ls::Arg(to)); });
}

}  // extern "C"
