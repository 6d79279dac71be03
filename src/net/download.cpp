#include "net/download.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <system_error>

#include "common/file_open.h"

namespace lw {
namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

File Open(const std::filesystem::path& path, const char* mode) {
  return File(OpenFile(path, mode));
}

}  // namespace

std::string ResumePoint::MarkerText() const {
  const auto end = std::find(marker.begin(), marker.end(), '\0');
  return std::string(marker.begin(), end);
}

std::optional<ResumePoint> DecideResume(const PartialDownload& files, std::string_view version) {
  ResumePoint resume;
  {
    File part = Open(files.part, "ab");
    if (!part) return std::nullopt;
    std::error_code error;
    const uintmax_t size = std::filesystem::file_size(files.part, error);
    resume.offset = error ? 0 : size;
  }
  if (File marker = Open(files.marker, "rb")) {
    if (std::fread(resume.marker.data(), 1, resume.marker.size(), marker.get()) == 0) {
      resume.marker.fill('\0');
    }
  }
  const std::string stored = resume.MarkerText();
  if (stored.empty() || stored != version) {
    resume.offset = 0;
    resume.marker.fill('\0');
    std::copy_n(version.begin(), std::min(version.size(), kMarkerSize - 1), resume.marker.begin());
  }
  if (resume.offset == 0) {
    std::error_code ignored;
    std::filesystem::remove(files.part, ignored);
  }
  return resume;
}

bool ReceiveInto(FormPostClient& client, const PartialDownload& files, const ResumePoint& resume) {
  File part = Open(files.part, "ab");
  if (!part) {
    client.CloseConnection();
    return false;
  }
  std::error_code error;
  const uintmax_t size_before = std::filesystem::file_size(files.part, error);
  // The blocks are large; they go to the file without a copy through the library's buffer.
  std::setvbuf(part.get(), nullptr, _IONBF, 0);
  const ReceivedAnswer answer = client.ReceiveAnswer([&](std::string_view block) {
    return std::fwrite(block.data(), 1, block.size(), part.get()) == block.size();
  });
  client.CloseConnection();
  part.reset();
  // A failed receive appends nothing: what arrived of it goes again, so the part holds only
  // content whose receive ended in order or was cut short on purpose.
  if (!answer.ok && !error) std::filesystem::resize_file(files.part, size_before, error);
  if (!answer.server_closed) {
    if (File marker = Open(files.marker, "wb")) {
      std::fwrite(resume.marker.data(), 1, resume.marker.size(), marker.get());
    }
  }
  return true;
}

int XorChecksum(const std::filesystem::path& file) {
  File in = Open(file, "rb");
  if (!in) return 0;
  unsigned char sum = 0;
  unsigned char block[65536];
  for (;;) {
    const std::size_t count = std::fread(block, 1, sizeof block, in.get());
    for (std::size_t i = 0; i < count; ++i) sum ^= block[i];
    if (count < sizeof block) break;
  }
  return sum;
}

void Discard(const PartialDownload& files) {
  std::error_code ignored;
  std::filesystem::remove(files.part, ignored);
  std::filesystem::remove(files.marker, ignored);
}

int64_t LeadingNumber(std::string_view text) {
  constexpr int64_t kMax = 2147483647;
  int64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') break;
    value = std::min(value * 10 + (c - '0'), kMax);
  }
  return value;
}

}  // namespace lw
