#pragma once
// The dial-up service of the system (rasapi32.dll, loaded at run time), behind the DialUp port.
// Calls may come from any thread; the library handle is taken once and kept.

#include <string>

#include "dialup/dialup.h"

namespace lw {

class RasDialUp final : public DialUp {
 public:
  // `extended_sizes`: the system takes the larger (NT 4 and later) record sizes; only the 32-bit
  // build passes the documented sizes, the 64-bit build those of its own headers.
  explicit RasDialUp(bool extended_sizes) : extended_sizes_(extended_sizes) {}
  // The service from a given library instead of the system's (tests load the simulated line).
  RasDialUp(bool extended_sizes, std::wstring library);

  std::optional<EntryProperties> GetEntryProperties(std::string_view phonebook,
                                                    std::string_view entry) override;
  std::optional<std::string> GetCountryName(uint32_t country_id) override;
  uint32_t EnumConnections(std::vector<ConnectionRecord>& connections) override;
  uint32_t EnumEntries(std::vector<std::string>& entries) override;
  uint32_t GetEntryDialParams(std::string_view entry, StoredCredentials& credentials) override;
  // One dial's progress at a time goes to the notifier given last: the service's notifier has
  // no context of its own.
  uint32_t Dial(const DialParams& params, DialNotifier notifier) override;
  std::optional<std::string> GetErrorString(uint32_t code) override;
  uint32_t HangUp(uint64_t handle) override;

  // Registers an event for a kind of change of any connection (flag 1, 2, 4 or 8); 0 when
  // registered.
  uint32_t RegisterNotification(void* event, uint32_t flag);

  // The service's own entry dialogs on the default phonebook, modal to `owner_hwnd` (an HWND,
  // may be null): a new entry, or the entry of the given name (ANSI bytes). 0 when the user
  // saved the entry; the service's code otherwise (831 when cancelled).
  uint32_t CreateEntry(void* owner_hwnd);
  uint32_t EditEntry(void* owner_hwnd, std::string_view name);

 private:
  template <typename Fn>
  Fn Function(const char* name);

  bool extended_sizes_;
  void* library_ = nullptr;  // HMODULE of a library given by path; null: the system's
};

// Whether the system takes the larger record sizes (NT family, major version 4 or later).
bool SystemUsesExtendedRasSizes();

}  // namespace lw
