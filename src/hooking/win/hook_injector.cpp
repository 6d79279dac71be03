#include "hooking/win/hook_injector.h"

#include <utility>

namespace lw {

namespace {

HOOKPROC FindHookProcedure(HMODULE module, const std::string& name) {
  FARPROC found = GetProcAddress(module, name.c_str());
#if !defined(_WIN64)
  // A 32-bit library built without a module definition exports the decorated name of the
  // standard call convention.
  if (!found) found = GetProcAddress(module, ("_" + name + "@12").c_str());
#endif
  // Through the generic function pointer type, which converts to any other without a warning.
  return reinterpret_cast<HOOKPROC>(reinterpret_cast<void (*)()>(found));
}

}  // namespace

HookInjector::HookInjector(std::wstring library_path, std::string procedure)
    : library_path_(std::move(library_path)), procedure_(std::move(procedure)) {}

HookInjector::~HookInjector() { Remove(); }

HookOutcome HookInjector::Inject() {
  if (hook_) return HookOutcome::Ok;
  // Only a full path: a bare name would search the current and the system folders.
  const std::wstring& path = library_path_;
  const bool full_path =
      (path.size() > 2 && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/')) ||
      path.rfind(L"\\\\", 0) == 0;
  if (!full_path) return HookOutcome::LibraryNotLoaded;
  HMODULE module = LoadLibraryW(library_path_.c_str());
  if (!module) return HookOutcome::LibraryNotLoaded;
  const HOOKPROC procedure = FindHookProcedure(module, procedure_);
  if (!procedure) {
    FreeLibrary(module);
    return HookOutcome::NoHookProcedure;
  }
  HHOOK hook = SetWindowsHookExW(WH_GETMESSAGE, procedure, module, 0);
  if (!hook) {
    FreeLibrary(module);
    return HookOutcome::HookRefused;
  }
  module_ = module;
  hook_ = hook;
  return HookOutcome::Ok;
}

HookOutcome HookInjector::Remove() {
  if (!hook_) return HookOutcome::NotInjected;
  const bool unhooked = UnhookWindowsHookEx(std::exchange(hook_, nullptr)) != FALSE;
  FreeLibrary(std::exchange(module_, nullptr));
  return unhooked ? HookOutcome::Ok : HookOutcome::HookRefused;
}

}  // namespace lw
