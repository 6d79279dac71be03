#pragma once
// Phone number masks: '?' stands for one character, '*' for a run of characters, anything else
// for itself. A number is reduced to its digits before it is matched.

#include <string>
#include <string_view>
#include <vector>

namespace lw {

// Keeps only the decimal digits of the number, in their order; returns the same string.
std::string& DigitsOnly(std::string& number);

// True when the whole number matches the whole mask. The result is that of the plain left-to-
// right recursion (a '*' first tries the shortest run, a '*' at the end of the mask needs at
// least one character, an empty number matches only the empty mask), computed in time bounded
// by the product of the two lengths, so no mask can stall a decision.
bool MatchMask(std::string_view mask, std::string_view number);

// Walks the list in order, reducing the number in place before each mask; true at the first
// mask that matches. An empty list matches nothing and leaves the number as it was.
bool MatchesAnyMask(const std::vector<std::string>& masks, std::string& number);

}  // namespace lw
