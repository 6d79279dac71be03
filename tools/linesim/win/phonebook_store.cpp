#include "linesim/win/phonebook_store.h"

#include <windows.h>
// After windows.h.
#include <raserror.h>

#include <string>

namespace lw::linesim {

uint32_t LoadPhonebook(const std::wstring& path, Phonebook& book) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
      book = Phonebook();
      return 0;
    }
    return ERROR_CANNOT_OPEN_PHONEBOOK;
  }
  std::string text;
  char buffer[65536];
  DWORD read = 0;
  bool ok = true;
  while (text.size() < kMaxPhonebookBytes) {
    if (!ReadFile(file, buffer, sizeof buffer, &read, nullptr)) {
      ok = false;
      break;
    }
    if (read == 0) break;
    text.append(buffer, read);
  }
  CloseHandle(file);
  if (!ok) return ERROR_CANNOT_OPEN_PHONEBOOK;
  book = Phonebook::Parse(text);
  return 0;
}

uint32_t SavePhonebook(const std::wstring& path, const Phonebook& book) {
  const std::string text = book.Serialize();
  const std::wstring temporary = path + L".linesim-" + std::to_wstring(GetCurrentProcessId());
  HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return ERROR_CANNOT_WRITE_PHONEBOOK;
  DWORD written = 0;
  const bool ok =
      WriteFile(file, text.data(), DWORD(text.size()), &written, nullptr) && written == text.size();
  CloseHandle(file);
  if (!ok || !MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    DeleteFileW(temporary.c_str());
    return ERROR_CANNOT_WRITE_PHONEBOOK;
  }
  return 0;
}

}  // namespace lw::linesim

namespace lw::linesim {

uint32_t ReadPhonebook(Line::Session& session, const std::wstring& path, Phonebook& book) {
  if (session.fail_mode() == FailMode::DamagedPhonebook) return ERROR_CANNOT_OPEN_PHONEBOOK;
  return LoadPhonebook(path, book);
}

uint32_t ReadEntry(Line::Session& session, const std::wstring& path, std::string_view name,
                   Entry& entry) {
  Phonebook book;
  if (const uint32_t error = ReadPhonebook(session, path, book)) return error;
  if (session.fail_mode() == FailMode::MissingEntry) return ERROR_CANNOT_FIND_PHONEBOOK_ENTRY;
  const auto found = book.Find(name);
  if (!found) return ERROR_CANNOT_FIND_PHONEBOOK_ENTRY;
  entry = *found;
  return 0;
}

uint32_t ChangePhonebook(Line::Session& session, const std::wstring& path,
                         const std::function<uint32_t(Phonebook&)>& change) {
  Phonebook book;
  if (const uint32_t error = ReadPhonebook(session, path, book)) return error;
  if (const uint32_t error = change(book)) return error;
  return SavePhonebook(path, book);
}

uint32_t ChangeEntry(Line::Session& session, const std::wstring& path, std::string_view name,
                     const std::function<void(Entry&)>& change) {
  return ChangePhonebook(session, path, [&](Phonebook& book) -> uint32_t {
    auto entry = book.Find(name);
    if (!entry || session.fail_mode() == FailMode::MissingEntry) {
      return ERROR_CANNOT_FIND_PHONEBOOK_ENTRY;
    }
    change(*entry);
    return book.Put(*entry) ? 0 : ERROR_INVALID_NAME;
  });
}

}  // namespace lw::linesim
