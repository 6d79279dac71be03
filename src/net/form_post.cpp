#include "net/form_post.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace lw {
namespace {

constexpr std::size_t kSendPiece = 200;

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The leading hexadecimal digits of a text that may arrive in pieces.
class HexNumber {
 public:
  // False once the number has ended.
  bool Feed(std::string_view text) {
    for (char c : text) {
      const int digit = HexDigit(c);
      if (digit < 0) {
        ended_ = true;
        return false;
      }
      value_ = std::min(value_ * 16 + digit, kMax);
    }
    return !ended_;
  }
  int32_t value() const { return static_cast<int32_t>(value_); }

 private:
  static constexpr int64_t kMax = 2147483647;
  int64_t value_ = 0;
  bool ended_ = false;
};

// The received bytes as the spool holds them, read in blocks: never more than one block in
// memory, whatever the size of the answer.
class SpoolReader {
 public:
  SpoolReader(AnswerSpool& spool, uint64_t total) : spool_(spool), total_(total) {}

  uint64_t total() const { return total_; }
  bool failed() const { return failed_; }

  // Hands the bytes of [from, from + length) to visit block by block until it returns false.
  template <typename Visit>
  void Read(uint64_t from, uint64_t length, Visit visit) {
    std::vector<char> block(kReceiveBlock);
    const uint64_t end = std::min(total_, from + length);
    while (from < end) {
      const std::size_t want =
          static_cast<std::size_t>(std::min<uint64_t>(block.size(), end - from));
      const std::optional<std::size_t> got = spool_.ReadAt(from, std::span(block.data(), want));
      if (!got || *got == 0) {
        failed_ = true;
        return;
      }
      if (!visit(std::string_view(block.data(), *got))) return;
      from += *got;
    }
  }

  // The offset of the first occurrence of pattern at or after from.
  std::optional<uint64_t> Find(uint64_t from, std::string_view pattern) {
    std::optional<uint64_t> found;
    // The last bytes of the previous block go before the next, so that a pattern across the
    // boundary is seen.
    std::string carry;
    uint64_t carry_at = from;
    Read(from, total_ - std::min(from, total_), [&](std::string_view block) {
      const std::string window = carry + std::string(block);
      if (const std::size_t at = window.find(pattern); at != std::string::npos) {
        found = carry_at + at;
        return false;
      }
      const std::size_t keep = std::min(window.size(), pattern.size() - 1);
      carry_at += window.size() - keep;
      carry = window.substr(window.size() - keep);
      return true;
    });
    return found;
  }

  // The first of the separators that occurs at all, and its length.
  std::optional<std::pair<uint64_t, std::size_t>> FindFirstOf(uint64_t from,
                                                              std::string_view preferred,
                                                              std::string_view fallback) {
    if (std::optional<uint64_t> at = Find(from, preferred)) return std::pair(*at, preferred.size());
    if (std::optional<uint64_t> at = Find(from, fallback)) return std::pair(*at, fallback.size());
    return std::nullopt;
  }

 private:
  AnswerSpool& spool_;
  uint64_t total_;
  bool failed_ = false;
};

// Finds the first chunk in the received bytes and hands its content to sink. The header lines,
// the status line included, are never read.
ReceivedAnswer DeliverFirstChunk(SpoolReader& reader, bool server_closed, const ContentSink& sink) {
  ReceivedAnswer answer;
  answer.declared_chunk_size = 0;
  const auto header_end = reader.FindFirstOf(0, "\r\n\r\n", "\n\n");
  // Without a header end the body is taken to start at the first byte.
  const uint64_t body_start = header_end ? header_end->first + header_end->second : 0;
  const auto line_end = reader.FindFirstOf(body_start, "\r\n", "\n");
  uint64_t content_start = 0;
  uint64_t length = reader.total();
  if (line_end) {
    HexNumber size;
    reader.Read(body_start, line_end->first - body_start,
                [&](std::string_view block) { return size.Feed(block); });
    answer.declared_chunk_size = size.value();
    content_start = line_end->first + line_end->second;
    length = std::min<uint64_t>(reader.total() - content_start,
                                static_cast<uint64_t>(answer.declared_chunk_size));
  }
  // A count beyond 32 bits cannot be told; such an answer is cut to what the count can hold.
  length = std::min<uint64_t>(length, 2147483647);
  reader.Read(content_start, length, sink);
  if (reader.failed()) return {};
  answer.ok = true;
  answer.server_closed = server_closed;
  answer.content_length = static_cast<int32_t>(length);
  return answer;
}

// Where the first chunk's content starts, found while an answer arrives, so that a download's
// content can go to its file as it comes rather than through the answer file as well. The start
// is known once the first CR LF CR LF has arrived and, after it, the first CR LF: no later byte
// can change where either of them is. Answers whose head is cut another way, or is longer than
// the bytes kept here, are cut from the answer file after the receive.
class ChunkStart {
 public:
  // The start is looked for in the blocks of about this many first bytes.
  static constexpr std::size_t kKeep = 64 * 1024;

