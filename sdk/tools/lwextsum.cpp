// lwextsum: the extension checksum of add-on libraries, the number LarkWatch compares with the
// value stored under HKCU\Software\LarkWatch\Extensions before it loads a library. For
// developers who try a library of their own before the add-on service offers it.
//
//   lwextsum FILE.dll...
//
// prints for every file its base name, the checksum as the signed number the service publishes
// (give=regno), and the reg command that stores it for the current user.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "extension_host/extension_checksum.h"

namespace {

int Usage() {
  std::fputs(
      "usage: lwextsum FILE.dll...\n"
      "Prints the extension checksum of each file and the command that stores it for\n"
      "LarkWatch (HKCU\\Software\\LarkWatch\\Extensions, a DWORD named by the base name).\n",
      stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  int status = 0;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "-h" || argument == "--help") return Usage();
    const std::filesystem::path path(argument);
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
      std::fprintf(stderr, "lwextsum: %s: not a file\n", argument.c_str());
      status = 1;
      continue;
    }
    const uint32_t checksum = lw::ExtensionChecksum(path);
    const std::string base_name = path.stem().string();
    std::printf("%s %ld\n", base_name.c_str(), static_cast<long>(static_cast<int32_t>(checksum)));
    std::printf(
        "  reg add \"HKCU\\Software\\LarkWatch\\Extensions\" /v \"%s\" /t REG_DWORD /d %lu /f\n",
        base_name.c_str(), static_cast<unsigned long>(checksum));
  }
  return status;
}
