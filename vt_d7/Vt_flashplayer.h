#pragma once
// Vt_flashplayer: the driver base (also the null driver) with its frame
// buffer, the choice of driver, the player components, and the movie store
// (flash_store.h).

#include <windows.h>
#include <unknwn.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "framework/Classes.h"
#include "framework/Controls.h"
#include "framework/Filer.h"
#include "framework/Graphics.h"
#include "vt_d7/flash_store.h"
#include "vt_d7/pixels.h"

namespace vt {

// Callbacks from a driver to its player. The driver passes itself as ASender;
// rectangles are buffer pixels, right and bottom exclusive.
using TvtPaintEvent = std::function<void(vcl::TObject* ASender, const vcl::TRect& ARect)>;
using TvtEraseBackgroundEvent = std::function<void(vcl::TObject* ASender, const vcl::TRect& ARect)>;
using TvtFSCommandEvent =
    std::function<void(vcl::TObject* ASender, const std::wstring& command, const std::wstring& args)>;
using TvtFlashCallEvent = std::function<void(vcl::TObject* ASender, const std::wstring& request)>;

// Names the drivers hand to a renderer start with this placeholder address,
// so that the movie treats them as network names; requests under it come back
// to the driver, which strips it again. PlaceholderPrefix ends in "/".
inline constexpr wchar_t PlaceholderRoot[] = L"http://vt-d7.invalid";
inline constexpr wchar_t PlaceholderPrefix[] = L"http://vt-d7.invalid/";

// Renderer choice of a player.
enum class TvtPlugin : uint8_t { vtDefault, vtNetscape, vtActiveX };
using enum TvtPlugin;
// Its stream names.
const vcl::TEnumType& PluginType();

// The seventeen movie operations shared by drivers and players, in this slot
// order. The interface identifier is all zeros.
struct IvtFlash : public IUnknown {
  virtual void LoadMovie(const std::wstring& Movie) = 0;
  virtual void LoadMovieFromStream(vcl::TStream* Stream) = 0;
  virtual std::wstring GetVariable(const std::wstring& Name) = 0;
  virtual void SetVariable(const std::wstring& Name, const std::wstring& Value) = 0;
  virtual std::wstring CallFunction(const std::wstring& Request) = 0;
  virtual void SetReturnValue(const std::wstring& Value) = 0;
  virtual void Play() = 0;
  virtual void StopPlay() = 0;
  virtual void Rewind() = 0;
  virtual void Forward() = 0;
  virtual void Back() = 0;
  virtual bool GetLoop() = 0;
  virtual bool GetIsPlaying() = 0;
  virtual int32_t GetCurrentFrame() = 0;
  virtual int32_t GetTotalFrames() = 0;
  virtual void SetLoop(bool Value) = 0;
  virtual void SetCurrentFrame(int32_t Value) = 0;
};

// IvtFlash with the components' reference counting: nothing is counted and
// nothing freed (the owner frees the component); QueryInterface answers
// IUnknown and IvtFlash (the all-zero identifier).
class TvtFlashInterface : public IvtFlash {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(-1); }
  ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(-1); }

 protected:
  TvtFlashInterface() = default;
  ~TvtFlashInterface() = default;
};

class TvtFlashDriver;

// A driver class reference: its class operation PluginExists and its virtual
// constructor.
class TvtFlashDriverClass {
 public:
  virtual std::wstring ClassName() const = 0;
  virtual bool PluginExists() const = 0;
  virtual std::unique_ptr<TvtFlashDriver> Create(int32_t AWidth, int32_t AHeight, uint32_t ABackground) const = 0;

 protected:
  ~TvtFlashDriverClass() = default;
};
using TvtFlashDriverClassRef = const TvtFlashDriverClass*;

// Constructs a driver the way its virtual constructor does: the object is
// built first, then sized, so that the driver's own CreateBuffer and
// ResizeBuffer run.
template <class D>
std::unique_ptr<D> NewDriver(int32_t AWidth, int32_t AHeight, uint32_t ABackground) {
  auto d = std::make_unique<D>(ABackground);
  d->Resize(AWidth, AHeight);
  return d;
}

