#include "server/content.h"

#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <system_error>
#include <utility>

#include "server/answer.h"
#include "server/text_rules.h"
#include "server/versions.h"

namespace lw::server {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kLibrarySuffix = ".dll";
// Deeper folders than this are not walked: a link loop must not make a search endless.
constexpr int kMaxCatalogueDepth = 16;

bool IsRegularFile(const fs::path& path) {
  std::error_code error;
  return fs::is_regular_file(path, error);
}

bool IsDirectory(const fs::path& path) {
  std::error_code error;
  return fs::is_directory(path, error);
}

// At most kMaxSmallFile bytes of a regular file; nothing when there is no such file.
std::optional<std::string> ReadSmallFile(const fs::path& path) {
  if (!IsRegularFile(path)) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string text(kMaxSmallFile, '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  text.resize(static_cast<std::size_t>(in.gcount()));
  return text;
}

std::optional<std::string> ReadFirstLine(const fs::path& path) {
  std::optional<std::string> text = ReadSmallFile(path);
  if (!text) return std::nullopt;
  return std::string(FirstLine(*text));
}

bool EndsWithIgnoringCase(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() &&
         EqualsIgnoringCase(text.substr(text.size() - suffix.size()), suffix);
}

std::optional<ContentFolder::FolderIdentity> IdentityOf(const fs::path& folder) {
  struct stat facts {};
  if (stat(folder.c_str(), &facts) != 0) return std::nullopt;
  return ContentFolder::FolderIdentity{static_cast<uint64_t>(facts.st_dev),
                                       static_cast<uint64_t>(facts.st_ino)};
}

}  // namespace

std::string_view FirstLine(std::string_view text) {
  return text.substr(0, text.find_first_of("\r\n"));
}

DialParameters ParseDialParameters(std::string_view text) {
  DialParameters parameters;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    std::string_view key = line.substr(0, equals);
    while (!key.empty() && (key.front() == ' ' || key.front() == '\t')) key.remove_prefix(1);
    while (!key.empty() && (key.back() == ' ' || key.back() == '\t')) key.remove_suffix(1);
    const std::string_view value = line.substr(equals + 1);
    std::optional<std::string>* slot = nullptr;
    if (key == "number") slot = &parameters.number;
    if (key == "user") slot = &parameters.user;
    if (key == "password") slot = &parameters.password;
    if (slot != nullptr && !*slot) *slot = std::string(value);
  }
  return parameters;
}

bool IsCatalogueName(std::string_view name) {
  return IsSafeName(name) && name.find_first_of("&=|") == std::string_view::npos;
}

bool IsCatalogueFolderName(std::string_view name) {
  return IsCatalogueName(name) && name.find("items") == std::string_view::npos;
}

ContentFolder::ContentFolder(std::filesystem::path root, Log log)
    : root_(std::move(root)), log_(std::move(log)) {}

fs::path ContentFolder::InstallerPath() const { return root_ / "update" / "larkwatch.exe"; }

bool ContentFolder::HasInstaller() const { return IsRegularFile(InstallerPath()); }

std::optional<std::string> ContentFolder::VersionText() const {
  return ReadFirstLine(root_ / "update" / "version.txt");
}

std::optional<std::string> ContentFolder::OfferedVersion() const {
  if (!HasInstaller()) return std::nullopt;
  std::optional<std::string> version = VersionText();
  if (!version) return std::nullopt;
  if (!IsOfferedVersion(*version)) {
    log_("update/version.txt: \"" + version->substr(0, 40) +
         "\" is not a version of at most 9 characters; the update is not offered");
    return std::nullopt;
  }
  return version;
}

std::optional<DialParameters> ContentFolder::DialParametersFor(std::string_view country) const {
  const fs::path folder = root_ / "dialparams";
  std::optional<std::string> text;
  if (!country.empty() && IsSafeName(country)) {
    text = ReadSmallFile(folder / (std::string(country) + ".txt"));
  }
  if (!text) text = ReadSmallFile(folder / "default.txt");
  if (!text) return std::nullopt;
  return ParseDialParameters(*text);
}

