// The movie description language: a line-based text with one statement a
// line, blocks closed by `end`, and `#` comments. See README.md beside this
// file for the language itself.

#include "tools/swfc/compile.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <numbers>
#include <optional>
#include <stdexcept>

#include "renderers/engine/writer.h"
#include "tools/swfc/assemble.h"
#include "tools/swfc/text_build.h"
#include "tools/swfc/morph.h"
#include "tools/swfc/image_file.h"
#include "tools/swfc/video_file.h"

namespace swfc {

CompileError::CompileError(int Line, const std::string& Message)
    : std::runtime_error("line " + std::to_string(Line) + ": " + Message), line_(Line), message_(Message) {}

namespace {

// Limits that keep any text from exhausting memory or time.
constexpr double kMaxCoordinate = 100000;         // pixels, either direction
constexpr double kMaxScale = 16000;               // matrix factors
constexpr size_t kMaxBitmapPixels = 4u << 20;     // one bitmap
constexpr size_t kMaxTotalPixels = 16u << 20;     // all bitmaps
constexpr size_t kMaxEdgesPerShape = 1u << 20;
constexpr size_t kMaxFrames = 16000;              // per timeline
constexpr size_t kMaxCharacters = 65535;

// ---- lines and words ----

struct Line {
  int number = 0;
  std::vector<std::string> words;
  std::vector<bool> quoted;  // which words were in double quotes
};

// Splits the text into lines of words. A word in double quotes may hold
// spaces. A `#` that starts a word and is followed by a blank or the end of
// the line, or that starts the line, begins a comment.
std::vector<Line> SplitLines(std::string_view Text) {
  std::vector<Line> lines;
  int number = 0;
  size_t pos = 0;
  while (pos <= Text.size()) {
    size_t eol = Text.find('\n', pos);
    if (eol == std::string_view::npos) eol = Text.size();
    std::string_view raw = Text.substr(pos, eol - pos);
    ++number;
    pos = eol + 1;
    Line line{number, {}, {}};
    size_t i = 0;
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v'; };
    while (i < raw.size()) {
      if (blank(raw[i])) {
        ++i;
        continue;
      }
      if (raw[i] == '#' && (line.words.empty() || i + 1 == raw.size() || blank(raw[i + 1]))) break;
      std::string word;
      bool quoted = raw[i] == '"';
      if (quoted) {
        size_t close = raw.find('"', i + 1);
        if (close == std::string_view::npos) throw CompileError(number, "a quoted word has no closing quote");
        word = std::string(raw.substr(i + 1, close - i - 1));
        i = close + 1;
      } else {
        size_t start = i;
        while (i < raw.size() && !blank(raw[i])) ++i;
        word = std::string(raw.substr(start, i - start));
      }
      if (word.find('\0') != std::string::npos) throw CompileError(number, "a NUL character in the text");
      line.words.push_back(std::move(word));
      line.quoted.push_back(quoted);
    }
    if (!line.words.empty()) lines.push_back(std::move(line));
    if (eol == Text.size()) break;
  }
  return lines;
}

// Reads the words of one statement left to right.
class Words {
 public:
  explicit Words(const Line& L) : line_(L) {}
  int line() const { return line_.number; }
  bool AtEnd() const { return next_ >= line_.words.size(); }
  const std::string& Peek() const { return line_.words[next_]; }

  [[noreturn]] void Fail(const std::string& Message) const { throw CompileError(line_.number, Message); }

  std::string Word(const char* What) {
    if (AtEnd()) Fail("missing " + std::string(What));
    // Only instructions of an `actions` block take empty strings.
    if (line_.words[next_].empty()) Fail("an empty quoted word");
    return line_.words[next_++];
  }

  bool Accept(const char* Keyword) {
    if (AtEnd() || Peek() != Keyword) return false;
    ++next_;
    return true;
  }

  double Number(const char* What, double Min, double Max) {
    std::string w = Word(What);
    char* end = nullptr;
    double v = std::strtod(w.c_str(), &end);
    if (w.empty() || end != w.c_str() + w.size() || !std::isfinite(v))
      Fail("expected a number for " + std::string(What) + ", not '" + w + "'");
    if (v < Min || v > Max)
      Fail(std::string(What) + " " + w + " is outside " + Format(Min) + ".." + Format(Max));
    return v;
  }

  int64_t Integer(const char* What, int64_t Min, int64_t Max) {
    std::string w = Word(What);
    char* end = nullptr;
    long long v = std::strtoll(w.c_str(), &end, 10);
    if (w.empty() || end != w.c_str() + w.size())
      Fail("expected a whole number for " + std::string(What) + ", not '" + w + "'");
    if (v < Min || v > Max)
      Fail(std::string(What) + " " + w + " is outside " + std::to_string(Min) + ".." + std::to_string(Max));
    return v;
  }

  double Coordinate(const char* What) { return Number(What, -kMaxCoordinate, kMaxCoordinate); }

  void Done() {
    if (!AtEnd()) Fail("unexpected '" + Peek() + "'");
  }

 private:
  static std::string Format(double V) {
    std::string s = std::to_string(V);
    while (s.find('.') != std::string::npos && (s.back() == '0' || s.back() == '.')) {
      bool dot = s.back() == '.';
      s.pop_back();
      if (dot) break;
    }
    return s;
  }

