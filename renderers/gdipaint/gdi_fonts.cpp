// GDI's native glyph outlines (GetGlyphOutlineW, unhinted, at an em of
// kDeviceEm pixels) turned into glyph shapes: lines, quadratic B-splines
// split at their implied on-curve points, cubics approximated by
// quadratics; GDI's y points up, the engine's down.
#include "renderers/gdipaint/gdi_fonts.h"

#include <windows.h>

#include <cstring>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace swfwin {
namespace {

constexpr size_t kMaxFonts = 64;              // distinct face/style pairs kept
constexpr DWORD kMaxOutlineBytes = 1u << 20;  // one glyph's outline

swf::Point ToPoint(const POINTFX& P) {
  auto value = [](const FIXED& F) { return F.value + F.fract / 65536.0; };
  return {value(P.x), -value(P.y)};
}

swf::Point Mid(swf::Point A, swf::Point B) { return {(A.x + B.x) / 2, (A.y + B.y) / 2}; }

// A cubic split at its middle into two quadratics close to each half.
void AddCubic(swf::Path& P, swf::Point From, swf::Point C1, swf::Point C2, swf::Point To) {
  const swf::Point a = Mid(From, C1), b = Mid(C1, C2), c = Mid(C2, To);
  const swf::Point ab = Mid(a, b), bc = Mid(b, c), mid = Mid(ab, bc);
  auto quadratic = [](swf::Point P0, swf::Point P1, swf::Point P2, swf::Point P3) {
    return swf::Edge{true, {(3 * (P1.x + P2.x) - P0.x - P3.x) / 4, (3 * (P1.y + P2.y) - P0.y - P3.y) / 4}, P3};
  };
  P.edges.push_back(quadratic(From, a, ab, mid));
  P.edges.push_back(quadratic(mid, bc, c, To));
}

// One TTPOLYCURVE's points after Cur, appended to P; returns the new pen.
swf::Point AddCurve(swf::Path& P, WORD Type, const std::vector<swf::Point>& Pts, swf::Point Cur) {
  if (Type == TT_PRIM_LINE) {
    for (const swf::Point& q : Pts) P.edges.push_back({false, {}, q});
    return Pts.empty() ? Cur : Pts.back();
  }
  if (Type == TT_PRIM_QSPLINE) {
    // Off-curve points in a row: between two of them lies an implied on-curve point.
    for (size_t i = 0; i + 1 < Pts.size(); ++i) {
      const swf::Point end = i + 2 == Pts.size() ? Pts[i + 1] : Mid(Pts[i], Pts[i + 1]);
      P.edges.push_back({true, Pts[i], end});
    }
    return Pts.empty() ? Cur : Pts.back();
  }
  if (Type == TT_PRIM_CSPLINE) {
    for (size_t i = 0; i + 2 < Pts.size(); i += 3) {
      AddCubic(P, Cur, Pts[i], Pts[i + 1], Pts[i + 2]);
      Cur = Pts[i + 2];
    }
  }
  return Cur;
}

// The outline buffer GetGlyphOutlineW fills: TTPOLYGONHEADERs, each followed
// by its TTPOLYCURVEs. Every record is checked against the buffer.
swf::Shape OutlineShape(const std::vector<uint8_t>& Buffer) {
  swf::Shape shape;
  shape.fills.push_back(swf::FillStyle{});
  shape.fills[0].color = {255, 255, 255, 255};
  size_t at = 0;
  while (at + sizeof(TTPOLYGONHEADER) <= Buffer.size()) {
    TTPOLYGONHEADER head;
    std::memcpy(&head, Buffer.data() + at, sizeof head);
    if (head.cb < sizeof head || head.cb > Buffer.size() - at || head.dwType != TT_POLYGON_TYPE) break;
    const size_t end = at + head.cb;
    // The contours' ink is on their left once y points down.
    swf::Path path{1, 0, 0, ToPoint(head.pfxStart), {}};
    swf::Point cur = path.start;
    size_t p = at + sizeof head;
    while (p + 4 <= end) {
      WORD type = 0, count = 0;
      std::memcpy(&type, Buffer.data() + p, 2);
      std::memcpy(&count, Buffer.data() + p + 2, 2);
      if (size_t{count} * sizeof(POINTFX) > end - p - 4) break;
      std::vector<swf::Point> pts(count);
      for (size_t i = 0; i < count; ++i) {
        POINTFX fx;
        std::memcpy(&fx, Buffer.data() + p + 4 + i * sizeof fx, sizeof fx);
        pts[i] = ToPoint(fx);
      }
      cur = AddCurve(path, type, pts, cur);
      p += 4 + size_t{count} * sizeof(POINTFX);
    }
    if (!(cur == path.start)) path.edges.push_back({false, {}, path.start});
    if (!path.edges.empty()) shape.paths.push_back(std::move(path));
    at = end;
  }
  for (const swf::Path& path : shape.paths) {
    shape.bounds.Include(path.start);
    for (const swf::Edge& e : path.edges) {
      shape.bounds.Include(e.anchor);
      if (e.curve) shape.bounds.Include(e.control);
    }
  }
  return shape;
}

std::wstring FaceName(const std::string& Face) {
  if (Face == "_sans") return L"Arial";
  if (Face == "_serif") return L"Times New Roman";
  if (Face == "_typewriter") return L"Courier New";
  const int n = MultiByteToWideChar(CP_UTF8, 0, Face.data(), static_cast<int>(Face.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(CP_UTF8, 0, Face.data(), static_cast<int>(Face.size()), wide.data(), n);
  if (wide.size() >= LF_FACESIZE) wide.resize(LF_FACESIZE - 1);
  return wide.empty() ? L"Arial" : wide;
}

class GdiFontService : public swf::FontService {
 public:
  GdiFontService() : dc_(CreateCompatibleDC(nullptr)) {}
  ~GdiFontService() override {
    if (dc_) {
      if (old_) SelectObject(dc_, old_);
      DeleteDC(dc_);
    }
    for (auto& [key, font] : fonts_)
      if (font) DeleteObject(font);
  }
  GdiFontService(const GdiFontService&) = delete;
  GdiFontService& operator=(const GdiFontService&) = delete;

  const swf::DeviceGlyph* Glyph(const std::string& Face, bool Bold, bool Italic, char32_t Code) override {
    try {
      if (Code > 0xFFFF) return nullptr;  // one UTF-16 unit only
      const auto key = std::make_tuple(FaceName(Face), Bold, Italic);
      const auto glyphKey = std::make_tuple(std::get<0>(key), Bold, Italic, Code);
      if (const auto it = glyphs_.find(glyphKey); it != glyphs_.end()) return &it->second;
      if (!Select(key)) return nullptr;
      const MAT2 identity{{0, 1}, {0, 0}, {0, 0}, {0, 1}};
      GLYPHMETRICS metrics{};
      const UINT format = GGO_NATIVE | GGO_UNHINTED;
      const DWORD size = GetGlyphOutlineW(dc_, static_cast<UINT>(Code), format, &metrics, 0, nullptr, &identity);
      if (size == GDI_ERROR || size > kMaxOutlineBytes) return nullptr;
      std::vector<uint8_t> buffer(size);
      if (size > 0 &&
          GetGlyphOutlineW(dc_, static_cast<UINT>(Code), format, &metrics, size, buffer.data(), &identity) == GDI_ERROR)
        return nullptr;
      swf::DeviceGlyph glyph;
      glyph.shape = OutlineShape(buffer);
      glyph.advance = metrics.gmCellIncX;
      return &glyphs_.emplace(glyphKey, std::move(glyph)).first->second;
    } catch (...) {
      return nullptr;
    }
  }

  swf::DeviceFontMetrics Metrics(const std::string& Face, bool Bold, bool Italic) override {
    try {
      if (!Select(std::make_tuple(FaceName(Face), Bold, Italic))) return {};
      TEXTMETRICW tm{};
      if (!GetTextMetricsW(dc_, &tm)) return {};
      return {double(tm.tmAscent), double(tm.tmDescent), double(tm.tmExternalLeading)};
    } catch (...) {
      return {};
    }
  }

 private:
  using Key = std::tuple<std::wstring, bool, bool>;

  // Selects the font for Key into the context, making it the first time.
  bool Select(const Key& K) {
    if (!dc_) return false;
    auto it = fonts_.find(K);
    if (it == fonts_.end()) {
      if (fonts_.size() >= kMaxFonts) return false;
      const auto& [face, bold, italic] = K;
      // A negative height asks for the em (character height), not the cell.
      HFONT font = CreateFontW(-static_cast<int>(swf::kDeviceEm), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, italic, FALSE,
                               FALSE, DEFAULT_CHARSET, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                               DEFAULT_PITCH | FF_DONTCARE, face.c_str());
      it = fonts_.emplace(K, font).first;
    }
    if (!it->second) return false;
    HGDIOBJ previous = SelectObject(dc_, it->second);
    if (!old_) old_ = previous;
    return true;
  }

  HDC dc_;
  HGDIOBJ old_ = nullptr;  // the context's own font, put back before it goes
  std::map<Key, HFONT> fonts_;
  std::map<std::tuple<std::wstring, bool, bool, char32_t>, swf::DeviceGlyph> glyphs_;
};

}  // namespace

std::unique_ptr<swf::FontService> MakeGdiFontService() {
  try {
    return std::make_unique<GdiFontService>();
  } catch (...) {
    return nullptr;
  }
}

}  // namespace swfwin
