#include <windows.h>
#include <wincodec.h>

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "framework/SysUtils.h"
#include "tools/common/png_file.h"
#include "vt_d7/pixels.h"

using vt::UnpremultiplyPixel;
using vttools::WritePngFile;

namespace {

class ComScope {
 public:
  ComScope() { hr_ = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
  ~ComScope() {
    if (SUCCEEDED(hr_)) CoUninitialize();
  }

 private:
  HRESULT hr_;
};

std::wstring TempFile(const std::wstring& name) {
  wchar_t base[MAX_PATH];
  GetTempPathW(MAX_PATH, base);
  return std::wstring(base) + L"vt_png_" + std::to_wstring(GetCurrentProcessId()) + L"_" + name;
}

bool FileExists(const std::wstring& name) { return GetFileAttributesW(name.c_str()) != INVALID_FILE_ATTRIBUTES; }

struct Decoded {
  UINT width = 0, height = 0;
  std::vector<uint32_t> pixels;  // straight BGRA
};

// Reads a PNG back with WIC's own decoder, converted to straight BGRA.
Decoded ReadPng(const std::wstring& name) {
  Decoded out;
  IWICImagingFactory* factory = nullptr;
  EXPECT_HRESULT_SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                            IID_IWICImagingFactory, reinterpret_cast<void**>(&factory)));
  if (!factory) return out;
  IWICBitmapDecoder* decoder = nullptr;
  IWICBitmapFrameDecode* frame = nullptr;
  IWICFormatConverter* converter = nullptr;
  GUID container{};
  if (SUCCEEDED(factory->CreateDecoderFromFilename(name.c_str(), nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand,
                                                   &decoder)) &&
      SUCCEEDED(decoder->GetContainerFormat(&container)) && IsEqualGUID(container, GUID_ContainerFormatPng) &&
      SUCCEEDED(decoder->GetFrame(0, &frame)) && SUCCEEDED(factory->CreateFormatConverter(&converter)) &&
      SUCCEEDED(converter->Initialize(frame, GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                      WICBitmapPaletteTypeCustom)) &&
      SUCCEEDED(converter->GetSize(&out.width, &out.height))) {
    out.pixels.resize(static_cast<size_t>(out.width) * out.height);
    EXPECT_HRESULT_SUCCEEDED(converter->CopyPixels(nullptr, out.width * 4, static_cast<UINT>(out.pixels.size() * 4),
                                                   reinterpret_cast<BYTE*>(out.pixels.data())));
  } else {
    ADD_FAILURE() << "cannot decode the PNG file";
  }
  if (converter) converter->Release();
  if (frame) frame->Release();
  if (decoder) decoder->Release();
  factory->Release();
  return out;
}

}  // namespace

TEST(WritePngFile, WritesStraightAlphaThatWicReadsBack) {
  ComScope com;
  const std::wstring name = TempFile(L"frame.png");
  // 3 x 2, top-down: opaque colours, a translucent pixel, transparent.
  const std::vector<uint32_t> pixels = {
      0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu,  //
      0x80400020u, 0x00000000u, 0xFFFFFFFFu,  //
  };
  WritePngFile(name, pixels.data(), 3, 2);
  const Decoded png = ReadPng(name);
  DeleteFileW(name.c_str());
  ASSERT_EQ(png.width, 3u);
  ASSERT_EQ(png.height, 2u);
  const std::vector<uint32_t> expected = {
      0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu,  //
      UnpremultiplyPixel(0x80400020u), 0x00000000u, 0xFFFFFFFFu,
  };
  ASSERT_EQ(UnpremultiplyPixel(0x80400020u), 0x80800040u);
  for (size_t i = 0; i < expected.size(); ++i) {
    // A transparent pixel may come back with any colour.
    if ((expected[i] >> 24) == 0)
      EXPECT_EQ(png.pixels[i] >> 24, 0u) << i;
    else
      EXPECT_EQ(png.pixels[i], expected[i]) << i;
  }
}

TEST(WritePngFile, LargeFrameInBands) {
  ComScope com;
  const std::wstring name = TempFile(L"large.png");
  // Tall enough that the rows go to the encoder in several bands.
  const int width = 700, height = 3000;
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      pixels[static_cast<size_t>(y) * width + x] = 0xFF000000u | (static_cast<uint32_t>(y % 256) << 16) |
                                                   static_cast<uint32_t>(x % 256);
  WritePngFile(name, pixels.data(), width, height);
  const Decoded png = ReadPng(name);
  DeleteFileW(name.c_str());
  ASSERT_EQ(png.pixels.size(), pixels.size());
  EXPECT_TRUE(png.pixels == pixels);
}

TEST(WritePngFile, FailuresRaiseEOleExceptionNamingTheFile) {
  ComScope com;
  const std::wstring bad = TempFile(L"no such dir\\frame.png");
  const uint32_t pixel = 0xFF000000u;
  try {
    WritePngFile(bad, &pixel, 1, 1);
    FAIL() << "no exception";
  } catch (const vcl::EOleException& e) {
    EXPECT_TRUE(FAILED(e.ErrorCode()));
    EXPECT_NE(e.Message().find(L"\"" + bad + L"\""), std::wstring::npos) << e.what();
  }
  const std::wstring name = TempFile(L"empty.png");
  try {
    WritePngFile(name, &pixel, 0, 1);
    FAIL() << "no exception";
  } catch (const vcl::EOleException& e) {
    EXPECT_EQ(e.ErrorCode(), E_INVALIDARG);
    EXPECT_NE(e.Message().find(name), std::wstring::npos) << e.what();
  }
  EXPECT_THROW(WritePngFile(name, nullptr, 1, 1), vcl::EOleException);
  EXPECT_THROW(WritePngFile(name, &pixel, 1, -1), vcl::EOleException);
  EXPECT_FALSE(FileExists(name));
}
