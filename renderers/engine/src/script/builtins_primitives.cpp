// The Boolean and Number classes.

#include "renderers/engine/src/script/internal.h"

namespace swf {

void InstallPrimitiveClasses(ScriptRuntime& /*R*/) {}

}  // namespace swf
