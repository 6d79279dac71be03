#pragma once
// The network side of the service: a listening TCP socket and a thread per connection, each
// reading one request, sending its answer and closing. Linux only.
//
// Nothing a client does may hold the service: the request must arrive within a time limit,
// a stalled download ends when the client takes nothing for a while, and beyond a number of
// open connections new ones are answered 503 at once and closed.

#include <atomic>
#include <cstdint>
#include <list>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "server/router.h"

namespace lw::server {

struct ServiceOptions {
  std::string host;
  uint16_t port = 0;
  // No access line per request.
  bool quiet = false;
  std::size_t max_connections = 64;
  // The whole request must have arrived within this time.
  int request_time_limit_ms = 10000;
  // A send that moves no byte for this long ends the connection.
  int send_time_limit_ms = 30000;
  // For tests of interrupted downloads: a file answer stops after this many content bytes and
  // the connection is then held, silent, until the client leaves or the service stops.
  std::optional<uint64_t> stall_after;
};

// One line to the standard error, whole, whatever the threads do.
void LogLine(std::string_view line);

class Service {
 public:
  Service(const Router& router, ServiceOptions options);
  ~Service();
  Service(const Service&) = delete;
  Service& operator=(const Service&) = delete;

  // Opens the listening socket; false and the reason in *error when it cannot.
  bool Listen(std::string* error);
  // "address:port" of the listening socket ("[address]:port" for IPv6).
  std::string ListeningAddress() const;
  // Accepts connections until stop_fd becomes readable (a signalfd), then ends every open
  // connection and waits for their threads.
  void Run(int stop_fd);

 private:
  struct Connection {
    std::thread thread;
    // -1 once the connection's thread has closed it.
    int fd = -1;
    bool done = false;
  };

  void Serve(Connection* connection, std::string peer);
  void Refuse(int fd);
  // Joins the threads of connections that are over.
  void Reap();

  const Router& router_;
  ServiceOptions options_;
  int listen_fd_ = -1;
  std::mutex mutex_;
  std::list<Connection> connections_;
  std::size_t open_ = 0;
};

}  // namespace lw::server
