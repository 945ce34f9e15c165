// The Math object.

#include "renderers/engine/src/script/internal.h"

namespace swf {

void InstallMath(ScriptRuntime& /*R*/) {}

}  // namespace swf
