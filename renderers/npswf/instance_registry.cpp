// Ownership of the instances, and freeing a destroyed one only once no call
// of it is on the stack.
#include "renderers/npswf/instance_registry.h"

#include <algorithm>
#include <vector>

#include "renderers/npswf/instance.h"

namespace npswf {
namespace {

std::vector<std::unique_ptr<PluginInstance>>& Instances() {
  static std::vector<std::unique_ptr<PluginInstance>> instances;
  return instances;
}

void Free(PluginInstance* Instance) {
  auto& all = Instances();
  const auto it = std::find_if(all.begin(), all.end(), [&](const auto& p) { return p.get() == Instance; });
  if (it == all.end()) return;
  // Out of the list first: the instance's destructor must not find itself.
  std::unique_ptr<PluginInstance> doomed = std::move(*it);
  all.erase(it);
}

}  // namespace

PluginInstance* AddInstance(std::unique_ptr<PluginInstance> Instance) {
  Instances().push_back(std::move(Instance));
  return Instances().back().get();
}

bool IsRegistered(const PluginInstance* Instance) {
  for (const auto& p : Instances())
    if (p.get() == Instance) return true;
  return false;
}

PluginInstance* FindInstance(NPP Npp) {
  if (!Npp || !Npp->pdata) return nullptr;
  for (const auto& p : Instances())
    if (p.get() == Npp->pdata) return p->destroyed() ? nullptr : p.get();
  return nullptr;
}

void DestroyInstance(PluginInstance* Instance) {
  if (!IsRegistered(Instance)) return;
  Instance->Destroy();
  if (Instance->busy == 0) Free(Instance);
}

void DestroyAllInstances() {
  std::vector<PluginInstance*> all;
  for (const auto& p : Instances()) all.push_back(p.get());
  for (PluginInstance* p : all) DestroyInstance(p);
}

CallGuard::CallGuard(PluginInstance* Instance) : instance_(Instance) {
  if (instance_) ++instance_->busy;
}

CallGuard::~CallGuard() {
  if (instance_ && --instance_->busy == 0 && instance_->destroyed()) Free(instance_);
}

}  // namespace npswf
