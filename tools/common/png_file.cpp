#include "tools/common/png_file.h"

#include <windows.h>
#include <wincodec.h>

#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

#include "framework/SysUtils.h"
#include "vt_d7/pixels.h"

namespace vttools {

namespace {

// Holds one reference to a COM object and releases it.
template <class T>
class ComRef {
 public:
  ComRef() = default;
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;
  ~ComRef() { Reset(); }
  void Reset() {
    if (p_) std::exchange(p_, nullptr)->Release();
  }
  T* operator->() const { return p_; }
  T* Get() const { return p_; }
  T** Out() {
    Reset();
    return &p_;
  }

 private:
  T* p_ = nullptr;
};

std::wstring Hex(HRESULT hr) {
  wchar_t text[16];
  std::swprintf(text, 16, L"0x%08lX", static_cast<unsigned long>(hr));
  return text;
}

[[noreturn]] void Fail(const std::wstring& FileName, const wchar_t* Step, HRESULT hr) {
  throw vcl::EOleException(L"Cannot write PNG file \"" + FileName + L"\": " + Step + L" failed (HRESULT " + Hex(hr) +
                               L"). " + vcl::SysErrorMessage(static_cast<unsigned long>(hr)),
                           static_cast<int32_t>(hr));
}

// The encoding steps; the caller removes the file when one fails.
void Encode(const std::wstring& FileName, const uint32_t* Pixels, UINT Width, UINT Height, ComRef<IWICStream>& Stream,
            bool& FileCreated) {
  ComRef<IWICImagingFactory> factory;
  HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                reinterpret_cast<void**>(factory.Out()));
  if (FAILED(hr)) Fail(FileName, L"creating the imaging factory", hr);
  hr = factory->CreateStream(Stream.Out());
  if (FAILED(hr)) Fail(FileName, L"creating the stream", hr);
  hr = Stream->InitializeFromFilename(FileName.c_str(), GENERIC_WRITE);
  if (FAILED(hr)) Fail(FileName, L"creating the file", hr);
  FileCreated = true;

  ComRef<IWICBitmapEncoder> encoder;
  hr = factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.Out());
  if (FAILED(hr)) Fail(FileName, L"creating the PNG encoder", hr);
  hr = encoder->Initialize(Stream.Get(), WICBitmapEncoderNoCache);
  if (FAILED(hr)) Fail(FileName, L"starting the encoder", hr);
  ComRef<IWICBitmapFrameEncode> frame;
  ComRef<IPropertyBag2> options;
  hr = encoder->CreateNewFrame(frame.Out(), options.Out());
  if (FAILED(hr)) Fail(FileName, L"creating the frame", hr);
  hr = frame->Initialize(options.Get());
  if (FAILED(hr)) Fail(FileName, L"starting the frame", hr);
  hr = frame->SetSize(Width, Height);
  if (FAILED(hr)) Fail(FileName, L"setting the size", hr);
  WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGRA;
  hr = frame->SetPixelFormat(&format);
  if (FAILED(hr)) Fail(FileName, L"setting the pixel format", hr);
  // The encoder may answer with the format it would rather have; we only
  // have BGRA rows to give.
  if (!IsEqualGUID(format, GUID_WICPixelFormat32bppBGRA))
    Fail(FileName, L"setting the pixel format", WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT);

  // Rows go in bands so the straight-alpha copy stays small for big frames.
  const UINT stride = Width * 4;
  const UINT bandRows = std::max<UINT>(1, (1u << 20) / Width);
  std::vector<uint32_t> band(static_cast<size_t>(std::min(bandRows, Height)) * Width);
  for (UINT row = 0; row < Height;) {
    const UINT rows = std::min(bandRows, Height - row);
    const uint32_t* source = Pixels + static_cast<size_t>(row) * Width;
    const size_t count = static_cast<size_t>(rows) * Width;
    std::transform(source, source + count, band.begin(), vt::UnpremultiplyPixel);
    hr = frame->WritePixels(rows, stride, stride * rows, reinterpret_cast<BYTE*>(band.data()));
    if (FAILED(hr)) Fail(FileName, L"writing the pixels", hr);
    row += rows;
  }
  hr = frame->Commit();
  if (FAILED(hr)) Fail(FileName, L"finishing the frame", hr);
  hr = encoder->Commit();
  if (FAILED(hr)) Fail(FileName, L"finishing the file", hr);
  hr = Stream->Commit(STGC_DEFAULT);
  if (FAILED(hr)) Fail(FileName, L"flushing the file", hr);
}

}  // namespace

void WritePngFile(const std::wstring& FileName, const uint32_t* Pixels, int Width, int Height) {
  // WIC takes the stride and a band's byte count as 32-bit values.
  if (!Pixels || Width <= 0 || Height <= 0 || Width > 0x3FFFFFFF)
    Fail(FileName, L"checking the image", E_INVALIDARG);
  bool created = false;
  try {
    // Unwinding out of this block releases the stream, which closes the
    // file before the handler removes it.
    ComRef<IWICStream> stream;
    Encode(FileName, Pixels, static_cast<UINT>(Width), static_cast<UINT>(Height), stream, created);
  } catch (...) {
    if (created) DeleteFileW(FileName.c_str());
    throw;
  }
}

}  // namespace vttools
