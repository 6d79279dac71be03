#include "server/answer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <vector>

#include "server/text_rules.h"

namespace lw::server {
namespace {

constexpr std::string_view kTextType = "text/plain";
constexpr std::string_view kFileType = "application/octet-stream";

// Closes the descriptor when it goes.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

SentAnswer SendText(int status, std::string_view text,
                    const std::vector<std::pair<std::string, std::string>>& extra_headers,
                    AnswerSink& sink) {
  SentAnswer sent{status, text.size(), false};
  std::string bytes = ChunkedHead(status, kTextType, text.size(), extra_headers);
  bytes.append(text);
  bytes.append(ChunkedTail(text.size()));
  sent.complete = sink.Write(bytes);
  return sent;
}

}  // namespace

Answer TextAnswer(std::string text) {
  Answer answer;
  answer.text = std::move(text);
  return answer;
}

Answer ErrorAnswer(int status, std::string_view text) {
  Answer answer;
  answer.status = status;
  answer.text = "error=" + std::string(text);
  return answer;
}

Answer FileAnswer(std::filesystem::path path, uint64_t offset) {
  Answer answer;
  answer.file = FileContent{std::move(path), offset};
  return answer;
}

std::string_view ReasonPhrase(int status) {
  switch (status) {
    case 200:
      return "OK";
    case 400:
      return "Bad Request";
    case 404:
      return "Not Found";
    case 405:
      return "Method Not Allowed";
    case 408:
      return "Request Timeout";
    case 411:
      return "Length Required";
    case 413:
      return "Content Too Large";
    case 431:
      return "Request Header Fields Too Large";
    case 500:
      return "Internal Server Error";
    case 501:
      return "Not Implemented";
    case 503:
      return "Service Unavailable";
    case 505:
      return "HTTP Version Not Supported";
    default:
      return "Unknown";
  }
}

std::string ChunkedHead(int status, std::string_view content_type, uint64_t content_size,
                        const std::vector<std::pair<std::string, std::string>>& extra_headers) {
  std::string head = "HTTP/1.1 " + std::to_string(status) + " ";
  head.append(ReasonPhrase(status));
  head.append("\r\nContent-Type: ");
  head.append(content_type);
  head.append("\r\n");
  for (const auto& [name, value] : extra_headers) head.append(name + ": " + value + "\r\n");
  head.append("Transfer-Encoding: chunked\r\nConnection: close\r\n\r\n");
  if (content_size > 0) {
    char size[24];
    std::snprintf(size, sizeof size, "%llx\r\n", static_cast<unsigned long long>(content_size));
    head.append(size);
  }
  return head;
}

std::string_view ChunkedTail(uint64_t content_size) {
  return content_size > 0 ? "\r\n0\r\n\r\n" : "0\r\n\r\n";
}

SentAnswer SendAnswer(const Answer& answer, AnswerSink& sink, uint64_t file_limit) {
  if (!answer.file) return SendText(answer.status, answer.text, answer.extra_headers, sink);

  // The size is taken from the open file, so the chunk size and the bytes sent agree unless the
  // file is cut while it is sent (then the connection ends short, which a client sees).
  const FileDescriptor file(open(answer.file->path.c_str(), O_RDONLY | O_CLOEXEC));
  struct stat facts {};
  if (file.get() < 0 || fstat(file.get(), &facts) != 0 || !S_ISREG(facts.st_mode)) {
    const Answer gone = ErrorAnswer(404, "not found");
    return SendText(gone.status, gone.text, {}, sink);
  }
  const auto size = static_cast<uint64_t>(facts.st_size);
  const uint64_t offset = answer.file->offset;
  const uint64_t length = offset >= size ? 0 : size - offset;
  SentAnswer sent{answer.status, 0, false};
  if (!sink.Write(ChunkedHead(answer.status, kFileType, length, answer.extra_headers))) {
    return sent;
  }
  const uint64_t sending = std::min(length, file_limit);
  if (sending > 0 && !sink.WriteFile(file.get(), offset, sending)) return sent;
  sent.content_bytes = sending;
  if (sending < length) return sent;
  sent.complete = sink.Write(ChunkedTail(length));
  return sent;
}

bool StringSink::Write(std::string_view more) {
  bytes.append(more);
  return true;
}

bool StringSink::WriteFile(int fd, uint64_t offset, uint64_t length) {
  std::vector<char> block(kFileBlock);
  while (length > 0) {
    const std::size_t want =
        length < block.size() ? static_cast<std::size_t>(length) : block.size();
    const ssize_t got = pread(fd, block.data(), want, static_cast<off_t>(offset));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    bytes.append(block.data(), static_cast<std::size_t>(got));
    offset += static_cast<uint64_t>(got);
    length -= static_cast<uint64_t>(got);
  }
  return true;
}

std::string AnswerBytes(const Answer& answer) {
  StringSink sink;
  SendAnswer(answer, sink);
  return std::move(sink.bytes);
}

bool FitsBefore(std::string_view value, std::initializer_list<std::string_view> later_keys) {
  if (value.find('&') != std::string_view::npos || HasControl(value)) return false;
  for (std::string_view key : later_keys) {
    if (value.find(key) != std::string_view::npos) return false;
  }
  return true;
}

std::string KeyValueText(const std::vector<std::pair<std::string_view, std::string_view>>& pairs) {
  std::string text;
  for (const auto& [key, value] : pairs) {
    if (!text.empty()) text.push_back('&');
    text.append(key);
    text.push_back('=');
    text.append(value);
  }
  return text;
}

}  // namespace lw::server
