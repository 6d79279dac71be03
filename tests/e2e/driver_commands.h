#pragma once
// The commands of lwdriver.exe. Each takes the whole command line and the index of its first
// argument, prints machine-readable lines to stdout and returns the process's exit code.

namespace lw::e2e {

int WaitWindowCommand(int argc, wchar_t** argv, int first);
int WaitGoneCommand(int argc, wchar_t** argv, int first);
int WaitTextCommand(int argc, wchar_t** argv, int first);
int TextCommand(int argc, wchar_t** argv, int first);
int ClickCommand(int argc, wchar_t** argv, int first);
int KeyCommand(int argc, wchar_t** argv, int first);
int CloseCommand(int argc, wchar_t** argv, int first);
int MenuCommandCommand(int argc, wchar_t** argv, int first);
int CountCommand(int argc, wchar_t** argv, int first);
int CaptureCommand(int argc, wchar_t** argv, int first);
int PipeSendCommand(int argc, wchar_t** argv, int first);
int PipeFloodCommand(int argc, wchar_t** argv, int first);
int PipeShortCommand(int argc, wchar_t** argv, int first);
int PipeParallelCommand(int argc, wchar_t** argv, int first);
int SessionIdCommand(int argc, wchar_t** argv, int first);
int PipeBenchCommand(int argc, wchar_t** argv, int first);

}  // namespace lw::e2e
