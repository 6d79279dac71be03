#include "linesim/win/line_state.h"

#include <ras.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <type_traits>

#include "linesim/phonebook.h"

namespace lw::linesim {
namespace {

constexpr char kMagic[8] = {'L', 'I', 'N', 'E', 'S', 'I', 'M', '\0'};
constexpr uint32_t kVersion = 1;

static_assert(std::is_trivially_copyable_v<SharedState>);

uint64_t FromFileTime(const FILETIME& time) {
  return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

uint64_t StartedOf(HANDLE process) {
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
  return FromFileTime(created);
}

// Whether an open process is still the one with that creation time and has not ended.
bool IsSameLiveProcess(HANDLE process, uint64_t started) {
  if (WaitForSingleObject(process, 0) != WAIT_TIMEOUT) return false;
  const uint64_t actual = StartedOf(process);
  return started == 0 || actual == 0 || actual == started;
}

bool IsAlive(uint32_t pid, uint64_t started) {
  if (pid == GetCurrentProcessId()) return started == 0 || started == ProcessStarted();
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, pid);
  if (!process) return GetLastError() == ERROR_ACCESS_DENIED;
  const bool alive = IsSameLiveProcess(process, started);
  CloseHandle(process);
  return alive;
}

std::wstring Environment(const wchar_t* name) {
  std::wstring value(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetEnvironmentVariableW(name, value.data(), DWORD(value.size()));
    if (length == 0) return {};
    if (length < value.size()) {
      value.resize(length);
      return value;
    }
    value.resize(length);
  }
}

std::wstring FullPath(const std::wstring& path) {
  std::wstring full(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetFullPathNameW(path.c_str(), DWORD(full.size()), full.data(), nullptr);
    if (length == 0) return path;
    if (length < full.size()) {
      full.resize(length);
      break;
    }
    full.resize(length);
  }
  // No separator at the end, but for a drive's root.
  while (full.size() > 3 && (full.back() == L'\\' || full.back() == L'/')) full.pop_back();
  return full;
}

bool IsFolder(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Creates the folder and the folders above it that are missing.
bool EnsureFolder(const std::wstring& path) {
  if (IsFolder(path)) return true;
  for (std::size_t at = path.find_first_of(L"\\/", 3); at != std::wstring::npos;
       at = path.find_first_of(L"\\/", at + 1)) {
    CreateDirectoryW(path.substr(0, at).c_str(), nullptr);
  }
  CreateDirectoryW(path.c_str(), nullptr);
  return IsFolder(path);
}

std::wstring LineFolder() {
  std::wstring folder = Environment(L"LINESIM_DIR");
  if (folder.empty()) {
    std::wstring base = Environment(L"APPDATA");
    if (base.empty()) base = Environment(L"USERPROFILE") + L"\\AppData\\Roaming";
    folder = base + L"\\Microsoft\\Network\\Connections\\Pbk";
  }
  return FullPath(folder);
}

// "Local\LineSim-" and a hash of the folder's upper-case path.
std::wstring MutexName(const std::wstring& folder) {
  std::wstring upper = folder;
  CharUpperBuffW(upper.data(), DWORD(upper.size()));
  uint64_t hash = 14695981039346656037ull;
  for (wchar_t c : upper) {
    hash ^= static_cast<uint16_t>(c);
    hash *= 1099511628211ull;
  }
  wchar_t name[64];
  std::swprintf(name, 64, L"Local\\LineSim-%016llx", static_cast<unsigned long long>(hash));
  return name;
}

bool IsSound(const SharedState& state) {
  if (std::memcmp(state.magic, kMagic, sizeof kMagic) != 0 || state.version != kVersion ||
      state.size != sizeof(SharedState) || state.next_handle < kFirstHandle ||
      state.delay_ms > kMaxDelayMs || state.fail_mode > uint32_t(FailMode::Start)) {
    return false;
  }
  return std::all_of(std::begin(state.connections), std::end(state.connections),
                     [](const ConnectionSlot& slot) {
                       return slot.state <= uint32_t(SlotState::Failed) &&
                              (slot.state == uint32_t(SlotState::Free) || slot.handle != 0);
                     });
}

void Initialise(SharedState& state) {
  std::memset(&state, 0, sizeof state);
  std::memcpy(state.magic, kMagic, sizeof kMagic);
  state.version = kVersion;
  state.size = sizeof(SharedState);
  state.next_handle = kFirstHandle;
  state.next_serial = 1;
  state.delay_ms = kDefaultDelayMs;
}

}  // namespace

std::string DeviceNameOf(const std::string& device_type) {
  return SameEntryName(device_type, kDefaultDeviceType) ? kDeviceName : "LineSim " + device_type;
}

uint64_t ProcessStarted() {
  static const uint64_t started = StartedOf(GetCurrentProcess());
  return started;
}

std::wstring WideFromAnsi(const std::string& text) {
  if (text.empty()) return {};
  const int size = MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), nullptr, 0);
  std::wstring wide(size, L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), wide.data(), size);
  return wide;
}

