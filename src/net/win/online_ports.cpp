#include "net/win/online_ports.h"

#include <system_error>

namespace lw {

std::filesystem::path CurrentFolder() {
  std::error_code error;
  std::filesystem::path folder = std::filesystem::current_path(error);
  return error ? std::filesystem::path() : folder;
}

}  // namespace lw
