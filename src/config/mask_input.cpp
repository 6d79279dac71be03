#include "config/mask_input.h"

namespace lw {

std::string ReduceToMask(std::string_view input) {
  std::string mask;
  for (char c : input) {
    if ((c >= '0' && c <= '9') || c == '*' || c == '?') mask += c;
  }
  return mask;
}

}  // namespace lw