std::string AnsiFromWide(const std::wstring& text) {
  if (text.empty()) return {};
  const int size =
      WideCharToMultiByte(CP_ACP, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
  std::string ansi(size, '\0');
  WideCharToMultiByte(CP_ACP, 0, text.data(), int(text.size()), ansi.data(), size, nullptr,
                      nullptr);
  return ansi;
}

std::shared_ptr<Line> Line::Open(uint32_t* error) {
  std::shared_ptr<Line> line(new Line);
  line->folder_ = LineFolder();
  uint32_t code = 0;
  if (!EnsureFolder(line->folder_)) {
    code = ERROR_PATH_NOT_FOUND;
  } else {
    line->mutex_ = CreateMutexW(nullptr, FALSE, MutexName(line->folder_).c_str());
    code = line->mutex_ ? line->Map() : GetLastError();
  }
  if (error) *error = code;
  return code == 0 ? line : nullptr;
}

uint32_t Line::Map() {
  Session session(*this);
  if (session.error()) return session.error();
  const std::wstring path = folder_ + L"\\" + WideFromAnsi(kStateFile);
  file_ = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                      FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file_ == INVALID_HANDLE_VALUE) return GetLastError();
  LARGE_INTEGER size = {};
  GetFileSizeEx(file_, &size);
  const bool sized = size.QuadPart == LONGLONG{sizeof(SharedState)};
  if (!sized) {
    // Another size is another layout: the file starts afresh at this one's size. A larger
    // file that cannot be cut (mapped elsewhere) keeps its tail, which is never read.
    LARGE_INTEGER end;
    end.QuadPart = sizeof(SharedState);
    if (SetFilePointerEx(file_, end, nullptr, FILE_BEGIN)) SetEndOfFile(file_);
  }
  mapping_ = CreateFileMappingW(file_, nullptr, PAGE_READWRITE, 0, sizeof(SharedState), nullptr);
  if (!mapping_) return GetLastError();
  view_ = static_cast<SharedState*>(
      MapViewOfFile(mapping_, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, sizeof(SharedState)));
  if (!view_) return GetLastError();
  if (!sized || !IsSound(*view_)) Initialise(*view_);
  return 0;
}

Line::~Line() {
  if (view_) UnmapViewOfFile(view_);
  if (mapping_) CloseHandle(mapping_);
  if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
  if (mutex_) CloseHandle(mutex_);
}

std::wstring Line::Phonebook(const std::wstring& path) const {
  return path.empty() ? folder_ + L"\\" + WideFromAnsi(kPhonebookFile) : path;
}

Line::Session::Session(Line& line) : line_(line) {
  const DWORD waited = WaitForSingleObject(line_.mutex_, kLockTimeoutMs);
  if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
    error_ = waited == WAIT_TIMEOUT ? ERROR_TIMEOUT : GetLastError();
    return;
  }
  owned_ = true;
  // While the line is being mapped, there is no state yet.
  if (!line_.view_) return;
  SharedState& shared = state();
  if (!IsSound(shared)) Initialise(shared);
  // A dial whose process has ended goes with it; connections outlive their dialler.
  for (ConnectionSlot& slot : shared.connections) {
    if (slot.state != uint32_t(SlotState::Free) && slot.state != uint32_t(SlotState::Connected) &&
        !IsAlive(slot.owner_pid, slot.owner_started)) {
      slot = {};
    }
  }
}

Line::Session::~Session() {
  if (owned_) ReleaseMutex(line_.mutex_);
}

FailMode Line::Session::fail_mode() const { return FailMode(line_.view_->fail_mode); }

