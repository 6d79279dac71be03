#include "net/win/addons_service.h"

#include <optional>
#include <utility>

#include "common/codec.h"
#include "common/win/program_path.h"
#include "net/win/online_ports.h"
#include "net/win/update_worker.h"
#include "shell/win/main_thread.h"

namespace lw {

std::string AddonsLanguage() {
  const UpdateIdentity identity = ProgramIdentity(OwnProgramPath());
  return identity.language.empty() ? identity.country : identity.language;
}

AddonsService::AddonsService(Notifier& notifier, const MessageTable& messages,
                             const ControlTexts& texts, std::function<void()> reload_requested,
                             std::function<void(bool)> on_visibility)
    : notifier_(notifier),
      messages_(messages),
      texts_(texts),
      reload_requested_(std::move(reload_requested)),
      on_visibility_(std::move(on_visibility)) {}

AddonsService::~AddonsService() { StopAndJoin(); }

void AddonsService::StopAndJoin() { threads_.StopAndJoin(); }

void AddonsService::RunWorker(std::function<void(AddonsRun&)> work) {
  threads_.Run([this, work = std::move(work)] {
    std::function<bool()> stop = [this] { return threads_.stopping(); };
    WinOnlinePorts ports(stop);
    AddonsRun run(AddonsPorts{ports.Bind(notifier_, messages_), SystemCodec()}, AddonsLanguage(),
                  CurrentFolder(), stop, reload_requested_);
    if (std::optional<ServiceAddress> service = ServiceSetting()) run.SetService(*service);
    work(run);
  });
}

void AddonsService::Browse(std::string path, std::function<void(CatalogueFolder)> done) {
  RunWorker([path = std::move(path), done = std::move(done)](AddonsRun& run) {
    CatalogueFolder folder = run.Browse(path);
    // The window takes the result on its own thread; the work is dropped when the program is
    // closing and the dispatcher is gone.
    RunOnMainThread([done, folder = std::move(folder)] { done(folder); });
  });
}

void AddonsService::StartInstall() {
  RunWorker([this](AddonsRun& run) {
    std::lock_guard<std::mutex> lock(install_mutex_);
    run.Install();
  });
}

void AddonsService::StartChecksumRefresh(std::vector<std::string> base_names) {
  RunWorker([names = std::move(base_names)](AddonsRun& run) { run.RefreshChecksums(names); });
}

void AddonsService::ShowCatalogue() {
  if (!form_) {
    form_ = std::make_unique<AddonsForm>(
        AddonsFormDeps{texts_, SystemCodec(), CurrentFolder(),
                       [this](std::string path, std::function<void(CatalogueFolder)> done) {
                         Browse(std::move(path), std::move(done));
                       },
                       [this] { StartInstall(); }, on_visibility_});
    if (!form_->Create()) {
      form_.reset();
      return;
    }
  }
  form_->ShowCatalogue();
}

bool AddonsService::PreTranslate(MSG& message) { return form_ && form_->PreTranslate(message); }

void AddonsService::ApplyTexts() {
  if (form_) form_->ApplyTexts();
}

}  // namespace lw
