#include "net/file_answer_spool.h"

#include <random>
#include <span>
#include <system_error>
#include <utility>

#include "common/file_open.h"

namespace lw {

FileAnswerSpool::FileAnswerSpool(std::filesystem::path folder) : folder_(std::move(folder)) {}

FileAnswerSpool::~FileAnswerSpool() { Remove(); }

bool FileAnswerSpool::Create(std::string_view prefix) {
  Remove();
  std::error_code error;
  std::filesystem::path folder = folder_;
  if (folder.empty()) folder = std::filesystem::temp_directory_path(error);
  if (error || folder.empty()) return false;
  std::random_device seed;
  std::minstd_rand numbers(seed());
  const std::string start(prefix.substr(0, 3));
  // A name already taken by another worker's file is never reused: a few tries, then failure.
  for (int attempt = 0; attempt < 64; ++attempt) {
    char digits[8];
    std::snprintf(digits, sizeof digits, "%04X", static_cast<unsigned>(numbers() % 0xFFFF + 1));
    std::filesystem::path candidate = folder / (start + digits + ".tmp");
    if (std::filesystem::exists(candidate, error)) continue;
    file_ = OpenFile(candidate, "w+b");
    if (file_ == nullptr) return false;
    // Blocks go to the file as they come, without a copy through the library's buffer, so
    // that the file shows what has arrived so far (an answer that stalls can be seen on the
    // disk) and a full disk is told at the block.
    std::setvbuf(file_, nullptr, _IONBF, 0);
    at_end_ = true;
    path_ = std::move(candidate);
    return true;
  }
  return false;
}

bool FileAnswerSpool::Append(std::string_view bytes) {
  if (file_ == nullptr) return false;
  if (!at_end_ && std::fseek(file_, 0, SEEK_END) != 0) return false;
  at_end_ = true;
  return std::fwrite(bytes.data(), 1, bytes.size(), file_) == bytes.size();
}

std::optional<std::size_t> FileAnswerSpool::ReadAt(uint64_t offset, std::span<char> buffer) {
  if (file_ == nullptr) return std::nullopt;
  at_end_ = false;
  if (!SeekFile(file_, offset)) return std::nullopt;
  const std::size_t count = std::fread(buffer.data(), 1, buffer.size(), file_);
  if (std::ferror(file_)) return std::nullopt;
  return count;
}

void FileAnswerSpool::Remove() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
  if (!path_.empty()) {
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
  }
  path_.clear();
}

}  // namespace lw
