#include "notify/win/main_images.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

namespace lw {

namespace {

// Pictures are designed on a 64 x 64 grid and drawn four times larger than they are shown;
// each shown pixel is the average of its 4 x 4 drawn pixels, which smooths the edges.
constexpr double kGrid = 64.0;
constexpr int kOversample = 4;
// The colour of the drawn canvas that stands for "nothing here"; no picture uses it.
constexpr COLORREF kEmpty = RGB(255, 0, 255);
constexpr double kPi = 3.14159265358979323846;

enum class Sign {
  None,
  HandsetResting,
  HandsetLifted,
  HandsetDialling,
  Cross,
  Lightning,
  Exclamation,
  // Signs drawn without a shield, in the picture's own colours.
  PadlockClosed,
  PadlockOpen,
  ArrowLeft,
  ArrowRight,
  Information,
  Refresh,
};

// A picture: a shield of `fill` with a rim of `edge` and a white sign on it, or (no shield) the
// sign alone in `fill` and `edge`.
struct Picture {
  bool shield = false;
  COLORREF fill = 0;
  COLORREF edge = 0;
  Sign sign = Sign::None;
};

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kNavy = RGB(36, 78, 150);
constexpr COLORREF kDarkNavy = RGB(16, 40, 86);

Picture PictureOf(int index) {
  switch (index) {
    case kProgramImage:
      return {true, kNavy, kDarkNavy, Sign::HandsetLifted};
    case 3:
      return {false, RGB(226, 172, 36), RGB(126, 88, 8), Sign::PadlockClosed};
    case 4:
      return {false, RGB(226, 172, 36), RGB(126, 88, 8), Sign::PadlockOpen};
    case 6:
      return {true, RGB(196, 36, 44), RGB(112, 14, 20), Sign::Cross};
    case 7:
      return {true, RGB(132, 140, 150), RGB(68, 74, 82), Sign::HandsetResting};
    case 9:
      return {true, RGB(118, 84, 200), RGB(58, 36, 118), Sign::Lightning};
    case 12:
      return {true, RGB(44, 158, 68), RGB(20, 90, 36), Sign::HandsetLifted};
    case 13:
      return {true, RGB(214, 52, 52), RGB(124, 20, 22), Sign::HandsetResting};
    case 14:
      return {true, RGB(34, 118, 216), RGB(16, 64, 128), Sign::HandsetDialling};
    case 18:
      return {true, RGB(242, 138, 18), RGB(146, 74, 0), Sign::Exclamation};
    default:
      return {};
  }
}

struct Point {
  double x;
  double y;
};

Point Rotate(Point p, Point centre, double degrees) {
  const double a = degrees * kPi / 180.0;
  const double dx = p.x - centre.x;
  const double dy = p.y - centre.y;
  return {centre.x + dx * std::cos(a) - dy * std::sin(a),
          centre.y + dx * std::sin(a) + dy * std::cos(a)};
}

// Draws on the oversampled canvas in grid units.
class Sketch {
 public:
  Sketch(HDC dc, int canvas) : dc_(dc), scale_(canvas / kGrid) {}

  POINT At(Point p) const {
    return {static_cast<LONG>(std::lround(p.x * scale_)),
            static_cast<LONG>(std::lround(p.y * scale_))};
  }

  void FillPolygon(const std::vector<Point>& points, COLORREF colour) const {
    std::vector<POINT> device;
    device.reserve(points.size());
    for (const Point& p : points) device.push_back(At(p));
    HBRUSH brush = CreateSolidBrush(colour);
    HGDIOBJ old_brush = SelectObject(dc_, brush);
    HGDIOBJ old_pen = SelectObject(dc_, GetStockObject(NULL_PEN));
    Polygon(dc_, device.data(), static_cast<int>(device.size()));
    SelectObject(dc_, old_pen);
    SelectObject(dc_, old_brush);
    DeleteObject(brush);
  }

  void FillCircle(Point centre, double radius, COLORREF colour) const {
    std::vector<Point> points;
    for (int i = 0; i < 48; ++i) {
      const double a = 2.0 * kPi * i / 48.0;
      points.push_back({centre.x + radius * std::cos(a), centre.y + radius * std::sin(a)});
    }
    FillPolygon(points, colour);
  }