  const Line& line_;
  size_t next_ = 1;  // after the statement's keyword
};

int HexDigit(char C) {
  if (C >= '0' && C <= '9') return C - '0';
  if (C >= 'a' && C <= 'f') return C - 'a' + 10;
  if (C >= 'A' && C <= 'F') return C - 'A' + 10;
  return -1;
}

// RRGGBB or RRGGBBAA, with or without a leading '#', or a colour name.
std::optional<swf::RGBA> ParseColor(const std::string& W) {
  static const std::map<std::string, swf::RGBA> names{
      {"black", {0, 0, 0, 255}},     {"white", {255, 255, 255, 255}}, {"red", {255, 0, 0, 255}},
      {"green", {0, 128, 0, 255}},   {"lime", {0, 255, 0, 255}},      {"blue", {0, 0, 255, 255}},
      {"yellow", {255, 255, 0, 255}}, {"cyan", {0, 255, 255, 255}},   {"magenta", {255, 0, 255, 255}},
      {"gray", {128, 128, 128, 255}}, {"transparent", {0, 0, 0, 0}}};
  if (auto it = names.find(W); it != names.end()) return it->second;
  std::string_view h = W;
  if (!h.empty() && h[0] == '#') h.remove_prefix(1);
  if (h.size() != 6 && h.size() != 8) return std::nullopt;
  uint8_t c[4] = {0, 0, 0, 255};
  for (size_t i = 0; i < h.size(); i += 2) {
    int hi = HexDigit(h[i]), lo = HexDigit(h[i + 1]);
    if (hi < 0 || lo < 0) return std::nullopt;
    c[i / 2] = static_cast<uint8_t>(hi * 16 + lo);
  }
  return swf::RGBA{c[0], c[1], c[2], c[3]};
}

swf::RGBA Color(Words& W, const char* What) {
  std::string w = W.Word(What);
  std::optional<swf::RGBA> c = ParseColor(w);
  if (!c) W.Fail("'" + w + "' is not a colour (#RRGGBB, #RRGGBBAA or a name)");
  return *c;
}

uint32_t Premultiplied(swf::RGBA C) {
  auto mul = [&](uint8_t v) { return static_cast<uint32_t>((v * C.a + 127) / 255); };
  return uint32_t{C.a} << 24 | mul(C.r) << 16 | mul(C.g) << 8 | mul(C.b);
}

constexpr double kTwips = 20;

// ---- Placement effects: blend modes and filters ----

std::optional<swf::BlendMode> BlendModeNamed(const std::string& Name) {
  static const std::map<std::string, swf::BlendMode> modes{
      {"normal", swf::BlendMode::Normal},     {"layer", swf::BlendMode::Layer},
      {"multiply", swf::BlendMode::Multiply}, {"screen", swf::BlendMode::Screen},
      {"lighten", swf::BlendMode::Lighten},   {"darken", swf::BlendMode::Darken},
      {"difference", swf::BlendMode::Difference}, {"add", swf::BlendMode::Add},
      {"subtract", swf::BlendMode::Subtract}, {"invert", swf::BlendMode::Invert},
      {"alpha", swf::BlendMode::Alpha},       {"erase", swf::BlendMode::Erase},
      {"overlay", swf::BlendMode::Overlay},   {"hardlight", swf::BlendMode::HardLight}};
  const auto it = modes.find(Name);
  return it == modes.end() ? std::nullopt : std::optional(it->second);
}

// Values as the movie stores them: 16.16 and 8.8 fixed point.
double Fixed16(double V) { return std::round(V * 65536) / 65536; }
double Fixed8(double V) { return std::round(V * 256) / 256; }

double BlurSize(Words& W, const char* What) { return Fixed16(W.Number(What, 0, 255)); }

// The options a shadow, glow or bevel may end with.
template <class F>
void SpreadOptions(Words& W, F& Out) {
  for (;;) {
    if (W.Accept("strength")) {
      Out.strength = Fixed8(W.Number("strength", 0, 127));
    } else if (W.Accept("passes")) {
      Out.passes = static_cast<uint8_t>(W.Integer("passes", 0, 15));
    } else if (W.Accept("inner")) {
      Out.inner = true;
    } else if (W.Accept("knockout")) {
      Out.knockout = true;
    } else if (W.Accept("hide")) {
      Out.compositeSource = false;
    } else {
      if constexpr (requires { Out.onTop; })
        if (W.Accept("full")) {
          Out.onTop = true;
          continue;
        }
      return;
    }
  }
}

double Radians(Words& W) { return Fixed16(W.Number("angle", -36000, 36000) * std::numbers::pi / 180); }

// filter blur BX BY | dropshadow COLOUR BLUR DISTANCE ANGLE | glow COLOUR BLUR
// | bevel SHADOW HIGHLIGHT BLUR DISTANCE ANGLE | colormatrix (20 numbers).
swf::Filter ParseFilter(Words& W) {
  const std::string kind = W.Word("filter kind");
  if (kind == "blur") {
    swf::BlurFilter f;
    f.blurX = BlurSize(W, "horizontal blur");
    f.blurY = BlurSize(W, "vertical blur");
    if (W.Accept("passes")) f.passes = static_cast<uint8_t>(W.Integer("passes", 0, 15));
    return f;
  }
  if (kind == "dropshadow") {
    swf::DropShadowFilter f;
    f.color = Color(W, "shadow colour");
    f.blurX = f.blurY = BlurSize(W, "blur");
    f.distance = Fixed16(W.Number("distance", -2000, 2000));
    f.angle = Radians(W);
    SpreadOptions(W, f);
    return f;
  }
  if (kind == "glow") {
    swf::GlowFilter f;
    f.color = Color(W, "glow colour");
    f.blurX = f.blurY = BlurSize(W, "blur");
    SpreadOptions(W, f);
    return f;
  }
  if (kind == "bevel") {
    swf::BevelFilter f;
    f.shadowColor = Color(W, "shadow colour");
    f.highlightColor = Color(W, "highlight colour");
    f.blurX = f.blurY = BlurSize(W, "blur");
    f.distance = Fixed16(W.Number("distance", -2000, 2000));
    f.angle = Radians(W);
    f.inner = true;
    SpreadOptions(W, f);
    return f;
  }
  if (kind == "colormatrix") {
    swf::ColorMatrixFilter f;
    for (float& v : f.matrix) v = static_cast<float>(W.Number("colour matrix value", -65536, 65536));
    return f;
  }
  W.Fail("unknown filter '" + kind + "' (blur, dropshadow, glow, bevel or colormatrix)");
}

// blend MODE, filter ..., cache: false for another option.
bool EffectOption(Words& W, swf::PlaceObject& P) {
  if (W.Accept("blend")) {
    const std::string name = W.Word("blend mode");
    const auto mode = BlendModeNamed(name);
    if (!mode) W.Fail("unknown blend mode '" + name + "'");
    P.blendMode = mode;
  } else if (W.Accept("filter")) {
    if (!P.filters) P.filters.emplace();
    if (P.filters->size() == 255) W.Fail("a placement holds at most 255 filters");
    P.filters->push_back(ParseFilter(W));
  } else if (W.Accept("cache")) {
    P.cacheAsBitmap = true;
  } else {
    return false;
  }
  return true;
}

swf::Point Pt(double X, double Y) { return {X * kTwips, Y * kTwips}; }

// translate * rotate * scale, in pixels and degrees (clockwise on screen).
swf::Matrix Compose(double X, double Y, double Sx, double Sy, double Degrees, double Unit) {
  double r = Degrees * std::numbers::pi / 180.0;
  double cs = std::cos(r), sn = std::sin(r);
  return {Unit * Sx * cs, Unit * Sx * sn, -Unit * Sy * sn, Unit * Sy * cs, X * kTwips, Y * kTwips};
}

// `matrix A B C D TX TY`: the factors as stored, the translation in pixels.
swf::Matrix RawMatrix(Words& W) {
  double a = W.Number("matrix a", -kMaxScale, kMaxScale);
  double b = W.Number("matrix b", -kMaxScale, kMaxScale);
  double c = W.Number("matrix c", -kMaxScale, kMaxScale);
  double d = W.Number("matrix d", -kMaxScale, kMaxScale);
  double tx = W.Coordinate("matrix tx");
  double ty = W.Coordinate("matrix ty");
  return {a, b, c, d, tx * kTwips, ty * kTwips};
}

// Options `at X Y`, `scale S [SY]`, `rotate DEG` or `matrix ...`, in any order.
// Returns true when it consumed one.
struct TransformOptions {
  std::optional<double> x, y, sx, sy, degrees;
  std::optional<swf::Matrix> raw;

  bool Take(Words& W) {
    if (W.Accept("at")) {
      if (x) W.Fail("'at' given twice");
      x = W.Coordinate("x");
      y = W.Coordinate("y");
    } else if (W.Accept("scale")) {
      if (sx) W.Fail("'scale' given twice");
      sx = W.Number("scale", -kMaxScale, kMaxScale);
      sy = sx;
      if (!W.AtEnd() && ParseNumberLike(W.Peek())) sy = W.Number("vertical scale", -kMaxScale, kMaxScale);
    } else if (W.Accept("rotate")) {
      if (degrees) W.Fail("'rotate' given twice");
      degrees = W.Number("rotation", -36000, 36000);
    } else if (W.Accept("matrix")) {
      if (raw) W.Fail("'matrix' given twice");
      raw = RawMatrix(W);
    } else {
      return false;
    }
    if (raw && (x || sx || degrees)) W.Fail("'matrix' cannot be combined with 'at', 'scale' or 'rotate'");
    return true;
  }

  bool Given() const { return x || sx || degrees || raw; }

  swf::Matrix Build(double Unit) const {
    if (raw) return *raw;
    return Compose(x.value_or(0), y.value_or(0), sx.value_or(1), sy.value_or(1), degrees.value_or(0), Unit);
  }

  static bool ParseNumberLike(const std::string& S) {
    char* end = nullptr;
    std::strtod(S.c_str(), &end);
    return !S.empty() && end == S.c_str() + S.size();
  }
};

// ---- the parser ----

enum class Kind { Shape, Bitmap, Sprite, Button, EditText, Font, Text, Imported, Video };

struct Named {
  uint16_t id = 0;
  Kind kind = Kind::Shape;
};

struct TimelineBuilder {
  swf::Timeline timeline;
  swf::Frame current;
  bool pending = false;  // the current frame holds something

  void Show(int LineNo) {
    if (timeline.frames.size() >= kMaxFrames)
      throw CompileError(LineNo, "more than " + std::to_string(kMaxFrames) + " frames in one timeline");
    timeline.frames.push_back(std::move(current));
    current = {};
    pending = false;
  }

  swf::Timeline Finish(int LineNo) {
    if (pending || timeline.frames.empty()) Show(LineNo);
    return std::move(timeline);
  }
};

class Parser {
 public:
  Parser(std::string_view Text, const FileReader& Files) : lines_(SplitLines(Text)), files_(Files) {}

