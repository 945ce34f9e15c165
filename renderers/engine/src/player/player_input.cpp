// MoviePlayer's input: mouse and keys reach the buttons; the changed
// rectangles come from rebuilding the scene.
#include "renderers/engine/player.h"
#include "renderers/engine/src/player/player_state.h"

namespace swf {

std::vector<IntRect> MoviePlayer::MouseMove(double X, double Y) {
  detail::MouseMoveTo(*state_->root, *state_->movie, state_->stageToPixels, {X, Y}, state_->input,
                      state_->budget);
  return state_->Rebuild();
}

std::vector<IntRect> MoviePlayer::MouseDown(double X, double Y) {
  detail::MousePress(*state_->root, *state_->movie, state_->stageToPixels, {X, Y}, state_->input,
                     state_->budget);
  return state_->Rebuild();
}

std::vector<IntRect> MoviePlayer::MouseUp(double X, double Y) {
  detail::MouseRelease(*state_->root, *state_->movie, state_->stageToPixels, {X, Y}, state_->input,
                       state_->budget);
  return state_->Rebuild();
}

std::vector<IntRect> MoviePlayer::KeyPress(int Code) {
  detail::PressKey(*state_->root, Code, state_->input);
  return state_->Rebuild();
}

bool MoviePlayer::ButtonAt(double X, double Y) const {
  return detail::ButtonAt(*state_->root, state_->stageToPixels, {X, Y});
}

std::vector<PendingActions> MoviePlayer::TakePendingActions() {
  std::vector<PendingActions> out;
  out.swap(state_->input.queue);
  return out;
}

}  // namespace swf
