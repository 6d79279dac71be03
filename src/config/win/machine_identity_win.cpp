#include "config/win/machine_identity_win.h"

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace lw {

namespace {

// The parts of the native API that the firmware read needs, declared here because the
// import library does not provide them.
struct NativeUnicodeString {
  USHORT Length;
  USHORT MaximumLength;
  PWSTR Buffer;
};
struct NativeObjectAttributes {
  ULONG Length;
  HANDLE RootDirectory;
  NativeUnicodeString* ObjectName;
  ULONG Attributes;
  PVOID SecurityDescriptor;
  PVOID SecurityQualityOfService;
};
using OpenSectionFn = LONG(NTAPI*)(HANDLE*, ACCESS_MASK, NativeObjectAttributes*);
using MapViewFn = LONG(NTAPI*)(HANDLE, HANDLE, PVOID*, ULONG_PTR, SIZE_T, LARGE_INTEGER*, SIZE_T*,
                               DWORD, ULONG, ULONG);
using UnmapViewFn = LONG(NTAPI*)(HANDLE, PVOID);

constexpr ULONG kObjCaseInsensitive = 0x40;
constexpr DWORD kViewShare = 1;
constexpr uint64_t kViewPhysicalOffset = 0xF0000;
constexpr SIZE_T kViewSize = 0x20000;
constexpr std::size_t kStringOffset = 0xEC71;
// Read no further than the identity can hold.
constexpr std::size_t kMaxFirmwareString = kMaxMachineIdentity;

template <typename Fn>
Fn NtdllFunction(HMODULE ntdll, const char* name) {
  // Through the generic function pointer type, which converts to any other without a warning.
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(ntdll, name)));
}

std::string ReadFirmwareString() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  if (!ntdll) return {};
  auto open_section = NtdllFunction<OpenSectionFn>(ntdll, "ZwOpenSection");
  if (!open_section) open_section = NtdllFunction<OpenSectionFn>(ntdll, "NtOpenSection");
  auto map_view = NtdllFunction<MapViewFn>(ntdll, "ZwMapViewOfSection");
  if (!map_view) map_view = NtdllFunction<MapViewFn>(ntdll, "NtMapViewOfSection");
  auto unmap_view = NtdllFunction<UnmapViewFn>(ntdll, "ZwUnmapViewOfSection");
  if (!unmap_view) unmap_view = NtdllFunction<UnmapViewFn>(ntdll, "NtUnmapViewOfSection");
  if (!open_section || !map_view || !unmap_view) return {};

  wchar_t section_name[] = L"\\Device\\PhysicalMemory";
  NativeUnicodeString name{};
  name.Buffer = section_name;
  name.Length = static_cast<USHORT>((sizeof(section_name) / sizeof(wchar_t) - 1) * sizeof(wchar_t));
  name.MaximumLength = static_cast<USHORT>(sizeof(section_name));
  NativeObjectAttributes attributes{};
  attributes.Length = sizeof(attributes);
  attributes.ObjectName = &name;
  attributes.Attributes = kObjCaseInsensitive;

  HANDLE section = nullptr;
  if (open_section(&section, SECTION_MAP_READ, &attributes) < 0 || !section) return {};

  std::string result;
  PVOID base = nullptr;
  LARGE_INTEGER offset;
  offset.QuadPart = static_cast<LONGLONG>(kViewPhysicalOffset);
  SIZE_T view_size = kViewSize;
  if (map_view(section, GetCurrentProcess(), &base, 0, kViewSize, &offset, &view_size, kViewShare,
               0, PAGE_READONLY) >= 0 &&
      base) {
    // The system may round the view; it is read only within what it reports.
    if (view_size > kStringOffset) {
      const char* text = static_cast<const char*>(base) + kStringOffset;
      const std::size_t room = static_cast<std::size_t>(view_size) - kStringOffset;
      for (std::size_t i = 0; i < room && i < kMaxFirmwareString && text[i] != '\0'; ++i) {
        result += text[i];
      }
    }
    unmap_view(GetCurrentProcess(), base);
  }
  CloseHandle(section);
  return result;
}

// A REG_SZ value of HKEY_LOCAL_MACHINE as ANSI bytes; empty when absent or of another type.
std::string ReadMachineString(const char* path, const char* name) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, &key) !=
      ERROR_SUCCESS) {
    return {};
  }
  std::string result;
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
      type == REG_SZ && size > 0 && size <= 4096) {
    std::vector<char> buffer(size + 1, '\0');
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                         &size) == ERROR_SUCCESS &&
        type == REG_SZ) {
      buffer[std::min<std::size_t>(size, buffer.size() - 1)] = '\0';
      result = buffer.data();  // up to the first NUL
    }
  }
  RegCloseKey(key);
  return result;
}

class WindowsMachineIdentitySource final : public MachineIdentitySource {
 public:
  std::string FirmwarePart() override { return ReadFirmwareString(); }
  std::string ProductPart() override {
    std::string id = ReadMachineString("Software\\Microsoft\\Windows\\CurrentVersion", "ProductId");
    if (id.empty()) {
      id = ReadMachineString("Software\\Microsoft\\Windows NT\\CurrentVersion", "ProductId");
    }
    return id;
  }
  std::string MachinePart() override {
    return ReadMachineString("SOFTWARE\\Microsoft\\Cryptography", "MachineGuid");
  }
};

}  // namespace

std::unique_ptr<MachineIdentitySource> MakeWindowsMachineIdentitySource() {
  return std::make_unique<WindowsMachineIdentitySource>();
}

}  // namespace lw
