// MoviePlayer::Render, apart from the timeline code so that the rest of the
// player links without the rasteriser.
#include "renderers/engine/player.h"
#include "renderers/engine/render_bands.h"
#include "renderers/engine/src/player/player_state.h"

namespace swf {

void MoviePlayer::Render(const RenderTarget& Target, IntRect Clip, bool Transparent) const {
  RenderSceneInBands(state_->scene, *state_->movie, state_->stageToPixels, Target, Clip, Transparent,
                     state_->movie->background);
}

}  // namespace swf
