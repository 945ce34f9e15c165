// The player's mouse and keyboard input as window messages for the plug-in
// instance.
#include <string>

#include "framework/SysUtils.h"
#include "netscape_unit.h"

namespace vt {

namespace {

// The key flags of mouse messages for a shift state.
uintptr_t ShiftFlags(vcl::TShiftState Shift) {
  uintptr_t flags = 0;
  if (Shift.Contains(vcl::TShiftStateFlag::ssShift)) flags |= MK_SHIFT;
  if (Shift.Contains(vcl::TShiftStateFlag::ssCtrl)) flags |= MK_CONTROL;
  if (Shift.Contains(vcl::TShiftStateFlag::ssLeft)) flags |= MK_LBUTTON;
  if (Shift.Contains(vcl::TShiftStateFlag::ssRight)) flags |= MK_RBUTTON;
  return flags;
}

// x in the low 16 bits, y in the high 16 bits, as a message packs them.
uintptr_t Position(int32_t X, int32_t Y) {
  return (static_cast<uintptr_t>(static_cast<uint16_t>(Y)) << 16) | static_cast<uint16_t>(X);
}

}  // namespace

void TvtFlashDriverNS::MouseDown(vcl::TMouseButton Button, vcl::TShiftState Shift, int32_t X, int32_t Y) {
  if (Button == vcl::TMouseButton::mbLeft) {
    HandleEvent(WM_LBUTTONDOWN, ShiftFlags(Shift), Position(X, Y));
  } else if (Button == vcl::TMouseButton::mbRight && !FDisableFlashMenu) {
    // The module opens its menu at this point: screen coordinates.
    RECT window{};
    if (HWND parent = GetParentHandle()) GetWindowRect(parent, &window);
    const vcl::TPoint offset = GetParentOffset();
    HandleEvent(WM_RBUTTONDOWN, ShiftFlags(Shift),
                Position(X + window.left + offset.X, Y + window.top + offset.Y));
  }
}

void TvtFlashDriverNS::MouseMove(vcl::TShiftState Shift, int32_t X, int32_t Y) {
  HandleEvent(WM_MOUSEMOVE, ShiftFlags(Shift), Position(X, Y));
}

void TvtFlashDriverNS::MouseUp(vcl::TMouseButton Button, vcl::TShiftState Shift, int32_t X, int32_t Y) {
  if (Button == vcl::TMouseButton::mbLeft)
    HandleEvent(WM_LBUTTONUP, ShiftFlags(Shift), Position(X, Y));
  else if (Button == vcl::TMouseButton::mbRight)
    HandleEvent(WM_RBUTTONUP, ShiftFlags(Shift), Position(X, Y));
}

void TvtFlashDriverNS::MouseWheel(vcl::TShiftState Shift, int32_t X, int32_t Y, int32_t WheelDelta, bool&) {
  const uintptr_t wParam =
      (static_cast<uintptr_t>(static_cast<uint16_t>(WheelDelta)) << 16) | (ShiftFlags(Shift) & 0xFFFF);
  HandleEvent(WM_MOUSEWHEEL, wParam, Position(X, Y));
}

void TvtFlashDriverNS::KeyDown(uint16_t& Key, vcl::TShiftState Shift) {
  HandleEvent(WM_KEYDOWN, Key, ShiftFlags(Shift));
}

void TvtFlashDriverNS::KeyUp(uint16_t& Key, vcl::TShiftState Shift) {
  HandleEvent(WM_KEYUP, Key, ShiftFlags(Shift));
}

void TvtFlashDriverNS::KeyPress(wchar_t& Key, vcl::TShiftState Shift) {
  if (!InstanceReady()) return;
  std::string bytes = vcl::WideToAnsi(std::wstring(1, Key), NetscapeCodePage);
  if (bytes.size() > 10) bytes.resize(10);
  const std::weak_ptr<char> alive = alive_;
  for (const char byte : bytes) {
    HandleEvent(WM_CHAR, static_cast<unsigned char>(byte), ShiftFlags(Shift));
    if (alive.expired()) return;
  }
}

}  // namespace vt
