#pragma once
// Frame ticks through the thread's message loop: one thread timer per
// playing instance, looked up in a table the module owns.

#include <windows.h>

namespace npswf {

class PluginInstance;

// Ticks Instance every Milliseconds; 0 when no timer could be had.
UINT_PTR StartFrameTimer(PluginInstance* Instance, UINT Milliseconds);
void StopFrameTimer(UINT_PTR Timer);
// NP_Shutdown.
void StopAllFrameTimers();

}  // namespace npswf
