#include "extension_host/extension_host.h"

#include <utility>

#include "common/format.h"
#include "config/message_lines.h"

namespace lw {
namespace {

// The display name and file names are kept in 256-byte texts: at most 255 characters.
constexpr std::size_t kMaxName = 255;

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameFileName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

std::string BaseName(const std::string& file_name) {
  return file_name.size() >= 4 ? file_name.substr(0, file_name.size() - 4) : std::string();
}

}  // namespace

ExtensionHost::ExtensionHost(ExtensionSystem& system, Registry& registry, ExtensionUi& ui,
                             const MessageTable& messages,
                             std::function<void(std::vector<std::string>)> start_refresh)
    : system_(system),
      registry_(registry),
      ui_(ui),
      messages_(messages),
      start_refresh_(std::move(start_refresh)) {}

ExtensionHost::~ExtensionHost() { UnloadExtensions(); }

void* ExtensionHost::Lookup(void* library, const char* name) {
  if (void* routine = system_.Export(library, name)) return routine;
  std::string underscored = "_";
  underscored += name;
  return system_.Export(library, underscored.c_str());
}

bool ExtensionHost::IsLoaded(const std::string& file_name) const {
  for (const std::unique_ptr<Module>& module : owned_) {
    if (SameFileName(module->file_name, file_name)) return true;
  }
  return false;
}

void ExtensionHost::Append(std::unique_ptr<Module> module) {
  Module* node = module.get();
  owned_.push_back(std::move(module));
  // The node and its entry points are complete: only now do they become reachable.
  if (tail_ == nullptr) {
    head_.store(node, std::memory_order_release);
  } else {
    tail_->next.store(node, std::memory_order_release);
  }
  tail_ = node;
}

void ExtensionHost::LoadExtensions() {
  for (const std::string& file_name : system_.ListLibraries()) {
    // A name that does not fit the program's texts is never loaded.
    if (file_name.size() > kMaxName || file_name.size() < 4 || IsLoaded(file_name)) continue;
    const std::string base_name = BaseName(file_name);
    // A missing key or value, or one of another type, counts as 0.
    const RegValue<uint32_t> value =
        registry_.ReadDword(Hive::CurrentUser, kExtensionsKey, base_name);
    const uint32_t stored = value.ok() ? value.value : 0;
    const std::string full_path = system_.FullPath(file_name);
    if (stored != system_.Checksum(full_path)) {
      check_failed_ = true;
      if (stored != 0) {
        ui_.Warn(
            FormatText(messages_.Text(msg::ExtensionKeyInvalid), {std::string_view(file_name)}));
      }
      continue;
    }
    void* library = system_.Load(full_path);
    if (library == nullptr) continue;

    // From here on the file counts as loaded, whatever follows.
    auto module = std::make_unique<Module>();
    module->library = library;
    module->file_name = file_name;
    const auto get_name =
        reinterpret_cast<ExtensionNameRoutine>(Lookup(library, kExtensionNameExport));
    const auto entry = reinterpret_cast<ExtensionRoutine>(Lookup(library, kExtensionEntryExport));
    const auto run_once =
        reinterpret_cast<ExtensionRoutine>(Lookup(library, kExtensionRunOnceExport));
    const char* name = get_name != nullptr ? get_name() : nullptr;
    const std::string display_name = name != nullptr ? std::string(name) : std::string();
    if (get_name == nullptr || entry == nullptr || display_name.size() > kMaxName) {
      Append(std::move(module));
      continue;
    }
    auto entry_points = std::make_unique<EntryPoints>();
    entry_points->name = display_name;
    entry_points->entry = entry;
    entry_points->notify_illegal =
        reinterpret_cast<ExtensionDialRoutine>(Lookup(library, kExtensionIllegalExport));
    entry_points->notify_connect =
        reinterpret_cast<ExtensionDialRoutine>(Lookup(library, kExtensionConnectExport));
    entry_points->notify_disconnect =
        reinterpret_cast<ExtensionRoutine>(Lookup(library, kExtensionDisconnectExport));
    const EntryPoints* points = entry_points.get();
    module->entry_points = std::move(entry_points);
    Append(std::move(module));
    commands_.push_back(points);
    ui_.AddCommand(commands_.size() - 1, points->name);
    if (run_once != nullptr) run_once();
  }
}

void ExtensionHost::IdleProcessing(bool folder_changed) {
  if (folder_changed) LoadExtensions();
  if (reload_pending_.exchange(false)) LoadExtensions();
  if (check_failed_ && recheck_allowed_) {
    check_failed_ = false;
    recheck_allowed_ = false;
    std::vector<std::string> base_names;
    for (const std::string& file_name : system_.ListLibraries()) {
      base_names.push_back(BaseName(file_name));
    }
    if (!base_names.empty() && start_refresh_) start_refresh_(std::move(base_names));
  }
}

void ExtensionHost::RunCommand(std::size_t index) {
  if (index < commands_.size()) commands_[index]->entry();
}

template <typename Visit>
void ExtensionHost::ForEach(Visit visit) const {
  for (const Module* module = head_.load(std::memory_order_acquire); module != nullptr;
       module = module->next.load(std::memory_order_acquire)) {
    if (module->entry_points) visit(*module->entry_points);
  }
}

void ExtensionHost::NotifyConnect(const DialFields& f) {
  ForEach([&f](const EntryPoints& points) {
    if (points.notify_connect == nullptr) return;
    points.notify_connect(f.CountryCode, f.AreaCode.c_str(), f.LocalNumber.c_str(),
                          f.EntryName.c_str(), f.Phonebook.c_str(), f.Application.c_str());
  });
}

void ExtensionHost::NotifyIllegal(const DialFields& f) {
  ForEach([&f](const EntryPoints& points) {
    if (points.notify_illegal == nullptr) return;
    points.notify_illegal(f.CountryCode, f.AreaCode.c_str(), f.LocalNumber.c_str(),
                          f.EntryName.c_str(), f.Phonebook.c_str(), f.Application.c_str());
  });
}

void ExtensionHost::NotifyDisconnect() {
  ForEach([](const EntryPoints& points) {
    if (points.notify_disconnect != nullptr) points.notify_disconnect();
  });
}

void ExtensionHost::UnloadExtensions() {
  head_.store(nullptr, std::memory_order_release);
  tail_ = nullptr;
  commands_.clear();
  for (const std::unique_ptr<Module>& module : owned_) system_.Free(module->library);
  owned_.clear();
}

std::vector<std::string> ExtensionHost::LoadedFileNames() const {
  std::vector<std::string> names;
  for (const std::unique_ptr<Module>& module : owned_) names.push_back(module->file_name);
  return names;
}

}  // namespace lw
