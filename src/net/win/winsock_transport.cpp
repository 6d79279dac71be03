#include "net/win/winsock_transport.h"

#include <ws2tcpip.h>

#include <algorithm>
#include <string>

namespace lw {
namespace {

constexpr uint32_t kConnectSliceMs = 250;
// The longest wait for room to send a piece of a request.
constexpr ULONGLONG kSendLimitMs = 30000;

// The host as a dotted IPv4 address, or its first IPv4 address by name.
bool Resolve(const std::string& host, in_addr* address) {
  if (inet_pton(AF_INET, host.c_str(), address) == 1) return true;
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || found == nullptr) return false;
  *address = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr;
  freeaddrinfo(found);
  return true;
}

timeval Timeval(uint32_t milliseconds) {
  timeval tv;
  tv.tv_sec = static_cast<long>(milliseconds / 1000);
  tv.tv_usec = static_cast<long>((milliseconds % 1000) * 1000);
  return tv;
}

}  // namespace

bool WinsockTransport::Connect(std::string_view host, uint16_t port, uint32_t timeout_ms) {
  Close();
  WSADATA data;
  if (WSAStartup(MAKEWORD(2, 0), &data) != 0) return false;
  started_ = true;
  socket_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (socket_ == INVALID_SOCKET) return false;
  int buffer = 4 << 20;
  setsockopt(socket_, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&buffer), sizeof buffer);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  // A name that cannot be resolved leaves nothing to connect to.
  if (!Resolve(std::string(host), &address.sin_addr)) return false;

  // The socket never blocks, so that the connect's wait and each receive's are bounded.
  u_long non_blocking = 1;
  if (ioctlsocket(socket_, FIONBIO, &non_blocking) != 0) return false;
  if (connect(socket_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    if (WSAGetLastError() != WSAEWOULDBLOCK || !WaitForConnect(timeout_ms)) return false;
  }
  return true;
}

bool WinsockTransport::WaitForConnect(uint32_t timeout_ms) {
  const ULONGLONG start = GetTickCount64();
  for (;;) {
    const ULONGLONG waited = GetTickCount64() - start;
    if (waited >= timeout_ms || (stop_ && stop_())) return false;
    fd_set writable;
    fd_set failed;
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    FD_SET(socket_, &writable);
    FD_SET(socket_, &failed);
    timeval slice =
        Timeval(static_cast<uint32_t>(std::min<ULONGLONG>(kConnectSliceMs, timeout_ms - waited)));
    const int ready = select(0, nullptr, &writable, &failed, &slice);
    if (ready == SOCKET_ERROR) return false;
    if (ready == 0) continue;
    int error = 0;
    int length = sizeof error;
    if (getsockopt(socket_, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length) != 0) {
      return false;
    }
    return error == 0 && FD_ISSET(socket_, &writable);
  }
}

void WinsockTransport::Send(std::string_view bytes) {
  if (socket_ == INVALID_SOCKET) return;
  // One call for the piece as a blocking socket would make it; the socket does not block, so
  // a piece the system cannot take at once is finished after a bounded wait for room.
  const ULONGLONG start = GetTickCount64();
  do {
    const int count = send(socket_, bytes.data(),
                           static_cast<int>(std::min<std::size_t>(bytes.size(), INT_MAX)), 0);
    if (count >= 0) {
      bytes.remove_prefix(static_cast<std::size_t>(count));
      continue;
    }
    if (WSAGetLastError() != WSAEWOULDBLOCK || GetTickCount64() - start >= kSendLimitMs ||
        (stop_ && stop_())) {
      return;
    }
    fd_set writable;
    FD_ZERO(&writable);
    FD_SET(socket_, &writable);
    timeval slice = Timeval(kConnectSliceMs);
    if (select(0, nullptr, &writable, nullptr, &slice) == SOCKET_ERROR) return;
  } while (!bytes.empty());
}

Transport::ReceiveStatus WinsockTransport::Receive(std::span<char> buffer, uint32_t wait_ms,
                                                   std::size_t* received) {
  *received = 0;
  if (socket_ == INVALID_SOCKET) return ReceiveStatus::kError;
  const int size = static_cast<int>(std::min<std::size_t>(buffer.size(), INT_MAX));
  // The socket does not block: while an answer streams in, bytes are there already and one
  // call takes them; only an empty socket is waited on.
  for (bool waited = false;; waited = true) {
    const int count = recv(socket_, buffer.data(), size, 0);
    if (count > 0) {
      *received = static_cast<std::size_t>(count);
      return ReceiveStatus::kData;
    }
    if (count == 0) return ReceiveStatus::kClosed;
    if (WSAGetLastError() != WSAEWOULDBLOCK) return ReceiveStatus::kError;
    if (waited) return ReceiveStatus::kTimedOut;
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(socket_, &readable);
    timeval wait = Timeval(wait_ms);
    const int ready = select(0, &readable, nullptr, nullptr, &wait);
    if (ready == SOCKET_ERROR) return ReceiveStatus::kError;
    if (ready == 0) return ReceiveStatus::kTimedOut;
  }
}

void WinsockTransport::Close() {
  if (socket_ != INVALID_SOCKET) closesocket(socket_);
  socket_ = INVALID_SOCKET;
  if (started_) WSACleanup();
  started_ = false;
}

}  // namespace lw
