#pragma once
// The answers of the service. The clients skip the head, read the first line of the body as a
// hexadecimal chunk size and keep that many bytes after it; anything after the first chunk is
// never looked at. So every answer, errors included, is chunked with its whole content as one
// chunk, and the connection is closed after it:
//
//   HTTP/1.1 200 OK\r\n
//   Content-Type: text/plain\r\n
//   Transfer-Encoding: chunked\r\n
//   Connection: close\r\n
//   \r\n
//   <size in hex>\r\n<content>\r\n0\r\n\r\n        (an empty content: only 0\r\n\r\n)
//
// A file's content is streamed from the disk in blocks, so a download takes no more memory than
// a block however large the file is.

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace lw::server {

// The bytes of a file from an offset to its end.
struct FileContent {
  std::filesystem::path path;
  uint64_t offset = 0;
};

struct Answer {
  int status = 200;
  // The content of a text answer, or of a file.
  std::string text;
  std::optional<FileContent> file;
  // Fields besides the fixed ones ("Allow" of a 405).
  std::vector<std::pair<std::string, std::string>> extra_headers;
};

Answer TextAnswer(std::string text);
// Content "error=<text>".
Answer ErrorAnswer(int status, std::string_view text);
Answer FileAnswer(std::filesystem::path path, uint64_t offset);

std::string_view ReasonPhrase(int status);

// The head and the chunk-size line of an answer whose content has content_size bytes.
std::string ChunkedHead(int status, std::string_view content_type, uint64_t content_size,
                        const std::vector<std::pair<std::string, std::string>>& extra_headers = {});
// What follows the content: the end of its chunk and the last chunk.
std::string_view ChunkedTail(uint64_t content_size);

// Where an answer's bytes go: a socket, or a string in the tests.
class AnswerSink {
 public:
  virtual ~AnswerSink() = default;
  // False when the bytes could not all be written; nothing more is written then.
  virtual bool Write(std::string_view bytes) = 0;
  // length bytes of the open file fd from offset. False when they could not all be written
  // (the file got shorter, or the client went away).
  virtual bool WriteFile(int fd, uint64_t offset, uint64_t length) = 0;
};

inline constexpr std::size_t kFileBlock = 64 * 1024;

struct SentAnswer {
  // The status actually sent: a file that is gone by the time it is sent is a 404.
  int status = 0;
  uint64_t content_bytes = 0;
  bool complete = false;
};

// A file's content is cut after file_limit bytes (the answer is then not complete).
SentAnswer SendAnswer(const Answer& answer, AnswerSink& sink,
                      uint64_t file_limit = static_cast<uint64_t>(-1));

// Collects an answer's bytes; files are read in blocks.
class StringSink : public AnswerSink {
 public:
  bool Write(std::string_view bytes) override;
  bool WriteFile(int fd, uint64_t offset, uint64_t length) override;

  std::string bytes;
};

// The bytes of a whole answer.
std::string AnswerBytes(const Answer& answer);

// Key/value answers, "key=value&key=value". A client finds a key as its first occurrence
// anywhere in the text (a plain substring) and takes the value from the next '=' to the next
// '&'. So a value may hold no '&', and no key that comes after it in the answer: each answer's
// keys are ordered so that the keys themselves never hold a later one, and values that would
// break the rule are left out by the code that makes them.
bool FitsBefore(std::string_view value, std::initializer_list<std::string_view> later_keys);
std::string KeyValueText(const std::vector<std::pair<std::string_view, std::string_view>>& pairs);

}  // namespace lw::server
