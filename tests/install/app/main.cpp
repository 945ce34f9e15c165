// An application outside the repository, built against the installed
// package: it places an off-screen player and checks its first frame, and
// finds the package's player movie among its own resources; the ActiveX
// unit's headers and the control's interfaces come with the package.
#include <windows.h>

#include <cstdio>

#include "framework/Classes.h"
#include "vt_d7/Vt_driver_activex.h"
#include "vt_d7/Vt_flashplayer.h"

int main() {
  vt::TvtFlashPlayerComp player(nullptr);
  player.SetWidth(64);
  player.SetHeight(48);
  const uint32_t* row = player.GetScanline(47);
  if (!row || row[63] != 0) {
    std::puts("outside_app: unexpected frame buffer");
    return 1;
  }
  for (const wchar_t* name :
       {L"FLVPLAYBACK", L"CLEAROVERALL", L"STEELOVERALL", L"MOJAVEOVERALL", L"ARCTICOVERALL"}) {
    // RT_RCDATA, spelled so that it does not depend on UNICODE.
    if (!FindResourceW(GetModuleHandleW(nullptr), name, MAKEINTRESOURCEW(10))) {
      std::printf("outside_app: the package's resource %ls is missing\n", name);
      return 1;
    }
  }
  if (vt::FlashControlData.ClassId != vt::CLASS_vtFlashPlayer || IID_IvtFlashPlayer.Data1 != 0xD27CDB6C) {
    std::puts("outside_app: the ActiveX unit's identifiers are wrong");
    return 1;
  }
  std::printf("outside_app: %ls plays a %dx%d picture\n", player.Driver()->ClassName().c_str(), player.Width(),
              player.Height());
  return 0;
}
