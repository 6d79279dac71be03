#include "extension_host/extension_checksum.h"

#include <cstdio>
#include <memory>
#include <vector>

#include "common/file_open.h"

namespace lw {
namespace {

constexpr char kCarriageReturn = '\x0D';
constexpr char kEndOfText = '\x1A';
constexpr std::size_t kReadBlock = 65536;

// The rounds as the text bytes arrive: a round runs as soon as four of them are in, so that a
// file read in blocks gives the same sum as one read whole.
class ChecksumRounds {
 public:
  // Takes the file's bytes in order; false once the end of the text has been seen, after which
  // further bytes do not matter.
  bool Feed(std::string_view bytes) {
    if (ended_) return false;
    for (char c : bytes) {
      if (c == kEndOfText) {
        ended_ = true;
        return false;
      }
      if (c == kCarriageReturn) continue;
      pending_ |= static_cast<uint32_t>(static_cast<unsigned char>(c)) << (8 * pending_count_);
      if (++pending_count_ == 4) Round();
    }
    return true;
  }

  // The sum after file_size rounds in all.
  uint32_t Finish(uint64_t file_size) {
    // A last group of fewer than four bytes still makes a round.
    if (pending_count_ > 0) Round();
    // Rounds without text only shift the word; after four of them it is zero.
    for (uint64_t round = rounds_; round < file_size && word_ != 0; ++round) {
      word_ <<= 8;
      sum_ ^= word_;
    }
    return sum_;
  }

 private:
  void Round() {
    // Only as many low-order bytes as were read are replaced; the others keep their value.
    const uint32_t mask =
        pending_count_ == 4 ? 0xFFFFFFFFu : (uint32_t{1} << (8 * pending_count_)) - 1;
    word_ = (word_ & ~mask) | pending_;
    word_ <<= 8;
    sum_ ^= word_;
    ++rounds_;
    pending_ = 0;
    pending_count_ = 0;
  }

  uint32_t sum_ = 0;
  uint32_t word_ = 0;
  uint32_t pending_ = 0;
  int pending_count_ = 0;
  uint64_t rounds_ = 0;
  bool ended_ = false;
};

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

uint32_t ExtensionChecksum(std::string_view file_bytes) {
  ChecksumRounds rounds;
  rounds.Feed(file_bytes);
  return rounds.Finish(file_bytes.size());
}

uint32_t ExtensionChecksum(const std::filesystem::path& path) {
  std::unique_ptr<std::FILE, FileCloser> file(OpenFile(path, "rb"));
  if (!file) return 0;
  ChecksumRounds rounds;
  std::vector<char> block(kReadBlock);
  uint64_t size = 0;
  bool text_left = true;
  for (;;) {
    const std::size_t count = std::fread(block.data(), 1, block.size(), file.get());
    size += count;
    // After the end of the text the rest of the file is only counted.
    if (text_left) text_left = rounds.Feed(std::string_view(block.data(), count));
    if (count < block.size()) break;
  }
  if (std::ferror(file.get())) return 0;
  return rounds.Finish(size);
}

}  // namespace lw
