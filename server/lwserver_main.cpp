// lwserver: the maker's service the program asks for updates, dial parameters and add-ons.
//
//   lwserver --root <content folder> --listen <address:port> --key <signing key PEM> [--quiet]
//   lwserver --public-key --key <signing key PEM>
//
// Prints "lwserver: listening on <address:port>" once it takes connections (port 0 picks a
// free one, and the line says which). SIGINT or SIGTERM ends it, with exit code 0.

#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "server/content.h"
#include "server/file_facts.h"
#include "server/router.h"
#include "server/service.h"
#include "server/signer.h"
#include "server/text_rules.h"

namespace {

using lw::server::LogLine;

constexpr int kBadCommandLine = 2;
constexpr int kCannotStart = 1;

constexpr char kUsage[] =
    "usage: lwserver --root <content folder> --listen <address:port> --key <key.pem> [--quiet]\n"
    "                [--stall-after <bytes>]\n"
    "       lwserver --public-key --key <key.pem>\n"
    "\n"
    "  --root        the content folder (update/, dialparams/, addons/)\n"
    "  --listen      where to take connections, e.g. 0.0.0.0:80; port 0 picks a free one\n"
    "  --key         the EC P-256 private key that signs the offered installer\n"
    "  --quiet       no access line per request on the standard error\n"
    "  --public-key  print the key's public half (PEM) and end\n"
    "  --stall-after for tests: a file answer stops after this many content bytes and the\n"
    "                connection is held, silent, until the client leaves\n";

struct CommandLine {
  std::optional<std::string> root;
  std::optional<std::string> listen;
  std::optional<std::string> key;
  std::optional<std::string> stall_after;
  bool quiet = false;
  bool public_key = false;
  bool help = false;
};

// Options as "--name value" or "--name=value". Nothing when the line cannot be read.
std::optional<CommandLine> ReadCommandLine(int argc, char** argv) {
  CommandLine line;
  for (int i = 1; i < argc; ++i) {
    std::string_view argument = argv[i];
    std::optional<std::string> inline_value;
    if (const std::size_t equals = argument.find('='); equals != std::string_view::npos) {
      inline_value = std::string(argument.substr(equals + 1));
      argument = argument.substr(0, equals);
    }
    if (argument == "--quiet" || argument == "--public-key" || argument == "--help" ||
        argument == "-h") {
      if (inline_value) return std::nullopt;
      if (argument == "--quiet") line.quiet = true;
      if (argument == "--public-key") line.public_key = true;
      if (argument == "--help" || argument == "-h") line.help = true;
      continue;
    }
    std::optional<std::string>* slot = nullptr;
    if (argument == "--root") slot = &line.root;
    if (argument == "--listen") slot = &line.listen;
    if (argument == "--key") slot = &line.key;
    if (argument == "--stall-after") slot = &line.stall_after;
    if (slot == nullptr || *slot) return std::nullopt;
    if (inline_value) {
      *slot = std::move(inline_value);
    } else if (i + 1 < argc) {
      *slot = argv[++i];
    } else {
      return std::nullopt;
    }
  }
  return line;
}

struct ListenAddress {
  std::string host;
  uint16_t port = 0;
};

// "host:port", "[v6 address]:port" or ":port" (every address).
std::optional<ListenAddress> ReadListenAddress(std::string_view text) {
  const std::size_t colon = text.rfind(':');
  if (colon == std::string_view::npos) return std::nullopt;
  std::string_view host = text.substr(0, colon);
  const std::optional<uint64_t> port = lw::server::ParseDecimal(text.substr(colon + 1));
  if (!port || *port > 65535) return std::nullopt;
  if (host.size() >= 2 && host.front() == '[' && host.back() == ']') {
    host = host.substr(1, host.size() - 2);
  }
  return ListenAddress{std::string(host), static_cast<uint16_t>(*port)};
}

int Usage() {
  std::fputs(kUsage, stderr);
  return kBadCommandLine;
}

}  // namespace

int main(int argc, char** argv) {
  const std::optional<CommandLine> line = ReadCommandLine(argc, argv);
  if (!line) return Usage();
  if (line->help) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (!line->key) return Usage();
  if (line->public_key && (line->root || line->listen || line->quiet || line->stall_after)) {
    return Usage();
  }
  std::optional<uint64_t> stall_after;
  if (line->stall_after) {
    stall_after = lw::server::ParseDecimal(*line->stall_after);
    if (!stall_after) return Usage();
  }
  if (!line->public_key && (!line->root || !line->listen)) return Usage();
  std::optional<ListenAddress> address;
  if (line->listen) {
    address = ReadListenAddress(*line->listen);
    if (!address) return Usage();
  }

  std::string error;
  const std::unique_ptr<lw::server::UpdateSigner> signer =
      lw::server::UpdateSigner::FromPemFile(*line->key, &error);
  if (!signer) {
    LogLine("lwserver: " + error);
    return kCannotStart;
  }
  if (line->public_key) {
    const std::string pem = signer->PublicKeyPem();
    std::fwrite(pem.data(), 1, pem.size(), stdout);
    return pem.empty() ? kCannotStart : 0;
  }

  std::error_code ignored;
  if (!std::filesystem::is_directory(*line->root, ignored)) {
    LogLine("lwserver: " + *line->root + " is not a folder");
    return kCannotStart;
  }
  const lw::server::ContentFolder content(
      *line->root, [](std::string_view problem) { LogLine("lwserver: " + std::string(problem)); });
  content.CheckAtStart();
  lw::server::FileFacts facts(*signer);
  const lw::server::Router router(content, facts);

  // A client that goes away while an answer is sent must not end the service.
  signal(SIGPIPE, SIG_IGN);
  // The stop signals are taken through a descriptor the accept loop waits on; blocked here,
  // they stay blocked in every connection's thread.
  sigset_t stop_signals;
  sigemptyset(&stop_signals);
  sigaddset(&stop_signals, SIGINT);
  sigaddset(&stop_signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);
  const int stop_fd = signalfd(-1, &stop_signals, SFD_CLOEXEC);
  if (stop_fd < 0) {
    LogLine(std::string("lwserver: signalfd: ") + std::strerror(errno));
    return kCannotStart;
  }

  lw::server::ServiceOptions options;
  options.host = address->host;
  options.port = address->port;
  options.quiet = line->quiet;
  options.stall_after = stall_after;
  lw::server::Service service(router, options);
  if (!service.Listen(&error)) {
    LogLine("lwserver: " + error);
    return kCannotStart;
  }
  std::printf("lwserver: listening on %s\n", service.ListeningAddress().c_str());
  std::fflush(stdout);
  service.Run(stop_fd);
  close(stop_fd);
  if (!line->quiet) LogLine("lwserver: stopped");
  return 0;
}