  swf::Movie Run() {
    movie_.version = 8;
    movie_.compressed = true;
    movie_.frameSize = {0, 0, 550 * kTwips, 400 * kTwips};
    movie_.frameRate = 12 << 8;
    TimelineBuilder root;
    while (at_ < lines_.size()) {
      const Line& line = lines_[at_++];
      const std::string& kw = line.words[0];
      Words w(line);
      if (kw == "size") {
        double width = w.Number("width", 0, kMaxCoordinate * kTwips);
        double height = w.Number("height", 0, kMaxCoordinate * kTwips);
        double unit = kTwips;
        if (w.Accept("twips")) unit = 1;
        else w.Accept("pixels");
        w.Done();
        if (width * unit > kMaxCoordinate * kTwips || height * unit > kMaxCoordinate * kTwips)
          w.Fail("the stage is larger than " + std::to_string(static_cast<int>(kMaxCoordinate)) + " pixels a side");
        movie_.frameSize = {0, 0, std::round(width * unit), std::round(height * unit)};
      } else if (kw == "rate") {
        double fps = w.Number("frame rate", 0, 255.99);
        w.Done();
        movie_.frameRate = static_cast<uint16_t>(std::lround(fps * 256));
      } else if (kw == "background") {
        movie_.background = Color(w, "background colour");
        w.Done();
      } else if (kw == "version") {
        movie_.version = static_cast<uint8_t>(w.Integer("version", 1, 255));
        w.Done();
      } else if (kw == "compress") {
        std::string v = w.Word("on or off");
        if (v != "on" && v != "off") w.Fail("compress takes 'on' or 'off', not '" + v + "'");
        movie_.compressed = v == "on";
        w.Done();
      } else if (kw == "bitmap") {
        ParseBitmap(line);
      } else if (kw == "shape") {
        ParseShape(line);
      } else if (kw == "morph") {
        ParseMorph(line);
      } else if (kw == "sprite") {
        ParseSprite(line);
      } else if (kw == "button") {
        ParseButton(line);
      } else if (kw == "edittext") {
        ParseEditText(line);
      } else if (kw == "video") {
        ParseVideo(w);
      } else if (kw == "font") {
        ParseFont(line);
      } else if (kw == "text") {
        ParseText(line);
      } else if (kw == "import") {
        ParseImport(w);
      } else if (kw == "export") {
        ParseExport(w);
      } else if (kw == "grid") {
        ParseGrid(w);
      } else if (!TimelineStatement(line, root)) {
        Unknown(line);
      }
    }
    int last = lines_.empty() ? 1 : lines_.back().number;
    movie_.timeline = root.Finish(last);
    movie_.frameCount = static_cast<uint16_t>(movie_.timeline.frames.size());
    return std::move(movie_);
  }

 private:
  [[noreturn]] static void Unknown(const Line& L) {
    const std::string& kw = L.words[0];
    if (kw == "end") throw CompileError(L.number, "'end' without a block to close");
    throw CompileError(L.number, "unknown statement '" + kw + "'");
  }

  // A new character name; returns its id.
  uint16_t Define(Words& W, const std::string& Name, Kind K) {
    if (names_.count(Name)) W.Fail("'" + Name + "' is already defined");
    if (names_.size() >= kMaxCharacters) W.Fail("more than 65535 characters");
    uint16_t id = static_cast<uint16_t>(names_.size() + 1);
    names_[Name] = {id, K};
    return id;
  }

  Named Lookup(Words& W, const std::string& Name) {
    auto it = names_.find(Name);
    if (it == names_.end()) W.Fail("'" + Name + "' is not defined (define it before using it)");
    return it->second;
  }

  // The next line of the block Opening started, or nullptr at its `end`
  // (which is consumed). Blocks inside it are read by their own statements.
  const Line* Next(const Line& Opening) {
    if (at_ >= lines_.size())
      throw CompileError(Opening.number, "'" + Opening.words[0] + "' block has no 'end'");
    const Line& l = lines_[at_++];
    if (l.words[0] == "end") {
      Words w(l);
      w.Done();
      return nullptr;
    }
    return &l;
  }

  // ---- videos ----

  // video NAME W H [codec sorenson|screen|N] [smoothing] [deblocking [N]] [frames FILE]
  void ParseVideo(Words& W) {
    const std::string name = W.Word("video name");
    swf::VideoStream v;
    v.width = static_cast<uint16_t>(W.Integer("video width", 0, 65535));
    v.height = static_cast<uint16_t>(W.Integer("video height", 0, 65535));
    std::optional<uint8_t> codec;
    std::optional<std::string> file;
    while (!W.AtEnd()) {
      if (W.Accept("codec")) {
        if (W.AtEnd()) W.Fail("missing codec");
        const std::string c = W.Peek();
        if (c == "sorenson" || c == "screen") {
          W.Word("codec");
          codec = c == "sorenson" ? 2 : 3;
        } else {
          codec = static_cast<uint8_t>(W.Integer("codec", 0, 15));
        }
      } else if (W.Accept("smoothing")) {
        v.smoothing = true;
      } else if (W.Accept("deblocking")) {
        v.deblocking = 2;  // on
        if (!W.AtEnd() && TransformOptions::ParseNumberLike(W.Peek()))
          v.deblocking = static_cast<uint8_t>(W.Integer("deblocking", 0, 7));
      } else if (W.Accept("frames")) {
        file = W.Word("video file");
      } else {
        W.Fail("a video takes codec, smoothing, deblocking and frames, not '" + W.Peek() + "'");
      }
    }
    v.codec = codec.value_or(2);
    if (file) {
      std::optional<std::vector<uint8_t>> bytes = files_ ? files_(*file) : std::nullopt;
      if (!bytes) W.Fail(files_ ? "cannot read '" + *file + "'" : "video files cannot be read here");
      FlvFrames frames;
      try {
        frames = ReadFlvFrames(*bytes);
      } catch (const std::runtime_error& e) {
        W.Fail("'" + *file + "': " + e.what());
      }
      if (codec && *codec != frames.codec)
        W.Fail("'" + *file + "' holds codec " + std::to_string(frames.codec) + ", not " + std::to_string(*codec));
      v.codec = frames.codec;
      v.frameCount = static_cast<uint16_t>(frames.packets.size());
      for (size_t i = 0; i < frames.packets.size(); ++i)
        v.frames.emplace(static_cast<uint16_t>(i), std::move(frames.packets[i]));
    }
    const uint16_t id = Define(W, name, Kind::Video);
    movie_.dictionary[id] = std::move(v);
  }

  // ---- bitmaps ----

  void CountPixels(Words& W, int64_t Width, int64_t Height) {
    size_t n = static_cast<size_t>(Width) * static_cast<size_t>(Height);
    if (n > kMaxBitmapPixels) W.Fail("a bitmap may have at most " + std::to_string(kMaxBitmapPixels) + " pixels");
    if (totalPixels_ + n > kMaxTotalPixels) W.Fail("the bitmaps together exceed " + std::to_string(kMaxTotalPixels) + " pixels");
    totalPixels_ += n;
  }

  void ParseBitmap(const Line& L) {
    Words w(L);
    std::string name = w.Word("bitmap name");
    swf::Bitmap bmp;
    if (w.Accept("jpeg")) {
      const std::string path = w.Word("image file");
      w.Done();
      std::optional<std::vector<uint8_t>> file = files_ ? files_(path) : std::nullopt;
      if (!file) w.Fail(files_ ? "cannot read '" + path + "'" : "image files cannot be read here");
      std::optional<swf::Bitmap> image = ImageFileBitmap(*file);
      if (!image) w.Fail("'" + path + "' is not a JPEG, PNG or GIF image that decodes");
      CountPixels(w, image->width, image->height);
      const uint16_t id = Define(w, name, Kind::Bitmap);
      movie_.imageFiles[id] = std::move(*file);
      movie_.dictionary[id] = std::move(*image);
      return;
    } else if (w.Accept("checker")) {
      int64_t width = w.Integer("width", 1, 65535), height = w.Integer("height", 1, 65535);
      int64_t cell = w.Integer("cell size", 1, 65535);
      uint32_t c1 = Premultiplied(Color(w, "first colour")), c2 = Premultiplied(Color(w, "second colour"));
      w.Done();
      CountPixels(w, width, height);
      bmp.width = static_cast<int32_t>(width);
      bmp.height = static_cast<int32_t>(height);
      bmp.pixels.reserve(static_cast<size_t>(width * height));
      for (int64_t y = 0; y < height; ++y)
        for (int64_t x = 0; x < width; ++x) bmp.pixels.push_back(((x / cell + y / cell) % 2 == 0) ? c1 : c2);
    } else if (w.Accept("solid")) {
      int64_t width = w.Integer("width", 1, 65535), height = w.Integer("height", 1, 65535);
      uint32_t c = Premultiplied(Color(w, "colour"));
      w.Done();
      CountPixels(w, width, height);
      bmp.width = static_cast<int32_t>(width);
      bmp.height = static_cast<int32_t>(height);
      bmp.pixels.assign(static_cast<size_t>(width * height), c);
    } else {
      int64_t width = w.Integer("width", 1, 65535), height = w.Integer("height", 1, 65535);
      w.Done();
      CountPixels(w, width, height);
      bmp.width = static_cast<int32_t>(width);
      bmp.height = static_cast<int32_t>(height);
      std::vector<const Line*> rows;
      while (const Line* row = Next(L)) rows.push_back(row);
      if (rows.size() != static_cast<size_t>(height))
        w.Fail("bitmap '" + name + "' has " + std::to_string(rows.size()) + " rows, not " + std::to_string(height));
      for (const Line* row : rows) {
        if (row->words.size() != static_cast<size_t>(width))
          throw CompileError(row->number, "a row of bitmap '" + name + "' has " + std::to_string(row->words.size()) +
                                              " pixels, not " + std::to_string(width));
        for (const std::string& px : row->words) {
          std::optional<swf::RGBA> c = ParseColor(px);
          if (!c) throw CompileError(row->number, "'" + px + "' is not a pixel (RRGGBB or RRGGBBAA)");
          bmp.pixels.push_back(Premultiplied(*c));
        }
      }
    }
    uint16_t id = Define(w, name, Kind::Bitmap);
    movie_.dictionary[id] = std::move(bmp);
  }

