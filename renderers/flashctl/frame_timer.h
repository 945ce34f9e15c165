#pragma once
// Frame ticks through the thread's message loop: one thread timer per
// in-place active control with a movie, looked up in a table of the module's.

#include <windows.h>

namespace flashctl {

class FlashControl;

// Ticks Control every Milliseconds; 0 when no timer could be had.
UINT_PTR StartFrameTimer(FlashControl* Control, UINT Milliseconds);
// After this no tick reaches the control, even one already queued.
void StopFrameTimer(UINT_PTR Timer);

}  // namespace flashctl
