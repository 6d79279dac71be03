#pragma once
// The texts of the codes the simulated line returns, in English ASCII. A text of two sentences
// parts them with ". ", which callers use to split a text into its summary and its advice.

#include <cstdint>
#include <string_view>

namespace lw::linesim {

// The text of the code, or an empty view when the line has none.
std::string_view ErrorText(uint32_t code);

}  // namespace lw::linesim
