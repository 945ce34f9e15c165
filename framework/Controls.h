#pragma once
// Controls over real Win32 windows: the control base, windowless (graphic)
// controls that draw on their parent, windowed controls with an HWND each,
// and custom controls with a canvas of their own.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Classes.h"
#include "Filer.h"
#include "Graphics.h"

namespace vcl {

enum class TMouseButton { mbLeft, mbRight, mbMiddle };
using enum TMouseButton;

enum class TShiftStateFlag { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using enum TShiftStateFlag;
using TShiftState = TSet<TShiftStateFlag>;

enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
using enum TAlign;

enum class TAnchorKind { akLeft, akTop, akRight, akBottom };
using enum TAnchorKind;
using TAnchors = TSet<TAnchorKind>;

enum class TDragMode { dmManual, dmAutomatic };
using enum TDragMode;

enum class TDragState { dsDragEnter, dsDragLeave, dsDragMove };
using enum TDragState;

using TCursor = int16_t;
constexpr TCursor crDefault = 0;
constexpr TCursor crNone = -1;
constexpr TCursor crArrow = -2;
constexpr TCursor crCross = -3;
constexpr TCursor crIBeam = -4;
constexpr TCursor crDrag = -12;
constexpr TCursor crNoDrop = -13;
constexpr TCursor crHandPoint = -21;

// Stream names of the types above.
const TEnumType& AlignType();
const TEnumType& AnchorKindType();
const TEnumType& DragModeType();
const TIntegerIdents& CursorIdents();

// Shift state from the key flags of a mouse message (MK_SHIFT, MK_CONTROL,
// MK_xBUTTON); Alt comes from the keyboard state.
TShiftState KeysToShiftState(WPARAM Keys);
// Shift state for a key message: Shift and Ctrl from the keyboard state, Alt
// from the context bit of the message's key data.
TShiftState KeyDataToShiftState(LPARAM KeyData);

// A window message as the control's WndProc sees it.
struct TMessage {
  UINT Msg = 0;
  WPARAM WParam = 0;
  LPARAM LParam = 0;
  LRESULT Result = 0;
};

// The framework's own messages.
constexpr UINT CM_BASE = 0xB000;
constexpr UINT CM_RELEASE = CM_BASE + 33;

class TControl;
class TWinControl;

using TMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TMouseWheelEvent =
    std::function<void(TObject* Sender, TShiftState Shift, int WheelDelta, TPoint MousePos, bool& Handled)>;
using TKeyEvent = std::function<void(TObject* Sender, uint16_t& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, wchar_t& Key)>;
using TDragDropEvent = std::function<void(TObject* Sender, TObject* Source, int X, int Y)>;
using TDragOverEvent =
    std::function<void(TObject* Sender, TObject* Source, int X, int Y, TDragState State, bool& Accept)>;
using TEndDragEvent = std::function<void(TObject* Sender, TObject* Target, int X, int Y)>;
using TStartDragEvent = std::function<void(TObject* Sender, TObject*& DragObject)>;

// The canvas of a control. Inside a paint the control's painter attaches it
// to the paint DC (PaintWith). Outside any paint it gets a DC of its own on
// first use: the control's window DC, or for a windowless control its
// parent's window DC with the origin moved to the control's top-left and the
// clip set to its bounds. Such DCs are held only until FreeDeviceContexts().
class TControlCanvas : public TCanvas {
 public:
  explicit TControlCanvas(TControl* AControl);
  ~TControlCanvas() override;

  TControl* Control() const { return control_; }
  // Gives back the window DC this canvas acquired, if it holds one.
  void FreeHandle();
  // Runs Paint with the canvas drawing on DC, then gives the canvas back the
  // handle it had before (unless that DC has been released meanwhile).
  void PaintWith(HDC DC, const std::function<void()>& Paint);

  // Releases the DCs that control canvases hold on Window or its descendants.
  static void FreeWindowDeviceContexts(HWND Window);

 protected:
  void CreateHandle() override;

 private:
  friend void FreeDeviceContexts();
  friend int DeviceContextsInUse();
  void Link();
  void Unlink();

