#pragma once
// Reading the import and export tables of a module that the loader has mapped into this
// process. Every offset is checked against the image size, so a damaged header is skipped
// rather than followed.

#include <windows.h>

#include <cstddef>
#include <cstdint>

namespace lw::hook {

// The NT headers of a mapped image of this process's architecture, or null.
const IMAGE_NT_HEADERS* ImageHeaders(HMODULE module);

// What identifies one mapping of an image: a library unloaded and another loaded at the same
// address differ in time stamp or size.
struct ImageIdentity {
  uintptr_t base = 0;
  DWORD time_stamp = 0;
  DWORD size = 0;
  bool operator==(const ImageIdentity&) const = default;
};
ImageIdentity IdentityOf(HMODULE module);

// One entry of an import address table.
struct ImportEntry {
  const char* library;   // the library as the image names it, e.g. "RASAPI32.dll"
  const char* function;  // the imported name; null for an import by ordinal or without names
  void** slot;           // the address table entry the loader fills
  bool bound;            // false while the loader has not written the entry yet
};

// Calls visit(const ImportEntry&) for each entry of the descriptors whose library name
// `want_library(name)` accepts.
template <typename WantLibrary, typename Visit>
void ForEachImport(HMODULE module, WantLibrary&& want_library, Visit&& visit);

// The export address table entry (an offset from the module base) of a named export, or null.
DWORD* ExportEntry(HMODULE module, const char* name);
// True when an export's offset points into the export directory: a forwarder string, not code.
bool IsForwarder(HMODULE module, DWORD rva);

// ---------------------------------------------------------------------------------------------

namespace detail {
// The address of `rva` inside the image when `size` bytes from there lie inside it, else null.
const void* At(HMODULE module, std::size_t rva, std::size_t size);
// The NUL-terminated string at `rva` when it ends inside the image, else null.
const char* StringAt(HMODULE module, std::size_t rva);
}  // namespace detail

template <typename WantLibrary, typename Visit>
void ForEachImport(HMODULE module, WantLibrary&& want_library, Visit&& visit) {
  const IMAGE_NT_HEADERS* headers = ImageHeaders(module);
  if (!headers) return;
  const IMAGE_DATA_DIRECTORY& directory =
      headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (directory.VirtualAddress == 0 || directory.Size == 0) return;
  for (std::size_t offset = directory.VirtualAddress;; offset += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
    auto descriptor = static_cast<const IMAGE_IMPORT_DESCRIPTOR*>(
        detail::At(module, offset, sizeof(IMAGE_IMPORT_DESCRIPTOR)));
    if (!descriptor || descriptor->Name == 0 || descriptor->FirstThunk == 0) return;
    const char* library = detail::StringAt(module, descriptor->Name);
    if (!library || !want_library(library)) continue;
    for (std::size_t i = 0;; ++i) {
      const std::size_t step = i * sizeof(IMAGE_THUNK_DATA);
      auto address = static_cast<const IMAGE_THUNK_DATA*>(
          detail::At(module, descriptor->FirstThunk + step, sizeof(IMAGE_THUNK_DATA)));
      if (!address) break;
      const IMAGE_THUNK_DATA* name = nullptr;
      if (descriptor->OriginalFirstThunk != 0) {
        name = static_cast<const IMAGE_THUNK_DATA*>(
            detail::At(module, descriptor->OriginalFirstThunk + step, sizeof(IMAGE_THUNK_DATA)));
        if (!name || name->u1.AddressOfData == 0) break;
      } else if (address->u1.Function == 0) {
        break;
      }
      ImportEntry entry{library, nullptr,
                        reinterpret_cast<void**>(const_cast<IMAGE_THUNK_DATA*>(address)), true};
      if (name) {
        // Before the loader binds the table, both tables hold the same offset of the name.
        entry.bound = address->u1.Function != name->u1.AddressOfData;
        if (!IMAGE_SNAP_BY_ORDINAL(name->u1.Ordinal)) {
          // IMAGE_IMPORT_BY_NAME: a 16-bit hint, then the name.
          entry.function = detail::StringAt(
              module, static_cast<std::size_t>(name->u1.AddressOfData) + sizeof(WORD));
        }
      }
      visit(entry);
    }
  }
}

}  // namespace lw::hook
