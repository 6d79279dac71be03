#pragma once
// The dial-up service as the rest of the program sees it: typed records instead of the
// system's structures. The Windows adapter chooses the structure sizes; callers never see them.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lw {

// Option bit of an entry: the entry dials with its country and area codes.
inline constexpr uint32_t kEntryUsesCountryAndAreaCodes = 0x1;

// Codes of the service that callers act on.
namespace ras {
inline constexpr uint32_t kOk = 0;
inline constexpr uint32_t kInvalidHandle = 6;
inline constexpr uint32_t kPhonebookMissing = 621;  // the phonebook is missing or damaged
inline constexpr uint32_t kEntryNotFound = 623;     // no such phonebook entry
inline constexpr uint32_t kUserDisconnection = 631;
inline constexpr uint32_t kCancelled = 831;
inline constexpr uint32_t kNotAvailable = 120;  // no dial-up service on this machine
}  // namespace ras

// States of a dial, as the progress notifier reports them.
namespace dial_state {
inline constexpr uint32_t kOpenPort = 0;
inline constexpr uint32_t kPortOpened = 1;
inline constexpr uint32_t kConnectDevice = 2;
inline constexpr uint32_t kDeviceConnected = 3;
inline constexpr uint32_t kAllDevicesConnected = 4;
inline constexpr uint32_t kAuthenticate = 5;
inline constexpr uint32_t kAuthNotify = 6;
inline constexpr uint32_t kAuthRetry = 7;
inline constexpr uint32_t kAuthProject = 10;
inline constexpr uint32_t kAuthenticated = 14;
inline constexpr uint32_t kConnected = 0x2000;
inline constexpr uint32_t kDisconnected = 0x2001;
}  // namespace dial_state

struct EntryProperties {
  uint32_t Options = 0;
  uint32_t CountryId = 0;
  uint32_t CountryCode = 0;
  std::string AreaCode;     // ANSI bytes
  std::string LocalNumber;  // ANSI bytes
  std::string DeviceType;   // "modem", "isdn", ...
};

// One active connection. A connection dialled without a phonebook entry has "." followed by
// the number as its entry name. Texts are ANSI bytes.
struct ConnectionRecord {
  uint64_t Handle = 0;
  std::string EntryName;
  std::string DeviceType;
  std::string DeviceName;
};

// The stored credentials of an entry.
struct StoredCredentials {
  std::string UserName;
  std::string Password;
};

// What one dial asks for: an entry, or (entry empty) a number on the first available modem.
struct DialParams {
  std::string EntryName;
  std::string PhoneNumber;
  std::string UserName;
  std::string Password;
};

// The progress of a dial: connection handle, connection state, error code (0: none).
using DialNotifier = std::function<void(uint64_t handle, uint32_t state, uint32_t error)>;

class DialUp {
 public:
  virtual ~DialUp() = default;
  // Properties of an entry of the given phonebook (empty: the user's default phonebook).
  virtual std::optional<EntryProperties> GetEntryProperties(std::string_view phonebook,
                                                            std::string_view entry) = 0;
  // The name of the country with the given identifier (ANSI bytes), if the service knows it.
  virtual std::optional<std::string> GetCountryName(uint32_t country_id) = 0;

  // The active connections and the entries of the default phonebook; 0 or the service's code
  // (the list is then empty).
  virtual uint32_t EnumConnections(std::vector<ConnectionRecord>& connections) = 0;
  virtual uint32_t EnumEntries(std::vector<std::string>& entries) = 0;
  // The stored user name and password of an entry; 0, 623 or 621 among others.
  virtual uint32_t GetEntryDialParams(std::string_view entry, StoredCredentials& credentials) = 0;
  // Starts a dial; 0 when it started. Progress arrives on a thread of the service. The dial
  // passes through the hook library like any other, so it may wait for the program's own
  // queue: it is never called on the thread that answers questions.
  virtual uint32_t Dial(const DialParams& params, DialNotifier notifier) = 0;
  // The service's text for a code, if it has one.
  virtual std::optional<std::string> GetErrorString(uint32_t code) = 0;
  virtual uint32_t HangUp(uint64_t handle) = 0;
};

}  // namespace lw
