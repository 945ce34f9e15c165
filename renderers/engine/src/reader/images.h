#pragma once
// The image tags: JPEGTables, DefineBits, and DefineBitsJPEG2, 3 and 4, whose
// data is a JPEG, PNG or GIF file (and for 3 and 4 a separate alpha plane),
// turned into premultiplied 0xAARRGGBB bitmaps.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "renderers/engine/model.h"
#include "renderers/engine/src/reader/loader.h"
#include "renderers/engine/src/reader/stream.h"

namespace swf::detail {

// JPEGTables: the encoding tables the movie's DefineBits images share.
void ReadJpegTables(Stream& S, LoadState& L);

// DefineBits, DefineBitsJPEG2/3/4 (Code) of character Id, S after the id.
// Cut-off tag fields throw FormatError; image data that does not decode gives
// an empty bitmap (drawn as nothing) and a note.
Bitmap ReadImageBitmap(Stream& S, uint16_t Code, uint16_t Id, LoadState& L);

// JPEG data as a decoder takes it: an erroneous leading end-of-image/
// start-of-image pair is dropped, and so is every such pair before the first
// scan (where tables and image were joined). Other data is returned as is.
std::vector<uint8_t> CleanJpeg(const uint8_t* Data, size_t Size);

}  // namespace swf::detail
