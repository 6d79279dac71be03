#include "extension_host/win/win_extension_system.h"

#include "common/win/wide.h"
#include "extension_host/extension_checksum.h"

namespace lw {
namespace {

// Import lookups of a library: its own folder, then the system folder.
constexpr DWORD kHardenedSearch = LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32;

}  // namespace

std::vector<std::string> WinExtensionSystem::ListLibraries() {
  std::vector<std::string> names;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder_ + L"*.dll").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    names.push_back(Narrow(found.cFileName));
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return names;
}

std::string WinExtensionSystem::FullPath(const std::string& file_name) {
  return Narrow(folder_) + file_name;
}

uint32_t WinExtensionSystem::Checksum(const std::string& full_path) {
  return ExtensionChecksum(std::filesystem::path(Widen(full_path)));
}

void* WinExtensionSystem::Load(const std::string& full_path) {
  const std::wstring path = Widen(full_path);
  HMODULE library = LoadLibraryExW(path.c_str(), nullptr, kHardenedSearch);
  // Systems without the search flags: the library's folder first and the current folder
  // taken out of the search (done once at the program's start).
  if (library == nullptr && GetLastError() == ERROR_INVALID_PARAMETER) {
    library = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  }
  return library;
}

void* WinExtensionSystem::Export(void* library, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void WinExtensionSystem::Free(void* library) { FreeLibrary(static_cast<HMODULE>(library)); }

ExtensionFolderWatch::ExtensionFolderWatch(const std::wstring& folder) {
  CreateDirectoryW(folder.c_str(), nullptr);
  handle_ = FindFirstChangeNotificationW(
      folder.c_str(), FALSE, FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_FILE_NAME);
  if (handle_ == INVALID_HANDLE_VALUE) handle_ = nullptr;
}

bool ExtensionFolderWatch::Changed() {
  if (handle_ == nullptr || WaitForSingleObject(handle_, 0) != WAIT_OBJECT_0) return false;
  FindNextChangeNotification(handle_);
  return true;
}

void ExtensionFolderWatch::Close() {
  if (handle_ != nullptr) FindCloseChangeNotification(handle_);
  handle_ = nullptr;
}

}  // namespace lw
