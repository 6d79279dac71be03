#include "server/service.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/sendfile.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <system_error>
#include <utility>
#include <vector>

namespace lw::server {
namespace {

// After the answer the client has some time to close its side, so that bytes it still sends
// do not turn the close into a reset that could lose the end of the answer.
constexpr int kLingerMs = 2000;
constexpr std::size_t kLingerBytes = 64 * 1024;

int64_t NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

std::string AddressText(const sockaddr* address) {
  char text[INET6_ADDRSTRLEN] = {};
  if (address->sa_family == AF_INET) {
    const auto* v4 = reinterpret_cast<const sockaddr_in*>(address);
    inet_ntop(AF_INET, &v4->sin_addr, text, sizeof text);
    std::string address_text(text);
    address_text += ':';
    address_text += std::to_string(ntohs(v4->sin_port));
    return address_text;
  }
  if (address->sa_family == AF_INET6) {
    const auto* v6 = reinterpret_cast<const sockaddr_in6*>(address);
    inet_ntop(AF_INET6, &v6->sin6_addr, text, sizeof text);
    std::string address_text = "[";
    address_text += text;
    address_text += "]:";
    address_text += std::to_string(ntohs(v6->sin6_port));
    return address_text;
  }
  return "?";
}

// Sends on a blocking socket whose sends give up after the send time limit.
class SocketSink : public AnswerSink {
 public:
  explicit SocketSink(int fd) : fd_(fd) {}

  bool Write(std::string_view bytes) override {
    while (!bytes.empty()) {
      const ssize_t sent = send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
      if (sent < 0 && errno == EINTR) continue;
      if (sent <= 0) return false;
      bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
  }

  bool WriteFile(int file, uint64_t offset, uint64_t length) override {
    auto position = static_cast<off_t>(offset);
    while (length > 0) {
      const std::size_t want = length < kFileBlock ? static_cast<std::size_t>(length) : kFileBlock;
      const ssize_t sent = sendfile(fd_, file, &position, want);
      if (sent < 0 && errno == EINTR) continue;
      if (sent < 0 && (errno == EINVAL || errno == ENOSYS)) {
        return CopyFile(file, static_cast<uint64_t>(position), length);
      }
      // Nothing sent: the file got shorter, or the client stopped taking bytes.
      if (sent <= 0) return false;
      length -= static_cast<uint64_t>(sent);
    }
    return true;
  }

 private:
  // For files sendfile cannot send from: read a block, send it.
  bool CopyFile(int file, uint64_t offset, uint64_t length) {
    std::vector<char> block(kFileBlock);
    while (length > 0) {
      const std::size_t want =
          length < block.size() ? static_cast<std::size_t>(length) : block.size();
      const ssize_t got = pread(file, block.data(), want, static_cast<off_t>(offset));
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) return false;
      if (!Write(std::string_view(block.data(), static_cast<std::size_t>(got)))) return false;
      offset += static_cast<uint64_t>(got);
      length -= static_cast<uint64_t>(got);
    }
    return true;
  }

  int fd_;
};

// Reads what the client still sends until it closes, for at most a while.
void Linger(int fd) {
  shutdown(fd, SHUT_WR);
  const int64_t deadline = NowMs() + kLingerMs;
  std::size_t drained = 0;
  char buffer[4096];
  while (drained < kLingerBytes) {
    const int64_t left = deadline - NowMs();
    if (left <= 0) break;
    pollfd wait{fd, POLLIN, 0};
    const int ready = poll(&wait, 1, static_cast<int>(left));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) break;
    const ssize_t got = recv(fd, buffer, sizeof buffer, 0);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    drained += static_cast<std::size_t>(got);
  }
}

void SetTimeLimit(int fd, int option, int ms) {
  timeval limit{};
  limit.tv_sec = ms / 1000;
  limit.tv_usec = (ms % 1000) * 1000;
  setsockopt(fd, SOL_SOCKET, option, &limit, sizeof limit);
}

}  // namespace

void LogLine(std::string_view line) {
  static std::mutex mutex;
  std::string whole(line);
  whole.push_back('\n');
  const std::lock_guard lock(mutex);
  std::fwrite(whole.data(), 1, whole.size(), stderr);
  std::fflush(stderr);
}

Service::Service(const Router& router, ServiceOptions options)
    : router_(router), options_(std::move(options)) {}

Service::~Service() {
  if (listen_fd_ >= 0) close(listen_fd_);
}

bool Service::Listen(std::string* error) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
  addrinfo* found = nullptr;
  const std::string port = std::to_string(options_.port);
  const int lookup = getaddrinfo(options_.host.empty() ? nullptr : options_.host.c_str(),
                                 port.c_str(), &hints, &found);
  if (lookup != 0) {
    *error = "cannot resolve " + options_.host + ": " + gai_strerror(lookup);
    return false;
  }
  *error = "no address to listen on";
  for (addrinfo* candidate = found; candidate != nullptr; candidate = candidate->ai_next) {
    const int fd =
        socket(candidate->ai_family, candidate->ai_socktype | SOCK_CLOEXEC, candidate->ai_protocol);
    if (fd < 0) continue;
    const int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (bind(fd, candidate->ai_addr, candidate->ai_addrlen) == 0 && listen(fd, 128) == 0) {
      listen_fd_ = fd;
      break;
    }
    *error = std::string("cannot listen on ") + AddressText(candidate->ai_addr) + ": " +
             std::strerror(errno);
    close(fd);
  }
  freeaddrinfo(found);
  return listen_fd_ >= 0;
}

