#include "config/win/win_registry.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "fakes/fake_registry.h"

namespace lw {
namespace {

constexpr char kTestRoot[] = "Software\\LarkWatchTest";

// A key of its own under HKCU\Software\LarkWatchTest for each test, deleted with everything in
// it at the end.
class ScratchKey {
 public:
  ScratchKey() {
    std::random_device device;
    path_ = std::string(kTestRoot) + "\\" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(device());
  }
  ~ScratchKey() {
    RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, path_.c_str());
    // The common parent goes when no other test uses it.
    RegDeleteKeyA(HKEY_CURRENT_USER, kTestRoot);
  }
  const std::string& path() const { return path_; }

  // Writes a value as the raw API does, bypassing the adapter.
  void SetRaw(const char* name, DWORD type, const void* data, DWORD size) const {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size),
              ERROR_SUCCESS);
    RegCloseKey(key);
  }

 private:
  std::string path_;
};

class WinRegistryTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(registry.CreateKey(Hive::CurrentUser, key.path())); }
  RegValue<std::string> ReadString(const std::string& name) {
    return registry.ReadString(Hive::CurrentUser, key.path(), name);
  }
  RegValue<uint32_t> ReadDword(const std::string& name) {
    return registry.ReadDword(Hive::CurrentUser, key.path(), name);
  }

  ScratchKey key;
  WinRegistry registry;
};

TEST_F(WinRegistryTest, KeysAreCreatedWithTheirParentsAndFoundWithOrWithoutBackslashes) {
  const std::string child = key.path() + "\\A\\B";
  EXPECT_FALSE(registry.KeyExists(Hive::CurrentUser, child));
  EXPECT_TRUE(registry.CreateKey(Hive::CurrentUser, child + "\\"));
  EXPECT_TRUE(registry.KeyExists(Hive::CurrentUser, child));
  EXPECT_TRUE(registry.KeyExists(Hive::CurrentUser, child + "\\"));
  EXPECT_TRUE(registry.KeyExists(Hive::CurrentUser, "\\" + child));
  EXPECT_TRUE(registry.KeyExists(Hive::CurrentUser, key.path() + "\\A"));
  // Creating an existing key succeeds and keeps its values.
  ASSERT_TRUE(registry.WriteDword(Hive::CurrentUser, child, "V", 7));
  EXPECT_TRUE(registry.CreateKey(Hive::CurrentUser, child));
  EXPECT_EQ(registry.ReadDword(Hive::CurrentUser, child, "V").value, 7u);
}

TEST_F(WinRegistryTest, TheSystemsOwnKeysAreThere) {
  EXPECT_TRUE(registry.KeyExists(Hive::LocalMachine, "Software\\Microsoft\\Windows\\"));
  EXPECT_TRUE(registry.KeyExists(Hive::CurrentUser, "Software\\"));
}

TEST_F(WinRegistryTest, DwordsRoundTrip) {
  for (uint32_t value : {0u, 1u, 20u, 0x80000000u, 0xFFFFFFFFu}) {
    ASSERT_TRUE(registry.WriteDword(Hive::CurrentUser, key.path(), "Number", value));
    const RegValue<uint32_t> read = ReadDword("Number");
    EXPECT_EQ(read.status, RegStatus::Ok);
    EXPECT_EQ(read.value, value);
  }
}

TEST_F(WinRegistryTest, StringsRoundTripAsAnsiBytes) {
  // "Zażółć gęślą jaźń" in code page 1250.
  const std::string polish = "Za\xbf\xf3\xb3\xe6 g\xea\x9cl\xb9 ja\x9f\xf1";
  for (const std::string& text : {std::string(), std::string("C:\\Program Files\\x.exe"), polish}) {
    ASSERT_TRUE(registry.WriteString(Hive::CurrentUser, key.path(), "Text", text));
    const RegValue<std::string> read = ReadString("Text");
    EXPECT_EQ(read.status, RegStatus::Ok);
    EXPECT_EQ(read.value, text);
  }
  if (GetACP() == 1250) {
    // Stored as the text it stands for, so programs using the wide functions read it too.
    wchar_t wide[64] = L"";
    DWORD size = sizeof(wide);
    ASSERT_EQ(
        RegGetValueW(HKEY_CURRENT_USER, std::wstring(key.path().begin(), key.path().end()).c_str(),
                     L"Text", RRF_RT_REG_SZ, nullptr, wide, &size),
        ERROR_SUCCESS);
    EXPECT_STREQ(wide, L"Zażółć gęślą jaźń");
  }
}