std::optional<CatalogueFolder> ContentFolder::ReadFolder(const fs::path& folder) const {
  std::error_code error;
  fs::directory_iterator entries(folder, error);
  if (error) return std::nullopt;
  CatalogueFolder listing;
  const auto left_out = [&](const fs::path& path, std::string_view why) {
    std::error_code ignored;
    log_("catalogue: left out " + fs::relative(path, root_, ignored).string() + ": " +
         std::string(why));
  };
  for (; entries != fs::directory_iterator(); entries.increment(error)) {
    const fs::path& path = entries->path();
    const std::string name = path.filename().string();
    // Hidden entries, and the description and version files, are no entries of their own.
    if (name.empty() || name.front() == '.') continue;
    if (IsDirectory(path)) {
      if (IsCatalogueFolderName(name)) {
        listing.folders.push_back(name);
      } else {
        left_out(path, "a folder name with '&', '=', '|', \"items\" or a control character");
      }
      continue;
    }
    if (!EndsWithIgnoringCase(name, kLibrarySuffix) || !IsRegularFile(path)) continue;
    Library library;
    library.name = name.substr(0, name.size() - kLibrarySuffix.size());
    library.file = path;
    if (!IsCatalogueName(library.name)) {
      left_out(path, "a name with '&', '=', '|' or a control character");
      continue;
    }
    const fs::path base = folder / library.name;
    library.description = ReadFirstLine(fs::path(base).concat(".txt")).value_or(library.name);
    if (!FitsBefore(library.description, {}) ||
        library.description.find('=') != std::string::npos) {
      left_out(path, "a description with '&', '=' or a control character");
      continue;
    }
    library.version = ReadFirstLine(fs::path(base).concat(".ver")).value_or("");
    if (library.version.empty()) library.version = kDefaultLibraryVersion;
    // The version comes before the signature and the description in an answer, so it must
    // hold neither "sig" nor "desc".
    if (library.version.size() > kMaxVersionLength ||
        !FitsBefore(library.version, {"sig", "desc"}) ||
        library.version.find('=') != std::string::npos) {
      left_out(path,
               "a version longer than 9 characters, or with '&', '=', \"sig\", \"desc\" or a "
               "control character");
      continue;
    }
    listing.libraries.push_back(std::move(library));
  }
  if (error) return std::nullopt;
  std::sort(listing.folders.begin(), listing.folders.end());
  std::sort(listing.libraries.begin(), listing.libraries.end(),
            [](const Library& a, const Library& b) { return a.name < b.name; });
  return listing;
}

std::optional<CatalogueFolder> ContentFolder::ListFolder(
    const std::vector<std::string>& components) const {
  fs::path folder = root_ / "addons";
  for (const std::string& component : components) {
    // Only folders a listing shows can be opened: the others are left out of the catalogue.
    if (!IsCatalogueFolderName(component)) return std::nullopt;
    folder /= component;
  }
  if (!IsDirectory(folder)) return std::nullopt;
  return ReadFolder(folder);
}

std::optional<Library> ContentFolder::FindLibrary(std::string_view name) const {
  if (!IsCatalogueName(name)) return std::nullopt;
  std::set<FolderIdentity> walked;
  return FindIn(root_ / "addons", name, 0, walked);
}

std::optional<Library> ContentFolder::FindIn(const fs::path& folder, std::string_view name,
                                             int depth, std::set<FolderIdentity>& walked) const {
  const std::optional<FolderIdentity> identity = IdentityOf(folder);
  if (!identity || !walked.insert(*identity).second || depth > kMaxCatalogueDepth) {
    return std::nullopt;
  }
  std::optional<CatalogueFolder> listing = ReadFolder(folder);
  if (!listing) return std::nullopt;
  for (Library& library : listing->libraries) {
    if (EqualsIgnoringCase(library.name, name)) return std::move(library);
  }
  for (const std::string& sub_folder : listing->folders) {
    if (std::optional<Library> found = FindIn(folder / sub_folder, name, depth + 1, walked)) {
      return found;
    }
  }
  return std::nullopt;
}

void ContentFolder::CheckAtStart() const {
  for (const char* folder : {"update", "dialparams", "addons"}) {
    if (!IsDirectory(root_ / folder)) log_(std::string("content: no folder ") + folder);
  }
  if (HasInstaller() && !VersionText()) {
    log_("update/version.txt: missing; the update is not offered");
  }
  // Logs a version that cannot be offered.
  OfferedVersion();
}

}  // namespace lw::server
