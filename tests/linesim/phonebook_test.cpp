#include "linesim/phonebook.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace lw::linesim {
namespace {

using Names = std::vector<std::string>;
using namespace std::string_view_literals;

constexpr char kHome[] =
    "[Dom]\r\n"
    "PhoneNumber=5550100\r\n"
    "AreaCode=22\r\n"
    "CountryCode=48\r\n"
    "CountryID=48\r\n"
    "UseCountryAndAreaCodes=1\r\n"
    "DEVICE=modem\r\n"
    "LineSimUser=jan\r\n"
    "LineSimPassword=tajne\r\n";

TEST(Phonebook, ReadsEveryKeyOfAnEntry) {
  const Phonebook book = Phonebook::Parse(kHome);
  EXPECT_EQ(book.EntryNames(), Names{"Dom"});
  const auto entry = book.Find("Dom");
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->name, "Dom");
  EXPECT_EQ(entry->phone_number, "5550100");
  EXPECT_EQ(entry->area_code, "22");
  EXPECT_EQ(entry->country_code, 48u);
  EXPECT_EQ(entry->country_id, 48u);
  EXPECT_TRUE(entry->use_country_and_area_codes);
  EXPECT_EQ(entry->device_type, "modem");
  EXPECT_EQ(entry->user, "jan");
  EXPECT_EQ(entry->password, "tajne");
  EXPECT_EQ(DialledNumber(*entry), "+48 (22) 5550100");
}

TEST(Phonebook, EmptyTextIsAnEmptyPhonebook) {
  const Phonebook book = Phonebook::Parse("");
  EXPECT_TRUE(book.EntryNames().empty());
  EXPECT_FALSE(book.Find("Dom"));
  EXPECT_EQ(book.Serialize(), "");
}

TEST(Phonebook, MissingKeysTakeTheirDefaults) {
  const auto entry = Phonebook::Parse("[Bare]\n").Find("Bare");
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->phone_number, "");
  EXPECT_EQ(entry->area_code, "");
  EXPECT_EQ(entry->country_code, kDefaultCountry);
  EXPECT_EQ(entry->country_id, kDefaultCountry);
  EXPECT_FALSE(entry->use_country_and_area_codes);
  EXPECT_EQ(entry->device_type, "modem");
  EXPECT_EQ(entry->user, "");
  EXPECT_EQ(DialledNumber(*entry), "");
}

TEST(Phonebook, BadNumbersTakeTheDefault) {
  const auto entry =
      Phonebook::Parse("[X]\nCountryCode=4x8\nCountryID=99999999999\nUseCountryAndAreaCodes=yes\n")
          .Find("X");
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->country_code, kDefaultCountry);
  EXPECT_EQ(entry->country_id, kDefaultCountry);
  EXPECT_FALSE(entry->use_country_and_area_codes);
}

TEST(Phonebook, KeysAndNamesIgnoreCaseAndBlanks) {
  const Phonebook book = Phonebook::Parse("  [Biuro]\nphonenumber = 0202122 \ndevice=isdn\n");
  const auto entry = book.Find("BIURO");
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->name, "Biuro");
  EXPECT_EQ(entry->phone_number, "0202122");
  EXPECT_EQ(entry->device_type, "isdn");
}

TEST(Phonebook, LongValuesAreCutToTheirFields) {
  const std::string text = "[" + std::string(300, 'n') + "]\nPhoneNumber=" + std::string(500, '1') +
                           "\nAreaCode=" + std::string(40, '2') +
                           "\nDEVICE=" + std::string(40, 'd') +
                           "\nLineSimUser=" + std::string(400, 'u') + "\n";
  const Phonebook book = Phonebook::Parse(text);
  const Names names = book.EntryNames();
  ASSERT_EQ(names.size(), 1u);
  EXPECT_EQ(names[0], std::string(kMaxEntryName, 'n'));
  const auto entry = book.Find(names[0]);
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->phone_number, std::string(kMaxPhoneNumber, '1'));
  EXPECT_EQ(entry->area_code, std::string(kMaxAreaCode, '2'));
  EXPECT_EQ(entry->device_type, std::string(kMaxDeviceType, 'd'));
  EXPECT_EQ(entry->user, std::string(kMaxUserName, 'u'));
}

