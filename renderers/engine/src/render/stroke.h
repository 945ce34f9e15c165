#pragma once
// The outline of a stroked polyline: closed loops of directed lines, with
// round joins and caps, whose non-zero winding covers the stroke. Private to
// the renderer.

#include <cstddef>
#include <span>
#include <vector>

#include "renderers/engine/model.h"
#include "renderers/engine/src/render/raster.h"

namespace swf::render {

// Pixels a flattened curve, arc or circle may stray from the true one.
inline constexpr double kCurveTolerance = 0.05;

class StrokeOutliner {
 public:
  // Outlines drawn into Clip (pixels): arcs whose disc misses it become
  // chords, which have the same winding there.
  explicit StrokeOutliner(const IntRect& Clip) : clip_(Clip) {}

  // Arc points the outlines may add from now on; past that, the arcs of
  // joins and caps take two steps and dots are octagons, a bound on memory
  // and time for shapes of absurd size.
  void SetArcBudget(size_t Points) { arcBudget_ = Points; }

  // Adds to R the outline of Line stroked Radius pixels either side. A line
  // whose points all coincide is a dot, unless it is a single point.
  void Add(CellRasterizer& R, std::span<const Point> Line, double Radius);

 private:
  void AddPolygon(CellRasterizer& R);
  bool DiscMissesClip(Point C, double Radius) const;
  void AddCircle(CellRasterizer& R, Point C, double Radius);
  void AddSide(std::vector<Point>& Out, double Sign, bool Closed);
  void AddArc(std::vector<Point>& Out, Point C, double Radius, double From, double Delta);

  IntRect clip_;
  size_t arcBudget_ = 0;  // arc points the outlines may still add
  double radius_ = 0;
  // Scratch reused from stroke to stroke.
  std::vector<Point> stroke_;   // the line being stroked, without repeated points
  std::vector<Point> normals_;  // its segments' normals, as long as the radius
  std::vector<Point> polygon_;
  std::vector<Point> side_;
};

}  // namespace swf::render
