#pragma once
// The add-on service: the maker's catalogue of extension libraries, browsed folder by folder,
// the chosen add-ons downloaded into "extensions" and registered by their checksums, and the
// stored checksums of the installed libraries refreshed. Every exchange uses the add-ons copy
// of the form-post client against "/addons.php".
//
// A run does one piece of work on the calling thread (a worker thread in the program): one
// browse, one installation of the names in todolist.txt, or one checksum refresh. Everything
// outside goes through ports, as in the update run. An add-on library, like the program's
// installer, is kept only when both its exclusive-or checksum and the service's signature over
// it (made with the program update's key) agree.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/clock.h"
#include "common/codec.h"
#include "config/messages.h"
#include "config/registry.h"
#include "net/download.h"
#include "net/form_post.h"
#include "net/online_ports.h"
#include "net/update_run.h"
#include "notify/notifier.h"

namespace lw {

// The list of chosen add-ons, in the program's current directory.
inline constexpr std::string_view kTodoListFile = "todolist.txt";

// The notices of an installation: "Pobrałem rozszrzenie (%s)" with the name when an add-on is
// installed, "Pobieram nowe rozszerzenie programu:\r\n%s" with its description when its
// download starts; both with the download arrow of the main image list.
inline constexpr int kAddonInstalledMessage = 136;
inline constexpr int kAddonDownloadMessage = 137;
inline constexpr int kAddonImage = 9;

// The service's texts (folder names, descriptions, add-on names) are bytes of the system's ANSI
// code page, as the names in todolist.txt and the registry's value names are; they are kept as
// they came and sent back so. The codec turns them into UTF-8 for windows and notices.

// One add-on of a catalogue folder.
struct CatalogueItem {
  std::string description;  // shown in the column "Opis"
  std::string name;         // the library's base name, shown in the column "Nazwa"
  bool chosen = false;      // marked for download

  bool operator==(const CatalogueItem&) const = default;
};

// What a browse of one catalogue folder found.
struct CatalogueFolder {
  // The service gave an empty answer (or none): the folder has no children.
  bool empty = false;
  // The subfolders' names, in the order of the answer.
  std::vector<std::string> folders;
  // The add-ons, in the order of the answer.
  std::vector<CatalogueItem> items;
};

// ---- todolist.txt ----

// The names of a list's text, read word by word (names hold no blanks).
std::vector<std::string> TodoNames(std::string_view text);
// The text of a list: each non-empty name and CR LF.
std::string TodoText(const std::vector<std::string>& names);
// The names of the list file; none when it is missing.
std::vector<std::string> ReadTodoList(const std::filesystem::path& file);
// Writes the list file anew with the names; false when it cannot be written.
bool WriteTodoList(const std::filesystem::path& file, const std::vector<std::string>& names);
// Marks every item whose name is one of names, without regard to letter case.
void MarkChosen(std::vector<CatalogueItem>& items, const std::vector<std::string>& names,
                const AnsiCodec& codec);
// The names of the chosen items with a name, in order: what "&Pobierz" writes, item lists given
// in the tree's order.
std::vector<std::string> ChosenNames(const std::vector<const std::vector<CatalogueItem>*>& lists);

// ---- the answers ----

// The pieces of a value cut at each LF, the last piece running to the end. Empty pieces are
// dropped: a value that ends in LF gives no empty name, and neither does an empty value.
std::vector<std::string> ValueLines(std::string_view value);

// The folder an "ext_list" answer describes. The add-ons copy of the client gives "0" for a key
// the answer lacks; an answer without "folders" (or without "items") has no folders (items),
// rather than one folder (item) called "0". A line of "items" is a description, "|" and a name,
// split at the line's last "|"; a line without "|" names no add-on and is skipped.
CatalogueFolder ParseCatalogue(std::string_view answer);

// The checksum of a "regno" value: a signed 32-bit decimal (a checksum of 2^31 or more arrives
// as its negative two's complement); anything else, an empty text included, gives 0.
int32_t RegisteredChecksum(std::string_view value);

// ---- the runs ----

struct AddonsPorts : OnlinePorts {
  const AnsiCodec& codec;
};

// An add-on's name becomes file names in "extensions" and "tmp" and a value of the forms sent to
// the service: only a plain name is taken, so that no name from the catalogue or from a changed
// todolist.txt can reach outside those folders or change a form. Plain: 1 to 200 bytes, no
// path separator, drive colon, control character, '&', '=', '|' or blank, and not starting
// with '.'.
bool IsPlainAddonName(std::string_view name);

class AddonsRun {
 public:
  // language: English country name of the language of the program's version resource (of the
  // system's default locale when that has none). folder: the program's current directory, where
  // todolist.txt, "extensions" and "tmp" are. stop_requested: the program is closing (may be
  // empty). reload_requested: a non-zero checksum was stored, so the extensions are to be loaded
  // again (any thread; may be empty).
  AddonsRun(AddonsPorts ports, std::string language, std::filesystem::path folder,
            std::function<bool()> stop_requested, std::function<void()> reload_requested);

  void SetService(ServiceAddress service) { client_.SetService(std::move(service)); }

  // One catalogue folder, by its path ("LarkWatch\Narzędzia"). An empty path asks nothing and
  // finds nothing (the folder is not marked empty either). The items named in todolist.txt come
  // back chosen.
  CatalogueFolder Browse(std::string_view path);

  struct InstallResult {
    // The names of the list not installed, in order.
    std::vector<std::string> pending;
    // The names installed by this run, in order.
    std::vector<std::string> installed;
  };
  // Installs every name of todolist.txt whose library is not in "extensions" yet; the list is
  // deleted once nothing of it is pending. Nothing happens without a list.
  InstallResult Install();

  // Installs one add-on: info, the resumable download, the checks, the copy into "extensions".
  // True when the library is in place; its checksum is not registered yet.
  bool InstallOne(const std::string& name);

  // Asks for and stores the checksum of every base name, in order.
  void RefreshChecksums(const std::vector<std::string>& base_names);

  // The files of a name's download in "tmp", and its library in "extensions".
  PartialDownload DownloadFiles(const std::string& name) const;
  std::filesystem::path LibraryFile(const std::string& name) const;

  // No connection could be made at some point of the run.
  bool Finished() const { return client_.Finished(); }

 private:
  // "extensions" and "tmp", made at the start of every run.
  void MakeFolders() const;
  // Asks for a name's checksum and stores it; true when it is not 0.
  bool RegisterChecksum(const std::string& name);
  bool Stopping() const { return stop_requested_ && stop_requested_(); }

  AddonsPorts p_;
  std::string language_;
  std::filesystem::path folder_;
  std::function<bool()> stop_requested_;
  std::function<void()> reload_requested_;
  FormPostClient client_;
};

}  // namespace lw
