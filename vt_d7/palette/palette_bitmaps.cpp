// palette_bitmaps OUTDIR
//
// Draws the 24 x 24 bitmaps that the form designer shows for the package's
// components on its palette and writes them to OUTDIR as Windows BMP files,
// ready for the resource compiler. Each picture is a list of drawing steps
// over an index buffer; the output is the same bytes on every run.
//
// The designer treats the colour of the bottom-left pixel as transparent, so
// every picture starts out olive and no step ever draws olive.

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <span>
#include <string>
#include <vector>

namespace {

constexpr int kSize = 24;

struct Rgb {
  int R, G, B;
};

// The 16 Windows colours in their usual order.
enum : uint8_t {
  kBlack, kMaroon, kGreen, kOlive, kNavy, kPurple, kTeal, kSilver,
  kGrey, kRed, kLime, kYellow, kBlue, kFuchsia, kAqua, kWhite
};

constexpr uint8_t kBackground = kOlive;

// 256 colours: the 16 Windows ones, a 6 x 6 x 6 cube from 16 on, then 24
// greys from 232 on (8 to 238 in steps of 10).
constexpr std::array<Rgb, 256> MakePalette() {
  std::array<Rgb, 256> p{};
  constexpr Rgb kWindows[16] = {
      {0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
      {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
      {128, 128, 128}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
      {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
  for (int i = 0; i < 16; ++i) p[i] = kWindows[i];
  for (int i = 0; i < 216; ++i) p[16 + i] = {i / 36 * 51, i / 6 % 6 * 51, i % 6 * 51};
  for (int i = 0; i < 24; ++i) p[232 + i] = {8 + 10 * i, 8 + 10 * i, 8 + 10 * i};
  return p;
}

constexpr std::array<Rgb, 256> kPalette = MakePalette();

// A colour of the cube, each component 0 to 5.
constexpr uint8_t Cube(int R, int G, int B) { return static_cast<uint8_t>(16 + 36 * R + 6 * G + B); }
// A grey, 0 (near black) to 23 (near white).
constexpr uint8_t Grey(int Level) { return static_cast<uint8_t>(232 + Level); }

enum class Op { Fill, Frame, Line, Spots, Triangle, Gradient, Glaze };

// One drawing step. Corners are inclusive pixel coordinates, y down.
struct Step {
  Op Kind;
  int X0, Y0, X1, Y1, X2, Y2;
  uint8_t Ink, Ink2;
  int Alpha;
};

constexpr Step Fill(int X0, int Y0, int X1, int Y1, uint8_t Ink) {
  return {Op::Fill, X0, Y0, X1, Y1, 0, 0, Ink, Ink, 0};
}
constexpr Step Frame(int X0, int Y0, int X1, int Y1, uint8_t Ink) {
  return {Op::Frame, X0, Y0, X1, Y1, 0, 0, Ink, Ink, 0};
}
constexpr Step Line(int X0, int Y0, int X1, int Y1, uint8_t Ink) {
  return {Op::Line, X0, Y0, X1, Y1, 0, 0, Ink, Ink, 0};
}
// Every StepX-th column and StepY-th row of the rectangle: pins, holes, grids.
constexpr Step Spots(int X0, int Y0, int X1, int Y1, int StepX, int StepY, uint8_t Ink) {
  return {Op::Spots, X0, Y0, X1, Y1, StepX, StepY, Ink, Ink, 0};
}
constexpr Step Triangle(int X0, int Y0, int X1, int Y1, int X2, int Y2, uint8_t Ink) {
  return {Op::Triangle, X0, Y0, X1, Y1, X2, Y2, Ink, Ink, 0};
}
// Left to right from one colour to another, in the nearest palette colours.
constexpr Step Gradient(int X0, int Y0, int X1, int Y1, uint8_t From, uint8_t To) {
  return {Op::Gradient, X0, Y0, X1, Y1, 0, 0, From, To, 0};
}
// A see-through sheet: Alpha percent of Ink over what is drawn, and Ink
// itself over the background.
constexpr Step Glaze(int X0, int Y0, int X1, int Y1, uint8_t Ink, int Alpha) {
  return {Op::Glaze, X0, Y0, X1, Y1, 0, 0, Ink, Ink, Alpha};
}

class Canvas {
 public:
  explicit Canvas(int Colours) : colours_(Colours) { pixels_.fill(kBackground); }

  uint8_t At(int X, int Y) const { return pixels_[static_cast<size_t>(Y * kSize + X)]; }

  void Draw(const Step& S) {
    switch (S.Kind) {
      case Op::Fill: Rect(S, [&](int, int) { return S.Ink; }); break;
      case Op::Frame:
        Rect(S, [&](int X, int Y) {
          const bool edge = X == S.X0 || X == S.X1 || Y == S.Y0 || Y == S.Y1;
          return edge ? S.Ink : At(X, Y);
        });
        break;
      case Op::Line: DrawLine(S); break;
      case Op::Spots:
        Rect(S, [&](int X, int Y) {
          const bool on = (X - S.X0) % S.X2 == 0 && (Y - S.Y0) % S.Y2 == 0;
          return on ? S.Ink : At(X, Y);
        });
        break;
      case Op::Triangle: DrawTriangle(S); break;
      case Op::Gradient:
        Rect(S, [&](int X, int) {
          const int span = S.X1 > S.X0 ? S.X1 - S.X0 : 1;
          return Mix(S.Ink2, S.Ink, 100 * (X - S.X0) / span);
        });
        break;
      case Op::Glaze:
        Rect(S, [&](int X, int Y) {
          const uint8_t under = At(X, Y);
          return under == kBackground ? S.Ink : Mix(S.Ink, under, S.Alpha);
        });
        break;
    }
  }

 private:
  void Put(int X, int Y, uint8_t Ink) {
    if (X >= 0 && X < kSize && Y >= 0 && Y < kSize) pixels_[static_cast<size_t>(Y * kSize + X)] = Ink;
  }

  template <typename Shade>
  void Rect(const Step& S, Shade ShadeAt) {
    for (int y = std::max(S.Y0, 0); y <= std::min(S.Y1, kSize - 1); ++y)
      for (int x = std::max(S.X0, 0); x <= std::min(S.X1, kSize - 1); ++x) Put(x, y, ShadeAt(x, y));
  }

  void DrawLine(const Step& S) {
    const int dx = S.X1 > S.X0 ? S.X1 - S.X0 : S.X0 - S.X1;
    const int dy = S.Y1 > S.Y0 ? S.Y0 - S.Y1 : S.Y1 - S.Y0;
    const int sx = S.X0 < S.X1 ? 1 : -1;
    const int sy = S.Y0 < S.Y1 ? 1 : -1;
    int x = S.X0, y = S.Y0, err = dx + dy;
    for (;;) {
      Put(x, y, S.Ink);
      if (x == S.X1 && y == S.Y1) break;
      const int twice = 2 * err;
      if (twice >= dy) { err += dy; x += sx; }
      if (twice <= dx) { err += dx; y += sy; }
    }
  }

  // Pixel centres on the edges count as inside, so the corners are drawn.
  void DrawTriangle(const Step& S) {
    const auto side = [](int Ax, int Ay, int Bx, int By, int Px, int Py) {
      return (Bx - Ax) * (Py - Ay) - (By - Ay) * (Px - Ax);
    };
    for (int y = 0; y < kSize; ++y)
      for (int x = 0; x < kSize; ++x) {
        const int a = side(S.X0, S.Y0, S.X1, S.Y1, x, y);
        const int b = side(S.X1, S.Y1, S.X2, S.Y2, x, y);
        const int c = side(S.X2, S.Y2, S.X0, S.Y0, x, y);
        if ((a >= 0 && b >= 0 && c >= 0) || (a <= 0 && b <= 0 && c <= 0)) Put(x, y, S.Ink);
      }
  }

  // Percent of Top over Under, as the nearest colour this picture may use.
  uint8_t Mix(uint8_t Top, uint8_t Under, int Percent) const {
    const Rgb t = kPalette[Top], u = kPalette[Under];
    const Rgb want = {(t.R * Percent + u.R * (100 - Percent)) / 100,
                      (t.G * Percent + u.G * (100 - Percent)) / 100,
                      (t.B * Percent + u.B * (100 - Percent)) / 100};
    int best = kBlack, bestDistance = -1;
    for (int i = 0; i < colours_; ++i) {
      const Rgb c = kPalette[i];
      if (i == kBackground || (c.R == 128 && c.G == 128 && c.B == 0)) continue;
      const int d = (c.R - want.R) * (c.R - want.R) + (c.G - want.G) * (c.G - want.G) +
                    (c.B - want.B) * (c.B - want.B);
      if (bestDistance < 0 || d < bestDistance) best = i, bestDistance = d;
    }
    return static_cast<uint8_t>(best);
  }

  int colours_;
  std::array<uint8_t, kSize * kSize> pixels_;
};

// A list box: a film strip down the left, the first entry selected.
constexpr Step kList[] = {
    Fill(1, 2, 22, 21, kWhite),  Frame(1, 2, 22, 21, kGrey),
    Fill(3, 3, 9, 20, kBlack),   Spots(4, 4, 8, 19, 4, 2, kSilver),
    Fill(5, 4, 7, 6, kAqua),     Fill(5, 8, 7, 10, kRed),
    Fill(5, 12, 7, 14, kLime),   Fill(5, 16, 7, 18, kBlue),
    Fill(11, 4, 20, 6, kNavy),   Line(12, 5, 17, 5, kWhite),
    Line(12, 9, 18, 9, kBlack),  Line(12, 13, 20, 13, kBlack),
    Line(12, 17, 17, 17, kBlack)};

// A raised panel: a screen with the play triangle over a position bar.
constexpr Step kPlayer[] = {
    Fill(1, 2, 22, 21, kSilver),  Line(1, 2, 22, 2, kWhite),
    Line(1, 2, 1, 21, kWhite),    Line(1, 21, 22, 21, kBlack),
    Line(22, 2, 22, 21, kBlack),  Fill(3, 4, 20, 16, kBlack),
    Triangle(9, 6, 9, 14, 15, 10, kWhite),
    Line(3, 19, 12, 19, kRed),    Line(13, 19, 20, 19, kGrey),
    Fill(12, 18, 13, 20, kNavy)};

// A window of its own: title bar with a close box, the player inside.
constexpr Step kPlayerWnd[] = {
    Fill(1, 2, 22, 21, Grey(19)),           Frame(1, 2, 22, 21, Grey(6)),
    Gradient(2, 3, 21, 6, Cube(0, 0, 3), Cube(1, 3, 5)),
    Fill(18, 4, 20, 5, Cube(5, 1, 0)),      Fill(3, 8, 20, 19, Cube(0, 0, 1)),
    Triangle(9, 9, 9, 18, 15, 13, Cube(5, 3, 0)),
    Line(9, 9, 9, 18, Cube(5, 5, 2)),       Line(10, 17, 15, 13, Cube(4, 1, 0))};

// No window: a chip with pins, the play triangle over its pixel grid.
constexpr Step kPlayerComp[] = {
    Spots(1, 5, 22, 18, 1, 3, Grey(17)),  Spots(5, 1, 18, 22, 3, 1, Grey(17)),
    Fill(4, 4, 19, 19, Grey(3)),          Spots(5, 5, 18, 18, 1, 2, Grey(6)),
    Spots(5, 5, 18, 18, 2, 1, Grey(6)),   Frame(4, 4, 19, 19, Grey(9)),
    Triangle(8, 6, 8, 17, 16, 11, Cube(5, 2, 0)),
    Line(8, 6, 8, 17, Cube(5, 4, 1)),     Fill(5, 5, 6, 6, Grey(16))};

// Three see-through sheets, the play triangle showing through the front one.
constexpr Step kLayer[] = {
    Fill(1, 1, 13, 13, Cube(3, 4, 5)),       Frame(1, 1, 13, 13, Cube(0, 1, 3)),
    Glaze(5, 5, 17, 17, Cube(5, 4, 3), 60),  Frame(5, 5, 17, 17, Cube(3, 1, 0)),
    Triangle(7, 6, 7, 16, 16, 11, Cube(5, 0, 0)),
    Glaze(10, 10, 21, 21, Cube(4, 5, 4), 45), Frame(10, 10, 21, 21, Cube(0, 3, 1))};

// Two windows, the front one see-through over the one behind.
constexpr Step kLayerWindow[] = {
    Fill(1, 1, 15, 14, Grey(20)),         Frame(1, 1, 15, 14, Grey(5)),
    Gradient(2, 2, 14, 4, Cube(0, 0, 2), Cube(1, 2, 5)),
    Line(3, 7, 12, 7, Grey(9)),           Line(3, 9, 10, 9, Grey(9)),
    Line(3, 11, 12, 11, Grey(9)),
    Glaze(7, 8, 22, 21, Cube(4, 5, 5), 55), Frame(7, 8, 22, 21, Grey(5)),
    Gradient(8, 9, 21, 11, Cube(0, 2, 2), Cube(1, 5, 4))};

struct Picture {
  const char* Name;
  int Bits;
  std::span<const Step> Steps;
};

constexpr Picture kPictures[] = {
    {"TVTFLASHLIST", 4, kList},        {"TVTFLASHPLAYER", 4, kPlayer},
    {"TVTFLASHPLAYERWND", 8, kPlayerWnd}, {"TVTFLASHPLAYERCOMP", 8, kPlayerComp},
    {"TVTFLASHLAYER", 8, kLayer},      {"TVTLAYERWINDOW", 8, kLayerWindow},
};

// Every step keeps to the canvas and to the picture's colours, leaves the
// background colour alone, and every grid has a positive pitch.
constexpr bool Fits(const Picture& P) {
  const auto inside = [](int X, int Y) { return X >= 0 && X < kSize && Y >= 0 && Y < kSize; };
  for (const Step& s : P.Steps) {
    if (!inside(s.X0, s.Y0) || !inside(s.X1, s.Y1)) return false;
    if (s.Ink == kBackground || s.Ink2 == kBackground || s.Alpha < 0 || s.Alpha > 100) return false;
    if (s.Ink >= 1 << P.Bits || s.Ink2 >= 1 << P.Bits) return false;
    if (s.Kind == Op::Triangle && !inside(s.X2, s.Y2)) return false;
    if (s.Kind == Op::Spots && (s.X2 <= 0 || s.Y2 <= 0)) return false;
  }
  return P.Bits == 4 || P.Bits == 8;
}
static_assert(std::ranges::all_of(kPictures, Fits));

void PutLe(std::vector<uint8_t>& Out, uint32_t Value, int Bytes) {
  for (int i = 0; i < Bytes; ++i) Out.push_back(static_cast<uint8_t>(Value >> (8 * i)));
}

// BITMAPFILEHEADER, BITMAPINFOHEADER, the colour table, then the rows from
// the bottom up, each padded to four bytes; at 4 bits the left pixel is the
// high nibble.
std::vector<uint8_t> EncodeBmp(const Canvas& Image, int Bits) {
  const uint32_t colours = 1u << Bits;
  const uint32_t stride = (kSize * static_cast<uint32_t>(Bits) + 31) / 32 * 4;
  const uint32_t imageSize = stride * kSize;
  const uint32_t offset = 14 + 40 + 4 * colours;
  std::vector<uint8_t> out = {'B', 'M'};
  PutLe(out, offset + imageSize, 4);
  PutLe(out, 0, 4);
  PutLe(out, offset, 4);
  for (uint32_t field : {40u, uint32_t{kSize}, uint32_t{kSize}}) PutLe(out, field, 4);
  PutLe(out, 1, 2);
  PutLe(out, static_cast<uint32_t>(Bits), 2);
  for (uint32_t field : {0u, imageSize, 0u, 0u, colours, 0u}) PutLe(out, field, 4);
  for (uint32_t i = 0; i < colours; ++i) {
    const Rgb c = kPalette[i];
    for (int part : {c.B, c.G, c.R, 0}) out.push_back(static_cast<uint8_t>(part));
  }
  for (int y = kSize - 1; y >= 0; --y) {
    std::vector<uint8_t> row(stride, 0);
    for (int x = 0; x < kSize; ++x) {
      const uint8_t index = Image.At(x, y);
      if (Bits == 8)
        row[static_cast<size_t>(x)] = index;
      else
        row[static_cast<size_t>(x / 2)] |= static_cast<uint8_t>(x % 2 == 0 ? index << 4 : index);
    }
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: palette_bitmaps OUTDIR\n", stderr);
    return 2;
  }
  for (const Picture& picture : kPictures) {
    Canvas image(1 << picture.Bits);
    for (const Step& step : picture.Steps) image.Draw(step);
    const std::vector<uint8_t> bytes = EncodeBmp(image, picture.Bits);
    const std::string path = std::string(argv[1]) + "/" + picture.Name + ".bmp";
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file) {
      std::fprintf(stderr, "palette_bitmaps: cannot write %s\n", path.c_str());
      return 1;
    }
  }
  return 0;
}
