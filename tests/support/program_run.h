#pragma once
// Running a program that lies beside the test program, with its output collected: the tests
// start dialer.exe, linectl.exe and the like as other processes of the session.

#include <windows.h>

#include <chrono>
#include <string>

namespace lw::test {

// The folder of the test program, with its trailing separator.
inline std::wstring BinFolder() {
  wchar_t path[MAX_PATH];
  std::wstring folder(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
  return folder.substr(0, folder.find_last_of(L"\\/") + 1);
}

struct ProgramRun {
  bool finished = false;  // ended within the time; otherwise it was terminated
  DWORD exit_code = 0;
  std::string output;  // standard output and error together
  double seconds = 0;
};

// Starts `program` of the test's folder with `arguments`, waits for it at most `timeout_ms`, and
// collects what it printed. The programs print a few lines, far less than the pipe holds, so
// waiting for the end before reading is safe.
inline ProgramRun RunProgram(const std::wstring& program, const std::wstring& arguments,
                             DWORD timeout_ms) {
  ProgramRun run;
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE read_end, write_end;
  if (!CreatePipe(&read_end, &write_end, &inherit, 1 << 16)) return run;
  SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = write_end;
  startup.hStdError = write_end;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  const std::wstring path = BinFolder() + program;
  std::wstring command = L"\"" + path + L"\" " + arguments;
  PROCESS_INFORMATION process = {};
  const auto started = std::chrono::steady_clock::now();
  const BOOL created = CreateProcessW(path.c_str(), command.data(), nullptr, nullptr, TRUE, 0,
                                      nullptr, nullptr, &startup, &process);
  CloseHandle(write_end);
  if (created) {
    run.finished = WaitForSingleObject(process.hProcess, timeout_ms) == WAIT_OBJECT_0;
    if (!run.finished) TerminateProcess(process.hProcess, 254);
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    GetExitCodeProcess(process.hProcess, &run.exit_code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    char buffer[4096];
    DWORD bytes;
    while (ReadFile(read_end, buffer, sizeof buffer, &bytes, nullptr) && bytes > 0) {
      run.output.append(buffer, bytes);
    }
  }
  CloseHandle(read_end);
  return run;
}

}  // namespace lw::test
