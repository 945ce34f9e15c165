// The layer unit: the layered-window function and the unit's initialisation.
#include "framework/Forms.h"
#include "vt_d7/Vt_layer.h"
#include "flash_layer_unit.h"

namespace vt {

TUpdateLayeredWindowFunc UpdateLayeredWindowFunc = nullptr;

namespace {
bool resolved = false;
bool fallbackReported = false;
}  // namespace

void InitializeLayerUnit() {
  if (!resolved) {
    resolved = true;
    // user32 stays loaded for the life of the process.
    if (HMODULE user32 = LoadLibraryA("user32.dll")) {
      FARPROC proc = GetProcAddress(user32, "UpdateLayeredWindow");
      UpdateLayeredWindowFunc = reinterpret_cast<TUpdateLayeredWindowFunc>(reinterpret_cast<void*>(proc));
    }
  }
  fallbackReported = false;
  vcl::RegisterComponentClass<TvtFlashLayer>(L"TvtFlashLayer");
}

void ReportLayerFallback(vcl::TObject* Sender) {
  if (fallbackReported) return;
  fallbackReported = true;
  try {
    throw vcl::Exception(
        L"UpdateLayeredWindow is not available: the layer shows its movie in its own window instead");
  } catch (...) {
    vcl::Application()->HandleException(Sender);
  }
}

}  // namespace vt
