#pragma once
// The process-wide state of the plug-in unit: the module, the two function
// tables and the live plug-in drivers. Shared by the unit's files only.

#include <windows.h>

#include <set>
#include <string>

#include "movie_sources.h"
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
  std::set<TvtFlashDriverNS*> drivers;
  // Calls into the module in progress: the module is never unloaded while
  // its code is on the stack.
  int callDepth = 0;
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

// Held around every call into the module, and, made with FromModule, around
// every browser function that can reach a driver. A finalisation that became
// due meanwhile runs when the outermost call into the module ends; never on
// the way back into the module, whose code is still running then (it waits
// for the next FinalizeNetscapeDriverUnit, at the latest at exit).
class TModuleCall {
 public:
  explicit TModuleCall(bool FromModule = false) : fromModule_(FromModule) { ++NetscapeUnit().callDepth; }
  ~TModuleCall();
  TModuleCall(const TModuleCall&) = delete;
  TModuleCall& operator=(const TModuleCall&) = delete;

 private:
  bool fromModule_;
};

}  // namespace vt