TEST(Phonebook, LineEndsOfEveryKindAndNoFinalLineEnd) {
  const Phonebook crlf = Phonebook::Parse("[A]\r\nPhoneNumber=1\r\n[B]\r\nPhoneNumber=2");
  const Phonebook lf = Phonebook::Parse("[A]\nPhoneNumber=1\n[B]\nPhoneNumber=2");
  for (const Phonebook* book : {&crlf, &lf}) {
    EXPECT_EQ(book->EntryNames(), (Names{"A", "B"}));
    EXPECT_EQ(book->Find("A")->phone_number, "1");
    EXPECT_EQ(book->Find("B")->phone_number, "2");
  }
}

TEST(Phonebook, FirstSectionAndFirstKeyOfANameCount) {
  const Phonebook book =
      Phonebook::Parse("[Dup]\nPhoneNumber=1\nPhoneNumber=9\n[Other]\n[dup]\nPhoneNumber=2\n");
  EXPECT_EQ(book.EntryNames(), (Names{"Dup", "Other"}));
  EXPECT_EQ(book.Find("dup")->phone_number, "1");
}

TEST(Phonebook, SectionsThatAreNoEntriesAreKeptButNotListed) {
  const std::string text = "[]\n[Ctl\x01]\n[Ok]\n";
  const Phonebook book = Phonebook::Parse(text);
  EXPECT_EQ(book.EntryNames(), Names{"Ok"});
  EXPECT_EQ(Phonebook::Parse(book.Serialize()).Serialize(), book.Serialize());
  EXPECT_NE(book.Serialize().find("[Ctl\x01]"), std::string::npos);
}

TEST(Phonebook, BinaryGarbageReadsWithoutHarm) {
  std::mt19937 random(20261210);
  std::string text;
  for (int i = 0; i < 200000; ++i) text.push_back(static_cast<char>(random()));
  text += "\n[Good]\nPhoneNumber=12\0 34\n"sv;
  const Phonebook book = Phonebook::Parse(text);
  const Names names = book.EntryNames();
  ASSERT_FALSE(names.empty());
  for (const std::string& name : names) EXPECT_TRUE(book.Find(name)) << name;
  const auto good = book.Find("Good");
  ASSERT_TRUE(good);
  EXPECT_EQ(good->phone_number, "12");
  // What is written reads back as the same phonebook.
  EXPECT_EQ(Phonebook::Parse(book.Serialize()).EntryNames(), names);
}

TEST(Phonebook, OnlyTheFirstMegabytesAreRead) {
  std::string text;
  while (text.size() < kMaxPhonebookBytes) text += std::string(1023, 'x') + "\n";
  text += "[Late]\n";
  EXPECT_TRUE(Phonebook::Parse(text).EntryNames().empty());
}

TEST(Phonebook, RewriteKeepsUnknownKeysSectionsAndLines) {
  const std::string text =
      "; written by hand\n"
      "[Dom]\n"
      "Encoding=1\n"
      "PhoneNumber=5550100\n"
      "Unknown=value\n"
      "not a key line\n"
      "\n"
      "[Strange Section] ; note\n"
      "Whatever=1\n";
  Phonebook book = Phonebook::Parse(text);
  Entry entry = *book.Find("Dom");
  entry.phone_number = "5550199";
  entry.user = "ola";
  ASSERT_TRUE(book.Put(entry));
  EXPECT_EQ(book.Serialize(),
            "; written by hand\r\n"
            "[Dom]\r\n"
            "Encoding=1\r\n"
            "PhoneNumber=5550199\r\n"
            "Unknown=value\r\n"
            "not a key line\r\n"
            "AreaCode=\r\n"
            "CountryCode=48\r\n"
            "CountryID=48\r\n"
            "UseCountryAndAreaCodes=0\r\n"
            "DEVICE=modem\r\n"
            "LineSimUser=ola\r\n"
            "\r\n"
            "[Strange Section] ; note\r\n"
            "Whatever=1\r\n");
  EXPECT_EQ(book.EntryNames(), (Names{"Dom", "Strange Section"}));
}

