#pragma once
// Downloads that survive interruptions. The content is appended to a part file across runs; a
// 10-byte marker file names the version the part belongs to, so that a later run offered the
// same version asks only for the rest, and a run offered another version starts afresh. The
// program's installer and each add-on library are downloaded this way.

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "net/form_post.h"

namespace lw {

inline constexpr std::size_t kMarkerSize = 10;

struct PartialDownload {
  std::filesystem::path part;
  std::filesystem::path marker;
};

struct ResumePoint {
  // The resume offset the server is asked for.
  uint64_t offset = 0;
  // The version text of the download, padded with zero bytes (at most 9 characters of it).
  std::array<char, kMarkerSize> marker{};

  std::string MarkerText() const;
};

// The resume decision. The part file is opened for appending (created when missing) and its
// size is the offset; the offset is kept only when the marker file holds a non-empty text equal
// to version, otherwise it becomes 0, the part file is deleted and the marker takes the version.
// Nothing when the part file cannot be opened.
std::optional<ResumePoint> DecideResume(const PartialDownload& files, std::string_view version);

// Receives the answer of a download request that has been posted, appending its content to
// the part file, and closes the connection. When the server did not end the answer in order
// (a stop request, a receive error, a time limit), the marker is written so that a later run
// resumes. False when the part file could not be opened: nothing is received then.
bool ReceiveInto(FormPostClient& client, const PartialDownload& files, const ResumePoint& resume);

// The exclusive or of all bytes of the file (0 to 255); 0 when it cannot be opened.
int XorChecksum(const std::filesystem::path& file);

// Deletes the part file and the marker file.
void Discard(const PartialDownload& files);

// The leading decimal digits of text as a number: none give 0, a value beyond 32 bits gives
// the largest 32-bit value.
int64_t LeadingNumber(std::string_view text);

}  // namespace lw
