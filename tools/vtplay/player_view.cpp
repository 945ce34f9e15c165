#include "player_view.h"

#include <algorithm>
#include <cstring>

#include "framework/Controls.h"
#include "framework/SysUtils.h"

namespace vtplay {

namespace {

template <class P>
class ViewOf : public PlayerView {
 public:
  explicit ViewOf(P& Player) : player_(Player) {}
  vt::IvtFlash& Flash() override { return player_; }
  vt::TvtFSCommandEvent& OnFSCommand() override { return player_.OnFSCommand; }
  vt::TvtFlashCallEvent& OnFlashCall() override { return player_.OnFlashCall; }
  vt::TvtFlashDriver* Driver() const override { return player_.Driver(); }
  const std::wstring& Movie() const override { return player_.Movie(); }
  void SetPlugin(vt::TvtPlugin Plugin) override {
    player_.SetPlugin(Plugin);
    WatchPaints();
  }

 protected:
  P& player_;
};

class OffscreenView final : public ViewOf<vt::TvtFlashPlayerComp> {
 public:
  using ViewOf::ViewOf;
  void SetSize(int Width, int Height) override {
    player_.SetWidth(Width);
    player_.SetHeight(Height);
  }
  int Width() const override { return player_.Driver()->FWidth; }
  int Height() const override { return player_.Driver()->FHeight; }
  void Click(int X, int Y) override {
    player_.CallMouseMove({}, X, Y);
    player_.CallMouseDown(vcl::mbLeft, {vcl::ssLeft}, X, Y);
    player_.CallMouseUp(vcl::mbLeft, {}, X, Y);
  }
  void Capture(std::vector<uint32_t>& Pixels) override {
    const uint32_t* bits = player_.GetBuffer();
    if (!bits) throw vcl::Exception(L"the player has no frame buffer");
    Pixels.assign(bits, bits + static_cast<size_t>(Width()) * static_cast<size_t>(Height()));
  }
  void WatchPaints() override {
    player_.OnPaint = [this](vcl::TObject*, const vcl::TRect&) { painted_ = true; };
  }
};

// A 32-bit top-down DIB section with its memory DC.
class Dib {
 public:
  Dib(int Width, int Height) {
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), Width, -Height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    bitmap_ = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits_, nullptr, 0);
    dc_ = CreateCompatibleDC(nullptr);
    if (!bitmap_ || !dc_) {
      Free();
      throw vcl::Exception(L"cannot make a bitmap to capture the form");
    }
    old_ = SelectObject(dc_, bitmap_);
  }
  ~Dib() { Free(); }
  Dib(const Dib&) = delete;
  Dib& operator=(const Dib&) = delete;
  HDC DC() const { return dc_; }
  const uint32_t* Bits() const { return static_cast<const uint32_t*>(bits_); }

 private:
  void Free() {
    if (dc_ && old_) SelectObject(dc_, old_);
    if (dc_) DeleteDC(dc_);
    if (bitmap_) DeleteObject(bitmap_);
  }
  HBITMAP bitmap_ = nullptr;
  HDC dc_ = nullptr;
  HGDIOBJ old_ = nullptr;
  void* bits_ = nullptr;
};

// The parent paints itself and its controls, the player among them, into a
// bitmap of the player's size placed over the player.
void CaptureWithParent(vcl::TControl& Player, std::vector<uint32_t>& Pixels) {
  vcl::TWinControl* parent = Player.Parent();
  if (!parent) throw vcl::Exception(L"the player has no parent to be painted with");
  const int w = std::max(1, Player.Width()), h = std::max(1, Player.Height());
  Dib dib(w, h);
  parent->PaintTo(dib.DC(), -Player.Left(), -Player.Top());
  GdiFlush();
  Pixels.assign(dib.Bits(), dib.Bits() + static_cast<size_t>(w) * static_cast<size_t>(h));
  for (uint32_t& p : Pixels) p |= 0xFF000000u;  // GDI leaves the alpha byte alone: the form is opaque
}

// Notices the frames the driver reports, after its own paint callback (which
// shows the frame) ran.
void WatchDriverPaints(vt::TvtFlashDriver* Driver, bool& Painted) {
  vt::TvtPaintEvent shown = Driver->FOnPaint;
  Driver->FOnPaint = [&Painted, shown](vcl::TObject* Sender, const vcl::TRect& Rect) {
    if (shown) shown(Sender, Rect);
    Painted = true;
  };
}