template <class D>
class TvtFlashDriverClassOf final : public TvtFlashDriverClass {
 public:
  constexpr explicit TvtFlashDriverClassOf(const wchar_t* Name) : name_(Name) {}
  std::wstring ClassName() const override { return name_; }
  bool PluginExists() const override { return D::PluginExists(); }
  std::unique_ptr<TvtFlashDriver> Create(int32_t AWidth, int32_t AHeight, uint32_t ABackground) const override {
    return NewDriver<D>(AWidth, AHeight, ABackground);
  }

 private:
  const wchar_t* name_;
};

// The driver base and null driver: keeps a frame buffer and the playback
// settings, plays nothing, answers empty values and ignores commands.
//
// The frame buffer is a top-down 32-bit DIB section selected into FDC; with a
// transparent background (alpha byte 0) a second buffer of the same form is
// kept for alpha recovery. Drivers are created without owner, through a class
// reference or NewDriver; the player that creates one frees it. A derived
// driver that replaces FreeBuffer calls it from its own destructor (the base
// destructor only reaches the base version).
class TvtFlashDriver : public vcl::TComponent, public TvtFlashInterface {
 public:
  HDC FDC = nullptr;
  HBITMAP FBitmap = nullptr;
  HDC FAlphaDC = nullptr;
  HBITMAP FAlphaBitmap = nullptr;
  BITMAPINFO FBitmapInfo{};
  int32_t FWidth = 0;
  int32_t FHeight = 0;
  uint32_t* FBits = nullptr;
  uint32_t* FAlphaBits = nullptr;
  vcl::TControl* FControl = nullptr;
  bool FShowUpdateRects = false;
  bool FDisableFlashCursor = false;
  bool FDisableFlashMenu = true;
  uint32_t FBackground = 0;
  bool FFlvMode = false;
  std::wstring FSkin = L"ClearOverAll";
  int32_t FVolume = 50;
  bool FPause = false;
  TvtPaintEvent FOnPaint;
  TvtEraseBackgroundEvent FOnEraseBackground;
  TvtFSCommandEvent FOnFSCommand;
  TvtFlashCallEvent FOnFlashCall;

  // Steps one and two of construction; NewDriver adds the sizing.
  explicit TvtFlashDriver(uint32_t ABackground);
  ~TvtFlashDriver() override;

  static const TvtFlashDriverClass& ClassRef();
  static bool PluginExists() { return false; }
  std::wstring ClassName() const override { return L"TvtFlashDriver"; }
  // The class reference of this driver's own class; each driver class
  // answers its own.
  virtual const TvtFlashDriverClass& ClassType() const { return ClassRef(); }

  virtual void CreateBuffer();
  virtual void FreeBuffer();
  virtual void ResizeBuffer() {}
  virtual void SetBackground(uint32_t Value);
  virtual void ForceUpdate() {}

  // Mouse coordinates are the player's client pixels; MouseWheel's are
  // screen coordinates, as the framework hands them to wheel handlers.
  virtual void MouseDown(vcl::TMouseButton Button, vcl::TShiftState Shift, int32_t X, int32_t Y);
  virtual void MouseMove(vcl::TShiftState Shift, int32_t X, int32_t Y);
  virtual void MouseUp(vcl::TMouseButton Button, vcl::TShiftState Shift, int32_t X, int32_t Y);
  virtual void MouseWheel(vcl::TShiftState Shift, int32_t X, int32_t Y, int32_t WheelDelta, bool& Handled);
  virtual void KeyDown(uint16_t& Key, vcl::TShiftState Shift);
  virtual void KeyPress(wchar_t& Key, vcl::TShiftState Shift);
  virtual void KeyUp(uint16_t& Key, vcl::TShiftState Shift);

