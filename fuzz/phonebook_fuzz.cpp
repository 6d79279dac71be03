// Any bytes as the simulated line's phonebook: read without harm, every listed entry found,
// and what is written reads back as the same phonebook, also after an entry is put, renamed
// and removed.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "linesim/phonebook.h"

namespace ls = lw::linesim;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  ls::Phonebook book = ls::Phonebook::Parse(text);
  const auto names = book.EntryNames();
  for (const std::string& name : names) {
    if (!book.Find(name)) std::abort();
  }
  const std::string written = book.Serialize();
  ls::Phonebook again = ls::Phonebook::Parse(written);
  if (again.EntryNames() != names || again.Serialize() != written) std::abort();

  // The input's first line as an entry's texts.
  const std::string_view first = text.substr(0, text.find('\n'));
  ls::Entry entry;
  entry.name = "Fuzz entry";
  entry.phone_number = std::string(first);
  entry.area_code = std::string(first);
  entry.device_type = std::string(first);
  entry.user = std::string(first);
  entry.password = std::string(first);
  if (!again.Put(entry)) std::abort();
  const auto stored = ls::Phonebook::Parse(again.Serialize()).Find(entry.name);
  if (!stored || stored->phone_number.size() > ls::kMaxPhoneNumber ||
      stored->area_code.size() > ls::kMaxAreaCode ||
      stored->device_type.size() > ls::kMaxDeviceType) {
    std::abort();
  }
  if (!again.Rename(entry.name, "Renamed") || again.Find(entry.name)) std::abort();
  if (!again.Remove("Renamed") || again.Contains("Renamed")) std::abort();
  return 0;
}
