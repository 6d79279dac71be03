#include "net/form_post.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace lw {
namespace {

constexpr std::size_t kSendPiece = 200;

// Position and length of the first separator found, trying each in order.
struct Found {
  std::size_t at = std::string::npos;
  std::size_t length = 0;
};

Found FindFirstOf(std::string_view text, std::string_view preferred, std::string_view fallback) {
  if (std::size_t at = text.find(preferred); at != std::string_view::npos) {
    return {at, preferred.size()};
  }
  if (std::size_t at = text.find(fallback); at != std::string_view::npos) {
    return {at, fallback.size()};
  }
  return {};
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

int32_t ChunkSizeValue(std::string_view text) {
  constexpr int64_t kMax = 2147483647;
  int64_t value = 0;
  for (char c : text) {
    const int digit = HexDigit(c);
    if (digit < 0) break;
    value = std::min(value * 16 + digit, kMax);
  }
  return static_cast<int32_t>(value);
}

ReceivedAnswer CutFirstChunk(std::string received, bool server_closed) {
  ReceivedAnswer answer;
  answer.ok = true;
  answer.server_closed = server_closed;
  answer.declared_chunk_size = 0;
  // A count beyond 32 bits cannot be told; such an answer is cut to what the count can hold.
  constexpr std::size_t kMaxLength = 2147483647;
  if (received.size() > kMaxLength) received.resize(kMaxLength);

  const std::string_view all(received);
  const Found header_end = FindFirstOf(all, "\r\n\r\n", "\n\n");
  // Without a header end the body is taken to start at the first byte.
  const std::size_t body_start =
      header_end.at == std::string::npos ? 0 : header_end.at + header_end.length;
  const std::string_view body = all.substr(body_start);
  const Found line_end = FindFirstOf(body, "\r\n", "\n");
  if (line_end.at == std::string::npos) {
    answer.content_length = static_cast<int32_t>(received.size());
    answer.content = std::move(received);
    return answer;
  }
  answer.declared_chunk_size = ChunkSizeValue(body.substr(0, line_end.at));
  const std::size_t content_start = body_start + line_end.at + line_end.length;
  std::size_t length = received.size() - content_start;
  length = std::min(length, static_cast<std::size_t>(answer.declared_chunk_size));
  answer.content_length = static_cast<int32_t>(length);
  answer.content = received.substr(content_start, length);
  return answer;
}

std::string AnswerText(const ReceivedAnswer& answer, std::size_t limit) {
  if (!answer.ok || answer.content_length <= 0) return {};
  std::string_view content(answer.content);
  content = content.substr(0, static_cast<std::size_t>(answer.content_length));
  content = content.substr(0, content.find('\0'));
  return std::string(content.substr(0, limit));
}

std::optional<std::string> AnswerValue(const FormPostCopy& copy, std::string_view text,
                                       std::string_view key) {
  if (text.empty()) return std::string();
  const std::size_t key_at = text.find(key);
  const std::size_t equals =
      key_at == std::string_view::npos ? std::string_view::npos : text.find('=', key_at);
  if (equals == std::string_view::npos) {
    if (copy.missing_value_is_zero) return std::string("0");
    return std::nullopt;
  }
  std::string_view value = text.substr(equals + 1);
  value = value.substr(0, value.find('&'));
  return std::string(value.substr(0, copy.value_limit));
}

FormPostClient::FormPostClient(const FormPostCopy& copy, Transport& transport, AnswerSpool& spool,
                               Clock& clock, std::function<bool()> stop_requested,
                               FormPostLimits limits)
    : copy_(copy),
      transport_(transport),
      spool_(spool),
      clock_(clock),
      stop_requested_(std::move(stop_requested)),
      limits_(limits) {}

bool FormPostClient::ConnectToServer() {
  if (transport_.Connect(copy_.host, kFormPostPort, limits_.connect_timeout_ms)) return true;
  transport_.Close();
  if (copy_.finished_on_connect_failure) finished_ = true;
  return false;
}

void FormPostClient::SendPiecewise(std::string_view text) {
  do {
    const std::string_view piece = text.substr(0, kSendPiece);
    transport_.Send(piece);
    text.remove_prefix(piece.size());
  } while (!text.empty());
}

void FormPostClient::PostForm(std::string_view path, std::string_view body) {
  SendPiecewise("POST " + std::string(path) + " HTTP/1.1\r\n");
  SendPiecewise(
      "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, application/vnd.ms-excel, "
      "application/msword, */*\r\n");
  SendPiecewise("Content-Type: application/x-www-form-urlencoded\r\n");
  SendPiecewise("User-Agent: Unknown\r\n");
  SendPiecewise("Host: " + std::string(copy_.host) + "\r\n");
  SendPiecewise("Content-Length: " + std::to_string(body.size()) + "\r\n");
  SendPiecewise("Connection: Close\r\n");
  SendPiecewise("\r\n");
  SendPiecewise(body);
}

ReceivedAnswer FormPostClient::Fail() {
  spool_.Remove();
  return {};
}

ReceivedAnswer FormPostClient::ReceiveAnswer() {
  if (!spool_.Create(copy_.spool_prefix)) return {};
  std::vector<char> block(kReceiveBlock);
  bool server_closed = false;
  uint64_t last_data_ms = clock_.ElapsedMs();
  for (;;) {
    std::size_t received = 0;
    const Transport::ReceiveStatus status =
        transport_.Receive(block, limits_.wait_slice_ms, &received);
    if (status == Transport::ReceiveStatus::kError) return Fail();
    if (status == Transport::ReceiveStatus::kClosed) {
      server_closed = true;
      break;
    }
    if (status == Transport::ReceiveStatus::kTimedOut) {
      if (stop_requested_ && stop_requested_()) break;
      if (clock_.ElapsedMs() - last_data_ms >= limits_.idle_timeout_ms) return Fail();
      continue;
    }
    received = std::min(received, block.size());
    if (!spool_.Append(std::string_view(block.data(), received))) return Fail();
    last_data_ms = clock_.ElapsedMs();
    if (stop_requested_ && stop_requested_()) break;
  }
  std::optional<std::string> all = spool_.ReadAll();
  spool_.Remove();
  if (!all) return {};
  return CutFirstChunk(std::move(*all), server_closed);
}

void FormPostClient::CloseConnection() { transport_.Close(); }

std::optional<std::string> FormPostClient::Exchange(std::string_view path, std::string_view body) {
  if (!ConnectToServer()) {
    if (copy_.finished_on_connect_failure) return std::string();
    return std::nullopt;
  }
  PostForm(path, body);
  const ReceivedAnswer answer = ReceiveAnswer();
  CloseConnection();
  return AnswerText(answer, copy_.answer_text_limit);
}

}  // namespace lw
