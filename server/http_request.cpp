#include "server/http_request.h"

#include <algorithm>

#include "server/text_rules.h"

namespace lw::server {
namespace {

// The characters of a method or a field name (RFC 9110 "tchar").
bool IsTokenChar(char c) {
  if ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) return true;
  return std::string_view("!#$%&'*+-.^_`|~").find(c) != std::string_view::npos;
}

bool IsToken(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), IsTokenChar);
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

std::string_view WithoutCr(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

// The path of a request target: origin form "/path?query", or absolute form
// "http://host/path?query" (which a proxy would send). Nothing for any other form.
std::optional<std::string> TargetPath(std::string_view target) {
  constexpr std::string_view kScheme = "http://";
  if (target.size() >= kScheme.size() &&
      EqualsIgnoringCase(target.substr(0, kScheme.size()), kScheme)) {
    target.remove_prefix(kScheme.size());
    const std::size_t slash = target.find('/');
    target = slash == std::string_view::npos ? std::string_view("/") : target.substr(slash);
  }
  if (target.empty() || target.front() != '/') return std::nullopt;
  return std::string(target.substr(0, target.find_first_of("?#")));
}

}  // namespace

std::optional<std::string_view> HttpRequest::Header(std::string_view name) const {
  for (const auto& [field, value] : headers) {
    if (EqualsIgnoringCase(field, name)) return std::string_view(value);
  }
  return std::nullopt;
}

RequestParser::State RequestParser::Fail(int status, std::string text) {
  state_ = State::kFailed;
  error_ = {status, std::move(text)};
  buffer_.clear();
  buffer_.shrink_to_fit();
  return state_;
}

RequestParser::State RequestParser::Feed(std::string_view bytes) {
  if (state_ != State::kNeedMore) return state_;
  // A whole request is never longer than its two limits; what would go beyond is not needed to
  // tell that it is too long.
  const std::size_t room =
      kMaxHeadBytes + kMaxBodyBytes - std::min(buffer_.size(), kMaxHeadBytes + kMaxBodyBytes);
  buffer_.append(bytes.substr(0, room));
  return head_done_ ? ContinueBody() : ContinueHead();
}

RequestParser::State RequestParser::End() {
  if (state_ != State::kNeedMore) return state_;
  if (head_done_) return Fail(400, "body shorter than Content-Length");
  if (buffer_.empty()) return Fail(400, "no request");
  return Fail(400, "incomplete request head");
}

RequestParser::State RequestParser::ContinueHead() {
  for (;;) {
    const std::size_t line_end = buffer_.find('\n', scanned_);
    if (line_end == std::string::npos) break;
    scanned_ = line_end + 1;
    if (scanned_ > kMaxHeadBytes) return Fail(431, "request head too long");
    const std::string_view line =
        WithoutCr(std::string_view(buffer_).substr(line_start_, line_end - line_start_));
    const std::size_t this_line = line_start_;
    line_start_ = scanned_;
    if (!line.empty()) continue;
    if (this_line == head_start_) {
      // Empty lines before the request line are left over from something else: skip them.
      head_start_ = scanned_;
      continue;
    }
    head_done_ = true;
    body_start_ = scanned_;
    if (ReadHead(std::string_view(buffer_).substr(head_start_, this_line - head_start_)) ==
        State::kFailed) {
      return state_;
    }
    return ContinueBody();
  }
  if (buffer_.size() > kMaxHeadBytes) return Fail(431, "request head too long");
  return state_;
}

RequestParser::State RequestParser::ReadHead(std::string_view head) {
  // The head without its empty line: the request line, then one field a line.
  std::vector<std::string_view> lines;
  while (!head.empty()) {
    const std::size_t end = head.find('\n');
    lines.push_back(WithoutCr(head.substr(0, end)));
    head.remove_prefix(end == std::string_view::npos ? head.size() : end + 1);
  }

  const std::string_view request_line = lines.front();
  const std::size_t first_space = request_line.find(' ');
  const std::size_t second_space = first_space == std::string_view::npos
                                       ? std::string_view::npos
                                       : request_line.find(' ', first_space + 1);
  if (second_space == std::string_view::npos ||
      request_line.find(' ', second_space + 1) != std::string_view::npos) {
    return Fail(400, "malformed request line");
  }
  const std::string_view method = request_line.substr(0, first_space);
  const std::string_view target =
      request_line.substr(first_space + 1, second_space - first_space - 1);
  const std::string_view version = request_line.substr(second_space + 1);
  if (!IsToken(method) || target.empty() || HasControlOrBlank(target)) {
    return Fail(400, "malformed request line");
  }
  if (version.size() != 8 || version.substr(0, 5) != "HTTP/" || !IsDigit(version[5]) ||
      version[6] != '.' || !IsDigit(version[7])) {
    return Fail(400, "malformed request line");
  }
  if (version != "HTTP/1.1" && version != "HTTP/1.0") {
    return Fail(505, "HTTP version not supported");
  }
  std::optional<std::string> path = TargetPath(target);
  if (!path) return Fail(400, "malformed request target");
  request_.method = std::string(method);
  request_.target = std::string(target);
  request_.path = std::move(*path);
  request_.version = std::string(version);

  for (std::size_t i = 1; i < lines.size(); ++i) {
    const std::string_view line = lines[i];
    const std::size_t colon = line.find(':');
    // A line that starts with a blank would continue the one before (obsolete folding), and a
    // blank before the colon is not allowed either: both are refused.
    if (colon == std::string_view::npos || !IsToken(line.substr(0, colon))) {
      return Fail(400, "malformed header field");
    }
    const std::string_view value = TrimBlanks(line.substr(colon + 1));
    if (std::any_of(value.begin(), value.end(), [](char c) { return c != '\t' && IsControl(c); })) {
      return Fail(400, "malformed header field");
    }
    request_.headers.emplace_back(line.substr(0, colon), value);
  }

  if (request_.Header("Transfer-Encoding")) {
    return Fail(501, "request bodies are taken by Content-Length only");
  }
  // Several Content-Length fields are accepted only when they agree.
  std::optional<uint64_t> length;
  for (const auto& [field, value] : request_.headers) {
    if (!EqualsIgnoringCase(field, "Content-Length")) continue;
    const std::optional<uint64_t> this_length = ParseDecimal(value);
    if (!this_length || (length && *length != *this_length)) {
      return Fail(400, "malformed Content-Length");
    }
    length = this_length;
  }
  if (!length) {
    if (request_.method == "POST") return Fail(411, "Content-Length required");
    length = 0;
  }
  if (*length > kMaxBodyBytes) return Fail(413, "request body too long");
  body_length_ = static_cast<std::size_t>(*length);
  return state_;
}

RequestParser::State RequestParser::ContinueBody() {
  if (buffer_.size() - body_start_ < body_length_) return state_;
  request_.body = buffer_.substr(body_start_, body_length_);
  buffer_.clear();
  buffer_.shrink_to_fit();
  state_ = State::kComplete;
  return state_;
}

RequestParser ParseRequest(std::string_view bytes) {
  RequestParser parser;
  parser.Feed(bytes);
  parser.End();
  return parser;
}

}  // namespace lw::server