  // Takes the next received bytes; true once the start is known.
  bool Feed(std::string_view bytes) {
    if (located_ || given_up_) return located_;
    // Whole blocks are kept, so that the content after the start within the last one is here.
    head_.append(bytes);
    const std::size_t header_end = head_.find("\r\n\r\n");
    const std::size_t body = header_end == std::string::npos ? header_end : header_end + 4;
    const std::size_t line_end =
        body == std::string::npos ? std::string::npos : head_.find("\r\n", body);
    if (line_end != std::string::npos) {
      located_ = true;
      declared_ = ChunkSizeValue(std::string_view(head_).substr(body, line_end - body));
      content_start_ = line_end + 2;
    } else if (head_.size() >= kKeep) {
      given_up_ = true;
    }
    return located_;
  }

  int32_t declared() const { return declared_; }
  // The content bytes among those fed so far.
  std::string_view content_so_far() const { return std::string_view(head_).substr(content_start_); }

 private:
  std::string head_;
  bool located_ = false;
  bool given_up_ = false;
  int32_t declared_ = 0;
  std::size_t content_start_ = 0;
};

// Received bytes that are already in memory.
class MemorySpool final : public AnswerSpool {
 public:
  explicit MemorySpool(std::string_view bytes) : bytes_(bytes) {}
  bool Create(std::string_view) override { return true; }
  bool Append(std::string_view) override { return false; }
  std::optional<std::size_t> ReadAt(uint64_t offset, std::span<char> buffer) override {
    if (offset >= bytes_.size()) return 0;
    const std::string_view rest = bytes_.substr(static_cast<std::size_t>(offset));
    const std::size_t count = std::min(rest.size(), buffer.size());
    std::copy_n(rest.data(), count, buffer.data());
    return count;
  }
  void Remove() override {}

 private:
  std::string_view bytes_;
};

// A sink that keeps at most limit bytes in text.
ContentSink KeepIn(std::string& text, std::size_t limit) {
  return [&text, limit](std::string_view block) {
    text.append(block.substr(0, limit - std::min(limit, text.size())));
    return true;
  };
}

}  // namespace

int32_t ChunkSizeValue(std::string_view text) {
  HexNumber number;
  number.Feed(text);
  return number.value();
}

ReceivedAnswer CutFirstChunk(std::string_view received, bool server_closed) {
  MemorySpool spool(received);
  SpoolReader reader(spool, received.size());
  std::string content;
  ReceivedAnswer answer = DeliverFirstChunk(reader, server_closed, KeepIn(content, kUnlimited));
  answer.content = std::move(content);
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
      limits_(limits),
      service_{std::string(copy.host), kFormPostPort} {}

bool FormPostClient::ConnectToServer() {
  if (transport_.Connect(service_.host, service_.port, limits_.connect_timeout_ms)) return true;
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
  SendPiecewise("Host: " + service_.host + "\r\n");
  SendPiecewise("Content-Length: " + std::to_string(body.size()) + "\r\n");
  SendPiecewise("Connection: Close\r\n");
  SendPiecewise("\r\n");
  SendPiecewise(body);
}

ReceivedAnswer FormPostClient::Fail() {
  spool_.Remove();
  return {};
}

ReceivedAnswer FormPostClient::ReceiveAnswer(const ContentSink& sink) {
  if (!spool_.Create(copy_.spool_prefix)) return {};
  std::vector<char> block(kReceiveBlock);
  ChunkStart start;
  bool streaming = false;
  bool sink_open = true;
  // Content bytes still to come within the declared chunk.
  uint64_t remaining = 0;
  // Hands content to the sink, at most what the chunk declares.
  const auto deliver = [&](std::string_view bytes) {
    bytes = bytes.substr(0, static_cast<std::size_t>(std::min<uint64_t>(remaining, bytes.size())));
    remaining -= bytes.size();
    if (sink_open && !bytes.empty()) sink_open = sink(bytes);
  };

  uint64_t total = 0;
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
    const std::string_view bytes(block.data(), std::min(received, block.size()));
    total += bytes.size();
    last_data_ms = clock_.ElapsedMs();
    if (streaming) {
      deliver(bytes);
    } else {
      if (!spool_.Append(bytes)) return Fail();
      if (start.Feed(bytes)) {
        streaming = true;
        remaining = static_cast<uint64_t>(start.declared());
        deliver(start.content_so_far());
      }
    }
    if (stop_requested_ && stop_requested_()) break;
  }

  ReceivedAnswer answer;
  if (streaming) {
    answer.ok = true;
    answer.server_closed = server_closed;
    answer.declared_chunk_size = start.declared();
    answer.content_length = static_cast<int32_t>(start.declared() - remaining);
  } else {
    SpoolReader reader(spool_, total);
    answer = DeliverFirstChunk(reader, server_closed, sink);
  }
  spool_.Remove();
  return answer;
}

ReceivedAnswer FormPostClient::ReceiveAnswer() {
  std::string content;
  ReceivedAnswer answer = ReceiveAnswer(KeepIn(content, kMaxAnswerText));
  answer.content = std::move(content);
  return answer;
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
  if (!answer.ok && !copy_.finished_on_connect_failure) return std::nullopt;
  return AnswerText(answer, copy_.answer_text_limit);
}

}  // namespace lw
