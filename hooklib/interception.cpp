#include "interception.h"

#define PSAPI_VERSION 2
#include <psapi.h>

#include <atomic>
#include <cstring>
#include <vector>

#include "pe_image.h"
#include "ras_hooks.h"
#include "trampoline.h"

namespace lw::hook {

namespace {

// One redirected function: our replacement and what the callers reached before.
struct Redirect {
  const char* name;
  void* replacement;
  std::atomic<void*> original{nullptr};
};

template <typename F>
void* Code(F* function) {
  return reinterpret_cast<void*>(function);
}

HMODULE WINAPI LoadLibraryAInstead(LPCSTR name);
HMODULE WINAPI LoadLibraryWInstead(LPCWSTR name);
HMODULE WINAPI LoadLibraryExAInstead(LPCSTR name, HANDLE file, DWORD flags);
HMODULE WINAPI LoadLibraryExWInstead(LPCWSTR name, HANDLE file, DWORD flags);

// In the order of RasFunction.
Redirect ras_redirects[] = {
    {"RasDialA", Code(&RasDialAInstead)},
    {"RasDialW", Code(&RasDialWInstead)},
    {"RasHangUpA", Code(&RasHangUpAInstead)},
    {"RasHangUpW", Code(&RasHangUpWInstead)},
};
enum LoaderFunction { kLoadLibraryA, kLoadLibraryW, kLoadLibraryExA, kLoadLibraryExW };
Redirect loader_redirects[] = {
    {"LoadLibraryA", Code(&LoadLibraryAInstead)},
    {"LoadLibraryW", Code(&LoadLibraryWInstead)},
    {"LoadLibraryExA", Code(&LoadLibraryExAInstead)},
    {"LoadLibraryExW", Code(&LoadLibraryExWInstead)},
};

// Modules whose import tables stay as they are: this library, whose calls must reach the
// system, and the system's own loader libraries, whose LoadLibrary functions are thin entries
// that call each other through their import tables (changing those would make our
// replacement call itself).
HMODULE self_module, ntdll_module, kernel32_module, kernelbase_module;

// Mappings whose import tables are done, so that a load does not walk every module again.
std::vector<ImageIdentity> done_images;
SRWLOCK done_lock = SRWLOCK_INIT;
// Serialises our changes of page protection, so that two threads cannot restore each other's
// saved protection in the wrong order.
SRWLOCK write_lock = SRWLOCK_INIT;

bool SameName(const char* a, const char* b) { return _stricmp(a, b) == 0; }

bool IsRasLibrary(const char* library) {
  return SameName(library, "rasapi32.dll") || SameName(library, "rasapi32");
}

bool IsLoaderLibrary(const char* library) {
  return SameName(library, "kernel32.dll") || SameName(library, "kernelbase.dll") ||
         _strnicmp(library, "api-ms-win-core-libraryloader-", 30) == 0;
}

// Writes `size` bytes (a pointer or a 32-bit offset, naturally aligned) into memory that is
// normally read-only, keeping the page executable if it was.
bool WriteProtected(void* where, const void* value, std::size_t size) {
  constexpr DWORD kWritable =
      PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
  constexpr DWORD kExecutable =
      PAGE_EXECUTE | PAGE_EXECUTE_READ | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
  AcquireSRWLockExclusive(&write_lock);
  MEMORY_BASIC_INFORMATION region;
  bool written = false;
  if (VirtualQuery(where, &region, sizeof region) != 0 && region.State == MEM_COMMIT) {
    const DWORD protection = region.Protect & 0xFF;
    DWORD saved = 0;
    const bool change = (protection & kWritable) == 0;
    if (!change ||
        VirtualProtect(where, size,
                       (protection & kExecutable) ? PAGE_EXECUTE_READWRITE : PAGE_READWRITE,
                       &saved)) {
      if (size == sizeof(void*)) {
        void* pointer;
        std::memcpy(&pointer, value, sizeof pointer);
        InterlockedExchangePointer(static_cast<void* volatile*>(where), pointer);
      } else {
        LONG offset;
        std::memcpy(&offset, value, sizeof offset);
        InterlockedExchange(static_cast<volatile LONG*>(where), offset);
      }
      if (change) VirtualProtect(where, size, saved, &saved);
      written = true;
    }
  }
  ReleaseSRWLockExclusive(&write_lock);
  return written;
}

void* ReadSlot(void** slot) { return *static_cast<void* volatile*>(slot); }

// Points the export table of rasapi32 at our replacements, first keeping the system's
// functions. Entries that point at us already are left alone, so that a second pass over the
// same mapping cannot take our replacement for the original.
void RedirectRasExports() {
  HMODULE rasapi = nullptr;
  if (!GetModuleHandleExW(0, L"rasapi32.dll", &rasapi)) return;
  for (Redirect& redirect : ras_redirects) {
    DWORD* entry = ExportEntry(rasapi, redirect.name);
    if (!entry) continue;
    const DWORD offset = *static_cast<volatile DWORD*>(entry);
    void* current = IsForwarder(rasapi, offset)
                        ? reinterpret_cast<void*>(GetProcAddress(rasapi, redirect.name))
                        : reinterpret_cast<void*>(reinterpret_cast<uintptr_t>(rasapi) + offset);
    if (!current || FollowJump(current) == redirect.replacement) continue;
    redirect.original.store(current);
    DWORD ours;
    if (ExportOffsetFor(rasapi, redirect.replacement, ours)) {
      WriteProtected(entry, &ours, sizeof ours);
    }
  }
  FreeLibrary(rasapi);
}

// Redirects one import table entry if it names or reaches one of `redirects`.
template <std::size_t N>
void RedirectEntry(const ImportEntry& entry, Redirect (&redirects)[N]) {
  void* current = ReadSlot(entry.slot);
  for (Redirect& redirect : redirects) {
    void* original = redirect.original.load();
    if (!original) continue;
    const bool named = entry.function && std::strcmp(entry.function, redirect.name) == 0;
    if (!named && current != original) continue;
    // Bound after the export table changed: it reaches us through the jump already.
    if (FollowJump(current) != redirect.replacement) {
      WriteProtected(entry.slot, &redirect.replacement, sizeof(void*));
    }
    return;
  }
}

// Redirects the dial-up and library-loading imports of one module. False when some entry was
// not bound yet (the module is still being loaded), so that a later pass looks again.
bool RedirectImports(HMODULE module) {
  bool complete = true;
  ForEachImport(
      module, [](const char* library) { return IsRasLibrary(library) || IsLoaderLibrary(library); },
      [&](const ImportEntry& entry) {
        if (!entry.bound) {
          complete = false;
          return;
        }
        if (IsRasLibrary(entry.library)) {
          RedirectEntry(entry, ras_redirects);
        } else {
          RedirectEntry(entry, loader_redirects);
        }
      });
  return complete;
}

bool IsDone(const ImageIdentity& image) {
  AcquireSRWLockShared(&done_lock);
  bool found = false;
  for (const ImageIdentity& done : done_images) found = found || done == image;
  ReleaseSRWLockShared(&done_lock);
  return found;
}

void MarkDone(const ImageIdentity& image) {
  AcquireSRWLockExclusive(&done_lock);
  // Another mapping at the same address replaces the one that was unloaded.
  std::erase_if(done_images, [&](const ImageIdentity& done) { return done.base == image.base; });
  done_images.push_back(image);
  ReleaseSRWLockExclusive(&done_lock);
}

std::vector<HMODULE> LoadedModules() {
  std::vector<HMODULE> modules(256);
  for (;;) {
    const DWORD room = static_cast<DWORD>(modules.size() * sizeof(HMODULE));
    DWORD needed = 0;
    if (!K32EnumProcessModules(GetCurrentProcess(), modules.data(), room, &needed)) return {};
    if (needed <= room) {
      modules.resize(needed / sizeof(HMODULE));
      return modules;
    }
    modules.resize(needed / sizeof(HMODULE) + 16);
  }
}

// One pass over the process: rasapi32's export table, then every module not done yet. Each
// module is held by a reference of its own while we read it, so that another thread cannot
// unload it under us.
void RedirectProcess() {
  RedirectRasExports();
  for (HMODULE listed : LoadedModules()) {
    if (listed == self_module || listed == ntdll_module || listed == kernel32_module ||
        listed == kernelbase_module) {
      continue;
    }
    HMODULE held = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                            reinterpret_cast<LPCWSTR>(listed), &held)) {
      continue;
    }
    if (held == listed) {
      const ImageIdentity image = IdentityOf(held);
      if (!IsDone(image) && RedirectImports(held)) MarkDone(image);
    }
    FreeLibrary(held);
  }
}

