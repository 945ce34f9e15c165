// The player's mouse and keyboard input as window messages for the
// windowless control, and the cursor the control sets after a mouse
// message. A control that never activated windowless has no way to take
// messages: input to it is ignored.
#include <string>

#include "activex_unit.h"
#include "framework/SysUtils.h"

namespace vt {

unsigned ActiveXCodePage = CP_ACP;

namespace {

constexpr WPARAM kAltKeyFlag = 0x20;
// WM_SETCURSOR as a window sends it for a mouse move over its client area.
constexpr LPARAM kSetCursorForMove = (static_cast<LPARAM>(WM_MOUSEMOVE) << 16) | HTCLIENT;

LPARAM Position(int32_t X, int32_t Y) {
  return static_cast<LPARAM>((static_cast<uint32_t>(static_cast<uint16_t>(Y)) << 16) | static_cast<uint16_t>(X));
}

}  // namespace

WPARAM ShiftToKeyFlags(vcl::TShiftState Shift) {
  WPARAM flags = 0;
  if (Shift.Contains(vcl::TShiftStateFlag::ssCtrl)) flags |= MK_CONTROL;
  if (Shift.Contains(vcl::TShiftStateFlag::ssShift)) flags |= MK_SHIFT;
  if (Shift.Contains(vcl::TShiftStateFlag::ssAlt)) flags |= kAltKeyFlag;
  if (Shift.Contains(vcl::TShiftStateFlag::ssLeft)) flags |= MK_LBUTTON;
  if (Shift.Contains(vcl::TShiftStateFlag::ssRight)) flags |= MK_RBUTTON;
  return flags;
}

HRESULT TvtFlashDriverActiveX::SendWindowMessage(UINT Message, WPARAM WParam, LPARAM LParam) {
  // Held for the call: the control may deactivate from inside it.
  const TComPtr<IOleInPlaceObjectWindowless> control = FOleInPlaceObjectWindowless;
  if (!control) return S_FALSE;
  LRESULT result = 0;
  return control->OnWindowMessage(Message, WParam, LParam, &result);
}

void TvtFlashDriverActiveX::SendMouseMessage(UINT Message, WPARAM WParam, LPARAM LParam) {
  const std::weak_ptr<char> alive = alive_;
  const HRESULT hr = SendWindowMessage(Message, WParam, LParam);
  if (alive.expired() || hr != S_OK || FDisableFlashCursor) return;
  if (Message >= WM_MOUSEFIRST && Message <= WM_MOUSEWHEEL) SendWindowMessage(WM_SETCURSOR, 0, kSetCursorForMove);
}

void TvtFlashDriverActiveX::MouseDown(vcl::TMouseButton Button, vcl::TShiftState Shift, int32_t X, int32_t Y) {
  if (Button == vcl::TMouseButton::mbLeft) {
    SendMouseMessage(WM_LBUTTONDOWN, ShiftToKeyFlags(Shift), Position(X, Y));
  } else if (Button == vcl::TMouseButton::mbRight) {
    if (FDisableFlashMenu) return SendMouseMessage(WM_RBUTTONDOWN, ShiftToKeyFlags(Shift), Position(X, Y));
    // The control may ask for a window to open its menu in: the player's
    // own, once, with the press in that window's client coordinates.
    const std::weak_ptr<char> alive = alive_;
    const vcl::TPoint offset = GetParentOffset();
    FLendParentWindow = true;
    try {
      SendMouseMessage(WM_RBUTTONDOWN, ShiftToKeyFlags(Shift), Position(X + offset.X, Y + offset.Y));
    } catch (...) {
      if (!alive.expired()) FLendParentWindow = false;
      throw;
    }
    if (!alive.expired()) FLendParentWindow = false;
  }
}

void TvtFlashDriverActiveX::MouseMove(vcl::TShiftState Shift, int32_t X, int32_t Y) {
  SendMouseMessage(WM_MOUSEMOVE, ShiftToKeyFlags(Shift), Position(X, Y));
}

void TvtFlashDriverActiveX::MouseUp(vcl::TMouseButton Button, vcl::TShiftState Shift, int32_t X, int32_t Y) {
  if (Button == vcl::TMouseButton::mbLeft)
    SendMouseMessage(WM_LBUTTONUP, ShiftToKeyFlags(Shift), Position(X, Y));
  else if (Button == vcl::TMouseButton::mbRight)
    SendMouseMessage(WM_RBUTTONUP, ShiftToKeyFlags(Shift), Position(X, Y));
}

void TvtFlashDriverActiveX::MouseWheel(vcl::TShiftState Shift, int32_t X, int32_t Y, int32_t WheelDelta, bool&) {
  const WPARAM wParam =
      (static_cast<WPARAM>(static_cast<uint16_t>(WheelDelta)) << 16) | (ShiftToKeyFlags(Shift) & 0xFFFF);
  SendMouseMessage(WM_MOUSEWHEEL, wParam, Position(X, Y));
}

void TvtFlashDriverActiveX::KeyDown(uint16_t& Key, vcl::TShiftState Shift) {
  const HRESULT hr = SendWindowMessage(WM_KEYDOWN, Key, static_cast<LPARAM>(ShiftToKeyFlags(Shift)));
  if (hr == S_OK) Key = 0;
}

void TvtFlashDriverActiveX::KeyUp(uint16_t& Key, vcl::TShiftState Shift) {
  const HRESULT hr = SendWindowMessage(WM_KEYUP, Key, static_cast<LPARAM>(ShiftToKeyFlags(Shift)));
  if (hr == S_OK) Key = 0;
}

void TvtFlashDriverActiveX::KeyPress(wchar_t& Key, vcl::TShiftState Shift) {
  if (!FOleInPlaceObjectWindowless) return;
  std::string bytes = vcl::WideToAnsi(std::wstring(1, Key), ActiveXCodePage);
  if (bytes.size() > 10) bytes.resize(10);
  const std::weak_ptr<char> alive = alive_;
  bool taken = false;
  for (const char byte : bytes) {
    taken |= SendWindowMessage(WM_CHAR, static_cast<unsigned char>(byte),
                               static_cast<LPARAM>(ShiftToKeyFlags(Shift))) == S_OK;
    if (alive.expired()) break;
  }
  if (taken) Key = 0;
}

}  // namespace vt
