#pragma once
// A morph shape drawn at a ratio: the plain shape between its start and end.

#include <cstdint>

#include "renderers/engine/model.h"

namespace swf::detail {

// The shape at T (0: the start, 1: the end; clamped): every coordinate,
// matrix, width, gradient ratio and colour taken T of the way from its start
// value to its end value.
Shape MorphAt(const MorphShape& M, double T);

// A placement's ratio (0..65535) as a position 0..1 between start and end.
struct Instance;

// Brings the instance's morphed shape to its placement's ratio (nothing for
// other characters).
void UpdateMorph(Instance& I);

// What an instance draws as a shape: a shape, or a morph shape at its ratio;
// nullptr for anything else.
const Shape* InstanceShape(const Instance& I);

inline double MorphPosition(uint16_t Ratio) { return Ratio / 65535.0; }

}  // namespace swf::detail
