#pragma once
// The dial-up service as the rest of the program sees it: typed records instead of the
// system's structures. The Windows adapter chooses the structure sizes; callers never see them.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lw {

// Option bit of an entry: the entry dials with its country and area codes.
inline constexpr uint32_t kEntryUsesCountryAndAreaCodes = 0x1;

struct EntryProperties {
  uint32_t Options = 0;
  uint32_t CountryId = 0;
  uint32_t CountryCode = 0;
  std::string AreaCode;     // ANSI bytes
  std::string LocalNumber;  // ANSI bytes
  std::string DeviceType;   // "modem", "isdn", ...
};

class DialUp {
 public:
  virtual ~DialUp() = default;
  // Properties of an entry of the given phonebook (empty: the user's default phonebook).
  virtual std::optional<EntryProperties> GetEntryProperties(std::string_view phonebook,
                                                            std::string_view entry) = 0;
  // The name of the country with the given identifier (ANSI bytes), if the service knows it.
  virtual std::optional<std::string> GetCountryName(uint32_t country_id) = 0;
};

}  // namespace lw