  // ---- shapes ----

  struct ShapeState {
    swf::Shape shape;
    std::map<std::string, uint32_t> fills, lines;
    size_t edges = 0;
    double widestLine = 0;  // twips

    void CountEdges(Words& W, size_t N) {
      edges += N;
      if (edges > kMaxEdgesPerShape) W.Fail("more than " + std::to_string(kMaxEdgesPerShape) + " edges in one shape");
    }
  };

  uint32_t StyleRef(Words& W, const std::map<std::string, uint32_t>& Styles, const char* What) {
    std::string name = W.Word(What);
    if (name == "none") return 0;
    auto it = Styles.find(name);
    if (it == Styles.end()) W.Fail(std::string(What) + " '" + name + "' is not defined in this shape");
    return it->second;
  }

  void NewStyleName(Words& W, std::map<std::string, uint32_t>& Styles, const std::string& Name, uint32_t Index) {
    if (Name == "none") W.Fail("'none' is reserved for no style");
    if (!Styles.emplace(Name, Index).second) W.Fail("style '" + Name + "' is already defined in this shape");
    if (Index > 32767) W.Fail("more than 32767 styles in one shape");
  }

  void ParseFill(Words& W, ShapeState& S) {
    std::string name = W.Word("fill name");
    std::string type = W.Word("fill type");
    swf::FillStyle f;
    if (type == "solid") {
      f.type = swf::FillType::Solid;
      f.color = Color(W, "fill colour");
    } else if (type == "linear" || type == "radial" || type == "focal") {
      f.type = type == "linear"   ? swf::FillType::LinearGradient
               : type == "radial" ? swf::FillType::RadialGradient
                                  : swf::FillType::FocalRadialGradient;
      if (W.Accept("matrix")) {
        f.matrix = RawMatrix(W);
      } else if (type == "linear") {
        // The gradient square spans -16384..16384 twips: map its x axis onto the line.
        double x1 = W.Coordinate("start x"), y1 = W.Coordinate("start y");
        double x2 = W.Coordinate("end x"), y2 = W.Coordinate("end y");
        double dx = (x2 - x1) * kTwips, dy = (y2 - y1) * kTwips;
        if (dx == 0 && dy == 0) W.Fail("a linear gradient needs two different points");
        double s = 1.0 / 32768.0;
        f.matrix = {dx * s, dy * s, -dy * s, dx * s, (x1 + x2) / 2 * kTwips, (y1 + y2) / 2 * kTwips};
      } else {
        double cx = W.Coordinate("centre x"), cy = W.Coordinate("centre y");
        double r = W.Number("radius", 0, kMaxCoordinate);
        if (r == 0) W.Fail("a radial gradient needs a radius above 0");
        double s = r * kTwips / 16384.0;
        f.matrix = {s, 0, 0, s, cx * kTwips, cy * kTwips};
      }
      bool stops = false;
      while (!stops) {
        if (W.Accept("spread")) {
          std::string m = W.Word("spread mode");
          if (m == "pad") f.spread = swf::SpreadMode::Pad;
          else if (m == "reflect") f.spread = swf::SpreadMode::Reflect;
          else if (m == "repeat") f.spread = swf::SpreadMode::Repeat;
          else W.Fail("spread is pad, reflect or repeat, not '" + m + "'");
        } else if (W.Accept("focus")) {
          if (f.type != swf::FillType::FocalRadialGradient) W.Fail("'focus' belongs to focal gradients");
          f.focalPoint = W.Number("focus", -1, 1);
        } else if (W.Accept("stops")) {
          stops = true;
        } else {
          W.Fail(W.AtEnd() ? "a gradient needs 'stops' with ratio and colour pairs"
                           : "unexpected '" + W.Peek() + "' in a gradient");
        }
      }
      while (!W.AtEnd()) {
        swf::GradientRecord g;
        g.ratio = static_cast<uint8_t>(W.Integer("stop ratio", 0, 255));
        if (!f.gradient.empty() && g.ratio < f.gradient.back().ratio) W.Fail("gradient stops must be in ascending ratio");
        g.color = Color(W, "stop colour");
        f.gradient.push_back(g);
        if (f.gradient.size() > 15) W.Fail("a gradient has at most 15 stops");
      }
      if (f.gradient.empty()) W.Fail("a gradient needs at least one stop");
    } else if (type == "bitmap") {
      std::string bmpName = W.Word("bitmap name");
      Named n = Lookup(W, bmpName);
      if (n.kind != Kind::Bitmap) W.Fail("'" + bmpName + "' is not a bitmap");
      f.bitmapId = n.id;
      bool clipped = false, smooth = true;
      TransformOptions t;
      while (!W.AtEnd()) {
        if (W.Accept("clipped")) clipped = true;
        else if (W.Accept("repeat")) clipped = false;
        else if (W.Accept("nosmooth")) smooth = false;
        else if (W.Accept("smooth")) smooth = true;
        else if (!t.Take(W)) W.Fail("unexpected '" + W.Peek() + "' in a bitmap fill");
      }
      f.type = clipped ? (smooth ? swf::FillType::ClippedBitmap : swf::FillType::NonSmoothedClippedBitmap)
                       : (smooth ? swf::FillType::RepeatingBitmap : swf::FillType::NonSmoothedRepeatingBitmap);
      // One bitmap pixel is one twip in bitmap space: a scale of 20 shows it one pixel a pixel.
      f.matrix = t.Build(kTwips);
      for (double v : {f.matrix.a, f.matrix.b, f.matrix.c, f.matrix.d})
        if (std::fabs(v) >= 16000) W.Fail("a bitmap fill's scale must stay below 800");
    } else {
      W.Fail("fill type is solid, linear, radial, focal or bitmap, not '" + type + "'");
    }
    W.Done();
    S.shape.fills.push_back(f);
    NewStyleName(W, S.fills, name, static_cast<uint32_t>(S.shape.fills.size()));
  }

  void ParseLineStyle(Words& W, ShapeState& S) {
    std::string name = W.Word("line name");
    double width = W.Number("line width", 0, 65535 / kTwips);
    swf::LineStyle l;
    l.width = static_cast<uint16_t>(std::lround(width * kTwips));
    l.color = Color(W, "line colour");
    W.Done();
    S.shape.lines.push_back(l);
    S.widestLine = std::max(S.widestLine, static_cast<double>(l.width));
    NewStyleName(W, S.lines, name, static_cast<uint32_t>(S.shape.lines.size()));
  }

  // `fill F`, `outside F`, `line L` after a rect or circle.
  void ClosedFigure(Words& W, ShapeState& S, swf::Point Start, std::vector<swf::Edge> Edges) {
    uint32_t inside = 0, outside = 0, line = 0;
    while (!W.AtEnd()) {
      if (W.Accept("fill")) inside = StyleRef(W, S.fills, "fill");
      else if (W.Accept("outside")) outside = StyleRef(W, S.fills, "fill");
      else if (W.Accept("line")) line = StyleRef(W, S.lines, "line");
      else W.Fail("unexpected '" + W.Peek() + "'");
    }
    S.CountEdges(W, Edges.size());
    // Drawn clockwise on screen: the inside is on the right of every edge.
    S.shape.paths.push_back({outside, inside, line, Start, std::move(Edges)});
  }

