#pragma once
// The one request of a connection, read as its bytes arrive: the request line, the header
// fields up to the empty line, and a body of exactly Content-Length bytes. The clients send one
// POST per connection and wait for the server to close, so nothing after the body is read, and
// a body is only ever taken by its length (a chunked request body is refused).
//
// Limits keep one connection's memory small whatever arrives: the head (request line, fields
// and the empty line) is at most kMaxHeadBytes, the body at most kMaxBodyBytes. Lines may end in
// CR LF or in LF alone; a CR anywhere else is malformed.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace lw::server {

inline constexpr std::size_t kMaxHeadBytes = 16 * 1024;
inline constexpr std::size_t kMaxBodyBytes = 16 * 1024;

struct HttpRequest {
  std::string method;
  // As sent, and the path alone: no query, no scheme and host of an absolute target.
  std::string target;
  std::string path;
  std::string version;
  // Names as sent; values without the blanks around them.
  std::vector<std::pair<std::string, std::string>> headers;
  std::string body;

  // The first field of that name, compared without regard to case.
  std::optional<std::string_view> Header(std::string_view name) const;
};

// Why a request cannot be answered as asked: the answer's status and a short English text.
struct RequestError {
  int status = 400;
  std::string text;
};

class RequestParser {
 public:
  enum class State { kNeedMore, kComplete, kFailed };

  // Takes the next bytes of the connection. Bytes after a complete request, and any after a
  // failure, are dropped.
  State Feed(std::string_view bytes);
  // The client has closed its sending side: whatever is still missing will not come.
  State End();

  State state() const { return state_; }
  // Valid once the state is kComplete.
  const HttpRequest& request() const { return request_; }
  // Valid once the state is kFailed.
  const RequestError& error() const { return error_; }

 private:
  State Fail(int status, std::string text);
  // Looks for the end of the head in the bytes received so far and reads the head once it is
  // there.
  State ContinueHead();
  State ReadHead(std::string_view head);
  State ContinueBody();

  State state_ = State::kNeedMore;
  std::string buffer_;
  // Where the search for the head's end goes on, and where the head's current line starts.
  std::size_t scanned_ = 0;
  std::size_t line_start_ = 0;
  // Empty lines before the request line are skipped; the head starts after them.
  std::size_t head_start_ = 0;
  bool head_done_ = false;
  std::size_t body_start_ = 0;
  std::size_t body_length_ = 0;
  HttpRequest request_;
  RequestError error_;
};

// Reads a request that is all in one text, as if the client then closed its side.
RequestParser ParseRequest(std::string_view bytes);

}  // namespace lw::server
