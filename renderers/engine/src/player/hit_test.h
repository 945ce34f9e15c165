#pragma once
// Whether a pixel lies on what a character draws: the fills under the
// rasteriser's rules (each fill style by non-zero winding, fill0 on the left
// of an edge, fill1 on the right) and the strokes with their drawn width.

#include <cstdint>

#include "renderers/engine/model.h"

namespace swf::detail {

struct Instance;

// P and the shape under M, both in pixels.
bool HitShape(const Shape& S, const Matrix& M, Point P);
// A rectangle (a text field's bounds) under M.
bool HitRect(const Rect& R, const Matrix& M, Point P);

// A character of the dictionary by id under M: a shape; a sprite as its first
// frame places its characters; a button by its hit area. Unknown ids and
// bitmaps hit nothing. Nesting bounds how deep sprites and buttons are followed.
bool HitCharacter(const Movie& Mv, uint16_t Id, const Matrix& M, Point P, int Nesting = 0);

// A live instance under M (its own placement not included) as it shows now:
// a shape, a sprite's current display list, a button's current state.
bool HitInstance(const Instance& I, const Matrix& M, Point P, int Nesting = 0);

}  // namespace swf::detail
