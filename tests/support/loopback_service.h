#pragma once
// A form-post service on loopback for the Windows tests: it takes connections one after
// another, reads each request (its head and the body the head declares), and answers with
// what respond makes of the body, as one chunk, then closes; when respond gives nothing, it
// keeps that connection open without a word until the service goes.

#include <winsock2.h>

#include <cstdio>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace lw::test {

class LoopbackService {
 public:
  using Respond = std::function<std::optional<std::string>(const std::string& body)>;

  explicit LoopbackService(Respond respond) : respond_(std::move(respond)) {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    quit_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(listener_, 8);
    int length = sizeof address;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Serve(); });
  }
  ~LoopbackService() {
    SetEvent(quit_);         // ends a silent connection's wait
    closesocket(listener_);  // ends the accept
    thread_.join();
    CloseHandle(quit_);
    WSACleanup();
  }
  LoopbackService(const LoopbackService&) = delete;
  LoopbackService& operator=(const LoopbackService&) = delete;

  uint16_t port() const { return port_; }
  // The requests as they arrived, and their bodies.
  std::vector<std::string> requests() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
  }
  std::vector<std::string> bodies() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return bodies_;
  }

  static std::string Chunked(const std::string& content) {
    char size[16];
    std::snprintf(size, sizeof size, "%zx", content.size());
    return "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nConnection: close\r\n\r\n" +
           std::string(size) + "\r\n" + content + "\r\n0\r\n\r\n";
  }

 private:
  void Serve() {
    for (;;) {
      SOCKET client = accept(listener_, nullptr, nullptr);
      if (client == INVALID_SOCKET) return;
      std::string request;
      char block[4096];
      std::size_t header_end = std::string::npos;
      std::size_t body_length = 0;
      for (;;) {
        header_end = request.find("\r\n\r\n");
        if (header_end != std::string::npos) {
          const std::size_t at = request.find("Content-Length: ");
          body_length = at == std::string::npos ? 0 : std::stoul(request.substr(at + 16));
          if (request.size() >= header_end + 4 + body_length) break;
        }
        const int count = recv(client, block, sizeof block, 0);
        if (count <= 0) break;
        request.append(block, count);
      }
      const std::string body =
          header_end == std::string::npos ? "" : request.substr(header_end + 4, body_length);
      {
        std::lock_guard<std::mutex> lock(mutex_);
        requests_.push_back(request);
        bodies_.push_back(body);
      }
      if (const std::optional<std::string> content = respond_(body)) {
        const std::string answer = Chunked(*content);
        send(client, answer.data(), static_cast<int>(answer.size()), 0);
        shutdown(client, SD_SEND);
      } else {
        WaitForSingleObject(quit_, 30000);
      }
      closesocket(client);
    }
  }

  Respond respond_;
  SOCKET listener_ = INVALID_SOCKET;
  HANDLE quit_ = nullptr;
  uint16_t port_ = 0;
  std::thread thread_;
  mutable std::mutex mutex_;
  std::vector<std::string> requests_;
  std::vector<std::string> bodies_;
};

}  // namespace lw::test
