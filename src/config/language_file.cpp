#include "config/language_file.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "common/codec.h"
#include "common/utf8.h"

namespace lw {

namespace {

// Hands out the raw lines of a file one after another; none once the file is used up.
class LineReader {
 public:
  explicit LineReader(std::string_view bytes) : bytes_(bytes) {}

  std::optional<std::string_view> Next() {
    if (pos_ >= bytes_.size()) return std::nullopt;
    const std::size_t start = pos_;
    const std::size_t end = bytes_.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      pos_ = bytes_.size();
      return bytes_.substr(start);
    }
    // A CR takes the byte after it along, whatever that byte is.
    const std::size_t skip = bytes_[end] == '\r' ? 2 : 1;
    pos_ = std::min(end + skip, bytes_.size());
    return bytes_.substr(start, end - start);
  }

 private:
  std::string_view bytes_;
  std::size_t pos_ = 0;
};

std::string WithoutLabel(std::string text) {
  const std::size_t bar = text.find('|');
  if (bar != std::string::npos) text.erase(0, bar + 1);
  return text;
}

// The character an escape pair stands for; none when the pair is dropped.
std::optional<char> Unescaped(char32_t code) {
  switch (code) {
    case 'a':
      return '\a';
    case 'b':
      return '\b';
    case 'f':
      return '\f';
    case 'n':
      return '\n';
    case 'r':
      return '\r';
    case 't':
      return '\t';
    case 'v':
      return '\v';
    case '\\':
      return '\\';
    default:
      return std::nullopt;
  }
}

}  // namespace

std::string_view ParsedLanguage::Control(int line) const {
  if (line < kFirstControlLine || line > kLastControlLine) return {};
  return controls[static_cast<std::size_t>(line - kFirstControlLine)];
}

std::optional<std::string_view> ParsedLanguage::Message(int line) const {
  if (line < kFirstMessageLine || line > kLastMessageLine) return std::nullopt;
  const auto& text = messages[static_cast<std::size_t>(line - kFirstMessageLine)];
  if (!text) return std::nullopt;
  return std::string_view(*text);
}

std::string ReadMessageText(std::string_view text, std::size_t capacity) {
  std::string stored;
  std::size_t count = 0;  // characters stored, not bytes
  for (std::size_t pos = 0; pos < text.size();) {
    const Utf8Char ch = NextUtf8Char(text, pos);
    const std::string_view bytes = text.substr(pos, ch.length);
    pos += ch.length;
    // A backslash is a single byte in UTF-8, never part of a longer character.
    if (!stored.empty() && stored.back() == '\\') {
      stored.pop_back();
      --count;
      if (const std::optional<char> produced = ch.valid ? Unescaped(ch.code) : std::nullopt) {
        stored += *produced;
        ++count;
      }
      continue;
    }
    if (count >= capacity) break;
    stored += bytes;
    ++count;
  }
  if (!stored.empty() && stored.back() == '\\') stored.pop_back();
  return stored;
}

ParsedLanguage ParseLanguageFile(std::string_view bytes, const AnsiCodec& codec) {
  ParsedLanguage language;
  LineReader reader(bytes);
  for (int line = kFirstControlLine; line <= kLastMessageLine; ++line) {
    const std::optional<std::string_view> raw = reader.Next();
    if (!raw) break;
    std::string text = WithoutLabel(codec.ToUtf8(*raw));
    if (line <= kLastControlLine) {
      language.controls[static_cast<std::size_t>(line - kFirstControlLine)] = std::move(text);
    } else {
      language.messages[static_cast<std::size_t>(line - kFirstMessageLine)] =
          ReadMessageText(text, MessageTable::Capacity(line));
    }
  }
  return language;
}

void ApplyLanguage(const ParsedLanguage& language, MessageTable& messages, ControlTexts& controls) {
  for (int line = kFirstControlLine; line <= kLastControlLine; ++line) {
    controls.Set(line, std::string(language.Control(line)));
  }
  for (int line = kFirstMessageLine; line <= kLastMessageLine; ++line) {
    if (const std::optional<std::string_view> text = language.Message(line)) {
      messages.Set(line, std::string(*text));
    }
  }
}

bool ApplyLanguageFile(const std::string& path, const AnsiCodec& codec, MessageTable& messages,
                       ControlTexts& controls) {
  // Through a path built from UTF-8, so that a directory with letters outside the ANSI code page
  // still opens on Windows.
  const std::filesystem::path file(std::u8string(path.begin(), path.end()));
  std::error_code error;
  if (std::filesystem::is_directory(file, error)) return false;
  std::ifstream in(file, std::ios::binary);
  if (!in) return false;
  // A language file is some tens of kilobytes. Reading stops at a bound far above that, so a
  // huge file named *.lng cannot exhaust the memory; what lies beyond it counts as missing.
  std::string bytes;
  char chunk[64 * 1024];
  while (bytes.size() < kMaxLanguageFileBytes) {
    in.read(chunk, sizeof chunk);
    const std::size_t got = static_cast<std::size_t>(in.gcount());
    if (got == 0) break;
    bytes.append(chunk, std::min(got, kMaxLanguageFileBytes - bytes.size()));
  }
  ApplyLanguage(ParseLanguageFile(bytes, codec), messages, controls);
  return true;
}

std::string LanguageSearchPattern(std::string_view program_dir) {
  return std::string(program_dir) + "*.lng";
}

std::string LanguageCaption(std::string_view file_name) {
  return std::string(file_name.substr(0, file_name.find('.')));
}

std::string LanguageFilePath(std::string_view program_dir, std::string_view name) {
  return std::string(program_dir) + std::string(name) + ".lng";
}

}  // namespace lw
