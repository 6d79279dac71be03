#include "config/machine_identity.h"

namespace lw {

std::string ComposeMachineIdentity(std::string_view firmware, std::string_view product) {
  product = product.substr(0, kMaxMachineIdentity);
  firmware = firmware.substr(0, kMaxMachineIdentity - product.size());
  std::string identity(firmware);
  identity += product;
  return identity;
}

std::string ComputeMachineIdentity(MachineIdentitySource& source) {
  std::string firmware = source.FirmwarePart();
  std::string product = source.ProductPart();
  if (firmware.empty() && product.empty()) product = source.MachinePart();
  return ComposeMachineIdentity(firmware, product);
}

}  // namespace lw
