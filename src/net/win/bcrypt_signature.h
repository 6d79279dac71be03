#pragma once
// Update signatures checked with the system's cryptography (BCrypt): the SHA-256 of the file,
// read in blocks, verified as an ECDSA P-256 signature against the key built into the program.

#include <optional>

#include "net/online_ports.h"
#include "net/public_key.h"

namespace lw {

class BcryptSignatureCheck final : public SignatureCheck {
 public:
  // Without a key every signature is refused.
  explicit BcryptSignatureCheck(std::optional<P256PublicKey> key) : key_(key) {}

  bool Verify(const std::filesystem::path& file, std::span<const uint8_t> signature) override;

 private:
  std::optional<P256PublicKey> key_;
};

// The key of this build: the maker's release key, or the test key in the test builds.
std::optional<P256PublicKey> BuiltInUpdateKey();

}  // namespace lw
