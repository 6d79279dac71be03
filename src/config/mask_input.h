#pragma once
// What a typed phone number becomes before it is put on a number list.

#include <string>
#include <string_view>

namespace lw {

// Keeps, in order, only the characters 0-9, '*' and '?' of the input ("0-700 123" gives
// "0700123"). The result may be empty.
std::string ReduceToMask(std::string_view input);

}  // namespace lw
