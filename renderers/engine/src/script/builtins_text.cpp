// The TextField and TextFormat classes.

#include "renderers/engine/src/script/internal.h"

namespace swf {

void InstallTextClasses(ScriptRuntime& /*R*/) {}

}  // namespace swf
