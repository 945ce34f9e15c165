// setInterval, setTimeout and getTimer.

#include "renderers/engine/src/script/internal.h"

namespace swf {

void InstallTimers(ScriptRuntime& /*R*/) {}

}  // namespace swf
