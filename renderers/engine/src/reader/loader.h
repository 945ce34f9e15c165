#pragma once
// What the tag parsers share while one movie loads: the limits, the running
// totals they are checked against, and the parsers of definition tags.

#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <string>
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
  // Ids the movie imports so far: characters a sprite may place.
  std::set<uint16_t> imported;
  // Frame labels DefineSceneAndFrameLabelData gives the movie's frames.
  std::map<uint32_t, std::string> sceneFrameLabels;

  // Video streams whose VideoFrame tags were dropped (noted once each).
  std::set<uint16_t> droppedVideoFrames;

  // The JPEGTables tag's data, which DefineBits images share.
  std::vector<uint8_t> jpegTables;

  void Charge(size_t Bytes, size_t Offset);
  // A note in Movie::loadNotes about what loading passed over (a bounded number).
  void Note(std::string Text);
};

// One edge record of a shape (after its edge flag), relative to Pen, which it moves.
Edge ReadEdge(Stream& S, Point& Pen);

// Tag bodies: S covers exactly the tag's body.
Shape ReadShape(Stream& S, int Version, LoadState& L);  // after the character id
// A font's glyph: a SHAPE whose records fill with style 1, solid white.
Shape ReadGlyphShape(Stream& S, LoadState& L);
Bitmap ReadLosslessBitmap(Stream& S, int Version, LoadState& L);  // after the character id
// DefineButton (Version 1) or DefineButton2 (2), after the character id Id.
Button ReadButton(Stream& S, uint16_t Id, int Version, LoadState& L);
// DefineEditText after the character id; Version is the movie's.
EditText ReadEditText(Stream& S, uint8_t Version, LoadState& L);

// Fonts (fonts.cpp). DefineFont and DefineFont2 (Version 2) or 3, after the
// character id Id; errors name the font.
Font ReadDefineFont(Stream& S, uint16_t Id, LoadState& L);
Font ReadDefineFont2(Stream& S, uint16_t Id, int Version, LoadState& L);
// DefineFontInfo (Version 1) or 2 and DefineFontAlignZones update or check a
// font defined before them; a tag that names no font is noted. At: the tag's offset.
void ReadFontInfo(Stream& S, int Version, LoadState& L, size_t At);
void ReadFontAlignZones(Stream& S, LoadState& L, size_t At);
// DefineText (Version 1) or DefineText2 (2), after the character id (static_text.cpp).
StaticText ReadStaticText(Stream& S, int Version, LoadState& L);

// ExportAssets into L.movie->exports; ImportAssets (Version 1) or
// ImportAssets2 (2) appended to L.movie->imports. A cut-off body keeps its
// whole pairs and returns a note saying so (empty: none). At: the tag's offset.
std::string ReadExports(Stream& S, LoadState& L, size_t At);
std::string ReadImports(Stream& S, int Version, LoadState& L, size_t At);
// DefineMorphShape (Version 1) or DefineMorphShape2 (2), after the character id Id.
MorphShape ReadMorphShape(Stream& S, uint16_t Id, int Version, LoadState& L);
// A filter list: its count byte, then the filters.
std::vector<Filter> ReadFilterList(Stream& S, LoadState& L);
// DefineScalingGrid: the character id and its grid, kept on the movie.
void ReadScalingGrid(Stream& S, LoadState& L, size_t At);

}  // namespace swf::detail
