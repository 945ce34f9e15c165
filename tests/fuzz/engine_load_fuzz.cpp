// Loads arbitrary bytes as a movie with tight limits; a movie that loads is
// played: rendered at 64x48, stepped a few frames (checking the changed
// rectangles), sent back to its first frame, and given mouse and key input.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "renderers/engine/player.h"
#include "fuzz_load_limits.h"
#include "renderers/engine/reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const swf::LoadLimits limits = FuzzLoadLimits();
  std::shared_ptr<const swf::Movie> movie;
  try {
    movie = swf::LoadMovie(Data, Size, limits);
  } catch (const swf::FormatError&) {
    return 0;
  }
  if (movie->timeline.frames.empty()) __builtin_trap();

  swf::MoviePlayer player(movie);
  player.SetViewport(64, 48);
  std::vector<uint32_t> pixels(64 * 48);
  const swf::RenderTarget target{pixels.data(), 64, 48, 64 * 4};
  const swf::IntRect all{0, 0, 64, 48};
  player.Render(target, all, false);
  for (int i = 0; i < 4; ++i) {
    for (const swf::IntRect& r : player.NextFrame())
      if (r.Empty() || r.Intersect(all) != r) __builtin_trap();
    if (player.CurrentFrame() < 0 || player.CurrentFrame() >= player.TotalFrames()) __builtin_trap();
  }
  player.Render(target, {5, 5, 40, 30}, true);
  player.GotoFrame(0);
  player.Render(target, all, false);
  // The mouse walks the stage pressing and releasing, then a key: buttons
  // change state and queue actions.
  auto check = [&](const std::vector<swf::IntRect>& Rects) {
    for (const swf::IntRect& r : Rects)
      if (r.Empty() || r.Intersect(all) != r) __builtin_trap();
  };
  for (int y = 4; y < 48; y += 16)
    for (int x = 4; x < 64; x += 16) {
      check(player.MouseMove(x, y));
      check((x + y) % 3 ? player.MouseDown(x, y) : player.MouseUp(x, y));
    }
  check(player.MouseUp(-1, -1));
  check(player.KeyPress(Size > 8 ? Data[8] : 13));
  player.TakePendingActions();
  player.Render(target, all, false);
  return 0;
}
