#include "linesim/error_texts.h"

#include <algorithm>
#include <iterator>

namespace lw::linesim {
namespace {

struct Text {
  uint32_t code;
  std::string_view text;
};

constexpr Text kTexts[] = {
    {6, "The handle is invalid."},
    {8, "Not enough memory is available to complete the operation."},
    {87, "The parameter is incorrect."},
    {120, "This function is not supported by the dial-up service."},
    {122, "The buffer passed to the function is too small."},
    {123, "The entry name is not valid."},
    {183, "An entry with this name already exists."},
    {600, "An operation is pending."},
    {601, "An invalid port handle was detected."},
    {602, "The specified port is already open."},
    {603, "The caller's buffer is too small."},
    {604, "Incorrect information was specified."},
    {606, "The specified port is not connected."},
    {608, "The device does not exist."},
    {610, "The buffers specified are not valid."},
    {615, "The specified port was not found."},
    {617, "The connection is already being disconnected."},
    {619, "The port was disconnected."},
    {621, "Cannot open the phonebook file."},
    {622, "Cannot load the phonebook file."},
    {623, "Cannot find the phonebook entry."},
    {624, "Cannot write the phonebook file."},
    {625, "Invalid information was found in the phonebook file."},
    {628, "The connection was closed."},
    {629, "The connection was closed by the remote computer."},
    {630, "The modem was disconnected due to a hardware failure."},
    {631, "The user disconnected the modem."},
    {632, "An incorrect structure size was detected."},
    {633, "The modem is already in use or is not configured for dialing out."},
    {635, "An unknown error has occurred."},
    {638, "The request has timed out."},
    {645, "An internal authentication error has occurred."},
    {649, "The account does not have permission to dial in."},
    {650, "The remote access server is not responding."},
    {651, "The modem has reported an error."},
    {676, "The line is busy."},
    {677, "A person answered instead of a modem."},
    {678, "There is no answer. The line may be busy or the number may be wrong."},
    {679, "Cannot detect carrier."},
    {680, "There is no dial tone."},
    {691, "Access was denied. The user name or password is not valid for the domain."},
    {692, "There is a hardware failure in the modem."},
    {718, "The connection timed out waiting for a response from the remote computer."},
    {720, "No control protocols could be negotiated with the remote computer."},
    {734, "The link control protocol was terminated."},
    {831, "The operation was cancelled by the user."},
    {1460, "The dial-up service did not answer in time."},
};

static_assert(std::is_sorted(std::begin(kTexts), std::end(kTexts),
                             [](const Text& a, const Text& b) { return a.code < b.code; }));

}  // namespace

std::string_view ErrorText(uint32_t code) {
  const auto at = std::lower_bound(std::begin(kTexts), std::end(kTexts), code,
                                   [](const Text& t, uint32_t value) { return t.code < value; });
  return at != std::end(kTexts) && at->code == code ? at->text : std::string_view();
}

}  // namespace lw::linesim