TEST(Phonebook, NewEntryIsAppendedAfterABlankLineAndReadsBack) {
  Phonebook book = Phonebook::Parse("[First]\nPhoneNumber=1");
  Entry entry;
  entry.name = "Drugi wpis";
  entry.phone_number = "0202122";
  entry.area_code = "22";
  entry.country_code = 420;
  entry.country_id = 420;
  entry.use_country_and_area_codes = true;
  entry.device_type = "isdn";
  entry.user = "u";
  entry.password = "p";
  ASSERT_TRUE(book.Put(entry));
  const std::string text = book.Serialize();
  EXPECT_NE(text.find("PhoneNumber=1\r\n\r\n[Drugi wpis]\r\n"), std::string::npos) << text;
  const Phonebook again = Phonebook::Parse(text);
  EXPECT_EQ(again.EntryNames(), (Names{"First", "Drugi wpis"}));
  EXPECT_EQ(again.Find("drugi WPIS"), entry);
  EXPECT_EQ(DialledNumber(entry), "+420 (22) 0202122");
}

TEST(Phonebook, ValuesAreCutAtLineBreaksWhenWritten) {
  Phonebook book;
  Entry entry;
  entry.name = "Safe";
  entry.phone_number = "123\r\n[Injected]";
  entry.password = std::string(300, 'p');
  ASSERT_TRUE(book.Put(entry));
  const Phonebook again = Phonebook::Parse(book.Serialize());
  EXPECT_EQ(again.EntryNames(), Names{"Safe"});
  EXPECT_EQ(again.Find("Safe")->phone_number, "123");
  EXPECT_EQ(again.Find("Safe")->password, std::string(kMaxPassword, 'p'));
}

TEST(Phonebook, RemoveTakesEverySectionOfTheName) {
  Phonebook book = Phonebook::Parse("[A]\n[B]\n[a]\nPhoneNumber=3\n");
  EXPECT_TRUE(book.Remove("A"));
  EXPECT_EQ(book.EntryNames(), Names{"B"});
  EXPECT_FALSE(book.Remove("A"));
  EXPECT_EQ(book.Serialize(), "[B]\r\n");
}

TEST(Phonebook, RenameKeepsTheKeys) {
  Phonebook book = Phonebook::Parse(kHome);
  EXPECT_FALSE(book.Rename("Nope", "X"));
  EXPECT_FALSE(book.Rename("Dom", ".5550100"));
  ASSERT_TRUE(book.Rename("dom", "Praca"));
  EXPECT_EQ(book.EntryNames(), Names{"Praca"});
  EXPECT_EQ(book.Find("Praca")->password, "tajne");
  EXPECT_FALSE(book.Find("Dom"));
}

TEST(Phonebook, EntryNameRules) {
  EXPECT_TRUE(IsValidEntryName("Dom"));
  EXPECT_TRUE(
      IsValidEntryName("Po\xB3\xB9"
                       "czenie [2]"));
  EXPECT_TRUE(IsValidEntryName(std::string(kMaxEntryName, 'x')));
  EXPECT_FALSE(IsValidEntryName(""));
  EXPECT_FALSE(IsValidEntryName("   "));
  EXPECT_FALSE(IsValidEntryName(".0202122"));
  EXPECT_FALSE(IsValidEntryName("a\nb"));
  EXPECT_FALSE(IsValidEntryName(std::string(kMaxEntryName + 1, 'x')));
  Phonebook book;
  Entry entry;
  entry.name = "";
  EXPECT_FALSE(book.Put(entry));
  EXPECT_EQ(book.Serialize(), "");
}

TEST(Phonebook, ByteOrderMarkIsKept) {
  const Phonebook book = Phonebook::Parse("\xEF\xBB\xBF[Dom]\r\n");
  EXPECT_EQ(book.EntryNames(), Names{"Dom"});
  EXPECT_EQ(book.Serialize(), "\xEF\xBB\xBF[Dom]\r\n");
}

}  // namespace
}  // namespace lw::linesim
