#pragma once
// The add-on service on Windows: the catalogue window (TAddonsForm) and the worker threads of
// its browses and installations, and the checksum refresh of the installed libraries. Each
// worker runs one AddonsRun on the Windows ports (the same as the program update's) against the
// add-on host (LARKWATCH_SERVICE in the test builds) and ends; the workers are awaited by
// StopAndJoin, which also cuts their connections short.
//
// How the program uses it:
//   - create it on the main thread once the main-thread dispatcher (InitMainThreadDispatcher)
//     is up: browse results and notices reach the main thread through it;
//   - the "Dodatki" / "Pokaż listę" menu command calls ShowCatalogue();
//   - the message loop offers every message to PreTranslate() before dispatching it (Esc,
//     Ctrl+Enter and Tab of the window);
//   - after a language file was applied, ApplyTexts();
//   - the extension host's start_refresh calls StartChecksumRefresh(base_names); reload_requested
//     (given here) is called from a worker thread whenever a non-zero checksum was stored, i.e.
//     ExtensionHost::RequestReload;
//   - at the program's closing, StopAndJoin() before the notifier, the texts and the dispatcher
//     go (the destructor calls it too).

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "config/control_texts.h"
#include "config/messages.h"
#include "monitor/win/monitor_workers.h"
#include "net/addons_run.h"
#include "net/win/addons_form.h"
#include "notify/notifier.h"

namespace lw {

class AddonsService {
 public:
  // notifier: the notices of an installation (any thread). reload_requested: any thread; may be
  // empty. on_visibility: the window was shown or closed (main thread); may be empty.
  AddonsService(Notifier& notifier, const MessageTable& messages, const ControlTexts& texts,
                std::function<void()> reload_requested,
                std::function<void(bool shown)> on_visibility = {});
  ~AddonsService();
  AddonsService(const AddonsService&) = delete;
  AddonsService& operator=(const AddonsService&) = delete;

  // Main thread. Shows the catalogue window unless it is open; the window is made at the first
  // call.
  void ShowCatalogue();
  // Main thread. True when the message was the window's key.
  bool PreTranslate(MSG& message);
  // Main thread.
  void ApplyTexts();
  // The window, or null before the first ShowCatalogue.
  AddonsForm* form() const { return form_.get(); }

  // Any thread. Asks the service for the checksum of every base name and stores it under
  // HKCU\Software\LarkWatch\Extensions, on a worker thread.
  void StartChecksumRefresh(std::vector<std::string> base_names);

  // Stops the workers and waits for them; nothing starts afterwards.
  void StopAndJoin();

 private:
  void Browse(std::string path, std::function<void(CatalogueFolder)> done);
  void StartInstall();
  // Runs work with a run on the Windows ports, on a worker thread.
  void RunWorker(std::function<void(AddonsRun&)> work);

  Notifier& notifier_;
  const MessageTable& messages_;
  const ControlTexts& texts_;
  std::function<void()> reload_requested_;
  std::function<void(bool)> on_visibility_;
  std::unique_ptr<AddonsForm> form_;
  // Installations write the same files: one at a time.
  std::mutex install_mutex_;
  WorkerThreads threads_;
};

// The language the add-on service is told: the English country name of the language of the
// program's version resource, or of the system's default locale when that has none.
std::string AddonsLanguage();

}  // namespace lw