  // IvtFlash: the null driver ignores commands and answers empty values.
  void LoadMovie(const std::wstring& Movie) override;
  void LoadMovieFromStream(vcl::TStream* Stream) override;
  std::wstring GetVariable(const std::wstring& Name) override;
  void SetVariable(const std::wstring& Name, const std::wstring& Value) override;
  std::wstring CallFunction(const std::wstring& Request) override;
  void SetReturnValue(const std::wstring& Value) override;
  void Play() override {}
  void StopPlay() override {}
  void Rewind() override {}
  void Forward() override {}
  void Back() override {}
  bool GetLoop() override { return false; }
  bool GetIsPlaying() override { return false; }
  int32_t GetCurrentFrame() override { return 0; }
  int32_t GetTotalFrames() override { return 0; }
  void SetLoop(bool Value) override;
  void SetCurrentFrame(int32_t Value) override;

  // Rebuilds the buffers for a new size; a size of 0 or less becomes 1. The
  // same requested size again does nothing.
  void Resize(int32_t AWidth, int32_t AHeight);
  // Outlines ARect in red when FShowUpdateRects is set.
  void DrawUpdateRect(const vcl::TRect& ARect);
  // The window a renderer treats as its host, or nullptr; never creates one.
  HWND GetParentHandle() const;
  // The player's client origin inside GetParentHandle's window.
  vcl::TPoint GetParentOffset() const;
  void DoFSCommand(const std::wstring& command, const std::wstring& args);
  void DoFlashCall(const std::wstring& request);
  void SetPause(bool Value);
  void SetVolume(int32_t Value);

  // Expires when the driver is destroyed: code that calls the renderer or the
  // application keeps a weak reference and checks it afterwards.
  std::weak_ptr<char> AliveLink() const { return alive_; }

 protected:
  // Runs Pass over ARect clipped to the buffer on every side. A rectangle
  // reported while a pass runs (a renderer that invalidates from inside its
  // own drawing) is merged with any other such report and painted once the
  // running pass has finished, so no pass is overwritten halfway; at most
  // eight such passes follow in a row, so a renderer that invalidates on
  // every paint cannot keep the driver painting for ever. Any pass may
  // destroy the driver.
  void SchedulePaint(vcl::TRect ARect, const std::function<void(const vcl::TRect&)>& Pass);
  // The two renders of a transparent background: ARect filled opaque black
  // in the frame buffer and Render(FDC), then filled opaque white in the
  // second buffer and Render(FAlphaDC), then alpha recovered from the two
  // (RecoverAlpha). Render draws the movie clipped to ARect and returns false
  // when the driver is gone; so does this, and then nothing more is touched.
  bool RenderLayers(const vcl::TRect& ARect, const std::function<bool(HDC)>& Render);

  std::shared_ptr<char> alive_ = std::make_shared<char>();

 private:
  // One bitmap section and its memory DC, from FBitmapInfo.
  void CreateSection(HBITMAP& Bitmap, HDC& DC, uint32_t*& Bits);

  bool painting_ = false;
  bool pending_ = false;
  vcl::TRect pendingRect_{};
};

// ---- driver selection ----

// The class the players' vtDefault prefers; starts as the null driver and
// becomes the ActiveX driver when the first probe finds the control. An
// application may assign another class.
extern TvtFlashDriverClassRef DefaultFlashDriverClass;

// Unit initialisation: DefaultFlashDriverClass back to the null driver, and
// the unit's components registered for form streams (TvtFlashPlayer,
// TvtFlashPlayerComp, TvtFlashPlayerWnd, TvtFlashList). An application that
// reads forms before it creates its first player calls it first.
void InitializeFlashPlayerUnit();

// Runs the one-time renderer probes; every player constructor calls it first.
void CheckFlashPlugins();

// The class a player gets for Plugin, given what each renderer class reports
// through PluginExists.
const TvtFlashDriverClass& SelectFlashDriverClass(TvtPlugin Plugin, const TvtFlashDriverClass& DefaultClass,
                                                  const TvtFlashDriverClass& ActiveXClass,
                                                  const TvtFlashDriverClass& NetscapeClass,
                                                  const TvtFlashDriverClass& NullClass);

