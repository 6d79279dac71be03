/*
 * LarkWatch extensions: the routines an extension library exports.
 *
 * An extension is a Windows DLL (x64 for the 64-bit program, x86 for the 32-bit one) in the
 * folder "extensions" beside larkwatch.exe. The program loads every library there whose file
 * matches the checksum stored for it (see "Installation" below), puts the name the library
 * gives into the "Dodatki" submenu of its tray menu, and from then on tells it about the dial
 * requests it decides. A library stays loaded until the program ends.
 *
 * Exports. Every routine uses the C calling convention (LARKWATCH_CALL, __cdecl: the caller
 * cleans the stack) and is exported under its plain name. The program looks each name up as
 * written, then with one leading underscore, so the names a 32-bit MinGW or MSVC build makes
 * for cdecl routines are found too; any other decoration ("_Name@0", C++ mangling) is not. Define
 * the routines in a C file, or in C++ inside extern "C" (this header declares them so), and
 * mark them LARKWATCH_EXPORT or list them in a .def file.
 *
 *   LarkWatchGetExtName        required   the display name
 *   LarkWatchEntry             required   the menu command
 *   LarkWatchRunOnce           optional   once, right after loading
 *   LarkWatchNotifyIllegal     optional   a dial request the program refused
 *   LarkWatchNotifyConnect     optional   a dial request the program allowed
 *   LarkWatchNotifyDisconnect  optional   a hang-up the program allowed
 *
 * A library that lacks LarkWatchGetExtName or LarkWatchEntry, or whose name is longer than
 * LARKWATCH_MAX_NAME characters, stays loaded but gets no menu command and none of its routines
 * is ever called.
 *
 * Threads. LarkWatchGetExtName, LarkWatchRunOnce and LarkWatchEntry run on the program's main
 * (user interface) thread. The three notifications run on the thread that decides the dial
 * requests, one request at a time, in the order the extensions were loaded. While a
 * notification runs the program decides no other request: the next dialling program waits for
 * its answer until every notification has returned. A notification must therefore return
 * quickly: no waiting on other threads, no network, no window, message box or other user
 * interface of its own (post a message to a window or thread of the extension's own if
 * something must be shown). Data shared between the menu command and
 * the notifications needs a lock of the library's own; never hold it while a window is shown.
 *
 * Nothing may be called back into the program: it offers no routines to its extensions, and
 * none of its windows may be sent messages from a notification.
 *
 * Texts. Every char text is in the system's ANSI code page and ends with a zero. The texts
 * handed to a notification belong to the program and are valid only while the call runs: copy
 * what is needed later.
 *
 * Installation. Before loading a library the program computes its "extension checksum" over
 * the library's file and compares it with the DWORD value named by the file's base name (the
 * name without ".dll") under HKEY_CURRENT_USER\Software\LarkWatch\Extensions. A library without
 * a matching value is not loaded. The program's add-on installer stores the value of every
 * library it installs from the maker's add-on service, which publishes it; while developing,
 * the tool sdk/tools/lwextsum computes it (see sdk/README.md).
 */
#ifndef LARKWATCH_EXTENSION_H
#define LARKWATCH_EXTENSION_H

#include <stdint.h>

#if defined(_WIN32)
#define LARKWATCH_CALL __cdecl
#else
#define LARKWATCH_CALL
#endif

/* Marks a routine the library exports. Define LARKWATCH_EXPORT as empty before including this
 * header when the exports are listed in a .def file instead. */
#ifndef LARKWATCH_EXPORT
#if defined(_WIN32)
#define LARKWATCH_EXPORT __declspec(dllexport)
#else
#define LARKWATCH_EXPORT __attribute__((visibility("default")))
#endif
#endif

/* The longest display name the program takes, in chars, without the ending zero. */
#define LARKWATCH_MAX_NAME 255

/* The export names, as the program looks them up. */
#define LARKWATCH_GET_EXT_NAME "LarkWatchGetExtName"
#define LARKWATCH_ENTRY "LarkWatchEntry"
#define LARKWATCH_RUN_ONCE "LarkWatchRunOnce"
#define LARKWATCH_NOTIFY_ILLEGAL "LarkWatchNotifyIllegal"
#define LARKWATCH_NOTIFY_CONNECT "LarkWatchNotifyConnect"
#define LARKWATCH_NOTIFY_DISCONNECT "LarkWatchNotifyDisconnect"

#ifdef __cplusplus
extern "C" {
#endif

/* The routines' types, for a program or test that loads a library and looks them up. */
typedef const char*(LARKWATCH_CALL* LarkWatchGetExtNameRoutine)(void);
typedef void(LARKWATCH_CALL* LarkWatchRoutine)(void);
typedef void(LARKWATCH_CALL* LarkWatchDialRoutine)(int32_t country_code, const char* area_code,
                                                   const char* local_number, const char* entry_name,
                                                   const char* phonebook, const char* application);

/* Required. The name of the extension's command in the "Dodatki" submenu: at most
 * LARKWATCH_MAX_NAME chars, ANSI, zero-terminated. Called once, on the main thread, while the
 * library is loaded; the text must stay valid until the call returns (a static text is best).
 */
LARKWATCH_EXPORT const char* LARKWATCH_CALL LarkWatchGetExtName(void);

/* Required. The user chose the extension's command in the "Dodatki" submenu. Called on the
 * main thread: the extension may show its windows and dialogs here (the program's own windows
 * wait while a modal one is open, its request thread goes on deciding). */
LARKWATCH_EXPORT void LARKWATCH_CALL LarkWatchEntry(void);

/* Optional. Called once on the main thread right after the library was loaded and its command
 * added, before any notification reaches it. */
LARKWATCH_EXPORT void LARKWATCH_CALL LarkWatchRunOnce(void);

/* Optional. The program REFUSED a dial request. Called on the request thread; while it runs
 * the program decides no other request, so a dialling program waiting for its answer waits for
 * this routine too: return quickly, block on nothing and show nothing.
 *   country_code  the country code of the number (48 for Poland), as the dialling program gave
 *                 it
 *   area_code     the area code, as given (may be empty)
 *   local_number  the number, as given
 *   entry_name    the phonebook entry dialled (may be empty)
 *   phonebook     the phonebook file's path (may be empty)
 *   application   the path of the program that asked to dial
 * Every text is valid only during the call. */
LARKWATCH_EXPORT void LARKWATCH_CALL
LarkWatchNotifyIllegal(int32_t country_code, const char* area_code, const char* local_number,
                       const char* entry_name, const char* phonebook, const char* application);

/* Optional. The program ALLOWED a dial request: the same arguments, thread and rules as
 * LarkWatchNotifyIllegal. */
LARKWATCH_EXPORT void LARKWATCH_CALL
LarkWatchNotifyConnect(int32_t country_code, const char* area_code, const char* local_number,
                       const char* entry_name, const char* phonebook, const char* application);

/* Optional. The program allowed a request to hang up (a refused one is told to nobody). Called
 * on the request thread, under the same rules as the other notifications. */
LARKWATCH_EXPORT void LARKWATCH_CALL LarkWatchNotifyDisconnect(void);

#ifdef __cplusplus
}
#endif

#endif /* LARKWATCH_EXTENSION_H */