  void ParseRect(Words& W, ShapeState& S) {
    double x = W.Coordinate("x"), y = W.Coordinate("y");
    double w = W.Number("width", 0, kMaxCoordinate), h = W.Number("height", 0, kMaxCoordinate);
    std::vector<swf::Edge> edges{{false, {}, Pt(x + w, y)}, {false, {}, Pt(x + w, y + h)},
                                 {false, {}, Pt(x, y + h)}, {false, {}, Pt(x, y)}};
    ClosedFigure(W, S, Pt(x, y), std::move(edges));
  }

  void ParseCircle(Words& W, ShapeState& S) {
    double cx = W.Coordinate("centre x"), cy = W.Coordinate("centre y");
    double r = W.Number("radius", 0, kMaxCoordinate);
    // Eight quadratic arcs; each control point lies on the tangents at the
    // arc's ends, r / cos(22.5 degrees) from the centre.
    std::vector<swf::Edge> edges;
    const double step = std::numbers::pi / 4, rc = r / std::cos(step / 2);
    for (int i = 1; i <= 8; ++i) {
      double a = step * i, m = a - step / 2;
      swf::Point anchor = i == 8 ? Pt(cx + r, cy) : Pt(cx + r * std::cos(a), cy + r * std::sin(a));
      edges.push_back({true, Pt(cx + rc * std::cos(m), cy + rc * std::sin(m)), anchor});
    }
    ClosedFigure(W, S, Pt(cx + r, cy), std::move(edges));
  }

  void ParsePath(const Line& L, Words& W, ShapeState& S) {
    uint32_t fill0 = 0, fill1 = 0, line = 0;
    while (!W.AtEnd()) {
      if (W.Accept("fill0")) fill0 = StyleRef(W, S.fills, "fill");
      else if (W.Accept("fill1")) fill1 = StyleRef(W, S.fills, "fill");
      else if (W.Accept("line")) line = StyleRef(W, S.lines, "line");
      else W.Fail("unexpected '" + W.Peek() + "'");
    }
    std::optional<size_t> open;  // index of the path the pen is in
    swf::Point pen;
    while (const Line* l = Next(L)) {
      Words p(*l);
      const std::string& kw = l->words[0];
      if (kw == "moveto") {
        double x = p.Coordinate("x"), y = p.Coordinate("y");
        p.Done();
        pen = Pt(x, y);
        S.shape.paths.push_back({fill0, fill1, line, pen, {}});
        open = S.shape.paths.size() - 1;
        continue;
      }
      if (!open) p.Fail("'" + kw + "' before the first 'moveto'");
      swf::Path& path = S.shape.paths[*open];
      S.CountEdges(p, 1);
      if (kw == "lineto") {
        double x = p.Coordinate("x"), y = p.Coordinate("y");
        pen = Pt(x, y);
        path.edges.push_back({false, {}, pen});
      } else if (kw == "curveto") {
        double cx = p.Coordinate("control x"), cy = p.Coordinate("control y");
        double x = p.Coordinate("x"), y = p.Coordinate("y");
        pen = Pt(x, y);
        path.edges.push_back({true, Pt(cx, cy), pen});
      } else if (kw == "close") {
        pen = path.start;
        path.edges.push_back({false, {}, pen});
      } else {
        p.Fail("a path holds moveto, lineto, curveto and close, not '" + kw + "'");
      }
      p.Done();
    }
  }

  void ParseShape(const Line& L) {
    Words w(L);
    std::string name = w.Word("shape name");
    w.Done();
    ShapeState s;
    std::optional<swf::Rect> bounds;
    while (const Line* l = Next(L)) {
      Words b(*l);
      const std::string& kw = l->words[0];
      if (kw == "fill") ParseFill(b, s);
      else if (kw == "line") ParseLineStyle(b, s);
      else if (kw == "rect") ParseRect(b, s);
      else if (kw == "circle") ParseCircle(b, s);
      else if (kw == "path") ParsePath(*l, b, s);
      else if (kw == "version") {
        s.shape.tagVersion = static_cast<uint8_t>(b.Integer("shape version", 1, 4));
        b.Done();
      } else if (kw == "bounds") {
        double x0 = b.Coordinate("xmin"), y0 = b.Coordinate("ymin");
        double x1 = b.Coordinate("xmax"), y1 = b.Coordinate("ymax");
        b.Done();
        if (x1 < x0 || y1 < y0) b.Fail("bounds need xmin <= xmax and ymin <= ymax");
        bounds = swf::Rect{x0 * kTwips, y0 * kTwips, x1 * kTwips, y1 * kTwips};
      } else if (kw == "shape" || kw == "sprite" || kw == "bitmap") {
        b.Fail("'" + kw + "' inside a shape (is an 'end' missing?)");
      } else {
        b.Fail("a shape holds fill, line, rect, circle, path, version and bounds, not '" + kw + "'");
      }
    }
    if (bounds) {
      s.shape.bounds = *bounds;
    } else {
      // The edges' bounds (control points included) grown by half the widest line.
      swf::Rect r;
      for (const swf::Path& p : s.shape.paths) {
        r.Include(p.start);
        for (const swf::Edge& e : p.edges) {
          if (e.curve) r.Include(e.control);
          r.Include(e.anchor);
        }
      }
      double h = s.widestLine / 2;
      if (!r.Empty()) r = {r.xmin - h, r.ymin - h, r.xmax + h, r.ymax + h};
      s.shape.bounds = r;
    }
    uint16_t id = Define(w, name, Kind::Shape);
    movie_.dictionary[id] = std::move(s.shape);
  }

  // ---- fonts and static text ----

  // `font NAME file PATH [chars "..."]`, `font NAME device FACE`, or a
  // block of `glyph` outlines; each may end with `bold` and `italic`.
  void ParseFont(const Line& L) {
    Words w(L);
    std::string name = w.Word("font name");
    swf::Font f;
    bool block = true;
    if (w.Accept("file")) {
      const std::string path = w.Word("font file");
      std::string chars;
      for (char c = 32; c < 127; ++c) chars.push_back(c);
      if (w.Accept("chars")) chars = w.Word("characters");
      FontStyle(w, f);
      try {
        f = [&] {
          swf::Font read = FontFromFile(path, chars);
          read.bold = f.bold;
          read.italic = f.italic;
          return read;
        }();
      } catch (const std::runtime_error& e) {
        w.Fail(e.what());
      }
      block = false;
    } else if (w.Accept("device")) {
      f.name = w.Word("face name");
      if (f.name.size() > 255) w.Fail("a face name has at most 255 bytes");
      f.tagVersion = 2;
      FontStyle(w, f);
      block = false;
    } else {
      FontStyle(w, f);
    }
    if (block) {
      f.name = name;
      while (const Line* l = Next(L)) {
        Words b(*l);
        const std::string& kw = l->words[0];
        if (kw == "glyph") {
          ParseGlyph(*l, b, f);
        } else if (kw == "ascent" || kw == "descent" || kw == "leading") {
          const auto v = static_cast<int16_t>(b.Integer(kw.c_str(), -1638, 1638) * kTwips);
          b.Done();
          (kw == "ascent" ? f.ascent : kw == "descent" ? f.descent : f.leading) = v;
        } else {
          b.Fail("a font holds glyph, ascent, descent and leading, not '" + kw + "'");
        }
      }
      FinishHandFont(f);
    }
    uint16_t id = Define(w, name, Kind::Font);
    movie_.dictionary[id] = std::move(f);
  }

  static void FontStyle(Words& W, swf::Font& F) {
    while (!W.AtEnd()) {
      if (W.Accept("bold")) F.bold = true;
      else if (W.Accept("italic")) F.italic = true;
      else W.Fail("unexpected '" + W.Peek() + "'");
    }
  }