TEST_F(WinRegistryTest, StringsOfAnyLength) {
  for (std::size_t length : {255u, 256u, 4095u, 4096u, 70000u, 300000u}) {
    std::string text(length, 'x');
    for (std::size_t i = 0; i < length; ++i) text[i] = static_cast<char>('a' + i % 26);
    ASSERT_TRUE(registry.WriteString(Hive::CurrentUser, key.path(), "Long", text));
    const RegValue<std::string> read = ReadString("Long");
    EXPECT_EQ(read.status, RegStatus::Ok);
    EXPECT_EQ(read.value, text) << length;
  }
}

TEST_F(WinRegistryTest, ExpandableStringsReadAsStringsUnexpanded) {
  const char text[] = "%SystemRoot%\\x";
  key.SetRaw("Expand", REG_EXPAND_SZ, text, sizeof(text));
  const RegValue<std::string> read = ReadString("Expand");
  EXPECT_EQ(read.status, RegStatus::Ok);
  EXPECT_EQ(read.value, "%SystemRoot%\\x");
  EXPECT_EQ(ReadDword("Expand").status, RegStatus::WrongType);
}

TEST_F(WinRegistryTest, StringsWithoutTerminatorOrWithInnerNulsAreCutSafely) {
  const char unterminated[] = {'a', 'b', 'c', 'd', 'e'};
  key.SetRaw("Open", REG_SZ, unterminated, sizeof(unterminated));
  EXPECT_EQ(ReadString("Open").value, "abcde");
  EXPECT_EQ(ReadString("Open").status, RegStatus::Ok);

  const char inner[] = {'a', 'b', '\0', 'c', 'd', '\0'};
  key.SetRaw("Inner", REG_SZ, inner, sizeof(inner));
  EXPECT_EQ(ReadString("Inner").value, "ab");

  key.SetRaw("Empty", REG_SZ, "", 0);
  const RegValue<std::string> empty = ReadString("Empty");
  EXPECT_EQ(empty.status, RegStatus::Ok);
  EXPECT_EQ(empty.value, "");

  // An odd length, unterminated, long.
  std::string long_open(5001, 'q');
  key.SetRaw("LongOpen", REG_SZ, long_open.data(), static_cast<DWORD>(long_open.size()));
  EXPECT_EQ(ReadString("LongOpen").value, long_open);
}

TEST_F(WinRegistryTest, WrongTypesAreReportedAsSuch) {
  const BYTE binary[] = {1, 2, 3, 4};
  key.SetRaw("Binary", REG_BINARY, binary, sizeof(binary));
  EXPECT_EQ(ReadString("Binary").status, RegStatus::WrongType);
  EXPECT_EQ(ReadDword("Binary").status, RegStatus::WrongType);

  const char multi[] = "a\0b\0";
  key.SetRaw("Multi", REG_MULTI_SZ, multi, sizeof(multi));
  EXPECT_EQ(ReadString("Multi").status, RegStatus::WrongType);

  const uint64_t qword = 5;
  key.SetRaw("Qword", REG_QWORD, &qword, sizeof(qword));
  EXPECT_EQ(ReadDword("Qword").status, RegStatus::WrongType);

  ASSERT_TRUE(registry.WriteDword(Hive::CurrentUser, key.path(), "Number", 1));
  ASSERT_TRUE(registry.WriteString(Hive::CurrentUser, key.path(), "Text", "1"));
  EXPECT_EQ(ReadString("Number").status, RegStatus::WrongType);
  EXPECT_EQ(ReadDword("Text").status, RegStatus::WrongType);
}

