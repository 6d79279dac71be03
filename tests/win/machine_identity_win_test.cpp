#include "config/win/machine_identity_win.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace lw {
namespace {

TEST(WindowsMachineIdentityTest, IsNotEmptyAndStable) {
  std::unique_ptr<MachineIdentitySource> source = MakeWindowsMachineIdentitySource();
  const std::string first = ComputeMachineIdentity(*source);
  EXPECT_FALSE(first.empty());
  EXPECT_LE(first.size(), kMaxMachineIdentity);
  EXPECT_EQ(ComputeMachineIdentity(*MakeWindowsMachineIdentitySource()), first);
}

TEST(WindowsMachineIdentityTest, FirmwareStringIsBoundedWhenReadable) {
  // Current systems deny the physical-memory section, so the part is usually empty; where it is
  // granted it never exceeds what the identity holds.
  EXPECT_LE(MakeWindowsMachineIdentitySource()->FirmwarePart().size(), kMaxMachineIdentity);
}

}  // namespace
}  // namespace lw
