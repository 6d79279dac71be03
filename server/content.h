#pragma once
// The content folder the service answers from, read from the disk at every request so that
// what is put there is offered at once:
//
//   update/larkwatch.exe        the installer offered to clients
//   update/version.txt          its version, the first line (see versions.h)
//   dialparams/<Country>.txt    dial parameters for clients of that country
//   dialparams/default.txt      for any other country
//   addons/                     the add-on catalogue: the clients' root folder "LarkWatch"
//   addons/.../<name>.dll       an add-on library; <name>.txt beside it holds its description
//                               (first line), <name>.ver its version (first line)
//
// Names that come from clients must pass IsSafeName before they are joined to a path here, so
// that no request reaches outside the folder. Names found in the catalogue are checked too:
// an entry the clients could not be told about correctly (see the answers' key rule in
// answer.h) is left out of every answer, and logged.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace lw::server {

// Where problems with the content are reported: one line each, without a line end. Called from
// the threads of several connections at once.
using Log = std::function<void(std::string_view line)>;

// What a small text file may be at most; the service reads only first lines and short lists.
inline constexpr std::size_t kMaxSmallFile = 64 * 1024;

// The first line of a text: up to its first CR or LF.
std::string_view FirstLine(std::string_view text);

struct DialParameters {
  std::optional<std::string> number;
  std::optional<std::string> user;
  std::optional<std::string> password;
};

// Lines "key=value" (blanks around the key are ignored, the value is taken as it is); the first
// line of each key counts, other lines are ignored.
DialParameters ParseDialParameters(std::string_view text);

// An add-on library of the catalogue.
struct Library {
  // The file name without ".dll".
  std::string name;
  std::filesystem::path file;
  std::string description;
  std::string version;
};

struct CatalogueFolder {
  // Both sorted by name in byte order.
  std::vector<std::string> folders;
  std::vector<Library> libraries;
};

// A library's version when it has no .ver file.
inline constexpr std::string_view kDefaultLibraryVersion = "1.0";

class ContentFolder {
 public:
  ContentFolder(std::filesystem::path root, Log log);

  const std::filesystem::path& root() const { return root_; }

  std::filesystem::path InstallerPath() const;
  bool HasInstaller() const;
  // The version the installer is offered as: the first line of version.txt when the installer
  // is there too and the line is a version (anything else is logged and offers nothing).
  std::optional<std::string> OfferedVersion() const;

  // The dial parameters for a country (a safe name, or empty for none): its own file, else the
  // default one; nothing when neither can be read.
  std::optional<DialParameters> DialParametersFor(std::string_view country) const;

  // The catalogue folder below the root folder reached through components (each a safe name);
  // nothing when it is not a folder of the catalogue.
  std::optional<CatalogueFolder> ListFolder(const std::vector<std::string>& components) const;
  // The first library of that name (ASCII letters without regard to case) anywhere in the
  // catalogue. The walk takes a folder's own libraries before its sub-folders, both in the
  // order of their names, and goes depth first.
  std::optional<Library> FindLibrary(std::string_view name) const;

  // Says what is wrong with the content as a whole (a missing folder, a version that cannot be
  // offered); the service calls it once at its start.
  void CheckAtStart() const;

  // A folder by its device and inode, so that a link back to a folder already walked is not
  // walked again.
  using FolderIdentity = std::pair<uint64_t, uint64_t>;

 private:
  std::optional<Library> FindIn(const std::filesystem::path& folder, std::string_view name,
                                int depth, std::set<FolderIdentity>& walked) const;
  std::optional<CatalogueFolder> ReadFolder(const std::filesystem::path& folder) const;
  std::optional<std::string> VersionText() const;

  std::filesystem::path root_;
  Log log_;
};

// Whether a name found in the catalogue may be sent: a safe name without '&', '=' or '|'.
bool IsCatalogueName(std::string_view name);
// The same for a folder's name, which also comes before the "items" key in a listing.
bool IsCatalogueFolderName(std::string_view name);

}  // namespace lw::server
