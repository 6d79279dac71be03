#pragma once
// Phonebook files on disk. Callers hold the line's session while they read, change and write a
// phonebook, so that processes never write over each other's changes.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "linesim/phonebook.h"
#include "linesim/win/line_state.h"

namespace lw::linesim {

// Reads the file (at most kMaxPhonebookBytes of it); a missing file is an empty phonebook.
// 0, or ERROR_CANNOT_OPEN_PHONEBOOK (621) when the file exists but cannot be read.
uint32_t LoadPhonebook(const std::wstring& path, Phonebook& book);
// Writes the phonebook beside the file and moves it over the old one, so that a failed write
// leaves the old file. 0, or ERROR_CANNOT_WRITE_PHONEBOOK (624).
uint32_t SavePhonebook(const std::wstring& path, const Phonebook& book);

// The dial-up functions go through these, which honour the line's failure modes: a "damaged"
// phonebook cannot be opened (621), and "missing" entries are not found (623).
uint32_t ReadPhonebook(Line::Session& session, const std::wstring& path, Phonebook& book);
uint32_t ReadEntry(Line::Session& session, const std::wstring& path, std::string_view name,
                   Entry& entry);
// Reads the phonebook, lets `change` edit it, and writes it back when `change` answers 0.
uint32_t ChangePhonebook(Line::Session& session, const std::wstring& path,
                         const std::function<uint32_t(Phonebook&)>& change);
// Changes an existing entry; 623 when there is none.
uint32_t ChangeEntry(Line::Session& session, const std::wstring& path, std::string_view name,
                     const std::function<void(Entry&)>& change);

}  // namespace lw::linesim
