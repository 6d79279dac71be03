#include "common/format.h"

#include <charconv>

namespace lw {

namespace {

// Flags, width and precision that may stand between '%' and the conversion. The built-in texts
// use none; they are skipped so that such a text is still recognised for what it is.
bool IsModifier(char c) {
  return c == '-' || c == '+' || c == ' ' || c == '#' || c == '.' || (c >= '0' && c <= '9');
}

char KindOf(char conversion) {
  switch (conversion) {
    case 's':
      return 's';
    case 'i':
    case 'd':
    case 'u':
      return 'i';
    default:
      return '?';
  }
}

template <typename Args>
std::string Format(std::string_view format, const Args& args) {
  std::string out;
  out.reserve(format.size() + 64);
  auto next = args.begin();
  for (std::size_t i = 0; i < format.size(); ++i) {
    char c = format[i];
    if (c != '%') {
      out += c;
      continue;
    }
    if (i + 1 < format.size() && format[i + 1] == '%') {
      out += '%';
      ++i;
      continue;
    }
    std::size_t j = i + 1;
    while (j < format.size() && IsModifier(format[j])) ++j;
    if (j >= format.size() || KindOf(format[j]) == '?') {
      // Not a conversion we know: keep the text as it stands.
      out.append(format.substr(i, j - i));
      i = j - 1;
      continue;
    }
    char kind = KindOf(format[j]);
    i = j;
    if (next == args.end()) continue;
    const FormatArg& arg = *next++;
    if (kind == 's') {
      if (const auto* text = std::get_if<std::string_view>(&arg)) out.append(*text);
    } else if (const auto* number = std::get_if<int64_t>(&arg)) {
      char buffer[24];
      auto result = std::to_chars(buffer, buffer + sizeof buffer, *number);
      out.append(buffer, result.ptr);
    }
  }
  return out;
}

}  // namespace

std::string PlaceholderKinds(std::string_view format) {
  std::string kinds;
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%') continue;
    if (i + 1 < format.size() && format[i + 1] == '%') {
      ++i;
      continue;
    }
    std::size_t j = i + 1;
    while (j < format.size() && IsModifier(format[j])) ++j;
    kinds += j < format.size() ? KindOf(format[j]) : '?';
    i = j < format.size() ? j : format.size();
  }
  return kinds;
}

std::string FormatText(std::string_view format, std::initializer_list<FormatArg> args) {
  return Format(format, args);
}

std::string FormatText(std::string_view format, const std::vector<FormatArg>& args) {
  return Format(format, args);
}

}  // namespace lw
