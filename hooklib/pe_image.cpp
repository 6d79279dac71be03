#include "pe_image.h"

#include <cstring>

namespace lw::hook {

namespace {

std::size_t ImageSize(HMODULE module) {
  const IMAGE_NT_HEADERS* headers = ImageHeaders(module);
  return headers ? headers->OptionalHeader.SizeOfImage : 0;
}

}  // namespace

const IMAGE_NT_HEADERS* ImageHeaders(HMODULE module) {
  if (!module) return nullptr;
  auto base = reinterpret_cast<const uint8_t*>(module);
  auto dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  if (dos->e_magic != IMAGE_DOS_SIGNATURE || dos->e_lfanew <= 0 || dos->e_lfanew > 0x10000) {
    return nullptr;
  }
  auto headers = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  if (headers->Signature != IMAGE_NT_SIGNATURE ||
      headers->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR_MAGIC) {
    return nullptr;
  }
  return headers;
}

ImageIdentity IdentityOf(HMODULE module) {
  const IMAGE_NT_HEADERS* headers = ImageHeaders(module);
  if (!headers) return {};
  return {reinterpret_cast<uintptr_t>(module), headers->FileHeader.TimeDateStamp,
          headers->OptionalHeader.SizeOfImage};
}

namespace detail {

const void* At(HMODULE module, std::size_t rva, std::size_t size) {
  const std::size_t image_size = ImageSize(module);
  if (rva >= image_size || size > image_size - rva) return nullptr;
  return reinterpret_cast<const uint8_t*>(module) + rva;
}

const char* StringAt(HMODULE module, std::size_t rva) {
  const std::size_t image_size = ImageSize(module);
  if (rva >= image_size) return nullptr;
  auto text = reinterpret_cast<const char*>(module) + rva;
  return std::memchr(text, 0, image_size - rva) ? text : nullptr;
}

}  // namespace detail

DWORD* ExportEntry(HMODULE module, const char* name) {
  const IMAGE_NT_HEADERS* headers = ImageHeaders(module);
  if (!headers) return nullptr;
  const IMAGE_DATA_DIRECTORY& directory =
      headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  auto exports = static_cast<const IMAGE_EXPORT_DIRECTORY*>(
      detail::At(module, directory.VirtualAddress, sizeof(IMAGE_EXPORT_DIRECTORY)));
  if (directory.VirtualAddress == 0 || !exports) return nullptr;
  auto names = static_cast<const DWORD*>(
      detail::At(module, exports->AddressOfNames, exports->NumberOfNames * sizeof(DWORD)));
  auto ordinals = static_cast<const WORD*>(
      detail::At(module, exports->AddressOfNameOrdinals, exports->NumberOfNames * sizeof(WORD)));
  auto functions = static_cast<const DWORD*>(
      detail::At(module, exports->AddressOfFunctions, exports->NumberOfFunctions * sizeof(DWORD)));
  if (!names || !ordinals || !functions) return nullptr;
  for (DWORD i = 0; i < exports->NumberOfNames; ++i) {
    const char* export_name = detail::StringAt(module, names[i]);
    if (!export_name || std::strcmp(export_name, name) != 0) continue;
    if (ordinals[i] >= exports->NumberOfFunctions) return nullptr;
    return const_cast<DWORD*>(functions + ordinals[i]);
  }
  return nullptr;
}

bool IsForwarder(HMODULE module, DWORD rva) {
  const IMAGE_NT_HEADERS* headers = ImageHeaders(module);
  if (!headers) return false;
  const IMAGE_DATA_DIRECTORY& directory =
      headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  return rva >= directory.VirtualAddress && rva - directory.VirtualAddress < directory.Size;
}

}  // namespace lw::hook