  // The shield: flat shoulders rising to a peak in the middle, straight sides, a round point.
  void Shield(COLORREF fill, COLORREF edge) const {
    BeginShieldPath();
    HBRUSH brush = CreateSolidBrush(fill);
    HGDIOBJ old_brush = SelectObject(dc_, brush);
    HGDIOBJ old_pen = SelectObject(dc_, GetStockObject(NULL_PEN));
    FillPath(dc_);
    // The left half lighter, as if lit from the left.
    BeginShieldPath();
    SelectClipPath(dc_, RGN_COPY);
    FillPolygon({{0, 0}, {32, 0}, {32, 64}, {0, 64}}, Mix(fill, kWhite, 0.22));
    SelectClipRgn(dc_, nullptr);
    // The rim.
    LOGBRUSH pen_brush = {BS_SOLID, edge, 0};
    HPEN pen = ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_JOIN_ROUND | PS_ENDCAP_ROUND,
                            static_cast<DWORD>(std::lround(3.5 * scale_)), &pen_brush, 0, nullptr);
    SelectObject(dc_, pen);
    SelectObject(dc_, GetStockObject(NULL_BRUSH));
    BeginShieldPath();
    StrokePath(dc_);
    SelectObject(dc_, old_pen);
    SelectObject(dc_, old_brush);
    DeleteObject(pen);
    DeleteObject(brush);
  }

  static COLORREF Mix(COLORREF a, COLORREF b, double share_of_b) {
    auto channel = [share_of_b](int x, int y) {
      return static_cast<BYTE>(std::lround(x + (y - x) * share_of_b));
    };
    return RGB(channel(GetRValue(a), GetRValue(b)), channel(GetGValue(a), GetGValue(b)),
               channel(GetBValue(a), GetBValue(b)));
  }

 private:
  void BeginShieldPath() const {
    BeginPath(dc_);
    const POINT start = At({7, 10});
    MoveToEx(dc_, start.x, start.y, nullptr);
    const POINT line[] = {At({32, 4}), At({57, 10}), At({57, 30})};
    PolylineTo(dc_, line, 3);
    const POINT curve[] = {At({57, 46}), At({45, 55}), At({32, 61}),
                           At({19, 55}), At({7, 46}),  At({7, 30})};
    PolyBezierTo(dc_, curve, 6);
    CloseFigure(dc_);
    EndPath(dc_);
  }

