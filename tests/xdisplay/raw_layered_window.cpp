#include "raw_layered_window.h"

#include <memory>
#include <stdexcept>
#include <string>
#include <type_traits>

namespace xdisplay {
namespace {

[[noreturn]] void Fail(const std::string& What) {
  throw std::runtime_error(What + " failed (error " + std::to_string(GetLastError()) + ")");
}

template <auto Release>
struct Releaser {
  template <typename T>
  void operator()(T Handle) const { Release(Handle); }
};
void ReleaseScreenDc(HDC Dc) { ReleaseDC(nullptr, Dc); }
using ScreenDc = std::unique_ptr<std::remove_pointer_t<HDC>, Releaser<ReleaseScreenDc>>;
using MemoryDc = std::unique_ptr<std::remove_pointer_t<HDC>, Releaser<DeleteDC>>;
using Bitmap = std::unique_ptr<std::remove_pointer_t<HBITMAP>, Releaser<DeleteObject>>;

const wchar_t kClassName[] = L"vt_d7.xdisplay.layer";

void RegisterLayerClass() {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = kClassName;
  if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) Fail("RegisterClassExW");
}

}  // namespace

RawLayeredWindow::RawLayeredWindow(int Left, int Top, const LayerPicture& Picture) : left_(Left), top_(Top) {
  RegisterLayerClass();
  window_ = CreateWindowExW(WS_EX_LAYERED | WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kClassName,
                            L"layer", WS_POPUP, Left, Top, Picture.width, Picture.height, nullptr, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
  if (!window_) Fail("CreateWindowExW");
  try {
    ScreenDc screen(GetDC(nullptr));
    MemoryDc memory(CreateCompatibleDC(screen.get()));
    if (!memory) Fail("CreateCompatibleDC");
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = Picture.width;
    info.bmiHeader.biHeight = -Picture.height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    Bitmap bitmap(CreateDIBSection(memory.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap) Fail("CreateDIBSection");
    auto* pixels = static_cast<uint32_t*>(bits);
    for (const PictureArea& area : Picture.areas) {
      for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) pixels[y * Picture.width + x] = PremultipliedPixel(area);
      }
    }
    HGDIOBJ previous = SelectObject(memory.get(), bitmap.get());
    POINT position{Left, Top}, source{0, 0};
    SIZE size{Picture.width, Picture.height};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    BOOL updated = UpdateLayeredWindow(window_, screen.get(), &position, &size, memory.get(), &source, 0,
                                       &blend, ULW_ALPHA);
    SelectObject(memory.get(), previous);
    if (!updated) Fail("UpdateLayeredWindow");
    ShowWindow(window_, SW_SHOWNOACTIVATE);
  } catch (...) {
    DestroyWindow(window_);
    throw;
  }
}

RawLayeredWindow::~RawLayeredWindow() { DestroyWindow(window_); }

}  // namespace xdisplay