// A press and release of the left button as the window's mouse messages.
void ClickWindow(vcl::TWinControl& Window, int X, int Y) {
  const LPARAM at = MAKELPARAM(X, Y);
  Window.Perform(WM_MOUSEMOVE, 0, at);
  Window.Perform(WM_LBUTTONDOWN, MK_LBUTTON, at);
  Window.Perform(WM_LBUTTONUP, 0, at);
}

// Sizes a player; one that fills its parent through the parent's client size.
void SizePlayer(vcl::TControl& Player, int Width, int Height) {
  vcl::TWinControl* parent = Player.Parent();
  if (Player.Align() != vcl::alClient || !parent) {
    Player.SetBounds(Player.Left(), Player.Top(), Width, Height);
    return;
  }
  parent->SetClientWidth(Width);
  parent->SetClientHeight(Height);
}

class GraphicView final : public ViewOf<vt::TvtFlashPlayer> {
 public:
  using ViewOf::ViewOf;
  void SetSize(int Width, int Height) override {
    player_.SetBounds(player_.Left(), player_.Top(), Width, Height);
  }
  int Width() const override { return player_.Width(); }
  int Height() const override { return player_.Height(); }
  // The click reaches the player as the form's mouse messages would.
  void Click(int X, int Y) override {
    vcl::TWinControl* parent = player_.Parent();
    if (!parent) throw vcl::Exception(L"the graphic player has no parent to be clicked through");
    ClickWindow(*parent, player_.Left() + X, player_.Top() + Y);
  }
  void Capture(std::vector<uint32_t>& Pixels) override { CaptureWithParent(player_, Pixels); }
  void WatchPaints() override { WatchDriverPaints(player_.Driver(), painted_); }
};

// The windowed player filling a form on the screen.
class WindowView final : public ViewOf<vt::TvtFlashPlayerWnd> {
 public:
  using ViewOf::ViewOf;
  void SetSize(int Width, int Height) override { SizePlayer(player_, Width, Height); }
  int Width() const override { return player_.Width(); }
  int Height() const override { return player_.Height(); }
  void Click(int X, int Y) override { ClickWindow(player_, X, Y); }
  void Capture(std::vector<uint32_t>& Pixels) override { CaptureWithParent(player_, Pixels); }
  void WatchPaints() override { WatchDriverPaints(player_.Driver(), painted_); }
};

// The layer: its picture is the driver's buffer, as the layered window shows
// it.
class LayerView final : public ViewOf<vt::TvtFlashLayer> {
 public:
  using ViewOf::ViewOf;
  void SetSize(int Width, int Height) override { SizePlayer(player_, Width, Height); }
  int Width() const override { return player_.Driver()->FWidth; }
  int Height() const override { return player_.Driver()->FHeight; }
  void Click(int X, int Y) override { ClickWindow(player_, X, Y); }
  void Capture(std::vector<uint32_t>& Pixels) override {
    const vt::TvtFlashDriver* d = player_.Driver();
    if (!d->FBits) throw vcl::Exception(L"the layer has no frame buffer");
    Pixels.assign(d->FBits, d->FBits + static_cast<size_t>(d->FWidth) * static_cast<size_t>(d->FHeight));
  }
  void WatchPaints() override { WatchDriverPaints(player_.Driver(), painted_); }
};

}  // namespace

std::unique_ptr<PlayerView> ViewOffscreen(vt::TvtFlashPlayerComp& Player) {
  auto view = std::make_unique<OffscreenView>(Player);
  view->WatchPaints();
  return view;
}

std::unique_ptr<PlayerView> ViewGraphic(vt::TvtFlashPlayer& Player) {
  auto view = std::make_unique<GraphicView>(Player);
  view->WatchPaints();
  return view;
}

std::unique_ptr<PlayerView> ViewWindow(vt::TvtFlashPlayerWnd& Player) {
  auto view = std::make_unique<WindowView>(Player);
  view->WatchPaints();
  return view;
}

std::unique_ptr<PlayerView> ViewLayer(vt::TvtFlashLayer& Layer) {
  auto view = std::make_unique<LayerView>(Layer);
  view->WatchPaints();
  return view;
}

}  // namespace vtplay
