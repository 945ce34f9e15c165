// Fonts and static text from arbitrary bytes: the input is a list of tags
// (a selector byte choosing DefineFont 1 to 3, DefineFontInfo 1 or 2,
// DefineFontAlignZones, DefineText or DefineText2, a 16-bit length, the
// body); a movie of them that places characters 1 to 4 is loaded, played a
// frame and rendered small.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz_load_limits.h"
#include "renderers/engine/player.h"
#include "renderers/engine/reader.h"

namespace {

void Tag(std::vector<uint8_t>& Out, uint16_t Code, const uint8_t* Body, size_t Size) {
  Out.push_back(static_cast<uint8_t>((Code << 6 | 0x3F) & 0xFF));
  Out.push_back(static_cast<uint8_t>(Code >> 2));
  for (int i = 0; i < 4; ++i) Out.push_back(static_cast<uint8_t>(Size >> (8 * i)));
  Out.insert(Out.end(), Body, Body + Size);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  static const uint16_t kCodes[] = {10, 13, 48, 62, 73, 75, 11, 33};
  std::vector<uint8_t> movie{'F', 'W', 'S', 8, 0, 0, 0, 0};
  // Stage 64x48 pixels, 12 fps, one frame.
  const uint8_t header[] = {0x60, 0x00, 0x28, 0x00, 0x00, 0x1E, 0x00, 0x00, 0x0C, 0x01, 0x00};
  movie.insert(movie.end(), header, header + sizeof header);
  size_t at = 0;
  while (Size - at >= 3) {
    const uint16_t code = kCodes[Data[at] % 8];
    size_t length = size_t{Data[at + 1]} | size_t{Data[at + 2]} << 8;
    at += 3;
    if (length > Size - at) length = Size - at;
    Tag(movie, code, Data + at, length);
    at += length;
  }
  for (uint8_t id = 1; id <= 4; ++id) {
    // PlaceObject2 of character id at depth id, at half size.
    const uint8_t place[] = {0x06, id, 0, id, 0, 0xC5, 0x00, 0x00, 0x80, 0x00, 0x00};
    Tag(movie, 26, place, sizeof place);
  }
  Tag(movie, 1, nullptr, 0);
  Tag(movie, 0, nullptr, 0);
  const uint32_t total = static_cast<uint32_t>(movie.size());
  for (int i = 0; i < 4; ++i) movie[4 + static_cast<size_t>(i)] = static_cast<uint8_t>(total >> (8 * i));

  std::shared_ptr<const swf::Movie> loaded;
  try {
    loaded = swf::LoadMovie(movie.data(), movie.size(), FuzzLoadLimits());
  } catch (const swf::FormatError&) {
    return 0;
  }
  swf::MoviePlayer player(loaded);
  player.SetViewport(64, 48);
  player.NextFrame();
  std::vector<uint32_t> pixels(64 * 48);
  player.Render({pixels.data(), 64, 48, 64 * 4}, {0, 0, 64, 48}, false);
  return 0;
}
