#pragma once
// The extension folder and the system's loader. Libraries are loaded with a hardened search
// path: what they import is looked for in their own folder and in the system folder only, never
// in the current folder, so a library cannot pull in a planted one.

#include <windows.h>

#include <string>

#include "extension_host/extension_host.h"

namespace lw {

class WinExtensionSystem final : public ExtensionSystem {
 public:
  // program_folder: with its trailing backslash.
  explicit WinExtensionSystem(std::wstring program_folder)
      : folder_(std::move(program_folder) + L"extensions\\") {}

  // The folder the libraries are listed in, with its trailing backslash.
  const std::wstring& folder() const { return folder_; }

  std::vector<std::string> ListLibraries() override;
  std::string FullPath(const std::string& file_name) override;
  uint32_t Checksum(const std::string& full_path) override;
  void* Load(const std::string& full_path) override;
  void* Export(void* library, const char* name) override;
  void Free(void* library) override;

 private:
  std::wstring folder_;
};

// The change notification on the extension folder (last-write changes of its files).
class ExtensionFolderWatch {
 public:
  // Creates the folder when it is missing, so that it can be watched from the start.
  explicit ExtensionFolderWatch(const std::wstring& folder);
  ~ExtensionFolderWatch() { Close(); }
  ExtensionFolderWatch(const ExtensionFolderWatch&) = delete;
  ExtensionFolderWatch& operator=(const ExtensionFolderWatch&) = delete;

  // The handle to wait on; null when the folder cannot be watched.
  HANDLE handle() const { return handle_; }
  // True when the folder changed since the last call; the watch is re-armed then.
  bool Changed();
  void Close();

 private:
  HANDLE handle_ = nullptr;
};

}  // namespace lw
