#include "driver_common.h"

#include <cstdio>
#include <cwchar>

#include "common/win/wide.h"

namespace lw::e2e {

void PrintLine(std::string_view utf8) {
  std::fwrite(utf8.data(), 1, utf8.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

void PrintError(std::string_view utf8) {
  std::fputs("lwdriver: ", stderr);
  std::fwrite(utf8.data(), 1, utf8.size(), stderr);
  std::fputc('\n', stderr);
  std::fflush(stderr);
}

std::string Utf8(std::wstring_view wide) { return Narrow(wide); }

std::string Escape(std::wstring_view text) {
  std::wstring out;
  for (wchar_t c : text) {
    switch (c) {
      case L'\r':
        out += L"\\r";
        break;
      case L'\n':
        out += L"\\n";
        break;
      case L'\t':
        out += L"\\t";
        break;
      default:
        out += c;
    }
  }
  return Utf8(out);
}

std::string HandleText(HWND window) {
  char text[32];
  std::snprintf(text, sizeof text, "0x%llx",
                static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(window)));
  return text;
}

std::wstring WindowsPath(std::wstring_view path) {
  std::wstring out(path);
  if (!out.empty() && out[0] == L'/') {
    for (wchar_t& c : out) {
      if (c == L'/') c = L'\\';
    }
    out = L"Z:" + out;
  }
  return out;
}

std::optional<uint64_t> ParseNumber(std::wstring_view text) {
  int base = 10;
  if (text.size() > 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty() || text.size() > 19) return std::nullopt;
  uint64_t value = 0;
  for (wchar_t c : text) {
    int digit;
    if (c >= L'0' && c <= L'9') {
      digit = c - L'0';
    } else if (base == 16 && c >= L'a' && c <= L'f') {
      digit = c - L'a' + 10;
    } else if (base == 16 && c >= L'A' && c <= L'F') {
      digit = c - L'A' + 10;
    } else {
      return std::nullopt;
    }
    if (digit >= base) return std::nullopt;
    value = value * base + digit;
  }
  return value;
}

std::optional<uint64_t> Args::Number(std::wstring_view name, uint64_t fallback) const {
  const auto found = values.find(std::wstring(name));
  if (found == values.end()) return fallback;
  std::optional<uint64_t> value = ParseNumber(found->second);
  if (!value) PrintError(Utf8(name) + " takes a number, not " + Utf8(found->second));
  return value;
}

std::optional<std::wstring> Args::Value(std::wstring_view name) const {
  const auto found = values.find(std::wstring(name));
  if (found == values.end()) return std::nullopt;
  return found->second;
}

std::optional<Args> ParseArgs(int argc, wchar_t** argv, int first,
                              std::initializer_list<std::wstring_view> valued,
                              std::initializer_list<std::wstring_view> flags) {
  Args args;
  const auto listed = [](std::initializer_list<std::wstring_view> names, std::wstring_view arg) {
    for (std::wstring_view name : names) {
      if (name == arg) return true;
    }
    return false;
  };
  for (int i = first; i < argc; ++i) {
    const std::wstring_view arg = argv[i];
    if (listed(valued, arg)) {
      if (i + 1 >= argc) {
        PrintError(Utf8(arg) + " needs a value");
        return std::nullopt;
      }
      args.values[std::wstring(arg)] = argv[++i];
    } else if (listed(flags, arg)) {
      args.flags.insert(std::wstring(arg));
    } else if (arg.size() > 2 && arg.substr(0, 2) == L"--") {
      PrintError("unknown option " + Utf8(arg));
      return std::nullopt;
    } else {
      args.positional.emplace_back(arg);
    }
  }
  return args;
}

}  // namespace lw::e2e
