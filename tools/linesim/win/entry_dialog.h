#pragma once
// The phonebook entry dialog of RasCreatePhonebookEntry and RasEditPhonebookEntry: a small
// modal window built in code, of the class "LineSimEntryDialog", with the entry name, country
// code, area code, number, a "Use country and area codes" check box, device type, user name
// and password, and OK and Cancel (Enter and Esc). The owner is disabled while it shows.

#include <windows.h>

#include <cstdint>
#include <string>

namespace lw::linesim {

inline constexpr wchar_t kEntryDialogClass[] = L"LineSimEntryDialog";
// What the dialogs return when the user cancels.
inline constexpr DWORD kCancelled = 831;

// 0 when the new entry was saved, kCancelled, or the code of what failed.
DWORD CreateEntryWithDialog(HWND owner, const std::wstring& phonebook);
// 0 when the entry was saved, kCancelled, ERROR_CANNOT_FIND_PHONEBOOK_ENTRY when there is no
// such entry, or the code of what failed. The entry may get another name in the dialog.
DWORD EditEntryWithDialog(HWND owner, const std::wstring& phonebook, const std::string& name);

}  // namespace lw::linesim
