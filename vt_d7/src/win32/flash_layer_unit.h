#pragma once
// What the layer's code shares with the unit's initialisation.

#include "framework/Classes.h"

namespace vt {

// Tells the application, through its exception handler, that the layers
// paint in their own windows for want of the layered-window function; once
// per initialisation of the unit.
void ReportLayerFallback(vcl::TObject* Sender);

}  // namespace vt
