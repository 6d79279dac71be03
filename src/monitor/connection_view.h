#pragma once
// What the statistics window shows of one connection, as the connection list draws it. The
// window only renders it: every text is final (UTF-8) and every colour decided.

#include <string>

namespace lw {

enum class TextColour { WindowText, Red };

struct ConnectionView {
  // False: no connections; the position and the stepping, refresh and disconnect buttons are
  // disabled, and the labels read "-".
  bool has_connections = false;
  std::string position;  // CurConnText, "1/2"; empty without connections
  std::string book_entry;
  TextColour book_entry_colour = TextColour::WindowText;
  std::string phone_no;  // also the label's hint
  TextColour phone_no_colour = TextColour::WindowText;
  std::string country;
  TextColour country_colour = TextColour::WindowText;
  std::string dev_type;
  std::string dev_name;
  std::string status;  // the status bar's one panel
};

// The credential prompt's fields: filled by the caller, the two edits read back after OK.
struct LoginFields {
  std::string entry_name;
  std::string phone_no;
  std::string country;
  std::string user;      // at most 16 characters kept
  std::string password;  // at most 16 characters kept
};

}  // namespace lw
