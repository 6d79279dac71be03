#include "config/machine_identity.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <utility>

namespace lw {
namespace {

struct ComposeCase {
  std::string firmware;
  std::string product;
  std::string identity;
};

void PrintTo(const ComposeCase& c, std::ostream* os) {
  *os << c.firmware.size() << "+" << c.product.size() << " bytes";
}

class ComposeMachineIdentityTest : public ::testing::TestWithParam<ComposeCase> {};

TEST_P(ComposeMachineIdentityTest, JoinsAndBounds) {
  const std::string identity = ComposeMachineIdentity(GetParam().firmware, GetParam().product);
  EXPECT_EQ(identity, GetParam().identity);
  EXPECT_LE(identity.size(), kMaxMachineIdentity);
}

const std::string kLongFirmware(300, 'F');
const std::string kLongProduct(300, 'P');

INSTANTIATE_TEST_SUITE_P(
    Parts, ComposeMachineIdentityTest,
    ::testing::Values(
        ComposeCase{"", "", ""}, ComposeCase{"06/23/99", "", "06/23/99"},
        ComposeCase{"", "55274-OEM-0011903-00102", "55274-OEM-0011903-00102"},
        ComposeCase{"06/23/99", "55274-OEM", "06/23/9955274-OEM"},
        // The product part keeps its place; the firmware part takes the room that is left.
        ComposeCase{kLongFirmware, "55274-OEM", std::string(250, 'F') + "55274-OEM"},
        ComposeCase{kLongFirmware, "", std::string(259, 'F')},
        ComposeCase{"06/23/99", kLongProduct, std::string(259, 'P')},
        ComposeCase{std::string(200, 'F'), std::string(59, 'P'),
                    std::string(200, 'F') + std::string(59, 'P')}));

class FakeSource : public MachineIdentitySource {
 public:
  FakeSource(std::string firmware, std::string product, std::string machine)
      : firmware_(std::move(firmware)),
        product_(std::move(product)),
        machine_(std::move(machine)) {}
  std::string FirmwarePart() override { return firmware_; }
  std::string ProductPart() override { return product_; }
  std::string MachinePart() override {
    ++machine_asked;
    return machine_;
  }
  int machine_asked = 0;

 private:
  std::string firmware_, product_, machine_;
};

struct SourceCase {
  std::string firmware;
  std::string product;
  std::string machine;
  std::string identity;
  int machine_asked;
};

void PrintTo(const SourceCase& c, std::ostream* os) {
  *os << c.firmware.size() << "+" << c.product.size() << " bytes";
}

class ComputeMachineIdentityTest : public ::testing::TestWithParam<SourceCase> {};

TEST_P(ComputeMachineIdentityTest, FallsBackToTheMachinePartOnlyWhenBothPartsAreEmpty) {
  FakeSource source(GetParam().firmware, GetParam().product, GetParam().machine);
  EXPECT_EQ(ComputeMachineIdentity(source), GetParam().identity);
  EXPECT_EQ(source.machine_asked, GetParam().machine_asked);
}

INSTANTIATE_TEST_SUITE_P(
    Sources, ComputeMachineIdentityTest,
    ::testing::Values(SourceCase{"BIOS", "PID", "GUID", "BIOSPID", 0},
                      SourceCase{"", "PID", "GUID", "PID", 0},
                      SourceCase{"BIOS", "", "GUID", "BIOS", 0},
                      SourceCase{"", "", "GUID", "GUID", 1}, SourceCase{"", "", "", "", 1},
                      SourceCase{"", "", std::string(300, 'G'), std::string(259, 'G'), 1}));

}  // namespace
}  // namespace lw