  TControl* control_;
  HWND window_ = nullptr;
  HDC windowDC_ = nullptr;
  int savedState_ = 0;
  TControlCanvas* prevHolder_ = nullptr;
  TControlCanvas* nextHolder_ = nullptr;
};

// Releases every window DC a control canvas acquired outside a paint. The
// application calls it after each message it dispatches.
void FreeDeviceContexts();
// How many such DCs are held right now.
int DeviceContextsInUse();

// The base of all controls: position, parent, colour, visibility, layout
// settings and mouse input.
class TControl : public TComponent {
 public:
  explicit TControl(TComponent* AOwner);
  ~TControl() override;

  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  // Every change of position or size goes through SetBounds.
  virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
  void SetLeft(int Value) { SetBounds(Value, top_, width_, height_); }
  void SetTop(int Value) { SetBounds(left_, Value, width_, height_); }
  void SetWidth(int Value) { SetBounds(left_, top_, Value, height_); }
  void SetHeight(int Value) { SetBounds(left_, top_, width_, Value); }
  TRect BoundsRect() const { return Bounds(left_, top_, width_, height_); }
  void SetBoundsRect(const TRect& R) { SetBounds(R.Left, R.Top, R.Width(), R.Height()); }
  virtual TRect ClientRect() const { return Rect(0, 0, width_, height_); }
  int ClientWidth() const { return ClientRect().Width(); }
  int ClientHeight() const { return ClientRect().Height(); }
  // Sizes the control so that its client area gets the given size.
  void SetClientWidth(int Value) { SetWidth(width_ - ClientWidth() + Value); }
  void SetClientHeight(int Value) { SetHeight(height_ - ClientHeight() + Value); }

  TWinControl* Parent() const { return parent_; }
  virtual void SetParent(TWinControl* AParent);

  TColor Color() const { return color_; }
  // Sets the colour and stops following the parent's.
  void SetColor(TColor Value);
  bool ParentColor() const { return parentColor_; }
  void SetParentColor(bool Value);
  // Called after every effective colour change; the base repaints.
  virtual void CMColorChanged();

  bool Visible() const { return visible_; }
  virtual void SetVisible(bool Value);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  bool Enabled() const { return enabled_; }
  virtual void SetEnabled(bool Value);

  TAlign Align() const { return align_; }
  void SetAlign(TAlign Value);
  TAnchors Anchors() const { return anchors_; }
  void SetAnchors(TAnchors Value);

  TCursor DragCursor() const { return dragCursor_; }
  void SetDragCursor(TCursor Value) { dragCursor_ = Value; }
  TDragMode DragMode() const { return dragMode_; }
  void SetDragMode(TDragMode Value) { dragMode_ = Value; }
  // With ParentShowHint (the default) the parent's ShowHint applies.
  bool ShowHint() const;
  void SetShowHint(bool Value);
  bool ParentShowHint() const { return parentShowHint_; }
  void SetParentShowHint(bool Value) { parentShowHint_ = Value; }
  TComponent* PopupMenu() const { return popupMenu_; }
  void SetPopupMenu(TComponent* Value) { popupMenu_ = Value; }

  // Marks the control's area for repainting.
  virtual void Invalidate();
  // Paints what is marked now.
  void Update();
  void Repaint();

  TPoint ClientToScreen(TPoint Point);
  TPoint ScreenToClient(TPoint Point);

  virtual void Click();
  virtual void DblClick();
  // Mouse input in client coordinates. Each fires its event; a left press
  // and release on the control clicks it.
  virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void MouseMove(TShiftState Shift, int X, int Y);
  virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
  // Fires OnMouseWheel (MousePos in screen coordinates) and returns whether
  // a handler took the wheel.
  virtual bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos);
  // Called after the size changed; fires OnResize.
  virtual void Resize();

  bool IsWindowed() const { return windowed_; }
  // Expires when the control is destroyed: code that calls handlers which
  // may free the control keeps one and checks it afterwards.
  std::weak_ptr<void> AliveToken() const { return alive_; }

