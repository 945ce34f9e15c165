// The sounds of a clip's movie as Sound.attachSound finds them.
#include <variant>

#include "renderers/engine/src/movie/clips.h"
#include "renderers/engine/src/movie/movie_state.h"

namespace swf::movie {

// DefineSound's rate field: 5.5, 11, 22 or 44 kHz.
std::optional<double> Clip::LibrarySoundLength(const std::string& Linkage) {
  MoviePlayer* player = Player();
  const auto linked = player ? player->FindLinkage(Linkage) : std::nullopt;
  const auto* sound = linked && linked->character ? std::get_if<Sound>(linked->character) : nullptr;
  if (!sound) return std::nullopt;
  static constexpr double kRates[] = {5512.5, 11025, 22050, 44100};
  return sound->sampleCount * 1000.0 / kRates[(sound->format >> 2) & 3];
}

}  // namespace swf::movie
