#pragma once
// The player vtplay drives, whichever kind it is: its movie operations and
// events, a click, and the picture it shows.

#include <cstdint>
#include <memory>
#include <vector>

#include "vt_d7/Vt_flashplayer.h"
#include "vt_d7/Vt_layer.h"

namespace vtplay {

class PlayerView {
 public:
  virtual ~PlayerView() = default;
  // The movie operations and the application's handlers.
  virtual vt::IvtFlash& Flash() = 0;
  virtual vt::TvtFSCommandEvent& OnFSCommand() = 0;
  virtual vt::TvtFlashCallEvent& OnFlashCall() = 0;
  virtual vt::TvtFlashDriver* Driver() const = 0;
  virtual const std::wstring& Movie() const = 0;
  virtual void SetPlugin(vt::TvtPlugin Plugin) = 0;
  virtual void SetSize(int Width, int Height) = 0;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  // A press and release of the left button at picture pixel (X, Y).
  virtual void Click(int X, int Y) = 0;
  // The picture as premultiplied BGRA rows, top-down, Width() x Height().
  virtual void Capture(std::vector<uint32_t>& Pixels) = 0;
  // Starts noticing paints; call again after the driver was replaced.
  virtual void WatchPaints() = 0;

  // Whether the player painted since the last call.
  bool TakePainted() {
    const bool p = painted_;
    painted_ = false;
    return p;
  }

 protected:
  bool painted_ = false;
};

// Views of existing players (not owned). The graphic and the windowed
// player must sit on a parent control, with which they are captured (opaque);
// the layer is captured as its frame buffer (premultiplied, with per-pixel
// alpha). SetSize sizes the parent of a client-aligned player.
std::unique_ptr<PlayerView> ViewOffscreen(vt::TvtFlashPlayerComp& Player);
std::unique_ptr<PlayerView> ViewGraphic(vt::TvtFlashPlayer& Player);
std::unique_ptr<PlayerView> ViewWindow(vt::TvtFlashPlayerWnd& Player);
std::unique_ptr<PlayerView> ViewLayer(vt::TvtFlashLayer& Layer);

}  // namespace vtplay
