// The image tags over fuzzed bodies: the first byte chooses DefineBits (with
// a JPEGTables tag whose length the next two bytes give), DefineBitsJPEG2, 3
// or 4; the rest is the body after the character id. A bitmap that loads is
// whole and premultiplied.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz_load_limits.h"
#include "renderers/engine/reader.h"

namespace {

void Tag(std::vector<uint8_t>& Out, uint16_t Code, const uint8_t* Body, size_t Length) {
  const uint16_t head = static_cast<uint16_t>(Code << 6 | 0x3F);
  Out.insert(Out.end(), {static_cast<uint8_t>(head), static_cast<uint8_t>(head >> 8)});
  for (int i = 0; i < 4; ++i) Out.push_back(static_cast<uint8_t>(Length >> (8 * i)));
  Out.insert(Out.end(), Body, Body + Length);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size < 1) return 0;
  static const uint16_t kCodes[] = {6, 21, 35, 90};
  const uint16_t code = kCodes[Data[0] % 4];
  ++Data, --Size;
  std::vector<uint8_t> movie = {'F', 'W', 'S', 10, 0, 0, 0, 0, 0x00, 0x00, 24, 1, 0};  // empty stage
  if (code == 6 && Size >= 2) {
    const size_t tables = std::min<size_t>(Data[0] | Data[1] << 8, Size - 2);
    Tag(movie, 8, Data + 2, tables);
    Data += 2 + tables;
    Size -= 2 + tables;
  }
  std::vector<uint8_t> body = {1, 0};  // character 1
  body.insert(body.end(), Data, Data + Size);
  Tag(movie, code, body.data(), body.size());
  movie.insert(movie.end(), {0x40, 0x00, 0x00, 0x00});  // ShowFrame, End
  const uint32_t total = static_cast<uint32_t>(movie.size());
  for (int i = 0; i < 4; ++i) movie[4 + i] = static_cast<uint8_t>(total >> (8 * i));

  std::shared_ptr<const swf::Movie> m;
  try {
    m = swf::LoadMovie(movie.data(), movie.size(), FuzzLoadLimits());
  } catch (const swf::FormatError&) {
    return 0;
  }
  const auto* bmp = std::get_if<swf::Bitmap>(&m->dictionary.at(1));
  if (!bmp || bmp->pixels.size() != size_t(bmp->width) * size_t(bmp->height)) __builtin_trap();
  if (bmp->pixels.empty() && m->loadNotes.empty()) __builtin_trap();  // an image lost without a word
  for (uint32_t p : bmp->pixels) {
    const uint32_t a = p >> 24;
    if (((p >> 16) & 0xFF) > a || ((p >> 8) & 0xFF) > a || (p & 0xFF) > a) __builtin_trap();
  }
  return 0;
}