std::string Service::ListeningAddress() const {
  sockaddr_storage address{};
  socklen_t length = sizeof address;
  if (getsockname(listen_fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0) return "?";
  return AddressText(reinterpret_cast<const sockaddr*>(&address));
}

void Service::Run(int stop_fd) {
  pollfd waits[2] = {{listen_fd_, POLLIN, 0}, {stop_fd, POLLIN, 0}};
  for (;;) {
    // Wakes now and then to join the threads of finished connections.
    const int ready = poll(waits, 2, 1000);
    if (ready < 0 && errno != EINTR) break;
    Reap();
    if (ready <= 0) continue;
    if (waits[1].revents != 0) break;
    if ((waits[0].revents & POLLIN) == 0) continue;
    sockaddr_storage peer{};
    socklen_t peer_length = sizeof peer;
    const int fd =
        accept4(listen_fd_, reinterpret_cast<sockaddr*>(&peer), &peer_length, SOCK_CLOEXEC);
    if (fd < 0) {
      // Out of descriptors: wait for connections to end instead of spinning.
      if (errno == EMFILE || errno == ENFILE) poll(nullptr, 0, 100);
      continue;
    }
    const std::string peer_text = AddressText(reinterpret_cast<const sockaddr*>(&peer));
    const std::lock_guard lock(mutex_);
    if (open_ >= options_.max_connections) {
      Refuse(fd);
      if (!options_.quiet) LogLine("lwserver: " + peer_text + " refused, 503");
      continue;
    }
    Connection& connection = connections_.emplace_back();
    connection.fd = fd;
    try {
      connection.thread = std::thread(&Service::Serve, this, &connection, peer_text);
      ++open_;
    } catch (const std::system_error&) {
      connections_.pop_back();
      Refuse(fd);
    }
  }

  close(listen_fd_);
  listen_fd_ = -1;
  std::list<Connection> ending;
  {
    const std::lock_guard lock(mutex_);
    // Wakes every connection's thread out of its receive or send.
    for (Connection& connection : connections_) {
      if (connection.fd >= 0) shutdown(connection.fd, SHUT_RDWR);
    }
    ending.splice(ending.end(), connections_);
  }
  for (Connection& connection : ending) connection.thread.join();
}

void Service::Reap() {
  std::list<Connection> finished;
  {
    const std::lock_guard lock(mutex_);
    for (auto it = connections_.begin(); it != connections_.end();) {
      const auto next = std::next(it);
      if (it->done) finished.splice(finished.end(), connections_, it);
      it = next;
    }
  }
  for (Connection& connection : finished) connection.thread.join();
}

void Service::Refuse(int fd) {
  const std::string answer = AnswerBytes(ErrorAnswer(503, "too many connections"));
  send(fd, answer.data(), answer.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
  shutdown(fd, SHUT_WR);
  // What the client has sent so far, so that the close does not reset the connection.
  char buffer[4096];
  while (recv(fd, buffer, sizeof buffer, MSG_DONTWAIT) > 0) {
  }
  close(fd);
}

void Service::Serve(Connection* connection, std::string peer) {
  const int fd = connection->fd;
  SetTimeLimit(fd, SO_SNDTIMEO, options_.send_time_limit_ms);

  RequestParser parser;
  const int64_t deadline = NowMs() + options_.request_time_limit_ms;
  bool timed_out = false;
  bool gone = false;
  char buffer[8192];
  while (parser.state() == RequestParser::State::kNeedMore) {
    const int64_t left = deadline - NowMs();
    if (left <= 0) {
      timed_out = true;
      break;
    }
    pollfd wait{fd, POLLIN, 0};
    const int ready = poll(&wait, 1, static_cast<int>(left));
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) {
      gone = true;
      break;
    }
    if (ready == 0) continue;
    const ssize_t got = recv(fd, buffer, sizeof buffer, 0);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      gone = true;
      break;
    }
    if (got == 0) {
      parser.End();
    } else {
      parser.Feed(std::string_view(buffer, static_cast<std::size_t>(got)));
    }
  }

  const RoutedAnswer routed =
      timed_out ? RoutedAnswer{ErrorAnswer(408, "the request did not arrive in time"), {}}
                : router_.Route(parser);
  SentAnswer sent;
  bool stalled = false;
  if (!gone) {
    SocketSink sink(fd);
    sent =
        SendAnswer(routed.answer, sink, options_.stall_after.value_or(static_cast<uint64_t>(-1)));
    stalled = routed.answer.file && options_.stall_after && !sent.complete &&
              sent.content_bytes == *options_.stall_after;
  }
  if (!options_.quiet) {
    std::string line = "lwserver: ";
    line += peer;
    line += ' ';
    if (parser.state() == RequestParser::State::kComplete) {
      line += parser.request().method;
      line += ' ';
      line += parser.request().path;
    } else {
      line += "- -";
    }
    line += " give=";
    line += routed.give.empty() ? std::string_view("-") : std::string_view(routed.give);
    if (routed.answer.file) line += " resume=" + std::to_string(routed.answer.file->offset);
    line += ' ';
    line += gone ? std::string("-") : std::to_string(sent.status);
    line += ' ';
    line += std::to_string(sent.content_bytes);
    if (stalled) {
      line += " (stalled)";
    } else if (!gone && !sent.complete) {
      line += " (cut short)";
    }
    LogLine(line);
  }
  // The stalled answer's connection stays open and silent until the client gives up; the
  // service's end shuts it down, which ends the wait too.
  while (stalled) {
    pollfd wait{fd, POLLIN, 0};
    if (poll(&wait, 1, -1) < 0 && errno == EINTR) continue;
    char discard[256];
    const ssize_t got = recv(fd, discard, sizeof discard, 0);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
  }
  if (!gone) Linger(fd);

  const std::lock_guard lock(mutex_);
  connection->fd = -1;
  close(fd);
  connection->done = true;
  --open_;
}

}  // namespace lw::server
