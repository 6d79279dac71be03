#include "net/update_run.h"

#include <utility>

#include "common/format.h"

namespace lw {
namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::optional<std::string> SignatureBytes(std::string_view hex) {
  if (hex.size() != 128) return std::nullopt;
  std::string bytes;
  for (std::size_t i = 0; i < hex.size(); i += 2) {
    const int high = HexValue(hex[i]);
    const int low = HexValue(hex[i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    bytes.push_back(static_cast<char>(high * 16 + low));
  }
  return bytes;
}

UpdateRun::UpdateRun(UpdatePorts ports, UpdateIdentity identity, std::filesystem::path folder,
                     std::function<bool()> stop_requested)
    : p_(ports),
      identity_(std::move(identity)),
      files_{folder / "lwupd.dat", folder / "lwupdv.dat"},
      stop_requested_(std::move(stop_requested)),
      client_(kUpdateCopy, ports.transport, ports.spool, ports.clock, stop_requested_) {}

void UpdateRun::StoreDialParams(const std::string& answer) {
  if (!p_.registry.CreateKey(Hive::CurrentUser, kSettingsKey)) return;
  // A key the answer lacks is stored as an empty text.
  for (const auto& [key, value_name] : {std::pair{"number", "LWNo"}, std::pair{"user", "LWUser"},
                                        std::pair{"password", "LWPass"}}) {
    const std::string value = AnswerValue(kUpdateCopy, answer, key).value_or("");
    p_.registry.WriteString(Hive::CurrentUser, kSettingsKey, value_name, value);
  }
}

UpdateRun::Outcome UpdateRun::Execute() {
  // A failed exchange ends the run at any step; in particular, stored dial parameters are
  // never overwritten with empty texts because an answer did not arrive.
  const std::optional<std::string> params =
      client_.Exchange(kUpdatePath, "give=dialparams&country=" + identity_.country);
  if (!params) return Outcome::kNoAnswer;
  StoreDialParams(*params);

  const std::optional<std::string> info = client_.Exchange(
      kUpdatePath, "give=info&name=larkwatch&ver=" + identity_.version +
                       "&country=" + identity_.country + "&language=" + identity_.language);
  if (!info) return Outcome::kNoAnswer;
  if (AnswerValue(kUpdateCopy, *info, "ver") != "old") return Outcome::kNoUpdate;
  const int64_t expected_checksum =
      LeadingNumber(AnswerValue(kUpdateCopy, *info, "crc").value_or(""));
  // Without the new version's name a download could not be told from another one's part.
  const std::string version = AnswerValue(kUpdateCopy, *info, "new").value_or("");
  if (version.empty()) return Outcome::kNoUpdate;
  const std::optional<std::string> signature =
      SignatureBytes(AnswerValue(kUpdateCopy, *info, "sig").value_or(""));

  const std::optional<ResumePoint> resume = DecideResume(files_, version);
  if (!resume) return Outcome::kCannotStore;
  p_.notifier.ShowInfo(
      FormatText(p_.messages.Text(kNewVersionMessage), {std::string_view(resume->MarkerText())}),
      kNewVersionImage);

  const std::string body = "give=file&name=larkwatch&country=" + identity_.country +
                           "&language=" + identity_.language + "&version=" + version +
                           "&resume=" + std::to_string(resume->offset);
  if (Stopping()) return Outcome::kStopped;
  if (!client_.ConnectToServer()) return Outcome::kNoAnswer;
  client_.PostForm(kUpdatePath, body);
  if (!ReceiveInto(client_, files_, *resume)) return Outcome::kCannotStore;
  if (Stopping()) return Outcome::kStopped;

  // The signature is checked only after the cheap checksum agrees, and before anything starts.
  const bool verified =
      XorChecksum(files_.part) == expected_checksum && signature &&
      p_.signature.Verify(
          files_.part,
          std::span(reinterpret_cast<const uint8_t*>(signature->data()), signature->size()));
  if (!verified) {
    Discard(files_);
    return Outcome::kDiscarded;
  }
  p_.starter.StartMinimised(files_.part);
  return Outcome::kStarted;
}

}  // namespace lw
