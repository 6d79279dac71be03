#pragma once
// The dial-up service of the system (rasapi32.dll, loaded at run time), behind the DialUp port.
// Calls may come from any thread; the library handle is taken once and kept.

#include "dialup/dialup.h"

namespace lw {

class RasDialUp final : public DialUp {
 public:
  // `extended_sizes`: the system takes the larger (NT 4 and later) record sizes; only the 32-bit
  // build passes the documented sizes, the 64-bit build those of its own headers.
  explicit RasDialUp(bool extended_sizes) : extended_sizes_(extended_sizes) {}

  std::optional<EntryProperties> GetEntryProperties(std::string_view phonebook,
                                                    std::string_view entry) override;
  std::optional<std::string> GetCountryName(uint32_t country_id) override;

 private:
  bool extended_sizes_;
};

// Whether the system takes the larger record sizes (NT family, major version 4 or later).
bool SystemUsesExtendedRasSizes();

}  // namespace lw
