#include "server/form.h"

namespace lw::server {

Form ParseForm(std::string_view body) {
  while (!body.empty() && (body.back() == '\n' || body.back() == '\r')) body.remove_suffix(1);
  Form form;
  while (!body.empty()) {
    const std::size_t end = body.find('&');
    const std::string_view piece = body.substr(0, end);
    body.remove_prefix(end == std::string_view::npos ? body.size() : end + 1);
    if (piece.empty()) continue;
    const std::size_t equals = piece.find('=');
    if (equals == std::string_view::npos) {
      form.emplace_back(piece, std::string());
    } else {
      form.emplace_back(piece.substr(0, equals), piece.substr(equals + 1));
    }
  }
  return form;
}

std::optional<std::string_view> FormValue(const Form& form, std::string_view name) {
  for (const auto& [key, value] : form) {
    if (key == name) return std::string_view(value);
  }
  return std::nullopt;
}

}  // namespace lw::server
