#pragma once
// The program update on Windows: the program's identity from its version resource and the
// system's locale, the Winsock connection, the system's cryptography, and the installer started
// minimised. It runs on a worker thread to its end; the program's closing asks it to stop and
// waits for it.

#include <functional>
#include <optional>

#include "config/messages.h"
#include "net/form_post.h"
#include "net/update_run.h"
#include "notify/notifier.h"

namespace lw {

// The FileVersion of a program's version resource, in its first translation, and the English
// country names of the system's default locale and of that translation's language. Without a
// version resource the version is empty.
UpdateIdentity ProgramIdentity(const std::filesystem::path& program);

// Test builds only: LARKWATCH_SERVICE=host:port in the environment points the online services
// at another address (a loopback test service). Release builds always talk to the maker's
// hosts on port 80.
std::optional<ServiceAddress> ServiceSetting();

class WinProgramStarter final : public ProgramStarter {
 public:
  void StartMinimised(const std::filesystem::path& program) override;
};

// One whole update run, on the calling thread. stop: the program is closing.
UpdateRun::Outcome RunUpdateCheck(Notifier& notifier, const MessageTable& messages,
                                  std::function<bool()> stop);

}  // namespace lw
