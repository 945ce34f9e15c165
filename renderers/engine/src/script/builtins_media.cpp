// Color, Sound and the other media classes.

#include "renderers/engine/src/script/internal.h"

namespace swf {

void InstallMediaStubs(ScriptRuntime& /*R*/) {}

}  // namespace swf