// Frees Driver, creates the driver Plugin selects, wires it to Control and
// the four callbacks, erases it, loads Movie into it and invalidates Control.
// Driver never refers to a freed driver: if the chosen driver's constructor
// throws, Driver receives a null driver, wired the same way, and the
// exception propagates.
void ChangePlugin(std::unique_ptr<TvtFlashDriver>& Driver, TvtPlugin Plugin, const std::wstring& Movie,
                  int32_t Width, int32_t Height, uint32_t Background, vcl::TControl* Control,
                  const TvtPaintEvent& OnPaint, const TvtEraseBackgroundEvent& OnEraseBackground,
                  const TvtFSCommandEvent& OnFSCommand, const TvtFlashCallEvent& OnFlashCall);

// ---- players ----

// What every player shares: the owned driver, the movie name, the renderer
// choice and the application's movie event handlers; the movie operations and
// the driver-held settings, forwarded to the driver.
template <class Base>
class TvtPlayerBase : public Base, public TvtFlashInterface {
 public:
  explicit TvtPlayerBase(vcl::TComponent* AOwner) : Base(AOwner) {}
  ~TvtPlayerBase() override { FDriver.reset(); }

  // The owned driver; never nil between construction and destruction.
  TvtFlashDriver* Driver() const { return FDriver.get(); }

  // IvtFlash. Loading a movie stores its name; the driver loads it at once,
  // or at Loaded while the player is read from a form stream. In the
  // designer every load pauses, so the first frame shows.
  void LoadMovie(const std::wstring& Movie) override;
  void LoadMovieFromStream(vcl::TStream* Stream) override;
  std::wstring GetVariable(const std::wstring& Name) override { return FDriver->GetVariable(Name); }
  void SetVariable(const std::wstring& Name, const std::wstring& Value) override { FDriver->SetVariable(Name, Value); }
  std::wstring CallFunction(const std::wstring& Request) override { return FDriver->CallFunction(Request); }
  void SetReturnValue(const std::wstring& Value) override { FDriver->SetReturnValue(Value); }
  void Play() override { FDriver->Play(); }
  void StopPlay() override { FDriver->StopPlay(); }
  void Rewind() override { FDriver->Rewind(); }
  void Forward() override { FDriver->Forward(); }
  void Back() override { FDriver->Back(); }
  bool GetLoop() override { return FDriver->GetLoop(); }
  bool GetIsPlaying() override { return FDriver->GetIsPlaying(); }
  int32_t GetCurrentFrame() override { return FDriver->GetCurrentFrame(); }
  int32_t GetTotalFrames() override { return FDriver->GetTotalFrames(); }
  void SetLoop(bool Value) override { FDriver->SetLoop(Value); }
  void SetCurrentFrame(int32_t Value) override { FDriver->SetCurrentFrame(Value); }

  // Published properties. A change of Plugin replaces the driver, which
  // starts from the default settings.
  TvtPlugin Plugin() const { return FPlugin; }
  void SetPlugin(TvtPlugin Value);
  const std::wstring& Movie() const { return FMovie; }
  void SetMovie(const std::wstring& Value) { LoadMovie(Value); }
  // The settings below read 0, False or empty while there is no driver
  // (only during destruction).
  std::string GetSkin() const;
  void SetSkin(const std::string& Value);
  bool GetPause() const { return FDriver ? FDriver->FPause : false; }
  void SetPause(bool Value) {
    if (FDriver) FDriver->SetPause(Value);
  }
  // The driver's mouse settings, published by the players that have a control.
  bool GetDisableFlashCursor() const { return FDriver ? FDriver->FDisableFlashCursor : false; }
  void SetDisableFlashCursor(bool Value) {
    if (FDriver) FDriver->FDisableFlashCursor = Value;
  }
  bool GetDisableFlashMenu() const { return FDriver ? FDriver->FDisableFlashMenu : false; }
  void SetDisableFlashMenu(bool Value) {
    if (FDriver) FDriver->FDisableFlashMenu = Value;
  }
  int32_t GetVolume() const { return FDriver ? FDriver->FVolume : 0; }
  void SetVolume(int32_t Value) {
    if (FDriver) FDriver->SetVolume(Value);
  }
  // The application's handlers. The driver calls whatever is assigned here
  // when the event arrives, so a handler assigned after the driver was made
  // is called as well.
  TvtFSCommandEvent OnFSCommand;
  TvtFlashCallEvent OnFlashCall;

