// Any bytes in a list file: read without harm for every kind of list; what was read, saved and
// read again is the same list and passes its checksum.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "config/list_file.h"
#include "fakes/fake_registry.h"

namespace fs = std::filesystem;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // One folder for the whole run, removed when the run ends.
  static const struct Folder {
    fs::path path = fs::temp_directory_path() / ("lw_list_fuzz_" + std::to_string(getpid()));
    Folder() { fs::create_directories(path); }
    ~Folder() { fs::remove_all(path); }
  } folder;
  const fs::path& dir = folder.path;
  lw::test::FakeRegistry registry;
  lw::ListStorage storage{registry, dir, "machine", "C:\\lw\\larkwatch.exe"};
  for (lw::ListKind kind : lw::kAllLists) {
    {
      std::ofstream out(dir / lw::InfoOf(kind).file, std::ios::binary | std::ios::trunc);
      out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    lw::ListReadResult first = lw::ReadList(kind, storage);
    std::vector<std::string> kept;
    for (std::string& entry : first.entries) lw::AppendListEntry(kind, kept, entry);
    if (!lw::SaveList(kind, storage, kept)) std::abort();
    lw::ListReadResult second = lw::ReadList(kind, storage);
    if (second.damaged || second.entries != kept) std::abort();
  }
  return 0;
}
