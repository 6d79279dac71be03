#pragma once
// Where the running program lies.

#include <string>

namespace lw {

// The full path of this program's executable; empty when unknown.
std::wstring OwnProgramPath();

// The folder of this program's executable, with a trailing backslash; empty when unknown.
std::wstring ProgramFolder();

}  // namespace lw