// After a successful load: the new modules, and rasapi32 if it is one of them.
void AfterLoad() {
  const DWORD error = GetLastError();
  RedirectProcess();
  SetLastError(error);
}

// Loads that map a file as data or as resources add no code to the process.
bool LoadsCode(DWORD flags) {
  return (flags & (LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_DATAFILE_EXCLUSIVE |
                   LOAD_LIBRARY_AS_IMAGE_RESOURCE)) == 0;
}

template <typename F>
F LoaderOriginal(LoaderFunction function) {
  return reinterpret_cast<F>(loader_redirects[function].original.load());
}

HMODULE WINAPI LoadLibraryAInstead(LPCSTR name) {
  HMODULE module = LoaderOriginal<decltype(&LoadLibraryA)>(kLoadLibraryA)(name);
  if (module) AfterLoad();
  return module;
}

HMODULE WINAPI LoadLibraryWInstead(LPCWSTR name) {
  HMODULE module = LoaderOriginal<decltype(&LoadLibraryW)>(kLoadLibraryW)(name);
  if (module) AfterLoad();
  return module;
}

HMODULE WINAPI LoadLibraryExAInstead(LPCSTR name, HANDLE file, DWORD flags) {
  HMODULE module = LoaderOriginal<decltype(&LoadLibraryExA)>(kLoadLibraryExA)(name, file, flags);
  if (module && LoadsCode(flags)) AfterLoad();
  return module;
}

HMODULE WINAPI LoadLibraryExWInstead(LPCWSTR name, HANDLE file, DWORD flags) {
  HMODULE module = LoaderOriginal<decltype(&LoadLibraryExW)>(kLoadLibraryExW)(name, file, flags);
  if (module && LoadsCode(flags)) AfterLoad();
  return module;
}

}  // namespace

bool InstallInterception(HMODULE self) {
  self_module = self;
  ntdll_module = GetModuleHandleW(L"ntdll.dll");
  kernel32_module = GetModuleHandleW(L"kernel32.dll");
  kernelbase_module = GetModuleHandleW(L"kernelbase.dll");
  if (!PrepareRasHooks()) return false;
  // Pointers into this library will sit in other modules' tables for good: it must never be
  // unloaded, whatever the program does with its message hook.
  HMODULE pinned;
  if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_PIN | GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                          reinterpret_cast<LPCWSTR>(self), &pinned)) {
    return false;
  }
  for (Redirect& redirect : loader_redirects) {
    void* original = reinterpret_cast<void*>(GetProcAddress(kernel32_module, redirect.name));
    if (!original) return false;
    redirect.original.store(original);
  }
  RedirectProcess();
  return true;
}

void* OriginalRasFunction(RasFunction function) {
  return ras_redirects[static_cast<int>(function)].original.load();
}

}  // namespace lw::hook
