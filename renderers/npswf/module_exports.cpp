// The module's exports (NPSWF32.def names them, undecorated). Nothing thrown
// inside ever leaves the module.
#include "renderers/gdipaint/frame_layer.h"
#include "renderers/npapi/npapi.h"
#include "renderers/npswf/plugin_table.h"

extern "C" {

NPError NP_GetEntryPoints(NPPluginFuncs* Funcs) {
  try {
    return npswf::FillPluginFuncs(Funcs);
  } catch (...) {
    return NPERR_GENERIC_ERROR;
  }
}

NPError NP_Initialize(NPNetscapeFuncs* Browser) {
  try {
    return npswf::InitializeModule(Browser);
  } catch (...) {
    return NPERR_GENERIC_ERROR;
  }
}

NPError NP_Shutdown() {
  try {
    return npswf::ShutdownModule();
  } catch (...) {
    return NPERR_GENERIC_ERROR;
  }
}

// Movies played here read nothing on their own (every byte comes through the
// browser), so there is no local-file sandbox to lift.
void Flash_DisableLocalSecurity() {}

// How often the module's instances have rendered a frame, for tests that
// check a paint reuses the frame layer.
uint64_t StandInRenderCount() { return swfwin::RenderCount(); }

}  // extern "C"
