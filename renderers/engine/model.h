#pragma once
// The movie as the engine holds it after loading: the header, the dictionary
// of characters (shapes, bitmaps, sprites, buttons, fonts and texts) and the timelines of
// control tags.
// Coordinates are twips (1/20 pixel) unless a name says otherwise. Portable.

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

namespace swf {

// Malformed or unsupported input, with a message that says what and where.
class FormatError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct Point {
  double x = 0, y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

// An axis-aligned rectangle; empty when xmax < xmin or ymax < ymin.
struct Rect {
  double xmin = 0, ymin = 0, xmax = -1, ymax = -1;
  bool Empty() const { return xmax < xmin || ymax < ymin; }
  double Width() const { return Empty() ? 0 : xmax - xmin; }
  double Height() const { return Empty() ? 0 : ymax - ymin; }
  void Include(Point p);
  void Include(const Rect& r);
  friend bool operator==(const Rect&, const Rect&) = default;
};

// Integer pixel rectangle, right and bottom exclusive.
struct IntRect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
  bool Empty() const { return right <= left || bottom <= top; }
  IntRect Intersect(const IntRect& o) const;
  IntRect Union(const IntRect& o) const;  // of two non-empty rectangles; an empty one is ignored
  friend bool operator==(const IntRect&, const IntRect&) = default;
};

// x' = a*x + c*y + tx, y' = b*x + d*y + ty (the format's ScaleX, RotateSkew0,
// RotateSkew1, ScaleY, TranslateX, TranslateY).
struct Matrix {
  double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;
  Point Apply(Point p) const { return {a * p.x + c * p.y + tx, b * p.x + d * p.y + ty}; }
  // This after Inner: (this * inner)(p) = this(inner(p)).
  Matrix operator*(const Matrix& inner) const;
  std::optional<Matrix> Inverse() const;
  Rect Apply(const Rect& r) const;  // bounds of the transformed rectangle
  friend bool operator==(const Matrix&, const Matrix&) = default;
};

struct RGBA {
  uint8_t r = 0, g = 0, b = 0, a = 255;
  friend bool operator==(const RGBA&, const RGBA&) = default;
};

// Colour transform: channel' = channel * mult / 256 + add, clamped to 0..255.
struct ColorTransform {
  int16_t multR = 256, multG = 256, multB = 256, multA = 256;
  int16_t addR = 0, addG = 0, addB = 0, addA = 0;
  RGBA Apply(RGBA c) const;
  // This applied after Inner.
  ColorTransform operator*(const ColorTransform& inner) const;
  bool IsIdentity() const { return *this == ColorTransform{}; }
  friend bool operator==(const ColorTransform&, const ColorTransform&) = default;
};

struct GradientRecord {
  uint8_t ratio = 0;
  RGBA color;
  friend bool operator==(const GradientRecord&, const GradientRecord&) = default;
};

enum class FillType : uint8_t {
  Solid = 0x00,
  LinearGradient = 0x10,
  RadialGradient = 0x12,
  FocalRadialGradient = 0x13,
  RepeatingBitmap = 0x40,
  ClippedBitmap = 0x41,
  NonSmoothedRepeatingBitmap = 0x42,
  NonSmoothedClippedBitmap = 0x43,
};

enum class SpreadMode : uint8_t { Pad = 0, Reflect = 1, Repeat = 2 };

struct FillStyle {
  FillType type = FillType::Solid;
  RGBA color;                            // Solid
  Matrix matrix;                         // gradient or bitmap space -> shape space
  std::vector<GradientRecord> gradient;  // 1..15 records (8 before DefineShape4), ratios ascending
  SpreadMode spread = SpreadMode::Pad;
  double focalPoint = 0;                 // FocalRadialGradient, -1..1
  uint16_t bitmapId = 0;                 // bitmap fills; 0xFFFF or unknown ids draw nothing
  friend bool operator==(const FillStyle&, const FillStyle&) = default;
};

struct LineStyle {
  uint16_t width = 20;  // twips
  RGBA color;
  friend bool operator==(const LineStyle&, const LineStyle&) = default;
};

struct Edge {
  bool curve = false;
  Point control;  // curves only
  Point anchor;   // end point
  friend bool operator==(const Edge&, const Edge&) = default;
};

// A run of edges drawn with one set of styles. Style numbers are 1-based
// indexes into the shape's fills and lines; 0 means none. fill0 is the fill
// on the left of the edge direction, fill1 on the right (the format's
// FillStyle0 and FillStyle1).
struct Path {
  uint32_t fill0 = 0, fill1 = 0, line = 0;
  Point start;
  std::vector<Edge> edges;
  friend bool operator==(const Path&, const Path&) = default;
};

struct Shape {
  Rect bounds;  // as declared in the tag (includes strokes)
  // Styles of the whole shape; styles a record introduces later are
  // appended, and the paths' numbers refer to this combined list.
  std::vector<FillStyle> fills;
  std::vector<LineStyle> lines;
  std::vector<Path> paths;
  uint8_t tagVersion = 1;  // DefineShape 1 to 4
};

// A bitmap with premultiplied pixels 0xAARRGGBB, rows top first, no gaps.
struct Bitmap {
  int32_t width = 0, height = 0;
  std::vector<uint32_t> pixels;
};

// ---- Blend modes and filters ----

// How a placed character is composited over what lies below it; the values
// are the bytes a placement stores (0 also means Normal).
enum class BlendMode : uint8_t {
  Normal = 1, Layer = 2, Multiply = 3, Screen = 4, Lighten = 5, Darken = 6, Difference = 7,
  Add = 8, Subtract = 9, Invert = 10, Alpha = 11, Erase = 12, Overlay = 13, HardLight = 14,
};

// Filter fields keep the values the movie stores: blur sizes and distances
// are 16.16 fixed point (pixels), strengths 8.8, angles radians in 16.16;
// doubles hold all of them exactly. Passes is the blur's iteration count.
struct BlurFilter {
  double blurX = 0, blurY = 0;
  uint8_t passes = 1;
  friend bool operator==(const BlurFilter&, const BlurFilter&) = default;
};

struct DropShadowFilter {
  RGBA color;
  double blurX = 0, blurY = 0, angle = 0, distance = 0, strength = 1;
  bool inner = false, knockout = false, compositeSource = true;
  uint8_t passes = 1;
  friend bool operator==(const DropShadowFilter&, const DropShadowFilter&) = default;
};

struct GlowFilter {
  RGBA color;
  double blurX = 0, blurY = 0, strength = 1;
  bool inner = false, knockout = false, compositeSource = true;
  uint8_t passes = 1;
  friend bool operator==(const GlowFilter&, const GlowFilter&) = default;
};

struct BevelFilter {
  RGBA shadowColor, highlightColor;
  double blurX = 0, blurY = 0, angle = 0, distance = 0, strength = 1;
  bool inner = false, knockout = false, compositeSource = true, onTop = false;
  uint8_t passes = 1;
  friend bool operator==(const BevelFilter&, const BevelFilter&) = default;
};

// The fields gradient glows and gradient bevels share: the gradient is
// mapped over the blurred alpha (glow) or the bevel's light and shade.
struct GradientFilterFields {
  std::vector<GradientRecord> gradient;
  double blurX = 0, blurY = 0, angle = 0, distance = 0, strength = 1;
  bool inner = false, knockout = false, compositeSource = true, onTop = false;
  uint8_t passes = 1;
  friend bool operator==(const GradientFilterFields&, const GradientFilterFields&) = default;
};
struct GradientGlowFilter : GradientFilterFields {};
struct GradientBevelFilter : GradientFilterFields {};

struct ConvolutionFilter {
  uint8_t matrixX = 0, matrixY = 0;
  float divisor = 1, bias = 0;
  std::vector<float> matrix;  // matrixX * matrixY, rows first
  RGBA defaultColor{0, 0, 0, 0};
  bool clamp = true, preserveAlpha = true;
  friend bool operator==(const ConvolutionFilter&, const ConvolutionFilter&) = default;
};

// Four rows of five: each output channel R, G, B, A of the unpremultiplied
// input (0..255), plus an offset.
struct ColorMatrixFilter {
  std::array<float, 20> matrix{1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0};
  friend bool operator==(const ColorMatrixFilter&, const ColorMatrixFilter&) = default;
};

// The alternatives are in the order of the filter ids a movie stores (0..7).
using Filter = std::variant<DropShadowFilter, BlurFilter, GlowFilter, BevelFilter, GradientGlowFilter,
                            ConvolutionFilter, ColorMatrixFilter, GradientBevelFilter>;

// Clip events a PlaceObject2/3 may attach actions to (the flags as a
// little-endian 32-bit number; movies before SWF 6 store the low 16 bits).
enum ClipEvent : uint32_t {
  kClipLoad = 1u << 0, kClipEnterFrame = 1u << 1, kClipUnload = 1u << 2, kClipMouseMove = 1u << 3,
  kClipMouseDown = 1u << 4, kClipMouseUp = 1u << 5, kClipKeyDown = 1u << 6, kClipKeyUp = 1u << 7,
  kClipData = 1u << 8, kClipInitialize = 1u << 9, kClipPress = 1u << 10, kClipRelease = 1u << 11,
  kClipReleaseOutside = 1u << 12, kClipRollOver = 1u << 13, kClipRollOut = 1u << 14,
  kClipDragOver = 1u << 15, kClipDragOut = 1u << 16, kClipKeyPress = 1u << 17, kClipConstruct = 1u << 18,
};

// The actions one placement runs on the events its flags name.
struct ClipAction {
  uint32_t events = 0;  // ClipEvent flags
  uint8_t keyCode = 0;  // with kClipKeyPress
  std::vector<uint8_t> actions;
};

struct PlaceObject {
  uint16_t depth = 0;
  bool move = false;  // modifies the object at depth instead of placing a new one
  std::optional<uint16_t> characterId;
  std::optional<Matrix> matrix;
  std::optional<ColorTransform> cxform;
  std::optional<uint16_t> ratio;
  std::optional<std::string> name;
  std::optional<uint16_t> clipDepth;  // a mask for the depths above it up to clipDepth
  uint8_t tagVersion = 2;             // PlaceObject 1 to 3
  // PlaceObject3 only. A move leaves what it does not give unchanged.
  std::optional<BlendMode> blendMode;
  std::optional<std::vector<Filter>> filters;
  std::optional<bool> cacheAsBitmap;
  // PlaceObject2/3 of a sprite: the clip event actions, in file order.
  std::shared_ptr<const std::vector<ClipAction>> clipActions;
};

struct RemoveObject {
  uint16_t depth = 0;
  std::optional<uint16_t> characterId;  // RemoveObject (version 1) names it
};

using ControlTag = std::variant<PlaceObject, RemoveObject>;

// Actions that set up a sprite (typically its class) before it is used.
struct InitAction {
  uint16_t spriteId = 0;
  std::vector<uint8_t> actions;  // the action records as stored
};

struct Frame {
  std::vector<ControlTag> tags;              // in file order
  std::string label;                         // FrameLabel, empty if none
  std::vector<std::vector<uint8_t>> actions; // DoAction bytes, kept for the script engine
  // DoInitAction blocks: run once, before the frame's actions, the first
  // time the frame is entered.
  std::vector<InitAction> initActions;
};

struct Timeline {
  std::vector<Frame> frames;  // ShowFrame ends each; never empty after loading
};

struct Sprite {
  uint16_t frameCount = 0;
  Timeline timeline;
};

// One character of a button, shown in the states its flags name. The hit
// state's characters are never drawn: they are the area that takes the mouse.
struct ButtonRecord {
  bool up = false, over = false, down = false, hit = false;
  uint16_t characterId = 0;
  uint16_t depth = 1;
  Matrix matrix;
  ColorTransform cxform;             // DefineButton2 only; identity in DefineButton
  std::optional<uint8_t> blendMode;  // the byte as stored (see BlendMode)
  // The record's filter list as stored (its count byte first), kept for
  // writing back; empty for none.
  std::vector<uint8_t> filters;
  friend bool operator==(const ButtonRecord&, const ButtonRecord&) = default;
};

// The transitions a button's condition actions react to: bit values as the
// format stores them (the low byte of the flags, then OverDownToIdle).
enum ButtonCondition : uint16_t {
  kIdleToOverUp = 1 << 0,      // roll over
  kOverUpToIdle = 1 << 1,      // roll out
  kOverUpToOverDown = 1 << 2,  // press
  kOverDownToOverUp = 1 << 3,  // release
  kOverDownToOutDown = 1 << 4, // drag out (push buttons)
  kOutDownToOverDown = 1 << 5, // drag over (push buttons)
  kOutDownToIdle = 1 << 6,     // release outside
  kIdleToOverDown = 1 << 7,    // drag over (menu buttons)
  kOverDownToIdle = 1 << 8,    // drag out (menu buttons)
  kAllButtonConditions = 0x1FF,
};

// Actions that run when one of the transitions in conditions happens, or
// when the key keyCode is pressed (0: none; 1..19 special keys, 32..126 ASCII).
struct ButtonAction {
  uint16_t conditions = 0;
  uint8_t keyCode = 0;  // 0..127
  // The action records as stored, up to and including their end byte; kept
  // for the script engine.
  std::vector<uint8_t> actions;
  friend bool operator==(const ButtonAction&, const ButtonAction&) = default;
};

struct Button {
  std::vector<ButtonRecord> records;  // in file order
  std::vector<ButtonAction> actions;  // in file order
  // Menu buttons react to a mouse pressed elsewhere being dragged over them.
  bool trackAsMenu = false;
  // 1: DefineButton (records without colour transforms, one action block run
  // on release); 2: DefineButton2. The writer uses 2 when 1 cannot hold it.
  uint8_t tagVersion = 2;
  friend bool operator==(const Button&, const Button&) = default;
};

// ---- Fonts and text ----

// One glyph of an embedded font. Its outline is a shape whose only fill
// (style 1, solid white) is the glyph's ink, in the font's em square (emSize
// units, y down, the baseline at 0); a colour transform gives it its colour.
struct FontGlyph {
  Shape shape;
  char16_t code = 0;     // from the font's code table; 0 when the font has none
  int16_t advance = 0;   // em units; layout fonts only
  Rect bounds;           // em units; layout fonts only (may be empty)
};

struct KerningPair {
  char16_t left = 0, right = 0;
  int16_t adjustment = 0;  // em units
  friend bool operator==(const KerningPair&, const KerningPair&) = default;
};

// DefineFont, DefineFont2 and DefineFont3 with their DefineFontInfo. A font
// without glyphs names a device font: the host's font service draws it.
struct Font {
  std::string name;       // empty for a DefineFont without font info
  bool bold = false, italic = false, smallText = false;
  bool shiftJis = false, ansi = false, wideCodes = false;
  uint8_t languageCode = 0;
  uint8_t tagVersion = 1;   // DefineFont 1 to 3
  double emSize = 1024;     // glyph units per em: 1024, or 20480 for DefineFont3
  bool hasLayout = false;
  int16_t ascent = 0, descent = 0, leading = 0;  // em units; layout fonts only
  std::vector<FontGlyph> glyphs;
  std::vector<KerningPair> kerning;
};

// One glyph of a static text: an index into its run's font and the advance
// to the next glyph (twips).
struct TextGlyph {
  uint32_t index = 0;
  int32_t advance = 0;
  friend bool operator==(const TextGlyph&, const TextGlyph&) = default;
};

// A text record with the styles in force resolved: every run names its font,
// colour, position and height, even where the record left them unchanged.
struct TextRun {
  uint16_t fontId = 0;
  RGBA color;
  double x = 0, y = 0;   // twips, in the text's space (y is the baseline)
  uint16_t height = 0;   // twips: the em square's height
  std::vector<TextGlyph> glyphs;
  friend bool operator==(const TextRun&, const TextRun&) = default;
};

// DefineText and DefineText2 (static text).
struct StaticText {
  Rect bounds;
  Matrix matrix;           // text space -> the character's space
  std::vector<TextRun> runs;
  uint8_t tagVersion = 1;  // 2: colours carry alpha
};

enum class TextAlign : uint8_t { Left = 0, Right = 1, Center = 2, Justify = 3 };

// DefineEditText: a text field as the movie defines it; what it shows when
// playing also depends on the variable it is bound to.
struct EditText {
  Rect bounds;
  bool wordWrap = false, multiline = false, password = false, readOnly = false;
  bool autoSize = false, noSelect = false, border = false, wasStatic = false;
  bool html = false, useOutlines = false;
  std::optional<uint16_t> fontId;
  std::string fontClass;            // a font named by class instead of id
  uint16_t fontHeight = 240;        // twips
  RGBA color{0, 0, 0, 255};
  std::optional<uint16_t> maxLength;
  TextAlign align = TextAlign::Left;
  uint16_t leftMargin = 0, rightMargin = 0, indent = 0;  // twips
  int16_t leading = 0;              // twips
  std::string variableName;
  std::string initialText;          // UTF-8; HTML when html is set
  // How the field's glyphs are smoothed (CSMTextSettings): advanced
  // anti-aliasing, the grid fitting (0 none, 1 pixel, 2 subpixel), and the
  // stroke thickness and sharpness it adds.
  bool advancedAntiAlias = false;
  uint8_t gridFit = 1;
  float thickness = 0, sharpness = 0;
};

// ---- Morph shapes ----

// A fill of a morph shape: the same kind of fill at the start and at the end
// (the end's type and bitmap id are the start's).
struct MorphFillStyle {
  FillStyle start, end;
};

struct MorphLineStyle {
  LineStyle start, end;
};

// DefineMorphShape and DefineMorphShape2: a shape that moves from its start
// to its end as a placement's ratio goes from 0 to 1. The start and end paths
// pair up one to one and edge by edge (an edge that is a curve on one side
// is a curve on both); the end paths' style numbers are unused.
struct MorphShape {
  Rect startBounds, endBounds;
  std::vector<MorphFillStyle> fills;
  std::vector<MorphLineStyle> lines;
  std::vector<Path> startPaths, endPaths;
  uint8_t tagVersion = 1;  // DefineMorphShape 1 or 2
};

// A sound the movie defines (DefineSound). Sounds are not played; the
// character is kept so that what uses it finds it defined.
struct Sound {
  uint8_t format = 0;  // the tag's format byte (coding, rate, size, channels)
  uint32_t sampleCount = 0;
};

// ---- Video ----

// DefineVideoStream with the packets of its VideoFrame tags: a video shown
// in the rectangle (0, 0, width, height) pixels of its own space, the frame
// a placement shows chosen by the placement's ratio.
struct VideoStream {
  uint16_t frameCount = 0;
  uint16_t width = 0, height = 0;  // pixels
  // The flags' deblocking field as stored: 0 as the packets say, 1 off,
  // 2.. on (the strength of newer codecs).
  uint8_t deblocking = 0;
  bool smoothing = false;
  uint8_t codec = 0;  // the codec id FLV video tags use too (2 Sorenson H.263, 3 Screen Video, ...)
  // Frame number -> the VideoFrame tag's packet (after the stream id and frame number).
  std::map<uint16_t, std::vector<uint8_t>> frames;
  friend bool operator==(const VideoStream&, const VideoStream&) = default;
};

using Character = std::variant<Shape, Bitmap, Sprite, Button, Font, StaticText, EditText, MorphShape, Sound, VideoStream>;

// ---- Shared libraries ----

// A character this movie takes from a library: its id here and the name the
// library exports it under.
struct ImportedCharacter {
  uint16_t id = 0;
  std::string name;
  friend bool operator==(const ImportedCharacter&, const ImportedCharacter&) = default;
};

// One ImportAssets tag: the library's URL as the movie names it.
struct Import {
  std::string url;
  std::vector<ImportedCharacter> characters;
  friend bool operator==(const Import&, const Import&) = default;
};

struct Movie {
  uint8_t version = 8;
  bool compressed = false;
  uint32_t fileLength = 0;    // the header's: bytes of the whole movie uncompressed
  Rect frameSize;             // twips
  uint16_t frameRate = 12 << 8;  // 8.8 fixed point
  uint16_t frameCount = 1;
  RGBA background{255, 255, 255, 255};
  std::map<uint16_t, Character> dictionary;
  Timeline timeline;
  // What loading passed over in a damaged or unusual movie, once each (a
  // missing End tag, a cut-off tag, a placement of a character never
  // defined); the player logs them.
  std::vector<std::string> loadNotes;
  // ExportAssets: linkage name -> character id (a later export of a name wins).
  std::map<std::string, uint16_t> exports;
  // ImportAssets and ImportAssets2, in file order. Imported ids name
  // characters of this movie that are not in its dictionary.
  std::vector<Import> imports;
  // ScriptLimits: the deepest recursion and the script timeout the movie
  // asks for; 0 when it names none.
  uint16_t maxRecursionDepth = 0;
  uint16_t scriptTimeoutSeconds = 0;
  // Bitmap id -> the JPEG, PNG or GIF file its pixels came from, which a
  // writer stores as it is (DefineBitsJPEG2) rather than the pixels.
  std::map<uint16_t, std::vector<uint8_t>> imageFiles;
  // DefineScalingGrid: sprite or button id -> the rectangle (twips, in the
  // character's space) whose outside keeps its size when the character is scaled.
  std::map<uint16_t, Rect> scalingGrids;
};

}  // namespace swf
