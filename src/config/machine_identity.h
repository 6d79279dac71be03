#pragma once
// The string that keys the checksums to this machine. It is computed once, when the options
// dialog is created, from two parts joined without separator: a firmware string and the
// system's product identifier. Another program cannot write a list with a matching checksum
// without knowing how both are combined.
//
// Bounding: the identity holds at most 259 bytes. The product part keeps its first 259 bytes
// whole; the firmware part is cut to the room that is left in front of it. So a long firmware
// string can never push the product identifier out of the identity.
//
// When both parts are empty (a system that lets nobody read the firmware area and has no
// product identifier), the source's stable machine part stands in for the product part, so that
// the checksums do not all become 0.

#include <cstddef>
#include <string>
#include <string_view>

namespace lw {

inline constexpr std::size_t kMaxMachineIdentity = 259;

class MachineIdentitySource {
 public:
  virtual ~MachineIdentitySource() = default;
  // The firmware string; empty when it cannot be read.
  virtual std::string FirmwarePart() = 0;
  // The product identifier of the installed system; empty when there is none.
  virtual std::string ProductPart() = 0;
  // A value that stays the same on this machine, asked for only when both parts above are
  // empty; may be empty too.
  virtual std::string MachinePart() = 0;
};

// The two parts joined and bounded as described above.
std::string ComposeMachineIdentity(std::string_view firmware, std::string_view product);

// The identity of the machine the source describes.
std::string ComputeMachineIdentity(MachineIdentitySource& source);

}  // namespace lw
