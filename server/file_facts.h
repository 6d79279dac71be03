#pragma once
// What takes a whole read of a file to learn (its byte checksum, its signature, a library's
// extension checksum), remembered by the file's path, size and modification time. The
// installer may be large and is asked about by every client that starts, a library by every
// client that looks at it in the catalogue; a file that is replaced gets a new size or time and
// is read again. Safe to use from several threads.

#include <cstdint>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "server/signer.h"

namespace lw::server {

// The exclusive or of all bytes of a file, read in blocks; nothing when it cannot be read.
std::optional<uint8_t> ByteChecksum(const std::filesystem::path& path);

// A file's byte checksum and its signature (signer.h), from one read: the installer is offered
// with both, and so is each add-on library.
struct SignedFacts {
  uint8_t byte_checksum = 0;
  RawSignature signature{};
};

class FileFacts {
 public:
  explicit FileFacts(const UpdateSigner& signer) : signer_(signer) {}

  // The file's checksum and signature, from one read of it; nothing when it cannot be read or
  // signed.
  std::optional<SignedFacts> Signed(const std::filesystem::path& path);
  std::optional<uint8_t> ByteChecksumOf(const std::filesystem::path& path);
  // lw::ExtensionChecksum of the file (0 when it cannot be read).
  uint32_t ExtensionChecksumOf(const std::filesystem::path& path);

  // How many times a file was read whole, for the tests of the remembering.
  int reads() const;

  // The identity of one version of a file.
  struct Stamp {
    uint64_t size = 0;
    int64_t modified_ns = 0;
    uint64_t inode = 0;
    bool operator==(const Stamp&) const = default;
  };

 private:
  struct Facts {
    Stamp stamp;
    std::optional<SignedFacts> signed_facts;
    std::optional<uint8_t> byte_checksum;
    std::optional<uint32_t> extension_checksum;
  };

  // The remembered facts of the file as it is now, or fresh ones for its stamp. Nothing when
  // the file cannot be looked at.
  std::optional<Facts> Lookup(const std::filesystem::path& path, Stamp* stamp);
  // Keeps facts learnt from a read, unless the file changed while it was read.
  void Remember(const std::filesystem::path& path, const Stamp& before, const Facts& facts);

  const UpdateSigner& signer_;
  mutable std::mutex mutex_;
  std::map<std::string, Facts> facts_;
  int reads_ = 0;
};

}  // namespace lw::server
