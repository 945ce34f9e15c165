#pragma once
// The plug-in function table the module hands the browser, and the module's
// start and end. No exception leaves any of these.

#include "renderers/npapi/npapi.h"

namespace npswf {

NPError FillPluginFuncs(NPPluginFuncs* Funcs);
NPError InitializeModule(NPNetscapeFuncs* Browser);
NPError ShutdownModule();

}  // namespace npswf
