#include "linesim/win/dial.h"

#include <raserror.h>

#include <atomic>
#include <map>
#include <memory>
#include <new>
#include <utility>

#include "linesim/phonebook.h"
#include "linesim/win/line_state.h"
#include "linesim/win/phonebook_store.h"

namespace lw::linesim {
namespace {

constexpr RASCONNSTATE kStates[] = {
    RASCS_OpenPort,
    RASCS_PortOpened,
    RASCS_ConnectDevice,
    RASCS_DeviceConnected,
    RASCS_AllDevicesConnected,
    RASCS_Authenticate,
    RASCS_AuthNotify,
    RASCS_AuthAck,
    RASCS_Authenticated,
    RASCS_Connected,
};

// How long a hang-up waits for a notification under way on the dial's thread.
constexpr DWORD kNotificationWaitMs = 5000;

// A dial of this process that runs on its own thread. `idle` is set while its notifier is
// not running.
struct LocalDial {
  HANDLE idle = CreateEventW(nullptr, TRUE, TRUE, nullptr);
  std::atomic<DWORD> thread_id{0};
  ~LocalDial() {
    if (idle) CloseHandle(idle);
  }
};

// The process's running dials by handle. Never destroyed: a dial thread may outlive the
// static objects of the process.
class LocalDials {
 public:
  static LocalDials& Get() {
    static LocalDials* dials = new LocalDials;
    return *dials;
  }
  void Add(uint64_t handle, std::shared_ptr<LocalDial> dial) {
    AcquireSRWLockExclusive(&lock_);
    dials_[handle] = std::move(dial);
    ReleaseSRWLockExclusive(&lock_);
  }
  void Remove(uint64_t handle) {
    AcquireSRWLockExclusive(&lock_);
    dials_.erase(handle);
    ReleaseSRWLockExclusive(&lock_);
  }
  std::shared_ptr<LocalDial> Find(uint64_t handle) {
    AcquireSRWLockShared(&lock_);
    const auto found = dials_.find(handle);
    std::shared_ptr<LocalDial> dial = found == dials_.end() ? nullptr : found->second;
    ReleaseSRWLockShared(&lock_);
    return dial;
  }

 private:
  SRWLOCK lock_ = SRWLOCK_INIT;
  std::map<uint64_t, std::shared_ptr<LocalDial>> dials_;
};

struct DialJob {
  std::shared_ptr<Line> line;
  uint64_t handle = 0;
  uint32_t fail_code = 0;  // the code the dial fails with in ConnectDevice; 0: none
  uint32_t delay_ms = kDefaultDelayMs;
  DialNotifier notifier;
  std::shared_ptr<LocalDial> local;
};

HRASCONN AsConnection(uint64_t handle) {
  return reinterpret_cast<HRASCONN>(static_cast<uintptr_t>(handle));
}

// Calls the notifier; false when it asks for no more notifications (RasDialFunc2 answering 0).
bool Notify(const DialNotifier& notifier, uint64_t handle, RASCONNSTATE state, DWORD error) {
  switch (notifier.type) {
    case 0:
      reinterpret_cast<RASDIALFUNC>(notifier.function)(WM_RASDIALEVENT, state, error);
      return true;
    case 1:
      reinterpret_cast<RASDIALFUNC1>(notifier.function)(AsConnection(handle), WM_RASDIALEVENT,
                                                        state, error, 0);
      return true;
    case 2:
      return reinterpret_cast<RASDIALFUNC2>(notifier.function)(
                 notifier.callback_id, 1, AsConnection(handle), WM_RASDIALEVENT, state, error, 0) !=
             0;
    default:
      PostMessageW(static_cast<HWND>(notifier.function), WM_RASDIALEVENT, state, error);
      return true;
  }
}

// Walks the dial's states; the code the dial ended with. A dial whose connection has gone
// (hung up, the line reset) ends at once with ERROR_USER_DISCONNECTION and no notification.
DWORD Walk(DialJob& job) {
  bool notifying = job.notifier.function != nullptr;
  for (const RASCONNSTATE state : kStates) {
    DWORD error = 0;
    RASCONNSTATE reported = state;
    bool last = false;
    {
      Line::Session session(*job.line);
      if (session.error()) return session.error();
      ConnectionSlot* slot = session.Find(job.handle);
      if (!slot) return ERROR_USER_DISCONNECTION;
      if (slot->state == uint32_t(SlotState::Failed)) {
        // The line was dropped while the dial went on.
        reported = static_cast<RASCONNSTATE>(slot->dial_state);
        error = slot->error;
        last = true;
      } else {
        slot->dial_state = state;
        if (state == RASCS_ConnectDevice && job.fail_code != 0) {
          slot->state = uint32_t(SlotState::Failed);
          slot->error = error = job.fail_code;
          last = true;
        } else if (state == RASCS_Connected) {
          slot->state = uint32_t(SlotState::Connected);
          session.Signal(RASCN_Connection, job.handle);
          last = true;
        }
      }
      // A hang-up from now on waits for this notification to end.
      if (notifying && job.local) ResetEvent(job.local->idle);
    }
    if (notifying) {
      notifying = Notify(job.notifier, job.handle, reported, error);
    }
    if (job.local) SetEvent(job.local->idle);
    if (last) return error;
    Sleep(job.delay_ms);
  }
  return 0;
}

DWORD WINAPI DialThread(void* parameter) {
  std::unique_ptr<DialJob> job(static_cast<DialJob*>(parameter));
  try {
    Walk(*job);
  } catch (...) {
    // Nothing leaves the thread; a dial left half-way goes when its process ends.
  }
  LocalDials::Get().Remove(job->handle);
  return 0;
}

// Starts the dial's own thread; 0 or the code of why it could not.
DWORD StartThread(std::unique_ptr<DialJob> job) {
  // The thread may outlive the caller's hold on this library.
  HMODULE self = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                     reinterpret_cast<LPCWSTR>(&DialThread), &self);
  const auto local = std::make_shared<LocalDial>();
  if (!local->idle) return GetLastError();
  job->local = local;
  const uint64_t handle = job->handle;
  LocalDials::Get().Add(handle, local);
  DWORD thread_id = 0;
  HANDLE thread = CreateThread(nullptr, 0, DialThread, job.get(), CREATE_SUSPENDED, &thread_id);
  if (!thread) {
    const DWORD error = GetLastError();
    LocalDials::Get().Remove(handle);
    return error;
  }
  job.release();
  local->thread_id = thread_id;
  ResumeThread(thread);
  CloseHandle(thread);
  return 0;
}

// What the dial reaches: the entry's name and device, the number and the phonebook.
struct Target {
  std::string entry;
  std::string device_type = kDefaultDeviceType;
  std::string number;
  std::string phonebook;
};

DWORD Resolve(Line& line, Line::Session& session, const DialRequest& request, Target& target) {
  if (request.entry.empty()) {
    if (request.number.empty()) return ERROR_INVALID_PARAMETER;
    target.entry = "." + request.number;
    target.number = request.number;
    return 0;
  }
  const std::wstring path = line.Phonebook(request.phonebook);
  Entry entry;
  if (const DWORD error = ReadEntry(session, path, request.entry, entry)) return error;
  target.entry = entry.name;
  target.device_type = entry.device_type;
  target.number = request.number.empty() ? DialledNumber(entry) : request.number;
  target.phonebook = AnsiFromWide(path);
  return 0;
}

}  // namespace

