// The LoadVars class.

#include "renderers/engine/src/script/internal.h"

namespace swf {

void InstallLoadVars(ScriptRuntime& /*R*/) {}

}  // namespace swf