  // `glyph "C" advance A`, then path lines (moveto, lineto, curveto, close)
  // in an em square of 1024 units, y down, baseline at 0.
  void ParseGlyph(const Line& L, Words& W, swf::Font& F) {
    const std::u32string code = DecodeUtf8(W.Word("character"));
    if (code.size() != 1 || code[0] > 0xFFFF) W.Fail("a glyph is for one character of the basic plane");
    for (const swf::FontGlyph& g : F.glyphs)
      if (g.code == code[0]) W.Fail("the font already has a glyph for this character");
    if (F.glyphs.size() >= 65535) W.Fail("a font has at most 65535 glyphs");
    swf::FontGlyph glyph;
    glyph.code = static_cast<char16_t>(code[0]);
    if (!W.Accept("advance")) W.Fail("a glyph needs its advance");
    glyph.advance = static_cast<int16_t>(W.Integer("advance", -1638, 1638) * kTwips);
    W.Done();
    ShapeState s;
    ParsePath(L, W, s);
    for (swf::Path& p : s.shape.paths) p.fill1 = 1;
    s.shape.fills.push_back(swf::FillStyle{});
    s.shape.fills[0].color = {255, 255, 255, 255};
    glyph.shape = std::move(s.shape);
    F.glyphs.push_back(std::move(glyph));
  }

  // `text NAME [at X Y]`, then `run FONT SIZE COLOUR "string" [at X Y]`
  // lines. A run without a position goes on where the one before ended.
  void ParseText(const Line& L) {
    Words w(L);
    std::string name = w.Word("text name");
    swf::StaticText t;
    if (w.Accept("at")) {
      t.matrix.tx = w.Coordinate("x") * kTwips;
      t.matrix.ty = w.Coordinate("y") * kTwips;
    }
    w.Done();
    double x = 0, y = 0;
    bool first = true;
    while (const Line* l = Next(L)) {
      Words r(*l);
      if (l->words[0] != "run") r.Fail("a text holds run lines, not '" + l->words[0] + "'");
      const std::string fontName = r.Word("font name");
      const Named n = Lookup(r, fontName);
      if (n.kind != Kind::Font) r.Fail("'" + fontName + "' is not a font");
      const auto& font = std::get<swf::Font>(movie_.dictionary.at(n.id));
      if (font.glyphs.empty()) r.Fail("font '" + fontName + "' has no glyphs: static text needs an embedded font");
      const double size = r.Number("size", 0, 3276) * kTwips;
      const swf::RGBA colour = Color(r, "colour");
      const std::string text = r.Word("string");
      if (first) y = size;  // the first line's baseline: one size below the top
      if (r.Accept("at")) {
        x = r.Coordinate("x") * kTwips;
        y = r.Coordinate("y") * kTwips;
      }
      r.Done();
      first = false;
      const std::u32string codes = DecodeUtf8(text);
      if (codes.size() > 65535) r.Fail("a run has at most 65535 characters");
      try {
        t.runs.push_back(LayOutRun(font, n.id, size, colour, codes, x, y));
      } catch (const std::runtime_error& e) {
        r.Fail(std::string("font '") + fontName + "': " + e.what());
      }
      for (const swf::TextGlyph& g : t.runs.back().glyphs) x += g.advance;
      t.bounds.Include(RunBounds(font, t.runs.back()));
    }
    if (t.bounds.Empty()) t.bounds = {0, 0, 0, 0};
    uint16_t id = Define(w, name, Kind::Text);
    movie_.dictionary[id] = std::move(t);
  }

  // `morph NAME` with `from SHAPE` and `to SHAPE`: a morph shape between two
  // shapes defined before it.
  void ParseMorph(const Line& L) {
    Words w(L);
    std::string name = w.Word("morph name");
    w.Done();
    const swf::Shape* ends[2] = {nullptr, nullptr};
    while (const Line* l = Next(L)) {
      Words b(*l);
      const std::string& kw = l->words[0];
      if (kw != "from" && kw != "to") b.Fail("a morph holds 'from SHAPE' and 'to SHAPE', not '" + kw + "'");
      const std::string shapeName = b.Word("shape name");
      b.Done();
      const auto it = movie_.dictionary.find(Lookup(b, shapeName).id);
      const auto* shape = it == movie_.dictionary.end() ? nullptr : std::get_if<swf::Shape>(&it->second);
      if (!shape) b.Fail("'" + shapeName + "' is not a shape");
      ends[kw == "to"] = shape;
    }
    if (!ends[0] || !ends[1]) w.Fail("a morph needs both 'from SHAPE' and 'to SHAPE'");
    swf::MorphShape m;
    try {
      m = MorphBetween(*ends[0], *ends[1]);
    } catch (const std::invalid_argument& e) {
      w.Fail(e.what());
    }
    const uint16_t id = Define(w, name, Kind::Shape);
    movie_.dictionary[id] = std::move(m);
  }

  // ---- buttons ----

  // `key K`: a single character, or the name of a special key.
  static uint8_t KeyCode(Words& W) {
    static const std::map<std::string, uint8_t> names{
        {"left", 1},   {"right", 2},   {"home", 3},      {"end", 4},         {"insert", 5},
        {"delete", 6}, {"backspace", 8}, {"enter", 13},  {"up", 14},         {"down", 15},
        {"pageup", 16}, {"pagedown", 17}, {"tab", 18},   {"escape", 19},     {"space", 32}};
    std::string k = W.Word("key");
    if (auto it = names.find(k); it != names.end()) return it->second;
    if (k.size() == 1 && k[0] >= 32 && k[0] <= 126) return static_cast<uint8_t>(k[0]);
    W.Fail("a key is one printable character or left, right, home, end, insert, delete, backspace, enter, "
           "up, down, pageup, pagedown, tab, escape or space, not '" + k + "'");
  }

  // Hex words to the end of the line, appended to Bytes.
  static void HexBytes(Words& W, std::vector<uint8_t>& Bytes) {
    if (W.AtEnd()) W.Fail("an action needs its bytes in hex");
    while (!W.AtEnd()) {
      std::string hex = W.Word("bytes");
      if (hex.size() % 2) W.Fail("'" + hex + "' is not whole bytes in hex");
      for (size_t i = 0; i < hex.size(); i += 2) {
        int hi = HexDigit(hex[i]), lo = HexDigit(hex[i + 1]);
        if (hi < 0 || lo < 0) W.Fail("'" + hex + "' is not hex");
        Bytes.push_back(static_cast<uint8_t>(hi * 16 + lo));
      }
    }
  }

  // `up|over|down|hit[+...] CHARACTER [depth D] [at ...] [mult ...] [add ...]`.
  void ParseButtonRecord(Words& W, const std::string& States, swf::Button& B) {
    swf::ButtonRecord r;
    size_t from = 0;
    for (;;) {
      const size_t plus = States.find('+', from);
      const std::string s = States.substr(from, plus == std::string::npos ? std::string::npos : plus - from);
      if (s == "up") r.up = true;
      else if (s == "over") r.over = true;
      else if (s == "down") r.down = true;
      else if (s == "hit") r.hit = true;
      else W.Fail("a button state is up, over, down or hit, not '" + s + "'");
      if (plus == std::string::npos) break;
      from = plus + 1;
    }
    const std::string name = W.Word("character name");
    r.characterId = Placeable(W, name);
    r.depth = static_cast<uint16_t>(std::min<size_t>(B.records.size() + 1, 65535));
    TransformOptions t;
    bool depth = false;
    while (!W.AtEnd()) {
      if (t.Take(W)) continue;
      if (W.Accept("depth")) {
        if (depth) W.Fail("'depth' given twice");
        depth = true;
        r.depth = Depth(W, "depth");
      } else if (W.Accept("mult")) {
        auto factor = [&](const char* what) {
          return static_cast<int16_t>(std::lround(W.Number(what, -63, 63) * 256));
        };
        r.cxform.multR = factor("red factor");
        r.cxform.multG = factor("green factor");
        r.cxform.multB = factor("blue factor");
        if (!W.AtEnd() && TransformOptions::ParseNumberLike(W.Peek()))
          r.cxform.multA = factor("alpha factor");
      } else if (W.Accept("add")) {
        auto term = [&](const char* what) { return static_cast<int16_t>(W.Integer(what, -16384, 16383)); };
        r.cxform.addR = term("red term");
        r.cxform.addG = term("green term");
        r.cxform.addB = term("blue term");
        if (!W.AtEnd() && TransformOptions::ParseNumberLike(W.Peek())) r.cxform.addA = term("alpha term");
      } else {
        W.Fail("unexpected '" + W.Peek() + "'");
      }
    }
    const swf::ColorTransform& cx = r.cxform;
    if (std::max({std::abs(cx.multR), std::abs(cx.multG), std::abs(cx.multB), std::abs(cx.multA)}) > 16383)
      W.Fail("a colour factor must lie within -63..63");
    if (t.Given()) r.matrix = t.Build(1);
    if (B.records.size() >= 65535) W.Fail("more than 65535 records in one button");
    B.records.push_back(r);
  }

