#pragma once
// Pictures of the whole X screen, taken by scripts/xdisplay-run.sh on request:
// the program leaves "shot-N.request" in the exchange folder the script names
// in VT_XDISPLAY_EXCHANGE, and the script answers with the screen as
// "shot-N.xwd" in the same folder.

#include <windows.h>

#include <optional>
#include <string>

#include "xwd_image.h"

namespace xdisplay {

class ScreenCapture {
 public:
  // The exchange folder from the environment; nothing when the program runs on its own.
  static std::optional<ScreenCapture> FromEnvironment();

  // Asks for a picture and waits for it up to TimeoutMs, dispatching this thread's messages
  // meanwhile. std::runtime_error when none arrives; vcl::EReadError when it cannot be read.
  XwdImage Take(DWORD TimeoutMs);

 private:
  explicit ScreenCapture(std::wstring Folder) : folder_(std::move(Folder)) {}
  std::wstring folder_;
  int taken_ = 0;
};

// Dispatches this thread's messages for about Ms milliseconds.
void PumpMessages(DWORD Ms);

}  // namespace xdisplay
