#pragma once
// Vt_driver_activex: the driver that hosts the Flash ActiveX control. This
// build has the probe for the control and the driver's class reference; the
// driver does not exist yet, so its class reports no renderer.

#include <windows.h>

#include "vt_d7/Vt_flashplayer.h"

namespace vt {

// {D27CDB6E-AE6D-11CF-96B8-444553540000}
extern const CLSID CLASS_vtFlashPlayer;

// Set once the probe has run, whatever its outcome.
extern bool FlashActiveXChecked;
// Set when the probe could create the control.
extern bool FlashActiveXAvailable;

// One-time probe: creates the control (in-process or local server) for
// IOleObject and releases it at once. On success DefaultFlashDriverClass
// becomes the ActiveX driver. A failure is silent and final for the process.
// COM must be initialised on the calling thread.
void CheckFlashActiveX();

// Unit initialisation: forgets the probe's result, so tests can try other
// machine setups.
void InitializeActiveXDriverUnit();

// Class reference of the ActiveX driver. PluginExists answers False in this
// build: there is no driver to create yet.
const TvtFlashDriverClass& TvtFlashDriverActiveXClass();

}  // namespace vt
