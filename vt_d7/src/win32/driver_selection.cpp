#include "vt_d7/Vt_driver_activex.h"
#include "vt_d7/Vt_driver_netscape.h"
#include "vt_d7/Vt_flashplayer.h"

namespace vt {

TvtFlashDriverClassRef DefaultFlashDriverClass = &TvtFlashDriver::ClassRef();

void InitializeFlashPlayerUnit() {
  DefaultFlashDriverClass = &TvtFlashDriver::ClassRef();
  vcl::RegisterComponentClass<TvtFlashPlayer>(L"TvtFlashPlayer");
  vcl::RegisterComponentClass<TvtFlashPlayerComp>(L"TvtFlashPlayerComp");
  vcl::RegisterComponentClass<TvtFlashPlayerWnd>(L"TvtFlashPlayerWnd");
  RegisterFlashStoreClasses();
}

void CheckFlashPlugins() {
  InitializeNetscapeDriverUnit();
  CheckFlashActiveX();
}

const TvtFlashDriverClass& SelectFlashDriverClass(TvtPlugin Plugin, const TvtFlashDriverClass& DefaultClass,
                                                  const TvtFlashDriverClass& ActiveXClass,
                                                  const TvtFlashDriverClass& NetscapeClass,
                                                  const TvtFlashDriverClass& NullClass) {
  if (Plugin == vtDefault && DefaultClass.PluginExists()) return DefaultClass;
  const bool activeX = ActiveXClass.PluginExists();
  const bool netscape = NetscapeClass.PluginExists();
  if ((Plugin == vtActiveX && activeX) || (activeX && !netscape)) return ActiveXClass;
  if (netscape) return NetscapeClass;
  return NullClass;
}

void ChangePlugin(std::unique_ptr<TvtFlashDriver>& Driver, TvtPlugin Plugin, const std::wstring& Movie,
                  int32_t Width, int32_t Height, uint32_t Background, vcl::TControl* Control,
                  const TvtPaintEvent& OnPaint, const TvtEraseBackgroundEvent& OnEraseBackground,
                  const TvtFSCommandEvent& OnFSCommand, const TvtFlashCallEvent& OnFlashCall) {
  // reset() clears the reference before the old driver is destroyed, so a
  // callback during its teardown finds no driver.
  Driver.reset();

  const TvtFlashDriverClass& chosen =
      SelectFlashDriverClass(Plugin, *DefaultFlashDriverClass, TvtFlashDriverActiveXClass(), TvtFlashDriverNSClass(),
                             TvtFlashDriver::ClassRef());
  std::exception_ptr failure;
  try {
    Driver = chosen.Create(Width, Height, Background);
  } catch (...) {
    // The player must never be left without a driver: it gets the null
    // driver, and the caller still learns of the failure.
    failure = std::current_exception();
    Driver = TvtFlashDriver::ClassRef().Create(Width, Height, Background);
  }

  TvtFlashDriver* d = Driver.get();
  d->FControl = Control;
  d->FOnPaint = OnPaint;
  d->FOnEraseBackground = OnEraseBackground;
  d->FOnFSCommand = OnFSCommand;
  d->FOnFlashCall = OnFlashCall;
  // The sizes passed in, not the driver's clamped ones.
  if (OnEraseBackground) OnEraseBackground(d, vcl::Rect(0, 0, Width, Height));
  // A callback may have replaced the driver; load into the current one only.
  if (Driver.get() == d) d->LoadMovie(Movie);
  if (Control) Control->Invalidate();
  if (failure) std::rethrow_exception(failure);
}

}  // namespace vt
