#include <ole2.h>

#include "unavailable_driver_class.h"
#include "vt_d7/Vt_driver_activex.h"

namespace vt {

const CLSID CLASS_vtFlashPlayer = {0xD27CDB6E, 0xAE6D, 0x11CF, {0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};

bool FlashActiveXChecked = false;
bool FlashActiveXAvailable = false;

const TvtFlashDriverClass& TvtFlashDriverActiveXClass() {
  static const TUnavailableDriverClass ref(L"TvtFlashDriverActiveX");
  return ref;
}

void InitializeActiveXDriverUnit() {
  FlashActiveXChecked = false;
  FlashActiveXAvailable = false;
}

namespace {

HRESULT CreateControl(IOleObject** Object) {
  return CoCreateInstance(CLASS_vtFlashPlayer, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IOleObject,
                          reinterpret_cast<void**>(Object));
}

// Creates the control and releases it at once.
bool ControlCanBeCreated() {
  IOleObject* object = nullptr;
  HRESULT hr = CreateControl(&object);
  // The probe runs only once: a player built before the application
  // initialised COM must not settle it as "no control", so the probe then
  // runs in a short-lived apartment of its own.
  bool ownApartment = false;
  if (hr == CO_E_NOTINITIALIZED && SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
    ownApartment = true;
    hr = CreateControl(&object);
  }
  const bool created = SUCCEEDED(hr) && object;
  if (object) object->Release();
  if (ownApartment) CoUninitialize();
  return created;
}

}  // namespace

void CheckFlashActiveX() {
  if (FlashActiveXChecked) return;
  if (ControlCanBeCreated()) {
    DefaultFlashDriverClass = &TvtFlashDriverActiveXClass();
    FlashActiveXAvailable = true;
  }
  FlashActiveXChecked = true;
}

}  // namespace vt