TEST_F(WinRegistryTest, DwordsOfAnotherSizeFail) {
  const BYTE two[] = {1, 2};
  key.SetRaw("Short", REG_DWORD, two, sizeof(two));
  EXPECT_EQ(ReadDword("Short").status, RegStatus::Failed);
  const BYTE eight[] = {1, 2, 3, 4, 5, 6, 7, 8};
  key.SetRaw("Long", REG_DWORD, eight, sizeof(eight));
  EXPECT_EQ(ReadDword("Long").status, RegStatus::Failed);
}

TEST_F(WinRegistryTest, MissingKeysAndValues) {
  const std::string absent = key.path() + "\\Absent";
  EXPECT_EQ(ReadDword("Nothing").status, RegStatus::Missing);
  EXPECT_EQ(ReadString("Nothing").status, RegStatus::Missing);
  EXPECT_EQ(registry.ReadDword(Hive::CurrentUser, absent, "X").status, RegStatus::Missing);
  EXPECT_EQ(registry.ReadString(Hive::CurrentUser, absent + "\\Deeper", "X").status,
            RegStatus::Missing);
}

TEST_F(WinRegistryTest, WritesCreateNoKey) {
  const std::string absent = key.path() + "\\Absent";
  EXPECT_FALSE(registry.WriteDword(Hive::CurrentUser, absent, "X", 1));
  EXPECT_FALSE(registry.WriteString(Hive::CurrentUser, absent, "X", "y"));
  EXPECT_FALSE(registry.DeleteValue(Hive::CurrentUser, absent, "X"));
  EXPECT_FALSE(registry.KeyExists(Hive::CurrentUser, absent));
}

TEST_F(WinRegistryTest, DeleteRemovesOnlyAnExistingValue) {
  ASSERT_TRUE(registry.WriteString(Hive::CurrentUser, key.path(), "LarkWatch", "C:\\a.exe"));
  EXPECT_TRUE(registry.DeleteValue(Hive::CurrentUser, key.path(), "LarkWatch"));
  EXPECT_EQ(ReadString("LarkWatch").status, RegStatus::Missing);
  EXPECT_FALSE(registry.DeleteValue(Hive::CurrentUser, key.path(), "LarkWatch"));
  EXPECT_TRUE(registry.KeyExists(Hive::CurrentUser, key.path()));
}

