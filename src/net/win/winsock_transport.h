#pragma once
// The form-post client's connection as a Winsock TCP socket. The socket library is started
// for each connection and cleaned up when it closes, one start per cleanup. Every wait is
// bounded: the connect by its time limit (and the stop request), each receive by its slice.

#include <winsock2.h>

#include <functional>

#include "net/form_post.h"

namespace lw {

class WinsockTransport final : public Transport {
 public:
  // stop: read while a connection is being made, so that a closing program does not wait out
  // the connect time limit.
  explicit WinsockTransport(std::function<bool()> stop = {}) : stop_(std::move(stop)) {}
  ~WinsockTransport() override { Close(); }
  WinsockTransport(const WinsockTransport&) = delete;
  WinsockTransport& operator=(const WinsockTransport&) = delete;

  bool Connect(std::string_view host, uint16_t port, uint32_t timeout_ms) override;
  void Send(std::string_view bytes) override;
  ReceiveStatus Receive(std::span<char> buffer, uint32_t wait_ms, std::size_t* received) override;
  void Close() override;

 private:
  bool WaitForConnect(uint32_t timeout_ms);

  std::function<bool()> stop_;
  SOCKET socket_ = INVALID_SOCKET;
  bool started_ = false;
};

}  // namespace lw
