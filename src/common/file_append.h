#pragma once
// Appends bytes to a file, opened for this one write and closed again, creating it when it is
// missing. The whole buffer goes in one write at the end of the file, so that records from
// several writers never mix. False when the file cannot be opened or written.

#include <string>
#include <string_view>

namespace lw {

bool AppendToFile(const std::string& path, std::string_view bytes);

}  // namespace lw
