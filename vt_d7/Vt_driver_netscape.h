#pragma once
// Vt_driver_netscape: the driver that hosts the Flash plug-in module through
// NPAPI. This build has the driver's class reference only; the driver does
// not exist yet, so its class reports no renderer.

#include "vt_d7/Vt_flashplayer.h"

namespace vt {

// Class reference of the plug-in driver. PluginExists answers False in this
// build: no module is loaded.
const TvtFlashDriverClass& TvtFlashDriverNSClass();

}  // namespace vt
