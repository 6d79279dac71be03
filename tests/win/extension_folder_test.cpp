// The extension folder on Windows: the listing, the hardened loading of a real library, and the
// change notification that wakes the program when a library is copied in.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "common/win/wide.h"
#include "extension_host/extension_checksum.h"
#include "extension_host/win/win_extension_system.h"
#include "fakes/temp_dir.h"
#include "support/program_run.h"

namespace lw {
namespace {

std::wstring Folder(const test::TempDir& dir) { return dir.path().wstring() + L"\\"; }

TEST(ExtensionFolder, ListsLoadsAndReleasesTheLibrariesOfTheFolder) {
  test::TempDir dir;
  WinExtensionSystem system(Folder(dir));
  EXPECT_TRUE(system.ListLibraries().empty());  // no folder yet
  std::filesystem::create_directory(dir.path() / "extensions");
  std::filesystem::copy_file(test::BinFolder() + L"lwtestext.dll",
                             dir.path() / "extensions" / "lwtestA.dll");
  std::ofstream(dir.path() / "extensions" / "notes.txt") << "not a library";
  std::filesystem::create_directory(dir.path() / "extensions" / "folder.dll");

  ASSERT_EQ(system.ListLibraries(), (std::vector<std::string>{"lwtestA.dll"}));
  const std::string path = system.FullPath("lwtestA.dll");
  EXPECT_EQ(Widen(path), (dir.path() / "extensions" / "lwtestA.dll").wstring());
  EXPECT_EQ(system.Checksum(path), ExtensionChecksum(dir.path() / "extensions" / "lwtestA.dll"));
  EXPECT_NE(system.Checksum(path), 0u);

  void* library = system.Load(path);
  ASSERT_NE(library, nullptr);
  EXPECT_NE(system.Export(library, "LarkWatchEntry"), nullptr);
  EXPECT_EQ(system.Export(library, "NoSuchRoutine"), nullptr);
  system.Free(library);
  EXPECT_EQ(system.Load(system.FullPath("missing.dll")), nullptr);
}

TEST(ExtensionFolder, TheWatchCreatesTheFolderAndSeesALibraryCopiedIn) {
  test::TempDir dir;
  const std::wstring folder = Folder(dir) + L"extensions\\";
  ExtensionFolderWatch watch(folder);
  ASSERT_NE(watch.handle(), nullptr);
  EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "extensions"));
  EXPECT_FALSE(watch.Changed());

  std::filesystem::copy_file(test::BinFolder() + L"lwtestext.dll",
                             dir.path() / "extensions" / "lwtestC.dll");
  EXPECT_EQ(WaitForSingleObject(watch.handle(), 10000), WAIT_OBJECT_0);
  EXPECT_TRUE(watch.Changed());
  watch.Close();
  EXPECT_EQ(watch.handle(), nullptr);
  EXPECT_FALSE(watch.Changed());
}

}  // namespace
}  // namespace lw
