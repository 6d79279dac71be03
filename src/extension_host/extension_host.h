#pragma once
// The extension libraries: every library in the folder "extensions" beside the program whose
// file matches the checksum stored for its name is loaded, gets a command in the "Dodatki"
// submenu, and is told of every dial request the program allows or refuses and of every
// hang-up it allows. Libraries stay loaded until the program ends.
//
// Threads: loading, the menu commands and the idle work run on the main thread; the
// notifications run on the thread that decides requests, without a lock. The list of loaded
// libraries is only ever appended to, and a node is complete before it becomes reachable.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "config/messages.h"
#include "config/registry.h"
#include "hooking/intake.h"

namespace lw {

// The routines a library exports, with the C calling convention.
extern "C" {
using ExtensionNameRoutine = const char* (*)();
using ExtensionRoutine = void (*)();
using ExtensionDialRoutine = void (*)(int32_t country_code, const char* area_code,
                                      const char* local_number, const char* entry_name,
                                      const char* phonebook, const char* application);
}

// The export names; each is looked up as written, then with a leading underscore.
inline constexpr const char* kExtensionNameExport = "LarkWatchGetExtName";
inline constexpr const char* kExtensionEntryExport = "LarkWatchEntry";
inline constexpr const char* kExtensionRunOnceExport = "LarkWatchRunOnce";
inline constexpr const char* kExtensionIllegalExport = "LarkWatchNotifyIllegal";
inline constexpr const char* kExtensionConnectExport = "LarkWatchNotifyConnect";
inline constexpr const char* kExtensionDisconnectExport = "LarkWatchNotifyDisconnect";

// The folder and the system's library loader.
class ExtensionSystem {
 public:
  virtual ~ExtensionSystem() = default;
  // The file names of "extensions\*.dll" in the program's folder, in listing order.
  virtual std::vector<std::string> ListLibraries() = 0;
  // The program's folder, "extensions\" and the file name.
  virtual std::string FullPath(const std::string& file_name) = 0;
  virtual uint32_t Checksum(const std::string& full_path) = 0;
  // The loaded library, or null.
  virtual void* Load(const std::string& full_path) = 0;
  // The exported routine, or null.
  virtual void* Export(void* library, const char* name) = 0;
  virtual void Free(void* library) = 0;
};

class ExtensionUi {
 public:
  virtual ~ExtensionUi() = default;
  // The warning about a library whose stored checksum is wrong (a message box).
  virtual void Warn(const std::string& text) = 0;
  // Adds the command of extension `index` at the end of the "Dodatki" submenu, after its
  // separator (shown with the first command).
  virtual void AddCommand(std::size_t index, const std::string& caption) = 0;
};

class ExtensionHost final : public ExtensionNotifications {
 public:
  // start_refresh starts the checksum refresh of the add-on service with the base names of
  // every library in the folder.
  ExtensionHost(ExtensionSystem& system, Registry& registry, ExtensionUi& ui,
                const MessageTable& messages,
                std::function<void(std::vector<std::string> base_names)> start_refresh);
  ~ExtensionHost() override;
  ExtensionHost(const ExtensionHost&) = delete;
  ExtensionHost& operator=(const ExtensionHost&) = delete;

  // Loads every library of the folder that is not loaded yet and passes the checksum test.
  void LoadExtensions();

  // The idle work: a change in the folder (its watch was signalled and has been re-armed), a
  // checksum stored by the add-on service, and the one checksum refresh of a run.
  void IdleProcessing(bool folder_changed);

  // Any thread: a non-zero checksum was stored; the next idle moment loads again.
  void RequestReload() { reload_pending_.store(true); }

  // The menu command of extension `index` (as given to ExtensionUi::AddCommand).
  void RunCommand(std::size_t index);

  // The request thread.
  void NotifyConnect(const DialFields& fields) override;
  void NotifyIllegal(const DialFields& fields) override;
  void NotifyDisconnect() override;

  // Releases every library; no notification may run any more.
  void UnloadExtensions();

  // Read by the tests and the idle processing.
  bool check_failed() const { return check_failed_; }
  std::vector<std::string> LoadedFileNames() const;

 private:
  struct EntryPoints {
    std::string name;
    ExtensionRoutine entry = nullptr;
    ExtensionDialRoutine notify_illegal = nullptr;
    ExtensionDialRoutine notify_connect = nullptr;
    ExtensionRoutine notify_disconnect = nullptr;
  };
  struct Module {
    void* library = nullptr;
    std::string file_name;
    // Null for a library without the name or entry export, or with too long a name.
    std::unique_ptr<const EntryPoints> entry_points;
    std::atomic<Module*> next{nullptr};
  };

  void* Lookup(void* library, const char* name);
  bool IsLoaded(const std::string& file_name) const;
  void Append(std::unique_ptr<Module> module);
  template <typename Visit>
  void ForEach(Visit visit) const;

  ExtensionSystem& system_;
  Registry& registry_;
  ExtensionUi& ui_;
  const MessageTable& messages_;
  std::function<void(std::vector<std::string>)> start_refresh_;

  // The list: head_ and each next are published with release and read with acquire.
  std::atomic<Module*> head_{nullptr};
  Module* tail_ = nullptr;
  std::vector<std::unique_ptr<Module>> owned_;
  // Extensions with a command, by their command index.
  std::vector<const EntryPoints*> commands_;

  bool check_failed_ = false;
  bool recheck_allowed_ = true;
  std::atomic<bool> reload_pending_{false};
};

}  // namespace lw
