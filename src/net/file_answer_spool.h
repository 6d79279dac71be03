#pragma once
// The answer spool as a file in the system's temporary folder, named like the system's temporary
// files: the first three letters of the prefix, four hexadecimal digits of a number not yet
// taken, ".tmp". The file is deleted by Remove and, at the latest, with the spool.

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "net/form_post.h"

namespace lw {

class FileAnswerSpool : public AnswerSpool {
 public:
  // folder: where the files go; empty for the system's temporary folder.
  explicit FileAnswerSpool(std::filesystem::path folder = {});
  ~FileAnswerSpool() override;
  FileAnswerSpool(const FileAnswerSpool&) = delete;
  FileAnswerSpool& operator=(const FileAnswerSpool&) = delete;

  bool Create(std::string_view prefix) override;
  bool Append(std::string_view bytes) override;
  std::optional<std::size_t> ReadAt(uint64_t offset, std::span<char> buffer) override;
  void Remove() override;

  // The current file's path; empty when there is none.
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path folder_;
  std::filesystem::path path_;
  std::FILE* file_ = nullptr;
  // No read has moved the position away from the end since the last append.
  bool at_end_ = false;
};

}  // namespace lw
