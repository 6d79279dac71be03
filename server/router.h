#pragma once
// What the service answers to each request. Two paths take a form by POST:
//
// /lwupd.php, the program's updates and dial parameters:
//   give=dialparams&country=C          number=N&user=U&password=P (keys the file lacks are left
//                                      out; empty content when there is no file)
//   give=info&name=larkwatch&ver=V&... ver=old&crc=X&new=W&sig=S when V is older than the
//                                      offered W, else ver=current
//   give=file&...&resume=R             the installer from byte R
// /addons.php, the add-on catalogue:
//   give=ext_list&path=P&language=L    folders=<names, LF between>&items=<description|name lines>
//                                      (empty content for a missing or empty folder)
//   give=info&ext=NAME&language=L      status=a&crc=X&ver=V&sig=S&desc=D, or status=n
//   give=file&name=NAME&...&resume=R   the library from byte R
//   give=regno&ext=NAME&language=L     regno=<the extension checksum as a signed number>
//
// crc is the exclusive or of all bytes of the file, in decimal; S the file's signature
// (signer.h), made the same way for the installer and for a library. Every key/value answer is
// ordered so that a client's substring lookup finds each key where it stands (answer.h).

#include <string>
#include <string_view>

#include "server/answer.h"
#include "server/content.h"
#include "server/file_facts.h"
#include "server/form.h"
#include "server/http_request.h"
#include "server/signer.h"

namespace lw::server {

inline constexpr std::string_view kUpdatePath = "/lwupd.php";
inline constexpr std::string_view kAddonsPath = "/addons.php";
// The clients' name of the catalogue's root folder, the first component of an ext_list path.
inline constexpr std::string_view kCatalogueRoot = "LarkWatch";

// An answer and what the access line says about the request.
struct RoutedAnswer {
  Answer answer;
  // The form's "give", as sent (empty without one).
  std::string give;
};

class Router {
 public:
  Router(const ContentFolder& content, FileFacts& facts);

  // The answer to a request that was read whole.
  RoutedAnswer Route(const HttpRequest& request) const;
  // The answer to a connection's request: its error when it could not be read.
  RoutedAnswer Route(const RequestParser& parser) const;

 private:
  Answer Update(const Form& form) const;
  Answer Addons(const Form& form) const;

  Answer DialParameters(const Form& form) const;
  Answer UpdateInfo(const Form& form) const;
  Answer UpdateFile(const Form& form) const;
  Answer CatalogueList(const Form& form) const;
  Answer LibraryInfo(const Form& form) const;
  Answer LibraryFile(const Form& form) const;
  Answer LibraryRegistration(const Form& form) const;

  const ContentFolder& content_;
  FileFacts& facts_;
};

// The resume offset of a file request: a decimal number, 0 when missing or not a number.
uint64_t ResumeOffset(const Form& form);

}  // namespace lw::server
