#include "hooking/win/hooking_library.h"

#include <utility>

namespace lw {

HookingLibrary::~HookingLibrary() { TearDown(); }

void HookingLibrary::SetUp() { folder_ = ProgramFolder(); }

uint32_t HookingLibrary::QueueNumber() const { return CurrentSessionNumber(); }

bool HookingLibrary::CreateQueue(std::wstring_view name, QueueHandler handler,
                                 const QueueOptions& options) {
  if (queue_) return false;
  queue_ = QueueServer::Create(name, std::move(handler), options);
  return queue_ != nullptr;
}

void HookingLibrary::StartServing() {
  if (queue_) queue_->StartServing();
}

std::wstring HookingLibrary::HookLibraryPath() const {
  const std::wstring folder = folder_.empty() ? ProgramFolder() : folder_;
  return folder.empty() ? std::wstring() : folder + kHookLibraryName;
}

HookOutcome HookingLibrary::Inject() {
  if (!injector_) injector_ = std::make_unique<HookInjector>(HookLibraryPath());
  return injector_->Inject();
}

HookOutcome HookingLibrary::Remove() {
  if (!injector_) return HookOutcome::NotInjected;
  return injector_->Remove();
}

void HookingLibrary::TearDown() {
  injector_.reset();
  if (queue_) queue_->Stop();
  queue_.reset();
}

}  // namespace lw
