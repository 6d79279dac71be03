#pragma once
// The program update run: once per program run, after the first accepted dial-up connection,
// it fetches the parameters of the safe accelerated connection and stores them, asks the
// maker's update service whether a newer version exists and, if so, downloads the installer
// (resuming an earlier partial download of the same version), checks it and starts it.
//
// The installer is started only when both its byte-wise exclusive or matches "crc" and the
// service's signature ("sig": ECDSA P-256 over SHA-256 of the whole file, 64 bytes r||s in
// hexadecimal) verifies against the public key built into the program. The plain checksum alone
// could be forged by anyone on the path of an unencrypted connection.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>

#include "common/clock.h"
#include "config/messages.h"
#include "config/registry.h"
#include "net/download.h"
#include "net/form_post.h"
#include "net/online_ports.h"
#include "notify/notifier.h"

namespace lw {

// Starts a program with its window shown minimised; the result is not looked at.
class ProgramStarter {
 public:
  virtual ~ProgramStarter() = default;
  virtual void StartMinimised(const std::filesystem::path& program) = 0;
};

struct UpdatePorts : OnlinePorts {
  ProgramStarter& starter;
};

struct UpdateIdentity {
  // The program's own file version; empty without a version resource.
  std::string version;
  // English country name of the system's default locale.
  std::string country;
  // English country name of the language of the program's version resource.
  std::string language;
};

// The message of the notice that a new version is being downloaded.
inline constexpr int kNewVersionMessage = 135;
// The picture of the notice: the main image list's download arrow.
inline constexpr int kNewVersionImage = 9;

class UpdateRun {
 public:
  // How a run ended, for the tests and the log.
  enum class Outcome {
    kNoAnswer,     // no connection, or the receive failed, at some step
    kNoUpdate,     // the service offers nothing newer
    kCannotStore,  // the part file cannot be written
    kStopped,      // the program is closing
    kStarted,      // the installer was verified and started
    kDiscarded,    // the download failed its checks and was deleted
  };

  // folder: where the part and marker files lie (the current directory in the program).
  UpdateRun(UpdatePorts ports, UpdateIdentity identity, std::filesystem::path folder,
            std::function<bool()> stop_requested);

  void SetService(ServiceAddress service) { client_.SetService(std::move(service)); }

  Outcome Execute();

  // Both files of the download, lwupd.dat and lwupdv.dat in the folder.
  const PartialDownload& files() const { return files_; }

 private:
  void StoreDialParams(const std::string& answer);
  bool Stopping() const { return stop_requested_ && stop_requested_(); }

  UpdatePorts p_;
  UpdateIdentity identity_;
  PartialDownload files_;
  std::function<bool()> stop_requested_;
  FormPostClient client_;
};

// The 64 bytes of a signature written as 128 hexadecimal digits; nothing for any other text.
std::optional<std::string> SignatureBytes(std::string_view hex);

}  // namespace lw