 protected:
  // Calls ChangePlugin with this player's size, background and callbacks.
  virtual void RecreateDriver() = 0;
  // Gives the driver the forwarders below (at Loaded).
  void CopyEventsToDriver();
  // Driver callbacks that call the current OnFSCommand and OnFlashCall,
  // passing the driver's ASender on.
  TvtFSCommandEvent FSCommandForwarder();
  TvtFlashCallEvent FlashCallForwarder();

  std::unique_ptr<TvtFlashDriver> FDriver;
  std::wstring FMovie;
  TvtPlugin FPlugin = vtDefault;
};

extern template class TvtPlayerBase<vcl::TGraphicControl>;
extern template class TvtPlayerBase<vcl::TComponent>;
extern template class TvtPlayerBase<vcl::TCustomControl>;

// Graphic (windowless) player: paints on its parent's surface, transparent by
// default, receives the parent's mouse input.
class TvtFlashPlayer : public TvtPlayerBase<vcl::TGraphicControl> {
 public:
  explicit TvtFlashPlayer(vcl::TComponent* AOwner);
  ~TvtFlashPlayer() override;
  std::wstring ClassName() const override { return L"TvtFlashPlayer"; }
  void GetPublishedProperties(vcl::TPropList& List) override;

  // Published properties (with DisableFlashCursor and DisableFlashMenu).
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool Value);
  // Run-time property.
  bool GetShowUpdateRects() const { return FDriver->FShowUpdateRects; }
  void SetShowUpdateRects(bool Value) { FDriver->FShowUpdateRects = Value; }

  // Framework operations.
  void Loaded() override;
  void Paint() override;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void CMColorChanged() override;
  void MouseDown(vcl::TMouseButton Button, vcl::TShiftState Shift, int X, int Y) override;
  void MouseMove(vcl::TShiftState Shift, int X, int Y) override;
  void MouseUp(vcl::TMouseButton Button, vcl::TShiftState Shift, int X, int Y) override;
  bool DoMouseWheel(vcl::TShiftState Shift, int WheelDelta, vcl::TPoint MousePos) override;

  // Callbacks given to the driver.
  void DoPaint(vcl::TObject* ASender, const vcl::TRect& ARect);
  void DoEraseBackground(vcl::TObject* ASender, const vcl::TRect& ARect);

 protected:
  void RecreateDriver() override;

 private:
  uint32_t BackgroundPixel() const;
  void RedrawBackground();
  bool FTransparent = true;
};

// Windowed player: a window of its own that takes the focus, so keys and
// characters reach the movie as well as the mouse. Opaque: the buffer is
// cleared to its colour, combined with FBackgroundMask. A frame report only
// invalidates; the buffer is copied to the window once per paint message.
class TvtCustomFlashPlayerWnd : public TvtPlayerBase<vcl::TCustomControl> {
 public:
  explicit TvtCustomFlashPlayerWnd(vcl::TComponent* AOwner);
  ~TvtCustomFlashPlayerWnd() override;
  std::wstring ClassName() const override { return L"TvtCustomFlashPlayerWnd"; }
  // DisableFlashCursor, DisableFlashMenu, Plugin, Movie, Skin, Pause, Volume,
  // OnFSCommand, OnFlashCall and TabStop (default True).
  void GetPublishedProperties(vcl::TPropList& List) override;

  // Combined (bitwise and) with the background pixel in erasing and on
  // colour changes; 0 makes the background fully transparent black.
  uint32_t FBackgroundMask = 0xFFFFFFFF;