  HDC dc_;
  double scale_;
};

// A rectangle with round corners as a polygon, centred on `centre`, turned by `degrees`.
std::vector<Point> RoundRect(Point centre, double width, double height, double radius,
                             double degrees) {
  std::vector<Point> points;
  const double hx = width / 2 - radius;
  const double hy = height / 2 - radius;
  const Point corners[] = {{hx, hy}, {-hx, hy}, {-hx, -hy}, {hx, -hy}};
  for (int c = 0; c < 4; ++c) {
    for (int i = 0; i <= 6; ++i) {
      const double a = (c * 90.0 + i * 15.0) * kPi / 180.0;
      const Point p = {centre.x + corners[c].x + radius * std::cos(a),
                       centre.y + corners[c].y + radius * std::sin(a)};
      points.push_back(Rotate(p, centre, degrees));
    }
  }
  return points;
}

// A ring segment around `centre` between two radii, from `from` to `to` degrees (0 to the
// right, 90 up).
std::vector<Point> ArcBand(Point centre, double inner, double outer, double from, double to) {
  std::vector<Point> points;
  constexpr int kSteps = 16;
  for (int i = 0; i <= kSteps; ++i) {
    const double a = (from + (to - from) * i / kSteps) * kPi / 180.0;
    points.push_back({centre.x + outer * std::cos(a), centre.y - outer * std::sin(a)});
  }
  for (int i = kSteps; i >= 0; --i) {
    const double a = (from + (to - from) * i / kSteps) * kPi / 180.0;
    points.push_back({centre.x + inner * std::cos(a), centre.y - inner * std::sin(a)});
  }
  return points;
}

// The telephone handset lying on its back (handle up, cups down), centred on `centre`, scaled
// by `scale` and turned by `degrees` (-135 stands it on end, as held for a call).
void DrawHandset(const Sketch& sketch, Point centre, double scale, double degrees,
                 COLORREF colour) {
  auto place = [&](Point p) {
    return Rotate({centre.x + p.x * scale, centre.y + p.y * scale}, centre, degrees);
  };
  // The handle: a thick arc over the middle.
  std::vector<Point> handle = ArcBand({0, 9}, 9.0, 16.0, 24.0, 156.0);
  for (Point& p : handle) p = place(p);
  sketch.FillPolygon(handle, colour);
  // The ear and mouth cups at both ends, tilted outwards.
  for (const double side : {-1.0, 1.0}) {
    std::vector<Point> cup = RoundRect({side * 15.0, 7.5}, 14.0, 11.0, 4.0, side * 18.0);
    for (Point& p : cup) p = place(p);
    sketch.FillPolygon(cup, colour);
  }
}

std::vector<Point> Box(double left, double top, double right, double bottom) {
  return {{left, top}, {right, top}, {right, bottom}, {left, bottom}};
}

// A padlock: a steel shackle over a body of `fill` with a rim of `edge` and a keyhole. An open
// lock has its shackle raised, the right leg out of the body.
void DrawPadlock(const Sketch& sketch, const Picture& picture, bool open) {
  constexpr COLORREF kSteel = RGB(128, 136, 148);
  constexpr COLORREF kSteelEdge = RGB(60, 66, 76);
  const double lift = open ? 9.0 : 0.0;
  const Point bend = {32, 27 - lift};
  // The shackle, rim first, then the steel inside it.
  sketch.FillPolygon(ArcBand(bend, 8.0, 17.0, 0, 180), kSteelEdge);
  sketch.FillPolygon(Box(15, bend.y, 24, 32), kSteelEdge);
  sketch.FillPolygon(Box(40, bend.y, 49, open ? bend.y + 6 : 32), kSteelEdge);
  sketch.FillPolygon(ArcBand(bend, 10.0, 15.0, 0, 180), kSteel);
  sketch.FillPolygon(Box(17, bend.y - 0.5, 22, 32), kSteel);
  sketch.FillPolygon(Box(42, bend.y - 0.5, 47, open ? bend.y + 4 : 32), kSteel);
  // The body.
  sketch.FillPolygon(RoundRect({32, 45}, 46, 34, 6, 0), picture.edge);
  sketch.FillPolygon(RoundRect({32, 45}, 40, 28, 4, 0), picture.fill);
  sketch.FillPolygon(Box(12, 31, 52, 37), Sketch::Mix(picture.fill, kWhite, 0.35));
  // The keyhole.
  sketch.FillCircle({32, 42}, 4.5, picture.edge);
  sketch.FillPolygon({{30, 43}, {34, 43}, {35.5, 53}, {28.5, 53}}, picture.edge);
}

// A ring with an arrowhead at its clockwise end: the usual sign for "again".
void DrawRefresh(const Sketch& sketch, const Picture& picture) {
  const Point centre = {32, 34};
  constexpr double kInner = 13.0;
  constexpr double kOuter = 20.0;
  // Degrees, 0 to the right and 90 up: the ring runs clockwise from kStart round to kEnd, where
  // the head points on.
  constexpr double kEnd = 45.0;
  constexpr double kStart = kEnd + 285.0;
  sketch.FillPolygon(ArcBand(centre, kInner - 2, kOuter + 2, kEnd + 4, kStart), picture.edge);
  sketch.FillPolygon(ArcBand(centre, kInner, kOuter, kEnd + 4, kStart), picture.fill);
  // The head: its base across the ring at kEnd, its tip ahead along the clockwise tangent.
  const double a = kEnd * kPi / 180.0;
  const Point radial = {std::cos(a), -std::sin(a)};
  const Point ahead = {std::sin(a), std::cos(a)};
  const double middle = (kInner + kOuter) / 2;
  auto at = [&](double r, double forward) {
    return Point{centre.x + radial.x * r + ahead.x * forward,
                 centre.y + radial.y * r + ahead.y * forward};
  };
  sketch.FillPolygon({at(kInner - 11, -1), at(kOuter + 11, -1), at(middle, 19)}, picture.edge);
  sketch.FillPolygon({at(kInner - 8, 0.5), at(kOuter + 8, 0.5), at(middle, 15)}, picture.fill);
}

// `small`: the picture is shown at 16 pixels or less, where fine detail runs together.
void DrawSign(const Sketch& sketch, const Picture& picture, bool small) {
  const Point centre = {32, 31};
  switch (picture.sign) {
    case Sign::None:
      break;
    case Sign::PadlockClosed:
    case Sign::PadlockOpen:
      DrawPadlock(sketch, picture, picture.sign == Sign::PadlockOpen);
      break;
    case Sign::ArrowLeft:
      sketch.FillPolygon({{46, 8}, {46, 56}, {12, 32}}, picture.edge);
      sketch.FillPolygon({{42.5, 15}, {42.5, 49}, {18.5, 32}}, picture.fill);
      break;
    case Sign::ArrowRight:
      sketch.FillPolygon({{18, 8}, {18, 56}, {52, 32}}, picture.edge);
      sketch.FillPolygon({{21.5, 15}, {21.5, 49}, {45.5, 32}}, picture.fill);
      break;
    case Sign::Information:
      sketch.FillCircle({32, 32}, 29, picture.edge);
      sketch.FillCircle({32, 32}, 25.5, picture.fill);
      sketch.FillCircle({32, 18}, 5, kWhite);
      sketch.FillPolygon(RoundRect({32, 39}, 10, 22, 2, 0), kWhite);
      break;
    case Sign::Refresh:
      DrawRefresh(sketch, picture);
      break;
    case Sign::HandsetResting:
      DrawHandset(sketch, {32, 29}, 0.95, 0, kWhite);
      break;
    case Sign::HandsetLifted:
      DrawHandset(sketch, {32, 31}, 0.95, -135, kWhite);
      break;
    case Sign::HandsetDialling:
      if (small) {
        // One wave: two would run together at this size.
        DrawHandset(sketch, {27, 36}, 0.8, -135, kWhite);
        sketch.FillPolygon(ArcBand({25, 38}, 20.5, 26.0, 10, 80), kWhite);
      } else {
        DrawHandset(sketch, {26, 37}, 0.72, -135, kWhite);
        sketch.FillPolygon(ArcBand({25, 38}, 17.0, 21.5, 8, 82), kWhite);
        sketch.FillPolygon(ArcBand({25, 38}, 25.5, 30.0, 14, 76), kWhite);
      }
      break;
    case Sign::Cross:
      sketch.FillPolygon(RoundRect(centre, 36, 8, 3, 45), kWhite);
      sketch.FillPolygon(RoundRect(centre, 36, 8, 3, -45), kWhite);
      break;
    case Sign::Lightning:
      sketch.FillPolygon({{36, 10}, {20, 34}, {30, 34}, {25, 53}, {44, 26}, {33, 26}, {40, 10}},
                         kWhite);
      break;
    case Sign::Exclamation:
      sketch.FillPolygon({{27, 12}, {37, 12}, {35, 38}, {29, 38}}, kWhite);
      sketch.FillCircle({32, 46.5}, 5, kWhite);
      break;
  }
}

// Draws a picture oversampled and averages it down to `size` pixels.
std::vector<uint32_t> Render(const Picture& picture, int size) {
  std::vector<uint32_t> pixels(static_cast<std::size_t>(size) * size, 0);
  if ((!picture.shield && picture.sign == Sign::None) || size <= 0) return pixels;
  const int canvas = size * kOversample;
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = canvas;
  info.bmiHeader.biHeight = -canvas;  // rows from the top
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (dc == nullptr || bitmap == nullptr || bits == nullptr) {
    if (bitmap) DeleteObject(bitmap);
    if (dc) DeleteDC(dc);
    return pixels;
  }
  HGDIOBJ old = SelectObject(dc, bitmap);
  const RECT all = {0, 0, canvas, canvas};
  HBRUSH empty = CreateSolidBrush(kEmpty);
  FillRect(dc, &all, empty);
  DeleteObject(empty);

  Sketch sketch(dc, canvas);
  if (picture.shield) sketch.Shield(picture.fill, picture.edge);
  DrawSign(sketch, picture, size <= 16);
  GdiFlush();

  // The DIB holds 0x00RRGGBB per pixel.
  const auto* drawn = static_cast<const uint32_t*>(bits);
  constexpr uint32_t kEmptyPixel = 0x00FF00FF;
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      uint32_t r = 0, g = 0, b = 0, covered = 0;
      for (int sy = 0; sy < kOversample; ++sy) {
        for (int sx = 0; sx < kOversample; ++sx) {
          const uint32_t p = drawn[static_cast<std::size_t>(y * kOversample + sy) * canvas +
                                   x * kOversample + sx] &
                             0x00FFFFFF;
          if (p == kEmptyPixel) continue;
          r += (p >> 16) & 0xFF;
          g += (p >> 8) & 0xFF;
          b += p & 0xFF;
          ++covered;
        }
      }
      if (covered == 0) continue;
      const uint32_t alpha = covered * 255 / (kOversample * kOversample);
      pixels[static_cast<std::size_t>(y) * size + x] =
          (alpha << 24) | ((r / covered) << 16) | ((g / covered) << 8) | (b / covered);
    }
  }
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  return pixels;
}

