#pragma once
// The maker's service played in memory behind the Transport port: each connection carries one
// request, whose form body goes to a handler that says what comes back. The answer is sent in
// chunked coding as one chunk, handed out in pieces no larger than the receive buffer.

#include <algorithm>
#include <cstdio>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "fakes/fake_ports.h"
#include "net/form_post.h"

namespace lw::test {

class FakeService : public Transport {
 public:
  struct Reply {
    // The content of the answer's one chunk.
    std::string content;
    // Only this many content bytes arrive; then the server falls silent (it neither closes nor
    // fails), so that a stop request or the time limit ends the receive, or the connection
    // breaks (a receive error).
    std::size_t arrive = std::string::npos;
    bool then_break = false;
  };

  explicit FakeService(FakeClock& clock) : clock_(clock) {}

  // The form bodies of the requests, in order.
  std::vector<std::string> bodies;
  std::function<Reply(const std::string& body)> handler;
  // Connections from this one on (counted from 0) are refused.
  int refuse_from = 1 << 30;
  // Called whenever the server stays silent through a wait.
  std::function<void()> on_silence;
  int connects = 0;
  int closes = 0;

  bool Connect(std::string_view, uint16_t, uint32_t) override {
    request_.clear();
    answer_.clear();
    answered_ = false;
    silent_ = false;
    broken_ = false;
    return connects++ < refuse_from;
  }
  void Send(std::string_view bytes) override { request_.append(bytes); }
  ReceiveStatus Receive(std::span<char> buffer, uint32_t wait_ms, std::size_t* received) override {
    if (!answered_) Answer();
    if (answer_.empty()) {
      if (broken_) return ReceiveStatus::kError;
      if (!silent_) return ReceiveStatus::kClosed;
      clock_.elapsed += wait_ms;
      if (on_silence) on_silence();
      return ReceiveStatus::kTimedOut;
    }
    const std::size_t count = std::min(buffer.size(), answer_.size());
    std::copy_n(answer_.data(), count, buffer.data());
    answer_.erase(0, count);
    *received = count;
    return ReceiveStatus::kData;
  }
  void Close() override { ++closes; }

 private:
  void Answer() {
    answered_ = true;
    const std::size_t header_end = request_.find("\r\n\r\n");
    const std::string body = header_end == std::string::npos ? "" : request_.substr(header_end + 4);
    bodies.push_back(body);
    const Reply reply = handler ? handler(body) : Reply{};
    char size[16];
    std::snprintf(size, sizeof size, "%zx", reply.content.size());
    answer_ = std::string("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n") + size + "\r\n";
    silent_ = reply.arrive < reply.content.size() && !reply.then_break;
    broken_ = reply.arrive < reply.content.size() && reply.then_break;
    if (silent_ || broken_) {
      answer_ += reply.content.substr(0, reply.arrive);
    } else {
      answer_ += reply.content + "\r\n0\r\n\r\n";
    }
  }

  FakeClock& clock_;
  std::string request_;
  std::string answer_;
  bool answered_ = false;
  bool silent_ = false;
  bool broken_ = false;
};

// The value of a field of a form body; empty when it is missing.
inline std::string FormField(std::string_view body, std::string_view name) {
  const std::string key = "&" + std::string(name) + "=";
  const std::string padded = "&" + std::string(body);
  const std::size_t at = padded.find(key);
  if (at == std::string::npos) return {};
  const std::size_t start = at + key.size();
  return padded.substr(start, padded.find('&', start) - start);
}

}  // namespace lw::test
