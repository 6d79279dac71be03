// capture CLASS FILE: the window's picture as a 24-bit BMP.
//
// The window is asked to draw itself into a bitmap of ours (PrintWindow). Where that draws
// nothing (the call fails, or leaves the bitmap as it was filled, as happens for windows of
// other processes under Wine), the window's rectangle is copied from the screen instead, which
// shows whatever lies on top of it.

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "driver_commands.h"
#include "driver_common.h"
#include "driver_windows.h"

namespace lw::e2e {

namespace {

// A colour no real window is drawn in entirely: what PrintWindow left untouched.
constexpr uint8_t kUntouched[3] = {0x12, 0x34, 0x56};  // blue, green, red

// A 24-bit bottom-up DIB selected into a memory DC.
class Canvas {
 public:
  Canvas(int width, int height) : width_(width), height_(height) {
    screen_ = GetDC(nullptr);
    dc_ = CreateCompatibleDC(screen_);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bits_ = static_cast<uint8_t*>(bits);
    if (bitmap_) old_ = SelectObject(dc_, bitmap_);
  }
  ~Canvas() {
    if (old_) SelectObject(dc_, old_);
    if (bitmap_) DeleteObject(bitmap_);
    if (dc_) DeleteDC(dc_);
    if (screen_) ReleaseDC(nullptr, screen_);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  bool ok() const { return bits_ != nullptr; }
  HDC dc() const { return dc_; }
  HDC screen() const { return screen_; }
  std::size_t stride() const {
    return (static_cast<std::size_t>(width_) * 3 + 3) & ~std::size_t{3};
  }
  std::size_t size() const { return stride() * static_cast<std::size_t>(height_); }

  void Fill() {
    GdiFlush();
    for (int y = 0; y < height_; ++y) {
      uint8_t* row = bits_ + stride() * static_cast<std::size_t>(y);
      for (int x = 0; x < width_; ++x) std::memcpy(row + 3 * x, kUntouched, 3);
    }
  }
  bool Untouched() const {
    GdiFlush();
    for (int y = 0; y < height_; ++y) {
      const uint8_t* row = bits_ + stride() * static_cast<std::size_t>(y);
      for (int x = 0; x < width_; ++x) {
        if (std::memcmp(row + 3 * x, kUntouched, 3) != 0) return false;
      }
    }
    return true;
  }

  bool Save(const std::wstring& path) const {
    GdiFlush();
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = width_;
    info.biHeight = height_;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    info.biSizeImage = static_cast<DWORD>(size());
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = static_cast<DWORD>(file.bfOffBits + size());
    std::ofstream out(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&info), sizeof info);
    out.write(reinterpret_cast<const char*>(bits_), static_cast<std::streamsize>(size()));
    return static_cast<bool>(out.flush());
  }

 private:
  int width_;
  int height_;
  HDC screen_ = nullptr;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
  uint8_t* bits_ = nullptr;
};

}  // namespace

int CaptureCommand(int argc, wchar_t** argv, int first) {
  std::optional<Args> args = ParseArgs(argc, argv, first, {L"--timeout"}, {L"--visible"});
  if (!args || args->positional.size() != 2) {
    PrintError("usage: lwdriver.exe capture CLASS FILE.bmp [--timeout MS] [--visible]");
    return kExitUsage;
  }
  const std::optional<uint64_t> timeout = args->Number(L"--timeout", kDefaultTimeoutMs);
  if (!timeout) return kExitUsage;
  WindowQuery query;
  query.class_name = args->positional[0];
  query.visible_only = args->Flag(L"--visible");
  HWND window = WaitForWindow(query, static_cast<DWORD>(*timeout));
  if (!window) {
    PrintLine("not-found=" + Escape(query.class_name));
    return kExitNotFound;
  }
  RECT rect = {};
  GetWindowRect(window, &rect);
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) {
    PrintError("the window has no area");
    return kExitFailed;
  }
  Canvas canvas(width, height);
  if (!canvas.ok()) {
    PrintError("no bitmap of " + std::to_string(width) + "x" + std::to_string(height));
    return kExitFailed;
  }
  canvas.Fill();
  std::string method = "printwindow";
  if (!PrintWindow(window, canvas.dc(), 0) || canvas.Untouched()) {
    method = "screen";
    if (!BitBlt(canvas.dc(), 0, 0, width, height, canvas.screen(), rect.left, rect.top, SRCCOPY)) {
      PrintError("BitBlt failed: " + std::to_string(GetLastError()));
      return kExitFailed;
    }
  }
  const std::wstring path = WindowsPath(args->positional[1]);
  if (!canvas.Save(path)) {
    PrintError("cannot write " + Utf8(path));
    return kExitFailed;
  }
  PrintLine("captured=" + HandleText(window));
  PrintLine("width=" + std::to_string(width));
  PrintLine("height=" + std::to_string(height));
  PrintLine("method=" + method);
  PrintLine("file=" + Escape(path));
  return kExitOk;
}

}  // namespace lw::e2e
