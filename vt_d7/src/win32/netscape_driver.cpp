// The plug-in driver's instance: creation with the embedding arguments, the
// window handed to the module, and the painting of changed rectangles into
// the frame buffer (with alpha recovered from renders over black and white).
#include <string>

#include "netscape_downloads.h"
#include "netscape_unit.h"

namespace vt {

namespace {

constexpr char kMimeType[] = "application/x-shockwave-flash";

class TNetscapeDriverClass final : public TvtFlashDriverClass {
 public:
  std::wstring ClassName() const override { return L"TvtFlashDriverNS"; }
  bool PluginExists() const override { return TvtFlashDriverNS::PluginExists(); }
  std::unique_ptr<TvtFlashDriver> Create(int32_t AWidth, int32_t AHeight,
                                         uint32_t ABackground) const override {
    return TvtFlashDriverNS::Create(AWidth, AHeight, ABackground);
  }
};

}  // namespace

const TvtFlashDriverClass& TvtFlashDriverNSClass() {
  static const TNetscapeDriverClass ref;
  return ref;
}

const TvtFlashDriverClass& TvtFlashDriverNS::ClassType() const { return TvtFlashDriverNSClass(); }

bool TvtFlashDriverNS::PluginExists() {
  const TNetscapeUnit& u = NetscapeUnit();
  return u.module && u.pluginFuncs.newp;
}

TvtFlashDriverNS::TvtFlashDriverNS(uint32_t ABackground) : TvtFlashDriver(ABackground) {
  RegisterNetscapeDriver(this);
}

TvtFlashDriverNS::~TvtFlashDriverNS() {
  DestroyPlugin();
  TvtFlashDriverNS::FreeBuffer();
  // Last: a deferred finalisation may unload the module here.
  UnregisterNetscapeDriver(this);
}

std::unique_ptr<TvtFlashDriverNS> TvtFlashDriverNS::Create(int32_t AWidth, int32_t AHeight,
                                                           uint32_t ABackground) {
  auto d = std::make_unique<TvtFlashDriverNS>(ABackground);
  d->Resize(AWidth, AHeight);
  d->CreatePlugin();
  return d;
}

TvtFlashDriverNS* TvtFlashDriverNS::FromInstance(NPP Instance) {
  if (!Instance || !Instance->ndata) return nullptr;
  auto* driver = static_cast<TvtFlashDriverNS*>(Instance->ndata);
  // Only a live driver's own record names it.
  const auto& drivers = NetscapeUnit().drivers;
  if (!drivers.contains(driver) || &driver->FInstance != Instance) return nullptr;
  return driver;
}

bool TvtFlashDriverNS::InstanceReady() const { return PluginExists() && FInstance.ndata == this; }

void TvtFlashDriverNS::CreatePlugin() {
  const TModuleCall call;
  if (!PluginExists()) return;
  const NPPluginFuncs& f = NetscapeUnit().pluginFuncs;
  std::string names[4] = {"wmode", "bgcolor", "width", "height"};
  std::string values[4] = {"transparent", "#0", std::to_string(FWidth), std::to_string(FHeight)};
  char* argn[4];
  char* argv[4];
  for (int i = 0; i < 4; ++i) {
    argn[i] = names[i].data();
    argv[i] = values[i].data();
  }
  FInstance = NPP_t{};
  FInstance.ndata = this;
  ++generation_;
  std::string mime = kMimeType;
  const std::weak_ptr<char> alive = alive_;
  f.newp(mime.data(), &FInstance, NP_EMBED, 4, argn, argv, nullptr);
  if (alive.expired()) return;
  FScriptObject = nullptr;
  if (f.getvalue) f.getvalue(&FInstance, NPPVpluginScriptableNPObject, &FScriptObject);
}

void TvtFlashDriverNS::DestroyPlugin() {
  const TModuleCall call;
  if (!InstanceReady()) return;
  const NPPluginFuncs& f = NetscapeUnit().pluginFuncs;
  // From here on no browser function finds this driver through the record,
  // and its downloads deliver nothing more.
  FInstance.ndata = nullptr;
  DetachAsyncStreams(this);
  FScriptObject = nullptr;
  if (f.destroy) f.destroy(&FInstance, nullptr);
}

void TvtFlashDriverNS::ResizeBuffer() {
  TvtFlashDriver::ResizeBuffer();
  if (PluginExists()) RefreshWindow();
}

void TvtFlashDriverNS::SetBackground(uint32_t Value) {
  const bool rebuilt = Value != FBackground && (Value >> 24) != (FBackground >> 24);
  TvtFlashDriver::SetBackground(Value);
  // Re-created buffers: the module must not keep painting into the deleted
  // device context.
  if (rebuilt && PluginExists()) RefreshWindow();
}

void TvtFlashDriverNS::RefreshWindow() {
  const TModuleCall call;
  // The module only hears of windows for an instance it created.
  if (!InstanceReady()) return;
  FWindow = NPWindow{};
  FWindow.type = NPWindowTypeDrawable;
  FWindow.window = FDC;
  FWindow.width = static_cast<uint32_t>(FWidth);
  FWindow.height = static_cast<uint32_t>(FHeight);
  const std::weak_ptr<char> alive = alive_;
  if (NPP_SetWindowProcPtr setWindow = NetscapeUnit().pluginFuncs.setwindow) setWindow(&FInstance, &FWindow);
  if (alive.expired()) return;
  ForceUpdate();
}

void TvtFlashDriverNS::ForceUpdate() {
  if (!InstanceReady() || !FInstance.pdata) return;
  PaintRect(vcl::Rect(0, 0, FWidth, FHeight));
}

void TvtFlashDriverNS::PaintRect(vcl::TRect R) {
  SchedulePaint(R, [this](const vcl::TRect& Area) { PaintPass(Area); });
}

bool TvtFlashDriverNS::RenderInto(HDC DC, const vcl::TRect& R) {
  const std::weak_ptr<char> alive = alive_;
  const int saved = SaveDC(DC);
  IntersectClipRect(DC, R.Left, R.Top, R.Right, R.Bottom);
  // The published windowless convention: wParam the device context, lParam
  // the area to paint.
  RECT area{R.Left, R.Top, R.Right, R.Bottom};
  HandleEvent(WM_PAINT, reinterpret_cast<uintptr_t>(DC), reinterpret_cast<uintptr_t>(&area));
  if (alive.expired()) return false;
  RestoreDC(DC, saved);
  // GDI may still hold the module's drawing in its batch; the pixels are
  // read and written directly next.
  GdiFlush();
  return true;
}

void TvtFlashDriverNS::PaintPass(const vcl::TRect& R) {
  const TModuleCall call;
  if (!InstanceReady()) return;
  const std::weak_ptr<char> alive = alive_;
  if (FBits && FAlphaBits && FAlphaDC) {
    NPP_SetWindowProcPtr setWindow = NetscapeUnit().pluginFuncs.setwindow;
    // Before any window refresh the record is still empty: the module gets
    // the buffer's full description, not a window of size 0 and no type.
    FWindow.type = NPWindowTypeDrawable;
    FWindow.width = static_cast<uint32_t>(FWidth);
    FWindow.height = static_cast<uint32_t>(FHeight);
    const bool rendered = RenderLayers(R, [&](HDC DC) {
      FWindow.window = DC;
      if (setWindow) setWindow(&FInstance, &FWindow);
      return !alive.expired() && RenderInto(DC, R);
    });
    if (!rendered) return;
  } else if (FBits) {
    if (FOnEraseBackground) {
      FOnEraseBackground(this, R);
      if (alive.expired()) return;
    }
    if (!FDC || !RenderInto(FDC, R)) return;
  }
  if (FOnPaint) {
    FOnPaint(this, R);
    if (alive.expired()) return;
  }
  DrawUpdateRect(R);
}

void TvtFlashDriverNS::HandleEvent(uint16_t Event, uintptr_t WParam, uintptr_t LParam) {
  const TModuleCall call;
  if (!InstanceReady()) return;
  NPEvent e{};
  e.event = Event;
  e.wParam = WParam;
  e.lParam = LParam;
  if (NPP_HandleEventProcPtr handle = NetscapeUnit().pluginFuncs.event) handle(&FInstance, &e);
}

}  // namespace vt
