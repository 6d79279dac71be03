#include "net/addons_run.h"

#include <memory>
#include <optional>
#include <system_error>
#include <utility>

#include "common/file_open.h"
#include "common/format.h"
#include "common/text.h"

namespace lw {
namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// The value of key, or nothing when the answer does not hold the key with a "=" after it. The
// add-ons copy gives "0" then, which must not be taken for a folder or an add-on called "0".
std::optional<std::string> PresentValue(std::string_view answer, std::string_view key) {
  const std::size_t at = answer.find(key);
  if (at == std::string_view::npos || answer.find('=', at + key.size()) == std::string_view::npos) {
    return std::nullopt;
  }
  return AnswerValue(kAddonsCopy, answer, key);
}

// A file name formed from a name in the ANSI code page.
std::filesystem::path NamePath(const AnsiCodec& codec, std::string_view name,
                               std::string_view suffix) {
  const std::string utf8 = codec.ToUtf8(name) + std::string(suffix);
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

}  // namespace

bool IsPlainAddonName(std::string_view name) {
  if (name.empty() || name.size() > 200 || name.front() == '.') return false;
  for (char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) return false;
    if (c == '\\' || c == '/' || c == ':' || c == '&' || c == '=' || c == '|' || c == ' ') {
      return false;
    }
  }
  return true;
}

std::vector<std::string> TodoNames(std::string_view text) {
  std::vector<std::string> names;
  std::size_t pos = 0;
  while (pos < text.size()) {
    while (pos < text.size() && IsBlank(text[pos])) ++pos;
    const std::size_t start = pos;
    while (pos < text.size() && !IsBlank(text[pos])) ++pos;
    if (pos > start) names.emplace_back(text.substr(start, pos - start));
  }
  return names;
}

std::string TodoText(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) {
    if (name.empty()) continue;
    text += name;
    text += "\r\n";
  }
  return text;
}

std::vector<std::string> ReadTodoList(const std::filesystem::path& file) {
  File in(OpenFile(file, "rb"));
  if (!in) return {};
  std::string text;
  char block[4096];
  for (;;) {
    const std::size_t count = std::fread(block, 1, sizeof block, in.get());
    text.append(block, count);
    if (count < sizeof block) break;
  }
  return TodoNames(text);
}

bool WriteTodoList(const std::filesystem::path& file, const std::vector<std::string>& names) {
  File out(OpenFile(file, "wb"));
  if (!out) return false;
  const std::string text = TodoText(names);
  const bool written = std::fwrite(text.data(), 1, text.size(), out.get()) == text.size();
  return std::fclose(out.release()) == 0 && written;
}

void MarkChosen(std::vector<CatalogueItem>& items, const std::vector<std::string>& names,
                const AnsiCodec& codec) {
  for (const std::string& name : names) {
    for (CatalogueItem& item : items) {
      if (codec.EqualsIgnoreCase(item.name, name)) item.chosen = true;
    }
  }
}

std::vector<std::string> ChosenNames(const std::vector<const std::vector<CatalogueItem>*>& lists) {
  std::vector<std::string> names;
  for (const std::vector<CatalogueItem>* items : lists) {
    if (items == nullptr) continue;
    for (const CatalogueItem& item : *items) {
      if (item.chosen && !item.name.empty()) names.push_back(item.name);
    }
  }
  return names;
}

