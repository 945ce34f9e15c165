#include "vt_d7/Vt_flashplayer.h"

namespace vt {

HRESULT STDMETHODCALLTYPE TvtFlashInterface::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, GUID_NULL)) {
    *ppv = static_cast<IvtFlash*>(this);
    return S_OK;
  }
  *ppv = nullptr;
  return E_NOINTERFACE;
}

const TvtFlashDriverClass& TvtFlashDriver::ClassRef() {
  static const TvtFlashDriverClassOf<TvtFlashDriver> ref(L"TvtFlashDriver");
  return ref;
}

TvtFlashDriver::TvtFlashDriver(uint32_t ABackground) : vcl::TComponent(nullptr), FBackground(ABackground) {}

TvtFlashDriver::~TvtFlashDriver() {
  FControl = nullptr;
  TvtFlashDriver::FreeBuffer();
}

void TvtFlashDriver::CreateSection(HBITMAP& Bitmap, HDC& DC, uint32_t*& Bits) {
  void* bits = nullptr;
  Bitmap = CreateDIBSection(nullptr, &FBitmapInfo, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!Bitmap) {
    Bits = nullptr;
    return;
  }
  DC = CreateCompatibleDC(nullptr);
  if (!DC) {
    // Without a DC nothing can draw into the section: treat as no buffer.
    DeleteObject(Bitmap);
    Bitmap = nullptr;
    Bits = nullptr;
    return;
  }
  SelectObject(DC, Bitmap);
  Bits = static_cast<uint32_t*>(bits);
}

void TvtFlashDriver::CreateBuffer() {
  FBitmapInfo = BITMAPINFO{};
  BITMAPINFOHEADER& h = FBitmapInfo.bmiHeader;
  h.biSize = sizeof(BITMAPINFOHEADER);
  h.biWidth = FWidth > 0 ? FWidth : 1;
  h.biHeight = FHeight > 0 ? -FHeight : -1;
  h.biPlanes = 1;
  h.biBitCount = 32;
  h.biCompression = BI_RGB;

  CreateSection(FBitmap, FDC, FBits);
  if (FBits && (FBackground >> 24) == 0) CreateSection(FAlphaBitmap, FAlphaDC, FAlphaBits);

  if (FOnEraseBackground) FOnEraseBackground(this, vcl::Rect(0, 0, FWidth, FHeight));
}

void TvtFlashDriver::FreeBuffer() {
  if (!FBitmap) return;
  if (FDC) DeleteDC(FDC);
  FDC = nullptr;
  DeleteObject(FBitmap);
  FBitmap = nullptr;
  if (FAlphaDC) DeleteDC(FAlphaDC);
  if (FAlphaBitmap) DeleteObject(FAlphaBitmap);
  FAlphaDC = nullptr;
  FAlphaBitmap = nullptr;
  FBits = nullptr;
  FAlphaBits = nullptr;
}

void TvtFlashDriver::SetBackground(uint32_t Value) {
  if (Value == FBackground) return;
  const bool alphaChanged = (Value >> 24) != (FBackground >> 24);
  FBackground = Value;
  if (alphaChanged) {
    FreeBuffer();
    CreateBuffer();
  }
}

void TvtFlashDriver::Resize(int32_t AWidth, int32_t AHeight) {
  if (AWidth == FWidth && AHeight == FHeight) return;
  FreeBuffer();
  FWidth = AWidth > 0 ? AWidth : 1;
  FHeight = AHeight > 0 ? AHeight : 1;
  CreateBuffer();
  ResizeBuffer();
}

void TvtFlashDriver::MouseDown(vcl::TMouseButton, vcl::TShiftState, int32_t, int32_t) {}
void TvtFlashDriver::MouseMove(vcl::TShiftState, int32_t, int32_t) {}
void TvtFlashDriver::MouseUp(vcl::TMouseButton, vcl::TShiftState, int32_t, int32_t) {}
void TvtFlashDriver::MouseWheel(vcl::TShiftState, int32_t, int32_t, int32_t, bool&) {}
void TvtFlashDriver::KeyDown(uint16_t&, vcl::TShiftState) {}
void TvtFlashDriver::KeyPress(wchar_t&, vcl::TShiftState) {}
void TvtFlashDriver::KeyUp(uint16_t&, vcl::TShiftState) {}
void TvtFlashDriver::LoadMovie(const std::wstring&) {}
void TvtFlashDriver::LoadMovieFromStream(vcl::TStream*) {}
std::wstring TvtFlashDriver::GetVariable(const std::wstring&) { return {}; }
void TvtFlashDriver::SetVariable(const std::wstring&, const std::wstring&) {}
std::wstring TvtFlashDriver::CallFunction(const std::wstring&) { return {}; }
void TvtFlashDriver::SetReturnValue(const std::wstring&) {}
void TvtFlashDriver::SetLoop(bool) {}
void TvtFlashDriver::SetCurrentFrame(int32_t) {}

void TvtFlashDriver::DrawUpdateRect(const vcl::TRect& ARect) {
  if (!FShowUpdateRects || !FDC) return;
  vcl::TCanvas canvas;
  canvas.SetHandle(FDC);
  canvas.Brush().SetStyle(vcl::TBrushStyle::bsClear);
  canvas.Pen().SetStyle(vcl::TPenStyle::psSolid);
  canvas.Pen().SetColor(vcl::clRed);
  canvas.Rectangle(ARect.Left, ARect.Top, ARect.Right, ARect.Bottom);
  canvas.SetHandle(nullptr);
}

HWND TvtFlashDriver::GetParentHandle() const {
  if (!FControl) return nullptr;
  if (auto* win = dynamic_cast<vcl::TWinControl*>(FControl)) return win->HandleAllocated() ? win->Handle() : nullptr;
  if (dynamic_cast<vcl::TGraphicControl*>(FControl)) {
    vcl::TWinControl* parent = FControl->Parent();
    if (parent && parent->HandleAllocated()) return parent->Handle();
  }
  return nullptr;
}

vcl::TPoint TvtFlashDriver::GetParentOffset() const {
  if (FControl && dynamic_cast<vcl::TGraphicControl*>(FControl)) return vcl::TPoint{FControl->Left(), FControl->Top()};
  return vcl::TPoint{0, 0};
}

void TvtFlashDriver::DoFSCommand(const std::wstring& command, const std::wstring& args) {
  if (FOnFSCommand) FOnFSCommand(this, command, args);
}

void TvtFlashDriver::DoFlashCall(const std::wstring& request) {
  if (FOnFlashCall) FOnFlashCall(this, request);
}

void TvtFlashDriver::SetPause(bool Value) {
  FPause = Value;
  if (Value) {
    StopPlay();
    if (FFlvMode) CallFunction(L"<invoke name=\"stopflv\" returntype=\"xml\"></invoke>");
  } else {
    Play();
    if (FFlvMode) CallFunction(L"<invoke name=\"playflv\" returntype=\"xml\"></invoke>");
  }
}

void TvtFlashDriver::SetVolume(int32_t Value) {
  FVolume = Value;
  if (FFlvMode) SetVariable(L"flv.volume", std::to_wstring(Value));
}

}  // namespace vt
