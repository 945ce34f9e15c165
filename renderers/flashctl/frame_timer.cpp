// Thread timers mapped to their controls.
#include "renderers/flashctl/frame_timer.h"

#include <map>
#include <mutex>

#include "renderers/flashctl/control.h"

namespace flashctl {
namespace {

std::mutex g_lock;

std::map<UINT_PTR, FlashControl*>& Timers() {
  static std::map<UINT_PTR, FlashControl*> timers;
  return timers;
}

void CALLBACK TimerProc(HWND, UINT, UINT_PTR Timer, DWORD) {
  try {
    FlashControl* control = nullptr;
    {
      std::lock_guard<std::mutex> hold(g_lock);
      const auto it = Timers().find(Timer);
      if (it != Timers().end()) {
        control = it->second;
        control->AddRef();  // the tick may end with the container releasing it
      }
    }
    if (!control) {
      KillTimer(nullptr, Timer);  // a tick that was already queued when its timer went
      return;
    }
    control->Tick();
    control->Release();
  } catch (...) {
    // nothing leaves a window-message callback
  }
}

}  // namespace

UINT_PTR StartFrameTimer(FlashControl* Control, UINT Milliseconds) {
  const UINT_PTR timer = SetTimer(nullptr, 0, Milliseconds, TimerProc);
  if (!timer) return 0;
  std::lock_guard<std::mutex> hold(g_lock);
  Timers()[timer] = Control;
  return timer;
}

void StopFrameTimer(UINT_PTR Timer) {
  if (!Timer) return;
  KillTimer(nullptr, Timer);
  std::lock_guard<std::mutex> hold(g_lock);
  Timers().erase(Timer);
}

}  // namespace flashctl
