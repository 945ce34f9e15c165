#pragma once
// vtplay's job: plays the movie its options name in a player, as an
// application would, and writes the frames the player shows.

#include <cstdio>

#include "tools/vtplay/options.h"

namespace vtplay {

// Prints a line per FSCommand and ExternalInterface call of the movie and per
// --call answer to Out, progress when Out is a console, and a summary line.
// Returns 0; raises vcl::Exception (or a derived error) with a message for
// anything that keeps the movie from playing: no renderer, a missing movie or
// form, a movie that never shows, a frame that cannot be written.
int Play(const Options& O, std::FILE* Out);

}  // namespace vtplay
