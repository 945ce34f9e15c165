#pragma once
// What the tag parsers share while one movie loads: the limits, the running
// totals they are checked against, and the parsers of definition tags.

#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

#include "renderers/engine/model.h"
#include "renderers/engine/reader.h"
#include "renderers/engine/src/reader/stream.h"

namespace swf::detail {

struct LoadState {
  LoadLimits limits;
  Movie* movie = nullptr;
  size_t totalBitmapPixels = 0;
  // Rough size of the model built so far (edges, control tags, action bytes),
  // against a budget, so that small records cannot amplify into a huge model.
  size_t modelBytes = 0;
  size_t modelBudget = 0;
  // Sprite id -> how many sprite levels an instance of it holds (1 for a
  // sprite that places no sprites).
  std::map<uint16_t, uint32_t> spriteLevels;

  void Charge(size_t Bytes, size_t Offset);
};

// Tag bodies: S covers exactly the tag's body.
Shape ReadShape(Stream& S, int Version, LoadState& L);  // after the character id
Bitmap ReadLosslessBitmap(Stream& S, int Version, LoadState& L);  // after the character id
// DefineButton (Version 1) or DefineButton2 (2), after the character id Id.
Button ReadButton(Stream& S, uint16_t Id, int Version, LoadState& L);
// A filter list: its count byte, then the filters.
std::vector<Filter> ReadFilterList(Stream& S, LoadState& L);
// DefineScalingGrid: the character id and its grid, kept on the movie.
void ReadScalingGrid(Stream& S, LoadState& L, size_t At);

}  // namespace swf::detail
