#include "shell/stop_command.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <string>

namespace lw {
namespace {

TEST(StopCommand, OnlyTheExactLastSixCharactersCount) {
  struct Case {
    const wchar_t* line;
    bool stop;
  };
  for (Case c :
       {Case{L"larkwatch.exe --stop", true}, Case{L"\"C:\\a b\\larkwatch.exe\" --stop", true},
        Case{L"--stop", true}, Case{L"x.exe---stop", true},  // only the tail counts
        Case{L"larkwatch.exe --stop ", false}, Case{L"larkwatch.exe --STOP", false},
        Case{L"larkwatch.exe --stop2", false}, Case{L"-stop", false}, Case{L"", false},
        Case{L"larkwatch.exe", false}}) {
    EXPECT_EQ(IsStopCommand(c.line), c.stop) << std::string(c.line, c.line + std::wcslen(c.line));
  }
}

}  // namespace
}  // namespace lw
