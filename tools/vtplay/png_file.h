#pragma once
// Writing frames as PNG files through the Windows Imaging Component.

#include <cstdint>
#include <string>

namespace vtplay {

// One premultiplied BGRA pixel (0xAARRGGBB; colour already multiplied by
// alpha) to straight alpha, each colour rounded to the nearest value.
// Transparent pixels become 0; colour above alpha (which no valid
// premultiplied pixel has) saturates at 255.
uint32_t UnpremultiplyPixel(uint32_t Pixel);

// Writes Width x Height pixels (top-down rows of premultiplied BGRA, no
// padding) to FileName as a PNG with straight alpha, replacing the file.
// COM must be initialised on the calling thread. Any failure raises
// vcl::EOleException with the HRESULT and a message naming the file; a
// partly written file is removed.
void WritePngFile(const std::wstring& FileName, const uint32_t* Pixels, int Width, int Height);

}  // namespace vtplay
