#pragma once
// Pictures of windows taken inside a window test, written as 24-bit BMP files.

#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/message_pump.h"

namespace lw::test {

// Writes 0xAARRGGBB pixels (rows from the top) as a 24-bit BMP, blended over `background`.
inline void WriteBmp(const std::filesystem::path& path, const std::vector<uint32_t>& pixels,
                     int width, int height, uint32_t background = 0xFFFFFF) {
  const int stride = (width * 3 + 3) & ~3;
  std::vector<char> rows(static_cast<std::size_t>(stride) * height, 0);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const uint32_t p = pixels[static_cast<std::size_t>(y) * width + x];
      const uint32_t a = p >> 24;
      char* out = &rows[static_cast<std::size_t>(height - 1 - y) * stride + x * 3];
      for (int c = 0; c < 3; ++c) {
        const uint32_t fg = (p >> (8 * c)) & 0xFF;
        const uint32_t bg = (background >> (8 * c)) & 0xFF;
        out[c] = static_cast<char>((fg * a + bg * (255 - a)) / 255);
      }
    }
  }
  BITMAPFILEHEADER file = {};
  BITMAPINFOHEADER info = {};
  info.biSize = sizeof(info);
  info.biWidth = width;
  info.biHeight = height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  info.biSizeImage = static_cast<DWORD>(rows.size());
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof(file) + sizeof(info);
  file.bfSize = file.bfOffBits + info.biSizeImage;
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(&file), sizeof(file));
  out.write(reinterpret_cast<const char*>(&info), sizeof(info));
  out.write(rows.data(), static_cast<std::streamsize>(rows.size()));
}

// Copies a window as it is drawn (frame included) into a BMP. The window's own device context
// is read: under Wine each window draws into a surface of its own, which the screen's device
// context does not show.
inline void SnapWindow(HWND window, const std::string& name) {
  if (window == nullptr) return;
  RedrawWindow(window, nullptr, nullptr,
               RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME | RDW_ERASE);
  PumpFor(300);
  RECT rect;
  GetWindowRect(window, &rect);
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  HDC source = GetWindowDC(window);
  HDC memory = CreateCompatibleDC(source);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, source, 0, 0, SRCCOPY);
  GdiFlush();
  std::vector<uint32_t> pixels(static_cast<const uint32_t*>(bits),
                               static_cast<const uint32_t*>(bits) + width * height);
  for (uint32_t& p : pixels) p |= 0xFF000000;
  WriteBmp(ScreenshotDir() / (name + ".bmp"), pixels, width, height);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(window, source);
}

}  // namespace lw::test
