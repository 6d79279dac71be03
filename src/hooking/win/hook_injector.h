#pragma once
// Puts the hook library into every process of the desktop that runs a message loop, through a
// global WH_GETMESSAGE hook whose procedure the library exports, and takes it out again.
//
// The library is loaded by its full path only, never through the search path, so a planted
// copy elsewhere cannot take its place.
//
// Threads: one thread (the main thread) uses an object.

#include <windows.h>

#include <string>

#include "common/win/program_path.h"

namespace lw {

enum class HookOutcome {
  Ok,
  LibraryNotLoaded,  // the file is missing or is no loadable library
  NoHookProcedure,   // it lacks the export
  HookRefused,       // the system refused the hook
  NotInjected,       // removal without an injection
};

// The export of the hook library that is the hook procedure.
inline constexpr char kHookProcedureName[] = "LarkWatchHookProc";
inline constexpr wchar_t kHookLibraryName[] = L"larkwatch.dll";

class HookInjector {
 public:
  explicit HookInjector(std::wstring library_path, std::string procedure = kHookProcedureName);
  ~HookInjector();  // removes the hook if it is in place
  HookInjector(const HookInjector&) = delete;
  HookInjector& operator=(const HookInjector&) = delete;

  // Loads the library and sets the hook; Ok at once when it is already in place. On failure
  // nothing stays loaded.
  HookOutcome Inject();
  // Removes the hook (processes drop the library when they next take a message) and unloads
  // the library from this process.
  HookOutcome Remove();

  bool injected() const { return hook_ != nullptr; }
  const std::wstring& library_path() const { return library_path_; }

 private:
  std::wstring library_path_;
  std::string procedure_;
  HMODULE module_ = nullptr;
  HHOOK hook_ = nullptr;
};

}  // namespace lw
