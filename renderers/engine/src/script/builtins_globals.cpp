// Global functions (parseInt, escape, isNaN, ...) and AsBroadcaster.

#include "renderers/engine/src/script/internal.h"

namespace swf {

void InstallGlobalFunctions(ScriptRuntime& /*R*/) {}

void InstallBroadcaster(ScriptRuntime& /*R*/) {}

}  // namespace swf
