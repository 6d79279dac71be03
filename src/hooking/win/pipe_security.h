#pragma once
// Who may open the request pipe: the user this program runs as, and the system account; no one
// else, anonymous callers included. Processes of the same user at low integrity (sandboxed
// browsers and the like) may open it too, so that a dial from inside them is asked about rather
// than let through unasked.

#include <windows.h>

#include <memory>
#include <optional>
#include <string>

namespace lw {

class PipeSecurity {
 public:
  // nullopt when the user's identity cannot be read or the descriptor cannot be built.
  static std::optional<PipeSecurity> ForCurrentUser();

  // For CreateNamedPipe; valid as long as this object.
  SECURITY_ATTRIBUTES* attributes() {
    attributes_.nLength = sizeof(attributes_);
    attributes_.lpSecurityDescriptor = descriptor_.get();
    attributes_.bInheritHandle = FALSE;
    return &attributes_;
  }
  PSECURITY_DESCRIPTOR descriptor() const { return descriptor_.get(); }
  // The descriptor in its text form, as it was built.
  const std::wstring& text() const { return text_; }

 private:
  struct LocalFreer {
    void operator()(void* memory) const { LocalFree(memory); }
  };
  PipeSecurity() = default;

  std::unique_ptr<void, LocalFreer> descriptor_;
  SECURITY_ATTRIBUTES attributes_{};
  std::wstring text_;
};

// The text form of the current user's security identifier ("S-1-5-21-..."), empty when it
// cannot be read.
std::wstring CurrentUserSidText();

}  // namespace lw
