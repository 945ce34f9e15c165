#pragma once
// Drawing a frame on several cores: the clip is cut into horizontal bands,
// each drawn by RenderScene on a thread of its own, each band owning its
// rows. RenderScene gives the same pixels for any piece of a frame, so the
// picture does not depend on the number of threads. Portable.

#include <vector>

#include "renderers/engine/render.h"

namespace swf {

// The most threads a frame is split over, the caller's included; 0 (the
// default) means one per processor core, at most 8.
void SetRenderThreads(int Count);
int RenderThreads();

// RenderScene over Clip, in bands drawn in parallel when the clip is large
// enough to gain from it. The threads are started for the call and joined
// before it returns, so none outlives it (a renderer module may be unloaded
// right after). An exception from any band is raised here once all have
// finished.
void RenderSceneInBands(const std::vector<SceneNode>& Scene, const Movie& Movie, const Matrix& StageToPixels,
                        const RenderTarget& Target, IntRect Clip, bool Transparent, RGBA Background);

}  // namespace swf
