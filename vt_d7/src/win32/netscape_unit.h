#pragma once
// The process-wide state of the plug-in unit: the module, the two function
// tables and the live plug-in drivers. Shared by the unit's files only.

#include <windows.h>

#include <set>
#include <string>

#include "vt_d7/Vt_driver_netscape.h"

namespace vt {

struct TNetscapeUnit {
  bool initialized = false;
  bool finalizePending = false;
  std::string path;
  HMODULE module = nullptr;
  NPPluginFuncs pluginFuncs{};
  NPNetscapeFuncs browserFuncs{};
  NP_ShutdownFunc shutdown = nullptr;
  HMODULE urlmon = nullptr;
  FARPROC urlOpenPullStream = nullptr;
  std::set<TvtFlashDriverNS*> drivers;
};

TNetscapeUnit& NetscapeUnit();

// Fills the browser function table (netscape_browser.cpp).
void FillBrowserFuncs(NPNetscapeFuncs& Funcs);
// Makes the browser object class usable (structure version, placeholders).
void PrepareBrowserObjectClass();

// Called by each plug-in driver's constructor and destructor; the last
// destructor runs a deferred finalisation.
void RegisterNetscapeDriver(TvtFlashDriverNS* Driver);
void UnregisterNetscapeDriver(TvtFlashDriverNS* Driver);

}  // namespace vt