  // `on CONDITION... [action HEX...]`.
  void ParseButtonAction(Words& W, swf::Button& B) {
    swf::ButtonAction a;
    while (!W.AtEnd() && W.Peek() != "action") {
      const std::string c = W.Word("condition");
      if (c == "press") a.conditions |= swf::kOverUpToOverDown;
      else if (c == "release") a.conditions |= swf::kOverDownToOverUp;
      else if (c == "rollover") a.conditions |= swf::kIdleToOverUp;
      else if (c == "rollout") a.conditions |= swf::kOverUpToIdle;
      else if (c == "releaseoutside") a.conditions |= swf::kOutDownToIdle;
      else if (c == "dragover") a.conditions |= swf::kOutDownToOverDown | swf::kIdleToOverDown;
      else if (c == "dragout") a.conditions |= swf::kOverDownToOutDown | swf::kOverDownToIdle;
      else if (c == "key") {
        if (a.keyCode) W.Fail("one key per 'on'");
        a.keyCode = KeyCode(W);
      } else {
        W.Fail("a condition is press, release, rollover, rollout, releaseoutside, dragover, dragout "
               "or key K, not '" + c + "'");
      }
    }
    if (!a.conditions && !a.keyCode) W.Fail("'on' needs a condition");
    if (W.Accept("action")) HexBytes(W, a.actions);
    if (B.actions.size() >= 65535) W.Fail("more than 65535 condition actions in one button");
    B.actions.push_back(std::move(a));
  }

  void ParseButton(const Line& L) {
    Words w(L);
    std::string name = w.Word("button name");
    w.Done();
    swf::Button b;
    while (const Line* l = Next(L)) {
      Words r(*l);
      const std::string& kw = l->words[0];
      if (kw == "on") {
        ParseButtonAction(r, b);
      } else if (kw == "action") {
        if (b.actions.empty()) r.Fail("'action' in a button belongs after an 'on'");
        HexBytes(r, b.actions.back().actions);
      } else if (kw == "menu") {
        r.Done();
        b.trackAsMenu = true;
      } else if (kw == "version") {
        b.tagVersion = static_cast<uint8_t>(r.Integer("button version", 1, 2));
        r.Done();
      } else if (kw == "shape" || kw == "sprite" || kw == "bitmap" || kw == "button") {
        r.Fail("'" + kw + "' inside a button (is an 'end' missing?)");
      } else if (kw.find('+') != std::string::npos || kw == "up" || kw == "over" || kw == "down" ||
                 kw == "hit") {
        ParseButtonRecord(r, kw, b);
      } else {
        r.Fail("a button holds up, over, down and hit records, on, action, menu and version, not '" + kw +
               "'");
      }
    }
    if (b.tagVersion == 1) {
      bool fits = !b.trackAsMenu && b.actions.size() <= 1;
      for (const swf::ButtonRecord& r : b.records) fits = fits && r.cxform.IsIdentity();
      for (const swf::ButtonAction& a : b.actions)
        fits = fits && a.conditions == swf::kOverDownToOverUp && a.keyCode == 0 && !a.actions.empty();
      if (!fits)
        w.Fail("a version 1 button holds records without colour transforms and one 'on release' "
               "with actions");
    }
    uint16_t id = Define(w, name, Kind::Button);
    movie_.dictionary[id] = std::move(b);
  }

  // ---- text fields ----

  // `edittext NAME W H [options]`: see README.md.
  void ParseEditText(const Line& L) {
    Words w(L);
    const std::string name = w.Word("text field name");
    swf::EditText e;
    e.bounds = {0, 0, std::round(w.Number("width", 0, kMaxCoordinate) * kTwips),
                std::round(w.Number("height", 0, kMaxCoordinate) * kTwips)};
    const auto twips = [&](const char* What, double Min, double Max) {
      return std::lround(w.Number(What, Min, Max) * kTwips);
    };
    while (!w.AtEnd()) {
      if (w.Accept("font")) {
        const std::string font = w.Word("font name");
        const Named n = Lookup(w, font);
        if (n.kind != Kind::Font) w.Fail("'" + font + "' is not a font");
        e.fontId = n.id;
      } else if (w.Accept("size")) {
        e.fontHeight = static_cast<uint16_t>(twips("font size", 0, 3276));
      } else if (w.Accept("color")) {
        e.color = Color(w, "text colour");
      } else if (w.Accept("align")) {
        const std::string a = w.Word("alignment");
        if (a == "left") e.align = swf::TextAlign::Left;
        else if (a == "right") e.align = swf::TextAlign::Right;
        else if (a == "center") e.align = swf::TextAlign::Center;
        else if (a == "justify") e.align = swf::TextAlign::Justify;
        else w.Fail("align takes left, right, center or justify, not '" + a + "'");
      } else if (w.Accept("margins")) {
        e.leftMargin = static_cast<uint16_t>(twips("left margin", 0, 3276));
        e.rightMargin = static_cast<uint16_t>(twips("right margin", 0, 3276));
      } else if (w.Accept("indent")) {
        e.indent = static_cast<uint16_t>(twips("indent", 0, 3276));
      } else if (w.Accept("leading")) {
        e.leading = static_cast<int16_t>(twips("leading", -1638, 1638));
      } else if (w.Accept("var")) {
        e.variableName = w.Word("variable name");
      } else if (w.Accept("text")) {
        e.initialText = Unescape(w.Word("text"));
      } else if (w.Accept("wrap")) {
        e.wordWrap = true;
      } else if (w.Accept("multiline")) {
        e.multiline = true;
      } else if (w.Accept("html")) {
        e.html = true;
      } else if (w.Accept("border")) {
        e.border = true;
      } else if (w.Accept("readonly")) {
        e.readOnly = true;
      } else if (w.Accept("password")) {
        e.password = true;
      } else if (w.Accept("outlines")) {
        e.useOutlines = true;
      } else {
        w.Fail("unexpected '" + w.Peek() + "'");
      }
    }
    // The format stores a height only with a font.
    if (!e.fontId && e.fontHeight != 240) w.Fail("'size' needs a 'font'");
    const uint16_t id = Define(w, name, Kind::EditText);
    movie_.dictionary[id] = std::move(e);
  }

  // `\n` in a text field's text is a line break, `\\` a backslash.
  static std::string Unescape(const std::string& S) {
    std::string out;
    for (size_t i = 0; i < S.size(); ++i) {
      if (S[i] == '\\' && i + 1 < S.size() && (S[i + 1] == 'n' || S[i + 1] == '\\')) {
        out += S[++i] == 'n' ? '\n' : '\\';
      } else {
        out += S[i];
      }
    }
    return out;
  }

  // ---- sprites and timelines ----

  void ParseSprite(const Line& L) {
    Words w(L);
    std::string name = w.Word("sprite name");
    w.Done();
    TimelineBuilder t;
    int lastLine = L.number;
    while (const Line* l = Next(L)) {
      lastLine = l->number;
      const std::string& kw = l->words[0];
      if (kw == "shape" || kw == "sprite" || kw == "bitmap")
        throw CompileError(l->number, "'" + kw + "' inside a sprite: define it at the top level (is an 'end' missing?)");
      if (!TimelineStatement(*l, t)) Unknown(*l);
    }
    swf::Sprite sprite;
    sprite.timeline = t.Finish(lastLine);
    sprite.frameCount = static_cast<uint16_t>(sprite.timeline.frames.size());
    // Defined after its body: a sprite cannot place itself.
    uint16_t id = Define(w, name, Kind::Sprite);
    movie_.dictionary[id] = std::move(sprite);
  }

  // import "URL" NAME as "LINKAGE": NAME is a character of this movie that
  // the library at URL exports as LINKAGE.
  void ParseImport(Words& W) {
    std::string url = W.Word("library URL");
    std::string name = W.Word("name");
    if (!W.Accept("as")) W.Fail("expected 'as' and the name the library exports it under");
    std::string linkage = W.Word("linkage name");
    W.Done();
    const uint16_t id = Define(W, name, Kind::Imported);
    auto it = std::find_if(movie_.imports.begin(), movie_.imports.end(),
                           [&](const swf::Import& I) { return I.url == url; });
    if (it == movie_.imports.end()) it = movie_.imports.insert(movie_.imports.end(), swf::Import{url, {}});
    it->characters.push_back({id, std::move(linkage)});
  }

