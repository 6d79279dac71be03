#pragma once
// The state the simulated line shares between all processes of the session: its connections,
// the registrations for connection events, the failure modes and the delay between the states
// of a dial.
//
// The state lives in linesim.state in the line's folder, mapped into every process that uses
// the line, and is guarded by a named mutex whose name is derived from the folder, so that
// lines of different folders (LINESIM_DIR) never meet. A file that is damaged, of another
// version or of another size is started afresh. Every use opens the line, takes the mutex
// for as long as a Session lives, and closes the file again, so nothing stays open between
// calls and a test's folder can be removed when the test ends.

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace lw::linesim {

inline constexpr int kMaxConnections = 16;
inline constexpr int kMaxRegistrations = 64;
inline constexpr uint32_t kDefaultDelayMs = 50;
inline constexpr uint32_t kMaxDelayMs = 60000;
inline constexpr uint64_t kFirstHandle = 0x1001;
// A registration for every connection (INVALID_HANDLE_VALUE as the connection).
inline constexpr uint64_t kAllConnections = ~uint64_t{0};
// How long a caller waits for the line's mutex before it gives up with ERROR_TIMEOUT.
inline constexpr DWORD kLockTimeoutMs = 10000;

inline constexpr char kDeviceName[] = "LineSim Modem";
inline constexpr char kStateFile[] = "linesim.state";
inline constexpr char kPhonebookFile[] = "rasphone.pbk";

enum class SlotState : uint32_t {
  Free = 0,
  Dialling = 1,
  Connected = 2,
  Failed = 3,  // the dial failed; the handle stays valid until it is hung up
};

enum class FailMode : uint32_t {
  None = 0,
  MissingEntry = 1,      // entries are not found (623)
  DamagedPhonebook = 2,  // the phonebook cannot be opened (621)
  Dial = 3,              // dials fail in the ConnectDevice state with fail_code
  Start = 4,             // RasDial returns fail_code at once
};

struct ConnectionSlot {
  uint64_t handle;
  uint64_t owner_started;  // creation time of the owner process (FILETIME)
  uint64_t serial;         // order of creation
  uint32_t state;          // SlotState
  uint32_t dial_state;     // RASCONNSTATE
  uint32_t error;          // the code a failed dial ended with
  uint32_t owner_pid;
  // ANSI texts, NUL-terminated within their fields.
  char entry[257];
  char device_type[17];
  char device_name[129];
  char phone_number[129];
  char phonebook[260];
};

struct Registration {
  uint64_t event;       // the event handle in the registrant's process; 0: a free slot
  uint64_t connection;  // a connection handle or kAllConnections
  uint64_t started;     // creation time of the registrant (FILETIME)
  uint32_t pid;
  uint32_t flags;  // RASCN_*
};

struct SharedState {
  char magic[8];
  uint32_t version;
  uint32_t size;
  uint64_t next_handle;
  uint64_t next_serial;
  uint32_t delay_ms;
  uint32_t fail_mode;  // FailMode
  uint32_t fail_code;
  uint32_t reserved;
  ConnectionSlot connections[kMaxConnections];
  Registration registrations[kMaxRegistrations];
};

// Copies text into a fixed field, cut to leave room for the NUL.
template <std::size_t N>
void SetField(char (&field)[N], const std::string& text) {
  const std::size_t length = text.size() < N ? text.size() : N - 1;
  text.copy(field, length);
  field[length] = '\0';
}

template <std::size_t N>
std::string FieldOf(const char (&field)[N]) {
  std::size_t length = 0;
  while (length < N && field[length] != '\0') ++length;
  return std::string(field, length);
}

class Line {
 public:
  // The line of this process's folder: LINESIM_DIR when set, else the user's phonebook folder
  // %APPDATA%\Microsoft\Network\Connections\Pbk (created when missing). nullptr with the
  // code in *error when the folder, the mutex or the state cannot be had.
  static std::shared_ptr<Line> Open(uint32_t* error);
  ~Line();
  Line(const Line&) = delete;
  Line& operator=(const Line&) = delete;

  const std::wstring& folder() const { return folder_; }
  // The phonebook a call means: the given path, or rasphone.pbk of the folder when it is empty.
  std::wstring Phonebook(const std::wstring& path) const;

  // The state, with the line's mutex held while the object lives.
  class Session {
   public:
    explicit Session(Line& line);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // 0, or the code of why the mutex could not be taken (the state must not be used then).
    uint32_t error() const { return error_; }
    SharedState& state() { return *line_.view_; }

    FailMode fail_mode() const;
    // The connection of the handle, of any state but Free; nullptr when there is none.
    ConnectionSlot* Find(uint64_t handle);
    // A fresh slot with a new handle, owned by this process; nullptr when every slot is taken
    // (the oldest failed dial makes room first).
    ConnectionSlot* Allocate();
    // Removes the connection; a connected one signals the "disconnected" registrations, and
    // the registrations for it alone go with it.
    void Remove(ConnectionSlot& slot);
    std::vector<ConnectionSlot> Connected() const;
    // Sets the events registered for the RASCN_* flag and this connection, in whatever process
    // registered them; the registrations of processes that have ended are dropped.
    void Signal(uint32_t flag, uint64_t handle);
    // Registers an event of this process; 0 or a code.
    uint32_t Register(HANDLE event, uint32_t flags, uint64_t connection);
    // No connections (connected ones signal their end), no failure mode, the default delay.
    void Reset();

   private:
    Line& line_;
    uint32_t error_ = 0;
    bool owned_ = false;
  };

 private:
  Line() = default;
  uint32_t Map();

  std::wstring folder_;
  HANDLE mutex_ = nullptr;
  HANDLE file_ = INVALID_HANDLE_VALUE;
  HANDLE mapping_ = nullptr;
  SharedState* view_ = nullptr;
};

// The device name the line gives a device type: kDeviceName for a modem.
std::string DeviceNameOf(const std::string& device_type);

// The creation time of this process, the second half of its identity beside the process id.
uint64_t ProcessStarted();

// ANSI (the system code page) and UTF-16.
std::wstring WideFromAnsi(const std::string& text);
std::string AnsiFromWide(const std::wstring& text);

}  // namespace lw::linesim