  // Framework operations.
  void Loaded() override;
  // Every window this player gets is a wide-character window, so character
  // messages carry UTF-16 code units.
  void CreateHandle() override;
  void Paint() override;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void CMColorChanged() override;
  void MouseDown(vcl::TMouseButton Button, vcl::TShiftState Shift, int X, int Y) override;
  void MouseMove(vcl::TShiftState Shift, int X, int Y) override;
  void MouseUp(vcl::TMouseButton Button, vcl::TShiftState Shift, int X, int Y) override;
  bool DoMouseWheel(vcl::TShiftState Shift, int WheelDelta, vcl::TPoint MousePos) override;

  // Callbacks given to the driver; a descendant's replacements are the ones
  // the driver calls.
  virtual void DoPaint(vcl::TObject* ASender, const vcl::TRect& ARect);
  virtual void DoEraseBackground(vcl::TObject* ASender, const vcl::TRect& ARect);

 protected:
  void RecreateDriver() override;
  // The dialog-code query, keys, characters and background erasing.
  void WndProc(vcl::TMessage& Message) override;
  // The resolved colour as an opaque pixel, combined with FBackgroundMask.
  uint32_t BackgroundPixel() const;
};

// The windowed player an application places on a form: publishes the
// framework's properties as well.
class TvtFlashPlayerWnd : public TvtCustomFlashPlayerWnd {
 public:
  using TvtCustomFlashPlayerWnd::TvtCustomFlashPlayerWnd;
  std::wstring ClassName() const override { return L"TvtFlashPlayerWnd"; }
  void GetPublishedProperties(vcl::TPropList& List) override;
};

// Off-screen player: no control, no window. The application sizes it, gets
// OnPaint for every changed rectangle, reads the premultiplied pixels in
// place and feeds input through the Call... operations.
class TvtFlashPlayerComp : public TvtPlayerBase<vcl::TComponent> {
 public:
  explicit TvtFlashPlayerComp(vcl::TComponent* AOwner);
  ~TvtFlashPlayerComp() override;
  std::wstring ClassName() const override { return L"TvtFlashPlayerComp"; }
  void GetPublishedProperties(vcl::TPropList& List) override;

  // Published properties.
  int32_t Width() const { return FWidth; }
  void SetWidth(int32_t Value);
  int32_t Height() const { return FHeight; }
  void SetHeight(int32_t Value);
  TvtPaintEvent OnPaint;

  // The top-left pixel of the frame buffer, or nullptr while there is none.
  // Valid until the next effective resize or change of Plugin.
  uint32_t* GetBuffer() const;
  // The first pixel of Row; nullptr for a row outside the buffer.
  uint32_t* GetScanline(int32_t Row) const;

  // Input, forwarded unchanged; coordinates are picture pixels.
  void CallMouseDown(vcl::TMouseButton Button, vcl::TShiftState Shift, int32_t X, int32_t Y);
  void CallMouseMove(vcl::TShiftState Shift, int32_t X, int32_t Y);
  void CallMouseUp(vcl::TMouseButton Button, vcl::TShiftState Shift, int32_t X, int32_t Y);
  void CallMouseWheel(vcl::TShiftState Shift, int32_t X, int32_t Y, int32_t WheelDelta, bool& Handled);
  void CallKeyDown(uint16_t& Key, vcl::TShiftState Shift);
  void CallKeyPress(wchar_t& Key, vcl::TShiftState Shift);
  void CallKeyUp(uint16_t& Key, vcl::TShiftState Shift);

  void Loaded() override;

  // Callbacks given to the driver.
  void DoPaint(vcl::TObject* ASender, const vcl::TRect& ARect);
  void DoEraseBackground(vcl::TObject* ASender, const vcl::TRect& ARect);

 protected:
  void RecreateDriver() override;

 private:
  int32_t FWidth = 100;
  int32_t FHeight = 100;
};

}  // namespace vt
