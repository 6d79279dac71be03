/* The smallest extension, in C, its exports listed in lark_hello.def: a command in the
 * "Dodatki" submenu that says hello, and a count of the dial requests the program allowed.
 * A template to start from. */
#include <wchar.h>
#include <windows.h>

/* The .def file names the exports, so the routines need no export mark. */
#define LARKWATCH_EXPORT
#include "larkwatch_extension.h"

/* Written on the request thread, read on the main thread: a whole aligned LONG, read and
 * changed with the Interlocked routines. */
static volatile LONG g_allowed = 0;

const char* LARKWATCH_CALL LarkWatchGetExtName(void) { return "Przywitanie"; }

void LARKWATCH_CALL LarkWatchEntry(void) {
  wchar_t text[128];
  _snwprintf(text, sizeof text / sizeof text[0],
             L"Dzień dobry! Połączenia dozwolone od wczytania dodatku: %ld.",
             (long)InterlockedCompareExchange(&g_allowed, 0, 0));
  text[sizeof text / sizeof text[0] - 1] = L'\0';
  MessageBoxW(NULL, text, L"LarkWatch - przywitanie", MB_OK | MB_ICONINFORMATION);
}

void LARKWATCH_CALL LarkWatchNotifyConnect(int32_t country_code, const char* area_code,
                                           const char* local_number, const char* entry_name,
                                           const char* phonebook, const char* application) {
  (void)country_code;
  (void)area_code;
  (void)local_number;
  (void)entry_name;
  (void)phonebook;
  (void)application;
  InterlockedIncrement(&g_allowed);
}