TEST_F(WinRegistryTest, NamesAndPathsIgnoreLetterCase) {
  ASSERT_TRUE(registry.WriteDword(Hive::CurrentUser, key.path(), "OnlySafe", 1));
  EXPECT_EQ(ReadDword("ONLYSAFE").value, 1u);
  EXPECT_EQ(ReadDword("onlysafe").status, RegStatus::Ok);
  ASSERT_TRUE(registry.WriteDword(Hive::CurrentUser, key.path(), "onlysafe", 0));
  EXPECT_EQ(ReadDword("OnlySafe").value, 0u);
  std::string upper = key.path();
  for (char& c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  EXPECT_EQ(registry.ReadDword(Hive::CurrentUser, upper, "OnlySafe").status, RegStatus::Ok);
  EXPECT_TRUE(registry.DeleteValue(Hive::CurrentUser, upper, "ONLYSAFE"));
  EXPECT_EQ(ReadDword("OnlySafe").status, RegStatus::Missing);
}

TEST_F(WinRegistryTest, TheDefaultValueHasTheEmptyName) {
  ASSERT_TRUE(registry.WriteString(Hive::CurrentUser, key.path(), "", "default"));
  EXPECT_EQ(ReadString("").value, "default");
}

TEST_F(WinRegistryTest, NamesWithANulNameNothing) {
  const std::string name("Ab\0c", 4);
  EXPECT_FALSE(registry.WriteDword(Hive::CurrentUser, key.path(), name, 1));
  EXPECT_FALSE(registry.WriteString(Hive::CurrentUser, key.path(), name, "x"));
  EXPECT_FALSE(registry.DeleteValue(Hive::CurrentUser, key.path(), name));
  EXPECT_EQ(registry.ReadDword(Hive::CurrentUser, key.path(), name).status, RegStatus::Failed);
  EXPECT_EQ(ReadString("Ab").status, RegStatus::Missing);
  EXPECT_EQ(registry.ReadDword(Hive::CurrentUser, key.path() + std::string("\0x", 2), "V").status,
            RegStatus::Failed);
}

TEST_F(WinRegistryTest, AStringIsStoredUpToItsFirstNul) {
  ASSERT_TRUE(
      registry.WriteString(Hive::CurrentUser, key.path(), "Text", std::string("ab\0cd", 5)));
  EXPECT_EQ(ReadString("Text").value, "ab");
}

// The same sequence through the port gives the same results from the system registry as from
// the fake that the core's tests use.
template <typename R>
class RegistryConformanceTest : public ::testing::Test {
 protected:
  R registry;
  ScratchKey key;
};

using Registries = ::testing::Types<WinRegistry, test::FakeRegistry>;
TYPED_TEST_SUITE(RegistryConformanceTest, Registries);

TYPED_TEST(RegistryConformanceTest, BehavesAlike) {
  Registry& r = this->registry;
  const std::string base = this->key.path();
  const std::string key = base + "\\LarkWatch\\";
  const Hive cu = Hive::CurrentUser;

  EXPECT_FALSE(r.KeyExists(cu, key));
  EXPECT_EQ(r.ReadDword(cu, key, "X").status, RegStatus::Missing);
  EXPECT_FALSE(r.WriteDword(cu, key, "X", 1));
  EXPECT_FALSE(r.WriteString(cu, key, "X", "1"));
  EXPECT_FALSE(r.DeleteValue(cu, key, "X"));
  EXPECT_FALSE(r.KeyExists(cu, key));

  EXPECT_TRUE(r.CreateKey(cu, key));
  EXPECT_TRUE(r.KeyExists(cu, key));
  EXPECT_TRUE(r.KeyExists(cu, base + "\\LARKWATCH"));
  EXPECT_EQ(r.ReadString(cu, key, "X").status, RegStatus::Missing);

  EXPECT_TRUE(r.WriteDword(cu, key, "InfoAppear", 1));
  EXPECT_TRUE(r.WriteString(cu, key, "WarningsTime", "10"));
  EXPECT_TRUE(r.WriteString(cu, key, "DefaultEntry", ""));
  EXPECT_EQ(r.ReadDword(cu, key, "infoappear").value, 1u);
  EXPECT_EQ(r.ReadString(cu, base + "\\larkwatch", "WARNINGSTIME").value, "10");
  EXPECT_EQ(r.ReadString(cu, key, "DefaultEntry").status, RegStatus::Ok);
  EXPECT_EQ(r.ReadString(cu, key, "DefaultEntry").value, "");
  EXPECT_EQ(r.ReadString(cu, key, "InfoAppear").status, RegStatus::WrongType);
  EXPECT_EQ(r.ReadDword(cu, key, "WarningsTime").status, RegStatus::WrongType);

  // Rewriting with another type replaces the value.
  EXPECT_TRUE(r.WriteDword(cu, key, "WarningsTime", 10));
  EXPECT_EQ(r.ReadDword(cu, key, "WarningsTime").value, 10u);

  EXPECT_TRUE(r.DeleteValue(cu, key, "INFOAPPEAR"));
  EXPECT_FALSE(r.DeleteValue(cu, key, "InfoAppear"));
  EXPECT_EQ(r.ReadDword(cu, key, "InfoAppear").status, RegStatus::Missing);
  // The parents of a created key exist.
  EXPECT_TRUE(r.KeyExists(cu, base));
}

}  // namespace
}  // namespace lw
