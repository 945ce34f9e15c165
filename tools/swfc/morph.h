#pragma once
// A `morph` block: two shapes of the same structure paired into a morph shape.

#include "renderers/engine/model.h"

namespace swfc {

// From's outline and styles moving to To's: fills pair up by number (of the
// same kind, gradients with as many stops), lines by number, paths by order
// and edges one by one. Throws std::invalid_argument saying what differs.
swf::MorphShape MorphBetween(const swf::Shape& From, const swf::Shape& To);

}  // namespace swfc
