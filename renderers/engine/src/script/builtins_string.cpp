// The String class.

#include "renderers/engine/src/script/internal.h"

namespace swf {

void InstallString(ScriptRuntime& /*R*/) {}

}  // namespace swf
