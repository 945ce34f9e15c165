// The ActiveX unit: the shared description of the control, the one-time
// probe for it, and the driver's class reference.
#include <ole2.h>

#include "activex_unit.h"

namespace vt {

const CLSID CLASS_vtFlashPlayer = {0xD27CDB6E, 0xAE6D, 0x11CF, {0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};

TFlashControlData FlashControlData = {
    .ClassId = CLASS_vtFlashPlayer,
    .EventInterfaceId = {0xD27CDB6D, 0xAE6D, 0x11CF, {0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}},
    .EventCount = 4,
    .EventDispIds = kFlashEventDispIds,
    .Flags = 0,
    .Version = 401,
    .FontCount = 0,
    .FontIds = nullptr,
    .PictureCount = 0,
    .PictureIds = nullptr,
    .Reserved = 0,
    .InstanceCount = 0,
    .EnumPropDescs = nullptr,
    .FirstEventOffset = 0,
};

bool FlashActiveXChecked = false;
bool FlashActiveXAvailable = false;

namespace {

class TActiveXDriverClass final : public TvtFlashDriverClass {
 public:
  std::wstring ClassName() const override { return L"TvtFlashDriverActiveX"; }
  bool PluginExists() const override { return TvtFlashDriverActiveX::PluginExists(); }
  std::unique_ptr<TvtFlashDriver> Create(int32_t AWidth, int32_t AHeight, uint32_t ABackground) const override {
    return TvtFlashDriverActiveX::Create(AWidth, AHeight, ABackground);
  }
};

// Creates the control and releases it at once.
bool ControlCanBeCreated() {
  IOleObject* object = nullptr;
  HRESULT hr = CreateFlashControl(&object);
  // The probe runs only once: a player built before the application
  // initialised COM must not settle it as "no control", so the probe then
  // runs in a short-lived apartment of its own.
  bool ownApartment = false;
  if (hr == CO_E_NOTINITIALIZED && SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
    ownApartment = true;
    hr = CreateFlashControl(&object);
  }
  const bool created = SUCCEEDED(hr) && object;
  if (object) object->Release();
  if (ownApartment) CoUninitialize();
  return created;
}

}  // namespace

const TvtFlashDriverClass& TvtFlashDriverActiveXClass() {
  static const TActiveXDriverClass ref;
  return ref;
}

const TvtFlashDriverClass& TvtFlashDriverActiveX::ClassType() const { return TvtFlashDriverActiveXClass(); }

HRESULT CreateFlashControl(IOleObject** Object) {
  *Object = nullptr;
  return CoCreateInstance(FlashControlData.ClassId, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                          IID_IOleObject, reinterpret_cast<void**>(Object));
}

void InitializeActiveXDriverUnit() {
  FlashActiveXChecked = false;
  FlashActiveXAvailable = false;
}

void InitializeActiveXDriverUnit(const CLSID& ControlClass) {
  FlashControlData.ClassId = ControlClass;
  InitializeActiveXDriverUnit();
}

void CheckFlashActiveX() {
  if (FlashActiveXChecked) return;
  if (ControlCanBeCreated()) {
    DefaultFlashDriverClass = &TvtFlashDriverActiveXClass();
    FlashActiveXAvailable = true;
  }
  FlashActiveXChecked = true;
}

}  // namespace vt