// An icon from straight-alpha pixels: the colour bitmap carries the alpha channel, the mask
// marks the pixels that are at least half covered, for systems that draw with the mask.
HICON IconFromPixels(const std::vector<uint32_t>& pixels, int size) {
  BITMAPV5HEADER header = {};
  header.bV5Size = sizeof(header);
  header.bV5Width = size;
  header.bV5Height = -size;
  header.bV5Planes = 1;
  header.bV5BitCount = 32;
  header.bV5Compression = BI_BITFIELDS;
  header.bV5RedMask = 0x00FF0000;
  header.bV5GreenMask = 0x0000FF00;
  header.bV5BlueMask = 0x000000FF;
  header.bV5AlphaMask = 0xFF000000;
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  HBITMAP colour = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS,
                                    &bits, nullptr, 0);
  ReleaseDC(nullptr, screen);
  if (colour == nullptr || bits == nullptr) {
    if (colour) DeleteObject(colour);
    return nullptr;
  }
  std::copy(pixels.begin(), pixels.end(), static_cast<uint32_t*>(bits));

  // Monochrome mask, rows padded to 16 bits: 1 = transparent.
  const int stride = ((size + 15) / 16) * 2;
  std::vector<BYTE> mask_bits(static_cast<std::size_t>(stride) * size, 0);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      if ((pixels[static_cast<std::size_t>(y) * size + x] >> 24) < 128) {
        mask_bits[static_cast<std::size_t>(y) * stride + x / 8] |=
            static_cast<BYTE>(0x80 >> (x % 8));
      }
    }
  }
  HBITMAP mask = CreateBitmap(size, size, 1, 1, mask_bits.data());
  ICONINFO icon_info = {};
  icon_info.fIcon = TRUE;
  icon_info.hbmColor = colour;
  icon_info.hbmMask = mask;
  HICON icon = mask ? CreateIconIndirect(&icon_info) : nullptr;
  DeleteObject(colour);
  if (mask) DeleteObject(mask);
  return icon;
}

}  // namespace