  void Notification(TComponent* AComponent, TOperation Operation) override;
  std::wstring ClassName() const override { return L"TControl"; }

  // Form streaming: a control is stored inside its parent; Left, Top,
  // Width and Height are published (always stored). The other settings
  // above are published by the classes that choose to (PublishCommon).
  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* Value) override;
  void GetPublishedProperties(TPropList& List) override;

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TNotifyEvent OnResize;
  TMouseEvent OnMouseDown;
  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseUp;
  TMouseWheelEvent OnMouseWheel;
  TDragDropEvent OnDragDrop;
  TDragOverEvent OnDragOver;
  TEndDragEvent OnEndDrag;
  TStartDragEvent OnStartDrag;

 protected:
  // Publishes, in this order, Align, Anchors, DragCursor, DragMode, Color,
  // ParentColor, ParentShowHint, PopupMenu, ShowHint, Visible, OnDragDrop,
  // OnDragOver, OnEndDrag, OnStartDrag and OnClick, with the framework's
  // defaults (Color stored only when not taken from the parent, ShowHint
  // only when not the parent's).
  static void PublishCommon(TPropList& List);

  // Remembers the bounds and the parent's client size that anchors keep
  // distances to.
  void UpdateAnchorOrigin();
  // Stores new bounds without moving any window.
  void StoreBounds(int ALeft, int ATop, int AWidth, int AHeight);
  // Asks the parent to lay out its aligned children again.
  void RequestParentAlign();
  // Repaints the control's rectangle in the parent window (graphic controls).
  void InvalidateInParent(const TRect& R);

  bool windowed_ = false;

 private:
  friend class TWinControl;
  void ChangeColor(TColor Value);
  void CheckNewParent(TWinControl* AParent) const;

  struct AnchorOrigin {
    TRect bounds;
    int parentWidth = 0;
    int parentHeight = 0;
    bool valid = false;
  };

  std::shared_ptr<char> alive_ = std::make_shared<char>(0);
  TWinControl* parent_ = nullptr;
  int left_ = 0;
  int top_ = 0;
  int width_ = 0;
  int height_ = 0;
  TColor color_ = clWindow;
  bool parentColor_ = true;
  bool visible_ = true;
  bool enabled_ = true;
  TAlign align_ = alNone;
  TAnchors anchors_{akLeft, akTop};
  AnchorOrigin anchorOrigin_;
  bool anchorMoving_ = false;
  TCursor dragCursor_ = crDrag;
  TDragMode dragMode_ = dmManual;
  bool showHint_ = false;
  bool parentShowHint_ = true;
  TComponent* popupMenu_ = nullptr;
  bool clickPending_ = false;
};

// A control without a window: it draws on its parent's window through its
// canvas and gets its mouse input from the parent.
class TGraphicControl : public TControl {
 public:
  explicit TGraphicControl(TComponent* AOwner);
  ~TGraphicControl() override;

  TCanvas& Canvas() { return *canvas_; }
  // Draws the control on Canvas() (origin at its top-left, clipped to it).
  virtual void Paint() {}

  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void SetParent(TWinControl* AParent) override;
  std::wstring ClassName() const override { return L"TGraphicControl"; }

 private:
  friend class TWinControl;
  std::unique_ptr<TControlCanvas> canvas_;
};

// What CreateWnd passes to CreateWindowExW.
struct TCreateParams {
  std::wstring Caption;
  DWORD Style = 0;
  DWORD ExStyle = 0;
  int X = 0;
  int Y = 0;
  int Width = 0;
  int Height = 0;
  HWND WndParent = nullptr;
  UINT ClassStyle = 0;
  std::wstring WinClassName;
};

// A control with a window of its own, created when first needed. It holds
// child controls (owned by their owner, not by the parent), lays out the
// aligned ones and paints and routes input to the windowless ones.
class TWinControl : public TControl {
 public:
  explicit TWinControl(TComponent* AOwner);
  ~TWinControl() override;

