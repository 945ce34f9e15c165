#pragma once
// Writing frames as PNG files through the Windows Imaging Component.

#include <cstdint>
#include <string>

namespace vttools {

// Writes Width x Height pixels (top-down rows of premultiplied BGRA, no
// padding) to FileName as a PNG with straight alpha, replacing the file.
// COM must be initialised on the calling thread. Any failure raises
// vcl::EOleException with the HRESULT and a message naming the file; a
// partly written file is removed.
void WritePngFile(const std::wstring& FileName, const uint32_t* Pixels, int Width, int Height);

}  // namespace vttools
