// Point-in-shape tests for the mouse: paths are flattened in pixel space as
// the rasteriser flattens them, then a ray to the right counts each fill
// style's winding, and strokes are tested by distance.
#include "renderers/engine/src/player/hit_test.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <variant>
#include <vector>

#include "renderers/engine/src/player/buttons.h"
#include "renderers/engine/src/player/display_list.h"
#include "renderers/engine/src/player/morph.h"
#include "renderers/engine/src/player/video_instance.h"

namespace swf::detail {
namespace {

constexpr double kTolerance = 0.05;  // pixels a flattened curve may stray
constexpr int kMaxCurveSegments = 64;
constexpr int kMaxNesting = 64;

// As wide as the rasteriser draws it: at least one pixel.
double StrokeRadius(const LineStyle& L, const Matrix& M) {
  const double w = L.width * std::sqrt(std::fabs(M.a * M.d - M.b * M.c));
  return (std::isfinite(w) ? std::max(1.0, w) : 1.0) / 2;
}

double SegmentDistance2(Point P, Point A, Point B) {
  const double dx = B.x - A.x, dy = B.y - A.y;
  const double len2 = dx * dx + dy * dy;
  double t = len2 > 0 ? ((P.x - A.x) * dx + (P.y - A.y) * dy) / len2 : 0;
  t = std::clamp(t, 0.0, 1.0);
  const double ex = A.x + t * dx - P.x, ey = A.y + t * dy - P.y;
  return ex * ex + ey * ey;
}

}  // namespace

bool HitShape(const Shape& S, const Matrix& M, Point P) {
  std::vector<int> winding(S.fills.size() + 1, 0);
  std::vector<Point> points;
  for (const Path& path : S.paths) {
    // The path in pixels, curves as short lines.
    points.clear();
    Point cur = M.Apply(path.start);
    points.push_back(cur);
    for (const Edge& e : path.edges) {
      const Point a = M.Apply(e.anchor);
      if (e.curve) {
        const Point c = M.Apply(e.control);
        const double dx = cur.x - 2 * c.x + a.x, dy = cur.y - 2 * c.y + a.y;
        const double n = std::ceil(std::sqrt(std::sqrt(dx * dx + dy * dy) / 4 / kTolerance));
        const int segments =
            std::isfinite(n) ? static_cast<int>(std::clamp(n, 1.0, double{kMaxCurveSegments})) : 1;
        for (int i = 1; i < segments; ++i) {
          const double t = static_cast<double>(i) / segments, u = 1 - t;
          points.push_back(
              {u * u * cur.x + 2 * t * u * c.x + t * t * a.x, u * u * cur.y + 2 * t * u * c.y + t * t * a.y});
        }
      }
      points.push_back(a);
      cur = a;
    }
    const bool fills = path.fill0 != path.fill1;
    const bool stroke = path.line >= 1 && path.line <= S.lines.size();
    const double r = stroke ? StrokeRadius(S.lines[path.line - 1], M) : 0;
    for (size_t i = 0; i + 1 < points.size(); ++i) {
      const Point a = points[i], b = points[i + 1];
      if (stroke && SegmentDistance2(P, a, b) <= r * r) return true;
      // The segment crosses the ray from P to the right (half-open in y, so
      // a vertex on the ray counts once).
      if (!fills || (a.y <= P.y) == (b.y <= P.y)) continue;
      const double x = a.x + (P.y - a.y) * (b.x - a.x) / (b.y - a.y);
      if (!(x > P.x)) continue;
      const int dir = b.y > a.y ? 1 : -1;
      if (path.fill1 >= 1 && path.fill1 <= S.fills.size()) winding[path.fill1] += dir;
      if (path.fill0 >= 1 && path.fill0 <= S.fills.size()) winding[path.fill0] -= dir;
    }
  }
  return std::any_of(winding.begin() + 1, winding.end(), [](int w) { return w != 0; });
}

bool HitRect(const Rect& R, const Matrix& M, Point P) {
  const auto inverse = M.Inverse();
  if (!inverse) return false;
  const Point q = inverse->Apply(P);
  return !R.Empty() && q.x >= R.xmin && q.x <= R.xmax && q.y >= R.ymin && q.y <= R.ymax;
}

bool HitCharacter(const Movie& Mv, uint16_t Id, const Matrix& M, Point P, int Nesting) {
  if (Nesting > kMaxNesting) return false;
  const auto it = Mv.dictionary.find(Id);
  if (it == Mv.dictionary.end()) return false;
  if (const auto* shape = std::get_if<Shape>(&it->second)) return HitShape(*shape, M, P);
  if (const auto* text = std::get_if<EditText>(&it->second)) return HitRect(text->bounds, M, P);
  if (const auto* text = std::get_if<StaticText>(&it->second)) return HitRect(text->bounds, M, P);
  if (const auto* video = std::get_if<VideoStream>(&it->second))
    return HitRect({0, 0, video->width * 20.0, video->height * 20.0}, M, P);
  // A morph shape not placed as an instance takes the mouse with its start.
  if (const auto* morph = std::get_if<MorphShape>(&it->second)) return HitShape(MorphAt(*morph, 0), M, P);
  if (const auto* button = std::get_if<Button>(&it->second)) {
    for (const ButtonRecord& r : button->records)
      if (r.hit && HitCharacter(Mv, r.characterId, M * r.matrix, P, Nesting + 1)) return true;
    return false;
  }
  if (const auto* sprite = std::get_if<Sprite>(&it->second)) {
    if (sprite->timeline.frames.empty()) return false;
    // What the first frame places, by depth (a later tag at a depth wins).
    std::map<uint16_t, std::pair<uint16_t, Matrix>> placed;
    for (const ControlTag& tag : sprite->timeline.frames[0].tags) {
      if (const auto* r = std::get_if<RemoveObject>(&tag)) {
        placed.erase(r->depth);
        continue;
      }
      const auto& po = std::get<PlaceObject>(tag);
      auto at = placed.find(po.depth);
      if (at == placed.end() || !po.move) {
        if (po.characterId) placed[po.depth] = {*po.characterId, po.matrix.value_or(Matrix{})};
      } else {
        if (po.characterId) at->second.first = *po.characterId;
        if (po.matrix) at->second.second = *po.matrix;
      }
    }
    for (const auto& [depth, child] : placed)
      if (HitCharacter(Mv, child.first, M * child.second, P, Nesting + 1)) return true;
  }
  return false;
}

namespace {

bool HitList(const DisplayList& List, const Matrix& M, Point P, int Nesting) {
  for (const auto& [depth, inst] : List)
    if (HitInstance(*inst, M * inst->placement.matrix, P, Nesting + 1)) return true;
  return false;
}

}  // namespace

bool HitInstance(const Instance& I, const Matrix& M, Point P, int Nesting) {
  if (Nesting > kMaxNesting || !I.character) return false;
  if (const Shape* shape = InstanceShape(I)) return HitShape(*shape, M, P);
  if (const auto* text = std::get_if<EditText>(I.character)) return HitRect(text->bounds, M, P);
  if (const auto* text = std::get_if<StaticText>(I.character)) return HitRect(text->bounds, M, P);
  if (I.sprite) {
    if (const std::shared_ptr<const Shape> drawn = DrawnShape(*I.sprite); drawn && HitShape(*drawn, M, P)) return true;
    return HitList(I.sprite->list, M, P, Nesting);
  }
  if (I.button) return HitList(I.button->children, M, P, Nesting);
  if (I.video) return HitRect(I.video->Bounds(), M, P);
  return false;
}

}  // namespace swf::detail