  // export NAME as "LINKAGE": other movies import NAME by LINKAGE.
  void ParseExport(Words& W) {
    std::string name = W.Word("name");
    if (!W.Accept("as")) W.Fail("expected 'as' and the linkage name");
    std::string linkage = W.Word("linkage name");
    W.Done();
    if (movie_.exports.count(linkage)) W.Fail("'" + linkage + "' is already exported");
    movie_.exports[linkage] = Lookup(W, name).id;
  }

  // grid SPRITE X0 Y0 X1 Y1: the scaling grid of a sprite or button, in pixels.
  void ParseGrid(Words& W) {
    const std::string name = W.Word("sprite or button name");
    const Named n = Lookup(W, name);
    if (n.kind != Kind::Sprite && n.kind != Kind::Button) W.Fail("only sprites and buttons have scaling grids");
    const double x0 = W.Coordinate("left"), y0 = W.Coordinate("top");
    const double x1 = W.Coordinate("right"), y1 = W.Coordinate("bottom");
    W.Done();
    if (x1 <= x0 || y1 <= y0) W.Fail("a scaling grid needs right > left and bottom > top");
    movie_.scalingGrids[n.id] = {x0 * kTwips, y0 * kTwips, x1 * kTwips, y1 * kTwips};
  }

  uint16_t Depth(Words& W, const char* What) { return static_cast<uint16_t>(W.Integer(What, 1, 65535)); }

  uint16_t Placeable(Words& W, const std::string& Name) {
    Named n = Lookup(W, Name);
    if (n.kind == Kind::Bitmap) W.Fail("bitmap '" + Name + "' cannot be placed: fill a shape with it");
    if (n.kind == Kind::Font) W.Fail("font '" + Name + "' cannot be placed: write a text with it");
    return n.id;
  }

  void PlaceOptions(Words& W, swf::PlaceObject& P) {
    TransformOptions t;
    std::optional<swf::ColorTransform> cx;
    bool explicitVersion = false;
    while (!W.AtEnd()) {
      if (t.Take(W)) continue;
      if (W.Accept("mult")) {
        if (!cx) cx.emplace();
        auto factor = [&](const char* what) {
          return static_cast<int16_t>(std::lround(W.Number(what, -63, 63) * 256));
        };
        cx->multR = factor("red factor");
        cx->multG = factor("green factor");
        cx->multB = factor("blue factor");
        if (!W.AtEnd() && TransformOptions::ParseNumberLike(W.Peek())) cx->multA = factor("alpha factor");
      } else if (W.Accept("add")) {
        if (!cx) cx.emplace();
        auto term = [&](const char* what) { return static_cast<int16_t>(W.Integer(what, -16384, 16383)); };
        cx->addR = term("red term");
        cx->addG = term("green term");
        cx->addB = term("blue term");
        if (!W.AtEnd() && TransformOptions::ParseNumberLike(W.Peek())) cx->addA = term("alpha term");
      } else if (W.Accept("name")) {
        P.name = W.Word("instance name");
      } else if (W.Accept("clip")) {
        P.clipDepth = Depth(W, "clip depth");
      } else if (W.Accept("ratio")) {
        P.ratio = static_cast<uint16_t>(W.Integer("ratio", 0, 65535));
      } else if (W.Accept("version")) {
        P.tagVersion = static_cast<uint8_t>(W.Integer("place version", 1, 3));
        explicitVersion = true;
      } else if (EffectOption(W, P)) {
        continue;
      } else if (W.Accept("char")) {
        if (!P.move) W.Fail("'char' belongs to 'move'; 'place' names its character first");
        P.characterId = Placeable(W, W.Word("character name"));
      } else {
        W.Fail("unexpected '" + W.Peek() + "'");
      }
    }
    if (t.Given()) P.matrix = t.Build(1);
    if (cx) {
      if (std::abs(cx->multR) > 16383 || std::abs(cx->multG) > 16383 || std::abs(cx->multB) > 16383 ||
          std::abs(cx->multA) > 16383)
        W.Fail("a colour factor must lie within -63..63");
      P.cxform = cx;
    }
    if (P.tagVersion == 1 && (P.move || P.name || P.clipDepth || P.ratio || (cx && (cx->multA != 256 || cx->addA != 0))))
      W.Fail("version 1 placements hold only a character, depth, matrix and colour transform without alpha");
    if (P.tagVersion < 3 && (P.blendMode || P.filters || P.cacheAsBitmap)) {
      if (explicitVersion) W.Fail("blend modes, filters and caching need a version 3 placement");
      P.tagVersion = 3;
    }
  }

  // One statement of a timeline; false for a keyword that is not one.
  bool TimelineStatement(const Line& L, TimelineBuilder& T) {
    Words w(L);
    const std::string& kw = L.words[0];
    if (kw == "place") {
      swf::PlaceObject p;
      p.characterId = Placeable(w, w.Word("character name"));
      p.depth = Depth(w, "depth");
      PlaceOptions(w, p);
      T.current.tags.emplace_back(std::move(p));
    } else if (kw == "move") {
      swf::PlaceObject p;
      p.move = true;
      p.depth = Depth(w, "depth");
      PlaceOptions(w, p);
      T.current.tags.emplace_back(std::move(p));
    } else if (kw == "remove") {
      swf::RemoveObject r;
      r.depth = Depth(w, "depth");
      if (!w.AtEnd()) r.characterId = Placeable(w, w.Word("character name"));
      w.Done();
      T.current.tags.emplace_back(r);
    } else if (kw == "label") {
      std::string label = w.Word("label");
      w.Done();
      if (!T.current.label.empty()) w.Fail("this frame already has the label '" + T.current.label + "'");
      T.current.label = label;
    } else if (kw == "action") {
      std::vector<uint8_t> bytes;
      while (!w.AtEnd()) {
        std::string hex = w.Word("bytes");
        if (hex.size() % 2) w.Fail("'" + hex + "' is not whole bytes in hex");
        for (size_t i = 0; i < hex.size(); i += 2) {
          int hi = HexDigit(hex[i]), lo = HexDigit(hex[i + 1]);
          if (hi < 0 || lo < 0) w.Fail("'" + hex + "' is not hex");
          bytes.push_back(static_cast<uint8_t>(hi * 16 + lo));
        }
      }
      if (bytes.empty()) w.Fail("an action needs its bytes in hex");
      T.current.actions.push_back(std::move(bytes));
    } else if (kw == "actions") {
      w.Done();
      T.current.actions.push_back(AssembleBlock(L));
    } else if (kw == "initactions") {
      const std::string sprite = w.Word("sprite name");
      const Named n = Lookup(w, sprite);
      if (n.kind != Kind::Sprite) w.Fail("'" + sprite + "' is not a sprite");
      w.Done();
      T.current.initActions.push_back({n.id, AssembleBlock(L)});
    } else if (kw == "show") {
      w.Done();
      T.Show(L.number);
      return true;
    } else {
      return false;
    }
    T.pending = true;
    return true;
  }

  // The lines of an `actions` block up to its `end`, assembled.
  std::vector<uint8_t> AssembleBlock(const Line& Opening) {
    std::vector<AsmLine> body;
    int depth = 1;
    while (true) {
      if (at_ >= lines_.size()) throw CompileError(Opening.number, "'actions' block has no 'end'");
      const Line& l = lines_[at_++];
      if (l.words[0] == "end" && !l.quoted[0] && --depth == 0) {
        Words(l).Done();
        break;
      }
      if (OpensAsmBlock(l.words[0]) && !l.quoted[0]) ++depth;
      body.push_back({l.number, l.words, l.quoted});
    }
    return Assemble(body);
  }

  std::vector<Line> lines_;
  const FileReader& files_;
  size_t at_ = 0;
  swf::Movie movie_;
  std::map<std::string, Named> names_;
  size_t totalPixels_ = 0;
};

}  // namespace

swf::Movie Parse(std::string_view Text, const FileReader& Files) { return Parser(Text, Files).Run(); }

std::vector<uint8_t> Compile(std::string_view Text, const FileReader& Files) {
  swf::Movie movie = Parse(Text, Files);
  try {
    return swf::WriteMovie(movie, movie.compressed);
  } catch (const swf::FormatError& e) {
    // Parse keeps every value in range, so this is a limit of the format
    // that the text reached as a whole (a movie over 4 GB, say).
    int last = 1 + static_cast<int>(std::count(Text.begin(), Text.end(), '\n'));
    throw CompileError(last, std::string("the movie cannot be written: ") + e.what());
  }
}

}  // namespace swfc
