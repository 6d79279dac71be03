#pragma once
// The program's pictures: the main image list that notices and the tray icon take their
// images from. They are drawn in code: a shield in the colour of the state with a white sign.
//
//   0  the program (navy, handset held for a call)
//   6  hung up or refused by the policy (red, X)
//   7  idle (grey, handset at rest)
//   9  modem reset, dial trouble, accelerated connection (violet, lightning)
//  12  connected (green, handset held for a call)
//  13  disconnected, refused, hanging up (red, handset at rest)
//  14  dialling (blue, handset and waves)
//  18  dangerous connection (orange, exclamation mark)
//
// The other indexes hold transparent pictures.

#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <cstdint>
#include <vector>

namespace lw {

inline constexpr int kMainImageCount = 20;
inline constexpr int kProgramImage = 0;

// The main image list, 16 x 16 with transparency, made on first use and kept until the program
// ends. Main thread only.
HIMAGELIST MainImageList();

// A new icon of an image, `size` pixels square (16 for the tray, 32 for larger uses); the
// caller destroys it. nullptr for an index outside the list.
HICON MainImageIcon(int index, int size = 16);

// The pixels of an image, one 0xAARRGGBB value per pixel (alpha not premultiplied), row by row
// from the top. Empty for an index outside the list.
std::vector<uint32_t> MainImagePixels(int index, int size);

// The pictures of the statistics window's small buttons, drawn the same way but not part of the
// main image list.
enum class ButtonGlyph { Previous, Next, LastInfo, Refresh };

// A new icon of a button's picture, `size` pixels square; the caller destroys it.
HICON ButtonGlyphIcon(ButtonGlyph glyph, int size = 16);
std::vector<uint32_t> ButtonGlyphPixels(ButtonGlyph glyph, int size);

}  // namespace lw
