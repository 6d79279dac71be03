#include "config/list_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "config/checksum.h"
#include "fakes/fake_registry.h"
#include "fakes/temp_dir.h"

namespace lw {
namespace {

using test::FakeRegistry;
using test::TempDir;

constexpr char kIdentity[] = "06/23/9955274-OEM-0011903-00102";
constexpr char kProgramPath[] = "C:\\Program Files\\LarkWatch\\larkwatch.exe";

// "C:\Zażółć\gęślą.exe" in code page 1250: bytes above 0x7F.
const std::string kPolishPath = "C:\\Za\xBF\xF3\xB3\xE6\\g\xEA\x9Cl\xB9.exe";

class ListFileTest : public ::testing::Test {
 protected:
  ListStorage Storage(std::string identity = kIdentity) {
    return {registry_, dir_.path(), std::move(identity), kProgramPath};
  }
  std::filesystem::path PathOf(ListKind kind) { return dir_.path() / InfoOf(kind).file; }
  void WriteFile(ListKind kind, const std::string& bytes) {
    std::ofstream out(PathOf(kind), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  std::string FileBytes(ListKind kind) {
    std::ifstream in(PathOf(kind), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  // Stores the checksum that the given list text has on this machine.
  void StoreChecksumOf(ListKind kind, const std::vector<std::string>& entries) {
    registry_.PutDword(Hive::CurrentUser, kSettingsKey, ChecksumValueName(InfoOf(kind).short_name),
                       TextChecksum(kIdentity, ListText(entries)));
  }
  std::optional<uint32_t> StoredChecksum(ListKind kind) {
    return registry_.GetDword(Hive::CurrentUser, kSettingsKey,
                              ChecksumValueName(InfoOf(kind).short_name));
  }

  TempDir dir_;
  FakeRegistry registry_;
};

TEST_F(ListFileTest, NamesTheFilesAndChecksumValues) {
  const std::pair<ListKind, std::string> expected[] = {{ListKind::Danger, "CRClwda"},
                                                       {ListKind::Safe, "CRClwsa"},
                                                       {ListKind::Permit, "CRClwp"},
                                                       {ListKind::Deny, "CRClwd"}};
  for (const auto& [kind, value] : expected) {
    EXPECT_EQ(ChecksumValueName(InfoOf(kind).short_name), value);
    EXPECT_EQ(std::string(InfoOf(kind).file), value.substr(3) + ".dat");
  }
}

struct RoundTripCase {
  ListKind kind;
  std::vector<std::string> entries;
};

void PrintTo(const RoundTripCase& c, std::ostream* os) {
  *os << InfoOf(c.kind).file << " with " << c.entries.size() << " entries";
}

class ListRoundTripTest : public ListFileTest,
                          public ::testing::WithParamInterface<RoundTripCase> {};

TEST_P(ListRoundTripTest, SavedListReadsBackUndamaged) {
  ASSERT_TRUE(SaveList(GetParam().kind, Storage(), GetParam().entries));
  ListReadResult read = ReadList(GetParam().kind, Storage());
  EXPECT_EQ(read.entries, GetParam().entries);
  EXPECT_FALSE(read.damaged);
  EXPECT_EQ(StoredChecksum(GetParam().kind), TextChecksum(kIdentity, ListText(GetParam().entries)));
  EXPECT_FALSE(std::filesystem::exists(PathOf(GetParam().kind).string() + ".tmp"));
}

const std::string kPath26 = "C:\\Windows\\System\\abcd.exe";  // 26 bytes: a length byte of 26

INSTANTIATE_TEST_SUITE_P(
    Lists, ListRoundTripTest,
    ::testing::Values(RoundTripCase{ListKind::Danger, {}},
                      RoundTripCase{ListKind::Danger, {"0700*", "0300?"}},
                      // 13 bytes: the length byte is CR's value, ordinary data in a raw file.
                      RoundTripCase{ListKind::Danger, {"1234567890123", "*"}},
                      RoundTripCase{ListKind::Safe, {std::string(64, '9')}},
                      RoundTripCase{ListKind::Permit, {kPath26, kPolishPath}},
                      RoundTripCase{ListKind::Deny, {std::string(255, 'x'), "\x0A\x0D\x1A"}}));

TEST_F(ListFileTest, Path26IsTwentySixBytes) { EXPECT_EQ(kPath26.size(), 26u); }

TEST_F(ListFileTest, WritesLengthBytesAndEntriesOnly) {
  ASSERT_TRUE(SaveList(ListKind::Deny, Storage(), {"ab", kPath26}));
  EXPECT_EQ(FileBytes(ListKind::Deny), std::string("\x02"
                                                   "ab") +
                                           "\x1A" + kPath26);
  ASSERT_TRUE(SaveList(ListKind::Deny, Storage(), {}));
  EXPECT_EQ(FileBytes(ListKind::Deny), "");
  EXPECT_EQ(StoredChecksum(ListKind::Deny), 0u);
}

TEST_F(ListFileTest, MissingFileWithoutStoredChecksumPasses) {
  ListReadResult read = ReadList(ListKind::Danger, Storage());
  EXPECT_TRUE(read.entries.empty());
  EXPECT_FALSE(read.damaged);
}

TEST_F(ListFileTest, MissingFileWithStoredChecksumIsDamaged) {
  StoreChecksumOf(ListKind::Safe, {"0202122"});
  ListReadResult read = ReadList(ListKind::Safe, Storage());
  EXPECT_TRUE(read.entries.empty());
  EXPECT_TRUE(read.damaged);
}

struct FileCase {
  const char* name;
  ListKind kind;
  std::string bytes;
  std::vector<std::string> stored_for;  // the list whose checksum is stored
  std::vector<std::string> entries;     // what is read
  bool damaged;
};

void PrintTo(const FileCase& c, std::ostream* os) { *os << c.name; }

class ListReadTest : public ListFileTest, public ::testing::WithParamInterface<FileCase> {};

TEST_P(ListReadTest, ReadsWhatTheFileHolds) {
  WriteFile(GetParam().kind, GetParam().bytes);
  StoreChecksumOf(GetParam().kind, GetParam().stored_for);
  ListReadResult read = ReadList(GetParam().kind, Storage());
  EXPECT_EQ(read.entries, GetParam().entries);
  EXPECT_EQ(read.damaged, GetParam().damaged);
}

const std::string kOwnRecord =
    std::string(1, static_cast<char>(sizeof(kProgramPath) - 1)) + kProgramPath;

INSTANTIATE_TEST_SUITE_P(
    Files, ListReadTest,
    ::testing::Values(
        FileCase{"MatchingChecksum",
                 ListKind::Danger,
                 "\x03"
                 "123\x02"
                 "45",
                 {"123", "45"},
                 {"123", "45"},
                 false},
        FileCase{"ChangedEntry",
                 ListKind::Danger,
                 "\x03"
                 "123\x02"
                 "46",
                 {"123", "45"},
                 {"123", "46"},
                 true},
        // A mask record longer than 64 bytes empties the list and ends the reading.
        FileCase{"FirstLength65StoredZero",
                 ListKind::Danger,
                 "\x41" + std::string(65, '1'),
                 {},
                 {},
                 false},
        FileCase{"FirstLength65StoredNonZero",
                 ListKind::Safe,
                 "\x41" + std::string(65, '1'),
                 {"1"},
                 {},
                 true},
        FileCase{"Length65AfterEntries",
                 ListKind::Safe,
                 "\x01"
                 "1\x41" +
                     std::string(65, '2') +
                     "\x01"
                     "3",
                 {},
                 {},
                 false},
        // Paths may be longer than masks.
        FileCase{"PathOf65",
                 ListKind::Permit,
                 "\x41" + std::string(65, 'p'),
                 {std::string(65, 'p')},
                 {std::string(65, 'p')},
                 false},
        // Cut inside a record: the part is kept and the list is damaged even though the
        // checksum matches what was read.
        FileCase{"CutInsideRecord",
                 ListKind::Danger,
                 "\x03"
                 "123\x05"
                 "45",
                 {"123", "45"},
                 {"123", "45"},
                 true},
        FileCase{"CutAfterLengthByte",
                 ListKind::Deny,
                 std::string("\x02"
                             "ab\x09"),
                 {"ab"},
                 {"ab"},
                 true},
        // A zero-length record adds nothing.
        FileCase{"ZeroLengthRecord",
                 ListKind::Danger,
                 std::string("\x00\x02"
                             "12",
                             4),
                 {"12"},
                 {"12"},
                 false},
        // An empty entry saved by a writer that kept it: the checksum counts its CR LF.
        FileCase{"EmptyEntrySaved",
                 ListKind::Safe,
                 std::string("\x02"
                             "12\x00\x02"
                             "34",
                             7),
                 {"12", "", "34"},
                 {"12", "34"},
                 true},
        FileCase{"PolishBytes",
                 ListKind::Permit,
                 std::string(1, static_cast<char>(kPolishPath.size())) + kPolishPath,
                 {kPolishPath},
                 {kPolishPath},
                 false},
        // The program's own path is never loaded into the path lists.
        FileCase{"OwnPathInPermitList",
                 ListKind::Permit,
                 kOwnRecord + "\x03"
                              "a.x",
                 {kProgramPath, "a.x"},
                 {"a.x"},
                 true},
        FileCase{"OwnPathInDenyList", ListKind::Deny, kOwnRecord, {kProgramPath}, {}, true},
        FileCase{"EmptyFile", ListKind::Deny, "", {}, {}, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ListFileTest, ListFromAnotherMachineIsDamaged) {
  ASSERT_TRUE(SaveList(ListKind::Danger, Storage("OTHER-MACHINE"), {"0700*"}));
  ListReadResult read = ReadList(ListKind::Danger, Storage());
  EXPECT_EQ(read.entries, std::vector<std::string>{"0700*"});
  EXPECT_TRUE(read.damaged);
}

TEST_F(ListFileTest, ChecksumOfAnotherTypeIsDamage) {
  WriteFile(ListKind::Danger, "");
  registry_.PutString(Hive::CurrentUser, kSettingsKey, "CRClwda", "0");
  EXPECT_TRUE(ReadList(ListKind::Danger, Storage()).damaged);
}

TEST_F(ListFileTest, FileThatCannotBeOpenedIsDamaged) {
  std::filesystem::create_directory(PathOf(ListKind::Permit));
  EXPECT_TRUE(ReadList(ListKind::Permit, Storage()).damaged);
}

TEST_F(ListFileTest, SaveLeavesOutWhatCouldNotBeReadBack) {
  ASSERT_TRUE(SaveList(ListKind::Safe, Storage(), {"1", "", std::string(65, '2'), "3"}));
  EXPECT_EQ(FileBytes(ListKind::Safe),
            "\x01"
            "1\x01"
            "3");
  ASSERT_TRUE(SaveList(ListKind::Permit, Storage(), {kProgramPath, std::string(256, 'p'), "a.x"}));
  EXPECT_EQ(FileBytes(ListKind::Permit),
            "\x03"
            "a.x");

  for (ListKind kind : {ListKind::Safe, ListKind::Permit}) {
    EXPECT_FALSE(ReadList(kind, Storage()).damaged);
  }
}

TEST_F(ListFileTest, FailedSaveKeepsOldFileAndChecksum) {
  ASSERT_TRUE(SaveList(ListKind::Danger, Storage(), {"0700*"}));
  const std::string old_bytes = FileBytes(ListKind::Danger);
  const auto old_checksum = StoredChecksum(ListKind::Danger);
  // The file cannot be written: its temporary name is taken by a directory.
  std::filesystem::create_directory(PathOf(ListKind::Danger).string() + ".tmp");

  EXPECT_FALSE(SaveList(ListKind::Danger, Storage(), {"0300*", "0400*"}));
  EXPECT_EQ(FileBytes(ListKind::Danger), old_bytes);
  EXPECT_EQ(StoredChecksum(ListKind::Danger), old_checksum);
  EXPECT_FALSE(ReadList(ListKind::Danger, Storage()).damaged);
}

TEST_F(ListFileTest, SaveIntoMissingDirectoryWritesNothing) {
  ListStorage storage = Storage();
  storage.dir /= "missing";
  EXPECT_FALSE(SaveList(ListKind::Deny, storage, {"a.x"}));
  EXPECT_FALSE(StoredChecksum(ListKind::Deny).has_value());
}

TEST_F(ListFileTest, ReadReplacesTheCallersListNotAppends) {
  ASSERT_TRUE(SaveList(ListKind::Danger, Storage(), {"1"}));
  ASSERT_TRUE(SaveList(ListKind::Danger, Storage(), {"2"}));
  EXPECT_EQ(ReadList(ListKind::Danger, Storage()).entries, std::vector<std::string>{"2"});
}

struct AppendCase {
  ListKind kind;
  std::string entry;
  bool stored;
};

void PrintTo(const AppendCase& c, std::ostream* os) {
  *os << InfoOf(c.kind).file << ", " << c.entry.size() << " bytes";
}

class AppendListEntryTest : public ::testing::TestWithParam<AppendCase> {};

TEST_P(AppendListEntryTest, RefusesEntriesThatCannotBeStored) {
  std::vector<std::string> list{"first"};
  EXPECT_EQ(CanStoreListEntry(GetParam().kind, GetParam().entry), GetParam().stored);
  EXPECT_EQ(AppendListEntry(GetParam().kind, list, GetParam().entry), GetParam().stored);
  EXPECT_EQ(list.size(), GetParam().stored ? 2u : 1u);
  if (GetParam().stored) {
    EXPECT_EQ(list.back(), GetParam().entry);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Entries, AppendListEntryTest,
    ::testing::Values(AppendCase{ListKind::Danger, "", false},
                      AppendCase{ListKind::Danger, std::string(64, '1'), true},
                      AppendCase{ListKind::Danger, std::string(65, '1'), false},
                      AppendCase{ListKind::Safe, std::string(65, '1'), false},
                      AppendCase{ListKind::Permit, std::string(65, 'p'), true},
                      AppendCase{ListKind::Permit, std::string(255, 'p'), true},
                      AppendCase{ListKind::Permit, std::string(256, 'p'), false},
                      AppendCase{ListKind::Deny, "", false},
                      AppendCase{ListKind::Deny, std::string(256, 'p'), false}));

}  // namespace
}  // namespace lw