std::vector<uint32_t> MainImagePixels(int index, int size) {
  if (index < 0 || index >= kMainImageCount) return {};
  return Render(PictureOf(index), size);
}

HICON MainImageIcon(int index, int size) {
  if (index < 0 || index >= kMainImageCount || size <= 0) return nullptr;
  return IconFromPixels(MainImagePixels(index, size), size);
}

std::vector<uint32_t> ButtonGlyphPixels(ButtonGlyph glyph, int size) {
  switch (glyph) {
    case ButtonGlyph::Previous:
      return Render({false, kNavy, kDarkNavy, Sign::ArrowLeft}, size);
    case ButtonGlyph::Next:
      return Render({false, kNavy, kDarkNavy, Sign::ArrowRight}, size);
    case ButtonGlyph::LastInfo:
      return Render({false, RGB(34, 118, 216), RGB(16, 64, 128), Sign::Information}, size);
    case ButtonGlyph::Refresh:
      return Render({false, RGB(44, 158, 68), RGB(20, 90, 36), Sign::Refresh}, size);
  }
  return {};
}

HICON ButtonGlyphIcon(ButtonGlyph glyph, int size) {
  if (size <= 0) return nullptr;
  const std::vector<uint32_t> pixels = ButtonGlyphPixels(glyph, size);
  return pixels.empty() ? nullptr : IconFromPixels(pixels, size);
}

HIMAGELIST MainImageList() {
  static HIMAGELIST list = [] {
    HIMAGELIST made = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, kMainImageCount, 0);
    if (made == nullptr) return made;
    for (int i = 0; i < kMainImageCount; ++i) {
      HICON icon = MainImageIcon(i, 16);
      ImageList_AddIcon(made, icon);
      if (icon) DestroyIcon(icon);
    }
    return made;
  }();
  return list;
}

}  // namespace lw
