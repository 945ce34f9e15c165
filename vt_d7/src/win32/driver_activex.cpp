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

void CheckFlashActiveX() {
  if (FlashActiveXChecked) return;
  IOleObject* object = nullptr;
  HRESULT hr = CoCreateInstance(CLASS_vtFlashPlayer, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                IID_IOleObject, reinterpret_cast<void**>(&object));
  if (SUCCEEDED(hr) && object) {
    DefaultFlashDriverClass = &TvtFlashDriverActiveXClass();
    FlashActiveXAvailable = true;
    object->Release();
  }
  FlashActiveXChecked = true;
}

}  // namespace vt