ConnectionSlot* Line::Session::Find(uint64_t handle) {
  if (handle == 0) return nullptr;
  for (ConnectionSlot& slot : state().connections) {
    if (slot.state != uint32_t(SlotState::Free) && slot.handle == handle) return &slot;
  }
  return nullptr;
}

ConnectionSlot* Line::Session::Allocate() {
  SharedState& shared = state();
  ConnectionSlot* chosen = nullptr;
  for (ConnectionSlot& slot : shared.connections) {
    if (slot.state == uint32_t(SlotState::Free)) {
      chosen = &slot;
      break;
    }
  }
  if (!chosen) {
    for (ConnectionSlot& slot : shared.connections) {
      if (slot.state == uint32_t(SlotState::Failed) && (!chosen || slot.serial < chosen->serial)) {
        chosen = &slot;
      }
    }
  }
  if (!chosen) return nullptr;
  *chosen = {};
  chosen->handle = shared.next_handle++;
  if (shared.next_handle >= 0xFFFFFFF0u) shared.next_handle = kFirstHandle;
  chosen->serial = shared.next_serial++;
  chosen->owner_pid = GetCurrentProcessId();
  chosen->owner_started = ProcessStarted();
  chosen->state = uint32_t(SlotState::Dialling);
  return chosen;
}

void Line::Session::Remove(ConnectionSlot& slot) {
  const uint64_t handle = slot.handle;
  const bool connected = slot.state == uint32_t(SlotState::Connected);
  slot = {};
  if (connected) Signal(RASCN_Disconnection, handle);
  for (Registration& registration : state().registrations) {
    if (registration.connection == handle) registration = {};
  }
}

std::vector<ConnectionSlot> Line::Session::Connected() const {
  std::vector<ConnectionSlot> connected;
  for (const ConnectionSlot& slot : line_.view_->connections) {
    if (slot.state == uint32_t(SlotState::Connected)) connected.push_back(slot);
  }
  std::sort(connected.begin(), connected.end(),
            [](const ConnectionSlot& a, const ConnectionSlot& b) { return a.serial < b.serial; });
  return connected;
}

void Line::Session::Signal(uint32_t flag, uint64_t handle) {
  for (Registration& registration : state().registrations) {
    if (registration.event == 0 || !(registration.flags & flag) ||
        (registration.connection != kAllConnections && registration.connection != handle)) {
      continue;
    }
    const auto event = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(registration.event));
    if (registration.pid == GetCurrentProcessId()) {
      if (registration.started == ProcessStarted()) {
        SetEvent(event);
      } else {
        registration = {};  // an earlier process with this process's id
      }
      continue;
    }
    HANDLE process =
        OpenProcess(PROCESS_DUP_HANDLE | PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE,
                    registration.pid);
    if (!process) {
      if (GetLastError() != ERROR_ACCESS_DENIED) registration = {};
      continue;
    }
    HANDLE local = nullptr;
    if (!IsSameLiveProcess(process, registration.started)) {
      registration = {};
    } else if (DuplicateHandle(process, event, GetCurrentProcess(), &local, EVENT_MODIFY_STATE,
                               FALSE, 0)) {
      SetEvent(local);
      CloseHandle(local);
    }
    CloseHandle(process);
  }
}

uint32_t Line::Session::Register(HANDLE event, uint32_t flags, uint64_t connection) {
  const uint64_t value = reinterpret_cast<uintptr_t>(event);
  const uint32_t pid = GetCurrentProcessId();
  const uint64_t started = ProcessStarted();
  Registration* free_slot = nullptr;
  for (Registration& registration : state().registrations) {
    if (registration.event != 0 && !IsAlive(registration.pid, registration.started)) {
      registration = {};
    }
    if (registration.event == value && registration.pid == pid && registration.started == started &&
        registration.connection == connection) {
      registration.flags |= flags;
      return 0;
    }
    if (registration.event == 0 && !free_slot) free_slot = &registration;
  }
  if (!free_slot) return ERROR_NOT_ENOUGH_MEMORY;
  *free_slot = {value, connection, started, pid, flags};
  return 0;
}

void Line::Session::Reset() {
  SharedState& shared = state();
  for (ConnectionSlot& slot : shared.connections) {
    if (slot.state != uint32_t(SlotState::Free)) Remove(slot);
  }
  shared.fail_mode = uint32_t(FailMode::None);
  shared.fail_code = 0;
  shared.delay_ms = kDefaultDelayMs;
}

}  // namespace lw::linesim
