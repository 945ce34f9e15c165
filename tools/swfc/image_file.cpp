#include "tools/swfc/image_file.h"

#include "renderers/engine/reader.h"

namespace swfc {

std::optional<swf::Bitmap> ImageFileBitmap(const std::vector<uint8_t>& File) {
  // The smallest movie that holds the file: an empty stage, the image as
  // character 1 (DefineBitsJPEG2, long form), End.
  std::vector<uint8_t> movie = {'F', 'W', 'S', 8, 0, 0, 0, 0, 0x00, 0, 12, 1, 0, 0x7F, 0x05};
  const size_t body = File.size() + 2;
  if (body > UINT32_MAX - 64) return std::nullopt;
  for (int i = 0; i < 4; ++i) movie.push_back(static_cast<uint8_t>(body >> (8 * i)));
  movie.insert(movie.end(), {1, 0});
  movie.insert(movie.end(), File.begin(), File.end());
  movie.insert(movie.end(), {0, 0});
  for (int i = 0; i < 4; ++i) movie[4 + i] = static_cast<uint8_t>(movie.size() >> (8 * i));
  try {
    const auto loaded = swf::LoadMovie(movie.data(), movie.size());
    swf::Bitmap bmp = std::get<swf::Bitmap>(loaded->dictionary.at(1));
    if (bmp.pixels.empty()) return std::nullopt;
    return bmp;
  } catch (const swf::FormatError&) {
    return std::nullopt;
  }
}

}  // namespace swfc
