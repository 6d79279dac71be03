#include "server/file_facts.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <functional>
#include <string_view>
#include <vector>

#include "extension_host/extension_checksum.h"
#include "server/answer.h"

namespace lw::server {
namespace {

// So many files are more than any content folder holds; past it, everything is forgotten.
constexpr std::size_t kMaxRemembered = 4096;

std::optional<FileFacts::Stamp> StampOf(const std::filesystem::path& path) {
  struct stat facts {};
  if (stat(path.c_str(), &facts) != 0 || !S_ISREG(facts.st_mode)) return std::nullopt;
  FileFacts::Stamp stamp;
  stamp.size = static_cast<uint64_t>(facts.st_size);
  stamp.modified_ns =
      static_cast<int64_t>(facts.st_mtim.tv_sec) * 1000000000 + facts.st_mtim.tv_nsec;
  stamp.inode = static_cast<uint64_t>(facts.st_ino);
  return stamp;
}

// Hands the file's bytes to take in blocks; false when it cannot be read to its end.
bool ReadInBlocks(const std::filesystem::path& path,
                  const std::function<void(std::string_view)>& take) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  std::vector<char> block(kFileBlock);
  bool ok = true;
  for (;;) {
    const ssize_t count = read(fd, block.data(), block.size());
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) ok = false;
    if (count <= 0) break;
    take(std::string_view(block.data(), static_cast<std::size_t>(count)));
  }
  close(fd);
  return ok;
}

uint8_t XorOf(std::string_view bytes, uint8_t sum) {
  for (char c : bytes) sum ^= static_cast<uint8_t>(c);
  return sum;
}

}  // namespace

std::optional<uint8_t> ByteChecksum(const std::filesystem::path& path) {
  uint8_t sum = 0;
  if (!ReadInBlocks(path, [&](std::string_view bytes) { sum = XorOf(bytes, sum); })) {
    return std::nullopt;
  }
  return sum;
}

std::optional<FileFacts::Facts> FileFacts::Lookup(const std::filesystem::path& path, Stamp* stamp) {
  const std::optional<Stamp> now = StampOf(path);
  if (!now) return std::nullopt;
  *stamp = *now;
  const std::lock_guard lock(mutex_);
  const auto found = facts_.find(path.string());
  if (found != facts_.end() && found->second.stamp == *now) return found->second;
  Facts fresh;
  fresh.stamp = *now;
  return fresh;
}

void FileFacts::Remember(const std::filesystem::path& path, const Stamp& before,
                         const Facts& learnt) {
  const std::optional<Stamp> after = StampOf(path);
  const std::lock_guard lock(mutex_);
  ++reads_;
  if (!after || !(*after == before)) return;
  if (facts_.size() >= kMaxRemembered) facts_.clear();
  Facts& kept = facts_[path.string()];
  if (!(kept.stamp == before)) kept = Facts{before, {}, {}, {}};
  if (learnt.signed_facts) kept.signed_facts = learnt.signed_facts;
  if (learnt.byte_checksum) kept.byte_checksum = learnt.byte_checksum;
  if (learnt.extension_checksum) kept.extension_checksum = learnt.extension_checksum;
}

std::optional<SignedFacts> FileFacts::Signed(const std::filesystem::path& path) {
  Stamp stamp;
  std::optional<Facts> facts = Lookup(path, &stamp);
  if (!facts) return std::nullopt;
  if (facts->signed_facts) return facts->signed_facts;
  uint8_t sum = 0;
  UpdateSigner::Session session = signer_.Start();
  bool signing = true;
  const bool read = ReadInBlocks(path, [&](std::string_view bytes) {
    sum = XorOf(bytes, sum);
    if (signing) signing = session.Update(bytes);
  });
  std::optional<RawSignature> signature = session.Finish();
  if (!read || !signature) return std::nullopt;
  facts->signed_facts = SignedFacts{sum, *signature};
  facts->byte_checksum = sum;
  Remember(path, stamp, *facts);
  return facts->signed_facts;
}

std::optional<uint8_t> FileFacts::ByteChecksumOf(const std::filesystem::path& path) {
  Stamp stamp;
  std::optional<Facts> facts = Lookup(path, &stamp);
  if (!facts) return std::nullopt;
  if (facts->byte_checksum) return facts->byte_checksum;
  facts->byte_checksum = ByteChecksum(path);
  if (!facts->byte_checksum) return std::nullopt;
  Remember(path, stamp, *facts);
  return facts->byte_checksum;
}

uint32_t FileFacts::ExtensionChecksumOf(const std::filesystem::path& path) {
  Stamp stamp;
  std::optional<Facts> facts = Lookup(path, &stamp);
  if (!facts) return 0;
  if (facts->extension_checksum) return *facts->extension_checksum;
  facts->extension_checksum = lw::ExtensionChecksum(path);
  Remember(path, stamp, *facts);
  return *facts->extension_checksum;
}

int FileFacts::reads() const {
  const std::lock_guard lock(mutex_);
  return reads_;
}

}  // namespace lw::server