DWORD Dial(const DialRequest& request, const DialNotifier& notifier, HRASCONN* connection) {
  *connection = nullptr;
  uint32_t error = 0;
  const std::shared_ptr<Line> line = Line::Open(&error);
  if (!line) return error;

  auto job = std::make_unique<DialJob>();
  job->line = line;
  job->notifier = notifier;
  Target target;
  {
    Line::Session session(*line);
    if (session.error()) return session.error();
    const FailMode mode = session.fail_mode();
    if (mode == FailMode::Start) return session.state().fail_code;
    if (mode == FailMode::Dial) job->fail_code = session.state().fail_code;
    job->delay_ms = session.state().delay_ms;
    if (const DWORD resolved = Resolve(*line, session, request, target)) return resolved;
    ConnectionSlot* slot = session.Allocate();
    if (!slot) return ERROR_PORT_NOT_AVAILABLE;
    SetField(slot->entry, target.entry);
    SetField(slot->device_type, target.device_type);
    SetField(slot->device_name, DeviceNameOf(target.device_type));
    SetField(slot->phone_number, target.number);
    SetField(slot->phonebook, target.phonebook);
    slot->dial_state = RASCS_OpenPort;
    job->handle = slot->handle;
  }
  *connection = AsConnection(job->handle);
  if (!notifier.function) return Walk(*job);

  const uint64_t handle = job->handle;
  DWORD started = 0;
  try {
    started = StartThread(std::move(job));
  } catch (const std::bad_alloc&) {
    started = ERROR_NOT_ENOUGH_MEMORY;
  }
  if (started != 0) {
    Line::Session session(*line);
    if (!session.error()) {
      if (ConnectionSlot* slot = session.Find(handle)) session.Remove(*slot);
    }
    *connection = nullptr;
  }
  return started;
}

DWORD HangUp(HRASCONN connection) {
  const auto handle = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(connection));
  uint32_t error = 0;
  const std::shared_ptr<Line> line = Line::Open(&error);
  if (!line) return error;
  {
    Line::Session session(*line);
    if (session.error()) return session.error();
    ConnectionSlot* slot = session.Find(handle);
    if (!slot) return ERROR_INVALID_HANDLE;
    session.Remove(*slot);
  }
  // A notifier may hang up from inside its own notification.
  const std::shared_ptr<LocalDial> local = LocalDials::Get().Find(handle);
  if (local && local->thread_id != GetCurrentThreadId()) {
    WaitForSingleObject(local->idle, kNotificationWaitMs);
  }
  return 0;
}

}  // namespace lw::linesim
