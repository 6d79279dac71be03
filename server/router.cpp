#include "server/router.h"

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "server/text_rules.h"
#include "server/versions.h"

namespace lw::server {
namespace {

std::string_view ValueOr(const Form& form, std::string_view name) {
  return FormValue(form, name).value_or(std::string_view());
}

// Names joined by LF, without a trailing one.
std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) {
    if (!text.empty()) text.push_back('\n');
    text.append(line);
  }
  return text;
}

Answer BadName() { return ErrorAnswer(400, "bad name"); }

}  // namespace

uint64_t ResumeOffset(const Form& form) {
  return ParseDecimal(ValueOr(form, "resume")).value_or(0);
}

Router::Router(const ContentFolder& content, FileFacts& facts) : content_(content), facts_(facts) {}

RoutedAnswer Router::Route(const RequestParser& parser) const {
  switch (parser.state()) {
    case RequestParser::State::kComplete:
      return Route(parser.request());
    case RequestParser::State::kFailed:
      return {ErrorAnswer(parser.error().status, parser.error().text), {}};
    case RequestParser::State::kNeedMore:
      break;
  }
  return {ErrorAnswer(400, "incomplete request"), {}};
}

RoutedAnswer Router::Route(const HttpRequest& request) const {
  const bool update = request.path == kUpdatePath;
  if (!update && request.path != kAddonsPath) return {ErrorAnswer(404, "not found"), {}};
  if (request.method != "POST") {
    RoutedAnswer routed{ErrorAnswer(405, "only POST is answered"), {}};
    routed.answer.extra_headers.emplace_back("Allow", "POST");
    return routed;
  }
  const Form form = ParseForm(request.body);
  RoutedAnswer routed;
  routed.give = std::string(ValueOr(form, "give"));
  routed.answer = update ? Update(form) : Addons(form);
  return routed;
}

Answer Router::Update(const Form& form) const {
  const std::string_view give = ValueOr(form, "give");
  if (give == "dialparams") return DialParameters(form);
  if (give == "info") return UpdateInfo(form);
  if (give == "file") return UpdateFile(form);
  return ErrorAnswer(400, "unknown give");
}

Answer Router::Addons(const Form& form) const {
  const std::string_view give = ValueOr(form, "give");
  if (give == "ext_list") return CatalogueList(form);
  if (give == "info") return LibraryInfo(form);
  if (give == "file") return LibraryFile(form);
  if (give == "regno") return LibraryRegistration(form);
  return ErrorAnswer(400, "unknown give");
}

Answer Router::DialParameters(const Form& form) const {
  const std::string_view country = ValueOr(form, "country");
  if (!country.empty() && !IsSafeName(country)) return BadName();
  const std::optional<lw::server::DialParameters> parameters = content_.DialParametersFor(country);
  if (!parameters) return TextAnswer({});
  // number, user, password: "number" holds neither later key and "user" not "password"; a
  // value that holds a later key would hide it, so such a value is left out.
  std::vector<std::pair<std::string_view, std::string_view>> pairs;
  if (parameters->number && FitsBefore(*parameters->number, {"user", "password"})) {
    pairs.emplace_back("number", *parameters->number);
  }
  if (parameters->user && FitsBefore(*parameters->user, {"password"})) {
    pairs.emplace_back("user", *parameters->user);
  }
  if (parameters->password && FitsBefore(*parameters->password, {})) {
    pairs.emplace_back("password", *parameters->password);
  }
  return TextAnswer(KeyValueText(pairs));
}

Answer Router::UpdateInfo(const Form& form) const {
  // "ver" is found first, at the front; "crc", "new" and "sig" are not inside "ver=old&", and
  // the offered version is digits and dots.
  const std::optional<std::string> offered = content_.OfferedVersion();
  if (!offered || !IsOlderVersion(ValueOr(form, "ver"), *offered)) {
    return TextAnswer("ver=current");
  }
  const std::optional<SignedFacts> facts = facts_.Signed(content_.InstallerPath());
  if (!facts) return ErrorAnswer(500, "the update cannot be signed");
  const std::string crc = std::to_string(facts->byte_checksum);
  const std::string signature = LowerHex(facts->signature);
  return TextAnswer(
      KeyValueText({{"ver", "old"}, {"crc", crc}, {"new", *offered}, {"sig", signature}}));
}

Answer Router::UpdateFile(const Form& form) const {
  if (!content_.HasInstaller()) return ErrorAnswer(404, "no update");
  return FileAnswer(content_.InstallerPath(), ResumeOffset(form));
}

Answer Router::CatalogueList(const Form& form) const {
  std::string_view path = ValueOr(form, "path");
  std::vector<std::string> components;
  bool first = true;
  bool in_catalogue = true;
  while (true) {
    const std::size_t end = path.find('\\');
    const std::string_view component = path.substr(0, end);
    if (first) {
      in_catalogue = EqualsIgnoringCase(component, kCatalogueRoot);
      first = false;
    } else if (!component.empty()) {
      // Empty components ("LarkWatch\Tools\") name no folder and are passed over.
      if (!IsSafeName(component)) return BadName();
      components.emplace_back(component);
    }
    if (end == std::string_view::npos) break;
    path.remove_prefix(end + 1);
  }
  if (!in_catalogue) return TextAnswer({});
  const std::optional<CatalogueFolder> folder = content_.ListFolder(components);
  if (!folder || (folder->folders.empty() && folder->libraries.empty())) return TextAnswer({});
  // Folder names hold no "items" (IsCatalogueFolderName), so "items" is found at its key.
  std::vector<std::string> items;
  for (const Library& library : folder->libraries) {
    items.push_back(library.description + "|" + library.name);
  }
  const std::string folders = Lines(folder->folders);
  const std::string lines = Lines(items);
  return TextAnswer(KeyValueText({{"folders", folders}, {"items", lines}}));
}

Answer Router::LibraryInfo(const Form& form) const {
  const std::optional<Library> library = content_.FindLibrary(ValueOr(form, "ext"));
  if (!library) return TextAnswer("status=n");
  // The checksum and the signature from one read of the library, signed as the installer is.
  const std::optional<SignedFacts> facts = facts_.Signed(library->file);
  if (!facts) return TextAnswer("status=n");
  // "sig" is not inside "status=a&crc=X&ver=V&" (the version holds no "&"); the description
  // comes last: it may hold any of the other keys' names ("version").
  const std::string crc_text = std::to_string(facts->byte_checksum);
  const std::string signature = LowerHex(facts->signature);
  return TextAnswer(KeyValueText({{"status", "a"},
                                  {"crc", crc_text},
                                  {"ver", library->version},
                                  {"sig", signature},
                                  {"desc", library->description}}));
}

Answer Router::LibraryFile(const Form& form) const {
  const std::optional<Library> library = content_.FindLibrary(ValueOr(form, "name"));
  if (!library) return ErrorAnswer(404, "no such add-on");
  return FileAnswer(library->file, ResumeOffset(form));
}

Answer Router::LibraryRegistration(const Form& form) const {
  const std::optional<Library> library = content_.FindLibrary(ValueOr(form, "ext"));
  const uint32_t checksum = library ? facts_.ExtensionChecksumOf(library->file) : 0;
  // The clients read the number as a signed 32-bit one.
  return TextAnswer("regno=" + std::to_string(static_cast<int32_t>(checksum)));
}

}  // namespace lw::server
