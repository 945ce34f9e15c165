// Arbitrary bytes as the body of a DefineMorphShape (or DefineMorphShape2 when
// the first byte is odd), placed and drawn at ratios 0, 1/3 and 1, with the
// mouse over it.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz_load_limits.h"
#include "renderers/engine/player.h"
#include "renderers/engine/reader.h"

namespace {

void Tag(std::vector<uint8_t>& Out, uint16_t Code, const uint8_t* Body, size_t Size) {
  const uint16_t head = static_cast<uint16_t>(Code << 6 | 0x3F);
  const uint32_t n = static_cast<uint32_t>(Size);
  const uint8_t h[6] = {uint8_t(head), uint8_t(head >> 8), uint8_t(n), uint8_t(n >> 8), uint8_t(n >> 16), uint8_t(n >> 24)};
  Out.insert(Out.end(), h, h + 6);
  Out.insert(Out.end(), Body, Body + Size);
}

// PlaceObject2 of character Id at depth 1 with Ratio (Move: the character already there).
void Place(std::vector<uint8_t>& Out, uint16_t Id, uint16_t Ratio, bool Move) {
  if (Move) {
    const uint8_t body[] = {0x11, 1, 0, uint8_t(Ratio), uint8_t(Ratio >> 8)};
    Tag(Out, 26, body, sizeof body);
  } else {
    const uint8_t body[] = {0x12, 1, 0, uint8_t(Id), uint8_t(Id >> 8), uint8_t(Ratio), uint8_t(Ratio >> 8)};
    Tag(Out, 26, body, sizeof body);
  }
  Tag(Out, 1, nullptr, 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size < 1 || Size > 64 * 1024) return 0;
  // FWS, version 8, the length (set below), a 64x48 pixel stage (0..1280 x
  // 0..960 twips in 12-bit fields), 12 fps, 3 frames.
  std::vector<uint8_t> movie = {'F', 'W', 'S', 8, 0, 0, 0, 0, 0x60, 0x00, 0x28, 0x00, 0x00, 0x1E, 0x00, 0x00, 12, 3, 0};
  const uint16_t id = 1;
  std::vector<uint8_t> body = {uint8_t(id), uint8_t(id >> 8)};
  body.insert(body.end(), Data + 1, Data + Size);
  Tag(movie, Data[0] & 1 ? 84 : 46, body.data(), body.size());
  Place(movie, id, 0, false);
  Place(movie, id, 21845, true);
  Place(movie, id, 65535, true);
  Tag(movie, 0, nullptr, 0);
  const uint32_t total = static_cast<uint32_t>(movie.size());
  for (int i = 0; i < 4; ++i) movie[4 + i] = uint8_t(total >> (8 * i));

  std::shared_ptr<const swf::Movie> loaded;
  try {
    loaded = swf::LoadMovie(movie.data(), movie.size(), FuzzLoadLimits());
  } catch (const swf::FormatError&) {
    return 0;
  }
  swf::MoviePlayer player(loaded);
  player.SetViewport(64, 48);
  std::vector<uint32_t> pixels(64 * 48);
  const swf::RenderTarget target{pixels.data(), 64, 48, 64 * 4};
  const swf::IntRect all{0, 0, 64, 48};
  for (int frame = 0; frame < 3; ++frame) {
    player.Render(target, all, false);
    player.MouseMove(8 + frame * 16, 20);
    for (const swf::IntRect& r : player.NextFrame())
      if (r.Empty() || r.Intersect(all) != r) __builtin_trap();
  }
  return 0;
}