std::vector<std::string> ValueLines(std::string_view value) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start <= value.size()) {
    std::size_t end = value.find('\n', start);
    if (end == std::string_view::npos) end = value.size();
    if (end > start) lines.emplace_back(value.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

CatalogueFolder ParseCatalogue(std::string_view answer) {
  CatalogueFolder folder;
  if (answer.empty()) {
    folder.empty = true;
    return folder;
  }
  if (const std::optional<std::string> folders = PresentValue(answer, "folders")) {
    folder.folders = ValueLines(*folders);
  }
  if (const std::optional<std::string> items = PresentValue(answer, "items")) {
    for (const std::string& line : ValueLines(*items)) {
      const std::size_t bar = line.rfind('|');
      if (bar == std::string::npos) continue;
      folder.items.push_back({line.substr(0, bar), line.substr(bar + 1), false});
    }
  }
  return folder;
}

int32_t RegisteredChecksum(std::string_view value) { return IntegerOr(value, 0); }

AddonsRun::AddonsRun(AddonsPorts ports, std::string language, std::filesystem::path folder,
                     std::function<bool()> stop_requested, std::function<void()> reload_requested)
    : p_(ports),
      language_(std::move(language)),
      folder_(std::move(folder)),
      stop_requested_(std::move(stop_requested)),
      reload_requested_(std::move(reload_requested)),
      client_(kAddonsCopy, ports.transport, ports.spool, ports.clock, stop_requested_) {}

PartialDownload AddonsRun::DownloadFiles(const std::string& name) const {
  return {folder_ / "tmp" / NamePath(p_.codec, name, "~upd.dat"),
          folder_ / "tmp" / NamePath(p_.codec, name, "~updv.dat")};
}

std::filesystem::path AddonsRun::LibraryFile(const std::string& name) const {
  return folder_ / "extensions" / NamePath(p_.codec, name, ".dll");
}

void AddonsRun::MakeFolders() const {
  std::error_code ignored;
  std::filesystem::create_directory(folder_ / "extensions", ignored);
  std::filesystem::create_directory(folder_ / "tmp", ignored);
}

CatalogueFolder AddonsRun::Browse(std::string_view path) {
  MakeFolders();
  if (path.empty()) return {};
  const std::string answer = client_
                                 .Exchange(kAddonsPath, "give=ext_list&path=" + std::string(path) +
                                                            "&language=" + language_)
                                 .value_or("");
  CatalogueFolder folder = ParseCatalogue(answer);
  // An item that could not be installed safely is not offered.
  std::erase_if(folder.items,
                [](const CatalogueItem& item) { return !IsPlainAddonName(item.name); });
  MarkChosen(folder.items, ReadTodoList(folder_ / kTodoListFile), p_.codec);
  return folder;
}

bool AddonsRun::RegisterChecksum(const std::string& name) {
  // Without an answer the text is empty and 0 is stored: the library stays unloaded until a
  // later refresh reaches the service.
  const std::string answer =
      client_.Exchange(kAddonsPath, "give=regno&ext=" + name + "&language=" + language_)
          .value_or("");
  const int32_t checksum =
      RegisteredChecksum(AnswerValue(kAddonsCopy, answer, "regno").value_or(""));
  if (p_.registry.CreateKey(Hive::CurrentUser, kExtensionsKey)) {
    p_.registry.WriteDword(Hive::CurrentUser, kExtensionsKey, name,
                           static_cast<uint32_t>(checksum));
  }
  if (checksum != 0 && reload_requested_) reload_requested_();
  return checksum != 0;
}

bool AddonsRun::InstallOne(const std::string& name) {
  const std::string info =
      client_.Exchange(kAddonsPath, "give=info&ext=" + name + "&language=" + language_)
          .value_or("");
  if (AnswerValue(kAddonsCopy, info, "status") != "a") return false;
  const std::string description = AnswerValue(kAddonsCopy, info, "desc").value_or("");
  const int64_t expected_checksum =
      LeadingNumber(AnswerValue(kAddonsCopy, info, "crc").value_or(""));
  // The add-on's version names its part in the marker file.
  const std::string version = AnswerValue(kAddonsCopy, info, "ver").value_or("");
  const std::optional<std::string> signature =
      SignatureBytes(AnswerValue(kAddonsCopy, info, "sig").value_or(""));

  const PartialDownload files = DownloadFiles(name);
  const std::optional<ResumePoint> resume = DecideResume(files, version);
  if (!resume) return false;
  p_.notifier.ShowInfo(FormatText(p_.messages.Text(kAddonDownloadMessage),
                                  {std::string_view(p_.codec.ToUtf8(description))}),
                       kAddonImage);

  const std::string body = "give=file&name=" + name + "&language=" + language_ +
                           "&resume=" + std::to_string(resume->offset);
  if (Stopping()) return false;
  if (!client_.ConnectToServer()) return false;
  client_.PostForm(kAddonsPath, body);
  if (!ReceiveInto(client_, files, *resume)) return false;
  if (Stopping()) return false;

  // A library is code the program loads: like the installer, it must carry the service's
  // signature, checked only after the cheap checksum agrees. A failed check is treated as a
  // damaged download.
  const bool verified =
      XorChecksum(files.part) == expected_checksum && signature &&
      p_.signature.Verify(files.part, std::span(reinterpret_cast<const uint8_t*>(signature->data()),
                                                signature->size()));
  if (!verified) {
    Discard(files);
    return false;
  }
  std::error_code error;
  std::filesystem::copy_file(files.part, LibraryFile(name),
                             std::filesystem::copy_options::overwrite_existing, error);
  return !error;
}

AddonsRun::InstallResult AddonsRun::Install() {
  MakeFolders();
  InstallResult result;
  const std::filesystem::path list = folder_ / kTodoListFile;
  std::error_code error;
  if (!std::filesystem::is_regular_file(list, error)) return result;
  for (const std::string& name : ReadTodoList(list)) {
    // A name that is not plain can never be installed: it is dropped without a request.
    if (!IsPlainAddonName(name)) continue;
    if (std::filesystem::exists(LibraryFile(name), error)) continue;
    // Once the program is closing, what is left stays pending for a later run.
    if (Stopping() || !InstallOne(name)) {
      result.pending.push_back(name);
      continue;
    }
    RegisterChecksum(name);
    p_.notifier.ShowInfo(FormatText(p_.messages.Text(kAddonInstalledMessage),
                                    {std::string_view(p_.codec.ToUtf8(name))}),
                         kAddonImage);
    result.installed.push_back(name);
  }
  if (result.pending.empty()) std::filesystem::remove(list, error);
  return result;
}

void AddonsRun::RefreshChecksums(const std::vector<std::string>& base_names) {
  MakeFolders();
  for (const std::string& name : base_names) {
    if (Stopping()) return;
    if (!IsPlainAddonName(name)) continue;
    RegisterChecksum(name);
  }
}

}  // namespace lw
