// The extension of the end-to-end scenarios: it writes down every call the program makes.
//
// Every routine appends one line to the file named by the environment variable LWTESTEXT_LOG
// (nothing is written without it), opening and closing the file for each line:
//
//   <module base name> <routine>[ <arguments joined by '|'>]
//
// where the routine is one of name, entry, runonce, illegal, connect, disconnect, and the
// arguments of illegal and connect are the country code in decimal and the five texts as
// given, e.g. "lwtestA connect 48|22|7654321|Dom|C:\x\rasphone.pbk|C:\x\dialer.exe". Lines end
// with LF alone. The module base name is the library's own file name without ".dll", so copies
// under other names (lwtestA.dll, lwtestB.dll) tell themselves apart; the display name is
// "Test <module base name>".
//
// Built into several libraries from this source:
//   LWTESTEXT_NO_ENTRY    no LarkWatchEntry: loaded, never given a command or called
//   LWTESTEXT_LONG_NAME   a display name one character longer than the program takes

#include <windows.h>

#include <string>

#include "larkwatch_extension.h"

namespace {

std::string g_base_name = "lwtestext";
std::string g_display_name = "Test lwtestext";

// The base name of the library's own file, taken when it is loaded.
void LearnOwnName(HMODULE module) {
  char path[MAX_PATH + 1] = {};
  const DWORD length = GetModuleFileNameA(module, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return;
  std::string name(path, length);
  const std::size_t slash = name.find_last_of("\\/");
  if (slash != std::string::npos) name.erase(0, slash + 1);
  const std::size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  g_base_name = name;
  g_display_name = "Test " + name;
#ifdef LWTESTEXT_LONG_NAME
  g_display_name.resize(LARKWATCH_MAX_NAME + 1, 'x');
#endif
}

void Log(const std::string& routine, const std::string& arguments = std::string()) {
  char log_path[MAX_PATH + 1] = {};
  const DWORD length = GetEnvironmentVariableA("LWTESTEXT_LOG", log_path, sizeof log_path);
  if (length == 0 || length >= sizeof log_path) return;
  std::string line = g_base_name + " " + routine;
  if (!arguments.empty()) line += " " + arguments;
  line += "\n";
  // Appends from several processes or threads land whole: every write goes to the end.
  const HANDLE file = CreateFileA(log_path, FILE_APPEND_DATA,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  CloseHandle(file);
}

std::string Text(const char* text) { return text != nullptr ? text : ""; }

std::string DialArguments(int32_t country_code, const char* area_code, const char* local_number,
                          const char* entry_name, const char* phonebook, const char* application) {
  return std::to_string(country_code) + "|" + Text(area_code) + "|" + Text(local_number) + "|" +
         Text(entry_name) + "|" + Text(phonebook) + "|" + Text(application);
}

}  // namespace

extern "C" {

const char* LARKWATCH_CALL LarkWatchGetExtName(void) {
  Log("name");
  return g_display_name.c_str();
}

#ifndef LWTESTEXT_NO_ENTRY
void LARKWATCH_CALL LarkWatchEntry(void) { Log("entry"); }
#endif

void LARKWATCH_CALL LarkWatchRunOnce(void) { Log("runonce"); }

void LARKWATCH_CALL LarkWatchNotifyIllegal(int32_t country_code, const char* area_code,
                                           const char* local_number, const char* entry_name,
                                           const char* phonebook, const char* application) {
  Log("illegal",
      DialArguments(country_code, area_code, local_number, entry_name, phonebook, application));
}

void LARKWATCH_CALL LarkWatchNotifyConnect(int32_t country_code, const char* area_code,
                                           const char* local_number, const char* entry_name,
                                           const char* phonebook, const char* application) {
  Log("connect",
      DialArguments(country_code, area_code, local_number, entry_name, phonebook, application));
}

void LARKWATCH_CALL LarkWatchNotifyDisconnect(void) { Log("disconnect"); }

// The C run-time's start-up calls it by its C name.
BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    LearnOwnName(instance);
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

}  // extern "C"