  // The window, created on demand (the parent's first).
  HWND Handle();
  bool HandleAllocated() const { return handle_ != nullptr; }
  void HandleNeeded() { Handle(); }
  virtual void CreateHandle();
  virtual void DestroyHandle();
  // A foreign window to live in when the control has no parent control.
  HWND ParentWindow() const { return parentWindow_; }
  void SetParentWindow(HWND Value);

  int ControlCount() const { return static_cast<int>(controls_.size()); }
  TControl* Controls(int Index) const;
  // The topmost visible, enabled windowless child at a client point.
  TControl* ControlAtPos(TPoint Pos) const;

  // Sends a message straight to WndProc (no window needed).
  LRESULT Perform(UINT Msg, WPARAM WParam, LPARAM LParam);
  // Paints the control and its visible children into DC with the control's
  // top-left at (X, Y); needs no window and leaves DC as it was.
  void PaintTo(HDC DC, int X, int Y);
  // Lays out the aligned children and moves the anchored ones.
  void Realign() { AlignControls(); }

  bool Focused() const;
  virtual bool CanFocus() const;
  // Raises EInvalidOperation for a control that cannot take the focus.
  virtual void SetFocus();
  bool TabStop() const { return tabStop_; }
  void SetTabStop(bool Value);

  // Key input; each fires its event, and a handler may set Key to 0 to
  // swallow the key.
  virtual void KeyDown(uint16_t& Key, TShiftState Shift);
  virtual void KeyPress(wchar_t& Key);
  virtual void KeyUp(uint16_t& Key, TShiftState Shift);

  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void SetParent(TWinControl* AParent) override;
  void SetVisible(bool Value) override;
  void SetEnabled(bool Value) override;
  void Invalidate() override;
  TRect ClientRect() const override;
  std::wstring ClassName() const override { return L"TWinControl"; }
  // The child controls this root owns, in z-order; for the root itself,
  // then its owned components that have no parent.
  void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;

  TKeyEvent OnKeyDown;
  TKeyPressEvent OnKeyPress;
  TKeyEvent OnKeyUp;
  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;

 protected:
  virtual void CreateWnd();
  virtual void CreateParams(TCreateParams& Params);
  virtual void DestroyWnd();
  // Handles a message; whatever it does not handle goes to DefaultHandler.
  virtual void WndProc(TMessage& Message);
  // DefWindowProcW for the control's window (nothing without a window).
  void DefaultHandler(TMessage& Message);
  // The control's own painting into DC (client coordinates).
  virtual void PaintWindow(HDC DC);
  // Paints the visible windowless children into DC, each with its origin
  // and clip; starts at First when given.
  void PaintControls(HDC DC, TControl* First);
  virtual void AlignControls();

 private:
  friend class TControl;
  friend LRESULT CALLBACK ControlWindowProc(HWND, UINT, WPARAM, LPARAM);
  void InsertControl(TControl* AControl);
  void RemoveControl(TControl* AControl);
  bool HasControl(const TControl* AControl) const;
  void UpdateBoundsFromWindow();
  void AnchorChildren(const TRect& Client);
  void AlignChildren(TRect Client);
  void WMPaint(TMessage& Message);
  void WMEraseBkgnd(TMessage& Message);
  void WMMouse(TMessage& Message);
  void WMMouseWheel(TMessage& Message);
  void WMKey(TMessage& Message);
  void WMChar(TMessage& Message);
  void WMWindowPosChanged(TMessage& Message);
  void WMNCDestroy(TMessage& Message);
  void ReleaseMouseCapture();

  HWND handle_ = nullptr;
  HWND parentWindow_ = nullptr;
  std::vector<TControl*> controls_;
  TControl* captureControl_ = nullptr;
  bool tabStop_ = false;
  bool aligning_ = false;
};

// A windowed control that paints itself on its own canvas.
class TCustomControl : public TWinControl {
 public:
  explicit TCustomControl(TComponent* AOwner);
  ~TCustomControl() override;

  TCanvas& Canvas() { return *canvas_; }
  virtual void Paint() {}
  std::wstring ClassName() const override { return L"TCustomControl"; }

 protected:
  void PaintWindow(HDC DC) override;

 private:
  std::unique_ptr<TControlCanvas> canvas_;
};

}  // namespace vcl
