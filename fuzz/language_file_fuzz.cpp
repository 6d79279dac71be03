// Any file in the program's folder named *.lng: read and applied without harm, and no message
// ever ends up with other placeholders than its built-in text, so every later use of a message
// as a format gets exactly the arguments it expects.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "common/codec.h"
#include "common/format.h"
#include "config/control_texts.h"
#include "config/language_file.h"
#include "config/messages.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const lw::Cp1250Codec codec;
  lw::MessageTable messages;
  lw::ControlTexts controls;
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  lw::ApplyLanguage(lw::ParseLanguageFile(bytes, codec), messages, controls);
  for (int line = 135; line <= 257; ++line) {
    const std::string text = messages.Text(line);
    if (lw::PlaceholderKinds(text) != lw::PlaceholderKinds(lw::MessageTable::BuiltIn(line))) {
      std::abort();
    }
  }
  return 0;
}
