// lw_late_loader.exe: a program without a rasapi32 import that installs the hook library,
// then loads rasapi32.dll itself and dials through GetProcAddress, as a program that finds the
// dial-up functions at run time does.
//
//   lw_late_loader.exe NUMBER   prints "RasDialA=<code>" and exits with 0 or the code (1..255)

#include <fcntl.h>
#include <io.h>
#include <ras.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

template <typename F>
F Lookup(HMODULE module, const char* name) {
  return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

int Fail(const char* what) {
  std::printf("%s=%lu\n", what, GetLastError());
  return 255;
}

}  // namespace

int main(int argc, char** argv) {
  _setmode(_fileno(stdout), _O_BINARY);
  if (argc != 2) return 2;
  if (GetModuleHandleW(L"rasapi32.dll")) return Fail("rasapi32-already-loaded");

  wchar_t path[MAX_PATH];
  std::wstring library(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
  library.resize(library.find_last_of(L"\\/") + 1);
  library += L"larkwatch.dll";
  HMODULE hook = LoadLibraryW(library.c_str());
  if (!hook) return Fail("LoadLibrary");
  auto install = Lookup<BOOL(WINAPI*)()>(hook, "LarkWatchInstall");
  if (!install || !install()) return Fail("LarkWatchInstall");

  HMODULE rasapi = LoadLibraryA("rasapi32.dll");
  if (!rasapi) return Fail("LoadLibrary-rasapi32");
  auto dial = Lookup<decltype(&RasDialA)>(rasapi, "RasDialA");
  if (!dial) return Fail("GetProcAddress");
  RASDIALPARAMSA params = {};
  params.dwSize = sizeof params;
  std::strncpy(params.szPhoneNumber, argv[1], RAS_MaxPhoneNumber);
  HRASCONN connection = nullptr;
  const DWORD result = dial(nullptr, nullptr, &params, 0, nullptr, &connection);
  std::printf("RasDialA=%lu\n", result);
  return result == 0 ? 0 : static_cast<int>(std::clamp<DWORD>(result, 1, 255));
}
