#pragma once
// The instances the module owns, found from an NPP, and the guard that
// keeps an instance alive while one of its calls is in progress.

#include <memory>

#include "renderers/npapi/npapi.h"

namespace npswf {

class PluginInstance;

// Takes ownership; returns the instance.
PluginInstance* AddInstance(std::unique_ptr<PluginInstance> Instance);
// The live (not destroyed) instance of Npp, or null.
PluginInstance* FindInstance(NPP Npp);
// Whether Instance is still owned by the registry.
bool IsRegistered(const PluginInstance* Instance);
// NPP_Destroy: destroys Instance and frees it now, or when its outermost call returns.
void DestroyInstance(PluginInstance* Instance);
// NP_Shutdown: destroys every instance; the ones with a call in progress
// are freed when that call returns.
void DestroyAllInstances();

// Counts a call of an instance; the outermost one frees a destroyed instance.
class CallGuard {
 public:
  explicit CallGuard(PluginInstance* Instance);
  ~CallGuard();
  CallGuard(const CallGuard&) = delete;
  CallGuard& operator=(const CallGuard&) = delete;

 private:
  PluginInstance* instance_;
};

}  // namespace npswf
