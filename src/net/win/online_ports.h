#pragma once
// The ports of one run of an online service on Windows (the program update, the add-on
// catalogue): the Winsock connection, the answer file in the temporary folder, the system
// clock, the registry and the signature check against the key of this build. Made on the
// worker thread that runs the exchange and dropped with it.

#include <filesystem>
#include <functional>

#include "common/win/system_clock.h"
#include "config/win/win_registry.h"
#include "net/file_answer_spool.h"
#include "net/online_ports.h"
#include "net/win/bcrypt_signature.h"
#include "net/win/winsock_transport.h"

namespace lw {

struct WinOnlinePorts {
  // stop: the program is closing; it cuts a connection attempt short.
  explicit WinOnlinePorts(std::function<bool()> stop)
      : transport(std::move(stop)), signature(BuiltInUpdateKey()) {}

  // The ports of a run that shows its notices through notifier with texts from messages.
  OnlinePorts Bind(Notifier& notifier, const MessageTable& messages) {
    return {transport, spool, clock, registry, notifier, messages, signature};
  }

  WinsockTransport transport;
  FileAnswerSpool spool;
  SystemClock clock;
  WinRegistry registry;
  BcryptSignatureCheck signature;
};

// The program's current directory, where its downloads go; empty when it cannot be read.
std::filesystem::path CurrentFolder();

}  // namespace lw
