// Thread timers mapped to their instances.
#include "renderers/npswf/frame_timer.h"

#include <map>

#include "renderers/npswf/instance.h"
#include "renderers/npswf/instance_registry.h"

namespace npswf {
namespace {

std::map<UINT_PTR, PluginInstance*>& Timers() {
  static std::map<UINT_PTR, PluginInstance*> timers;
  return timers;
}

void CALLBACK TimerProc(HWND, UINT, UINT_PTR Timer, DWORD) {
  try {
    const auto it = Timers().find(Timer);
    if (it == Timers().end()) {
      KillTimer(nullptr, Timer);  // a tick that was already queued when its timer went
      return;
    }
    PluginInstance* instance = it->second;
    if (!IsRegistered(instance) || instance->destroyed()) return;
    CallGuard guard(instance);
    instance->Tick();
  } catch (...) {
    // nothing leaves a window-message callback
  }
}

}  // namespace

UINT_PTR StartFrameTimer(PluginInstance* Instance, UINT Milliseconds) {
  const UINT_PTR timer = SetTimer(nullptr, 0, Milliseconds, TimerProc);
  if (timer) Timers()[timer] = Instance;
  return timer;
}

void StopFrameTimer(UINT_PTR Timer) {
  if (!Timer) return;
  KillTimer(nullptr, Timer);
  Timers().erase(Timer);
}

void StopAllFrameTimers() {
  for (const auto& [timer, instance] : Timers()) KillTimer(nullptr, timer);
  Timers().clear();
}

}  // namespace npswf
