// MoviePlayer and shared libraries: the movie's URL, libraries as they
// arrive, and characters by linkage name.
#include "renderers/engine/player.h"
#include "renderers/engine/src/player/imports.h"
#include "renderers/engine/src/player/player_state.h"

namespace swf {

void MoviePlayer::SetMovieUrl(const std::string& Url) { state_->imports.AddImporter(state_->movie, Url); }

bool MoviePlayer::AddLibrary(const std::string& Url, std::shared_ptr<const Movie> Library) {
  if (!state_->imports.AddLibrary(Url, std::move(Library))) return false;
  detail::ResolveArrived(*state_->root, state_->budget);
  return true;
}

std::optional<LinkedCharacter> MoviePlayer::FindLinkage(const std::string& Name) const {
  return FindLinkage(*state_->movie, Name);
}

std::optional<LinkedCharacter> MoviePlayer::FindLinkage(const Movie& In, const std::string& Name) const {
  uint16_t id = 0;
  const auto found = state_->imports.FindLinkage(In, Name, id);
  if (!found) return std::nullopt;
  return LinkedCharacter{id, found->character, found->movie};
}

}  // namespace swf
