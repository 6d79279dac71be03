#include "hooking/win/pipe_security.h"

#include <sddl.h>

#include <vector>

#include "hooking/win/unique_handle.h"

namespace lw {

namespace {

// Both ways in: the user, and the system account (services acting for the user). Generic read
// and write cover opening, reading, writing and switching to message mode; nothing else is
// granted, and no ACE is inherited. The label lets low-integrity processes write "up" to it.
constexpr wchar_t kDaclPrefix[] = L"D:P(A;;GRGW;;;";
constexpr wchar_t kDaclSuffix[] = L")(A;;GRGW;;;SY)";
constexpr wchar_t kLowIntegrityLabel[] = L"S:(ML;;NW;;;LW)";

std::unique_ptr<void, void (*)(void*)> ParseDescriptor(const std::wstring& text) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(text.c_str(), SDDL_REVISION_1,
                                                            &descriptor, nullptr)) {
    descriptor = nullptr;
  }
  return {descriptor, [](void* memory) { LocalFree(memory); }};
}

}  // namespace

std::wstring CurrentUserSidText() {
  HANDLE raw_token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw_token)) return {};
  UniqueHandle token(raw_token);
  DWORD size = 0;
  GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
  if (size == 0) return {};
  // TOKEN_USER holds pointers, so the buffer is aligned for them.
  std::vector<void*> buffer((size + sizeof(void*) - 1) / sizeof(void*));
  if (!GetTokenInformation(token.get(), TokenUser, buffer.data(),
                           static_cast<DWORD>(buffer.size() * sizeof(void*)), &size)) {
    return {};
  }
  const auto* user = reinterpret_cast<const TOKEN_USER*>(buffer.data());
  wchar_t* text = nullptr;
  if (!ConvertSidToStringSidW(user->User.Sid, &text)) return {};
  std::wstring result(text);
  LocalFree(text);
  return result;
}

std::optional<PipeSecurity> PipeSecurity::ForCurrentUser() {
  const std::wstring user = CurrentUserSidText();
  if (user.empty()) return std::nullopt;
  const std::wstring dacl = kDaclPrefix + user + kDaclSuffix;
  PipeSecurity security;
  // A system that does not know integrity labels gets the access list alone.
  for (const std::wstring& text : {dacl + kLowIntegrityLabel, dacl}) {
    auto parsed = ParseDescriptor(text);
    if (parsed) {
      security.descriptor_.reset(parsed.release());
      security.text_ = text;
      return security;
    }
  }
  return std::nullopt;
}

}  // namespace lw
