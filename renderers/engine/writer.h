#pragma once
// Writing a movie model as SWF bytes: the inverse of LoadMovie for every
// construct the model holds. Portable.

#include <cstdint>
#include <vector>

#include "renderers/engine/model.h"

namespace swf {

// Writes Movie (its version, frame size, rate, background, dictionary in id
// order before first use, and timeline). Compressed: CWS with zlib. Shapes
// are written with the lowest DefineShape version that holds their content
// unless Shape::tagVersion asks for a higher one. Throws FormatError for a
// model that cannot be written (a value out of the format's range).
std::vector<uint8_t> WriteMovie(const Movie& Movie, bool Compressed);

}  // namespace swf
