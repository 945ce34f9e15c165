// The image tags: how their data is framed (shared tables, erroneous headers,
// the alpha plane), checked against the bitmap limits and premultiplied.
#include "renderers/engine/src/reader/images.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>

#include "renderers/engine/src/reader/image_decode.h"
#include "renderers/engine/src/tag_codes.h"

namespace swf::detail {
namespace {

bool StartsWith(const uint8_t* Data, size_t Size, std::initializer_list<uint8_t> Prefix) {
  return Size >= Prefix.size() && std::equal(Prefix.begin(), Prefix.end(), Data);
}

bool IsPng(const uint8_t* Data, size_t Size) {
  return StartsWith(Data, Size, {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A});
}
bool IsGif(const uint8_t* Data, size_t Size) { return StartsWith(Data, Size, {'G', 'I', 'F', '8'}); }

// Inflates up to Size bytes of zlib data; fewer when the data is short or
// damaged (what it held before the damage). Whole: the stream ended, checked.
std::vector<uint8_t> InflateUpTo(const uint8_t* Data, size_t Length, size_t Size, bool& Whole) {
  std::vector<uint8_t> out(Size);
  z_stream z{};
  Whole = false;
  if (Size == 0 || Length == 0 || inflateInit(&z) != Z_OK) return {};
  z.next_in = const_cast<Bytef*>(Data);
  z.avail_in = static_cast<uInt>(std::min<size_t>(Length, UINT32_MAX));
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(std::min<size_t>(Size, UINT32_MAX));
  Whole = inflate(&z, Z_FINISH) == Z_STREAM_END;
  out.resize(Size - z.avail_out);
  inflateEnd(&z);
  return out;
}

uint32_t Premultiply(uint32_t C, uint32_t A) { return (C * A + 127) / 255; }

// Straight RGBA bytes (Alpha, when given, replacing their alpha) as
// premultiplied pixels.
void Pack(const DecodedImage& Image, const uint8_t* Alpha, Bitmap& Out) {
  const size_t pixels = size_t{Image.width} * Image.height;
  Out.width = static_cast<int32_t>(Image.width);
  Out.height = static_cast<int32_t>(Image.height);
  Out.pixels.resize(pixels);
  for (size_t i = 0; i < pixels; ++i) {
    const uint8_t* p = &Image.rgba[i * 4];
    const uint32_t a = Alpha ? Alpha[i] : p[3];
    Out.pixels[i] = (a << 24) | (Premultiply(p[0], a) << 16) | (Premultiply(p[1], a) << 8) | Premultiply(p[2], a);
  }
}

}  // namespace

std::vector<uint8_t> CleanJpeg(const uint8_t* Data, size_t Size) {
  std::vector<uint8_t> out;
  out.reserve(Size);
  size_t pos = StartsWith(Data, Size, {0xFF, 0xD9, 0xFF, 0xD8}) ? 4 : 0;
  if (StartsWith(Data + pos, Size - pos, {0xFF, 0xD8})) {
    out.insert(out.end(), {0xFF, 0xD8});
    pos += 2;
    // The segments before the first scan; anything unexpected ends the walk
    // and is left for the decoder to judge.
    while (pos + 1 < Size && Data[pos] == 0xFF) {
      const uint8_t marker = Data[pos + 1];
      if (marker == 0xFF) {  // fill byte
        ++pos;
      } else if (marker == 0xD9 && StartsWith(Data + pos, Size - pos, {0xFF, 0xD9, 0xFF, 0xD8})) {
        pos += 4;
      } else if (marker == 0xD8) {
        pos += 2;
      } else if (marker == 0xDA || marker == 0xD9 || pos + 3 >= Size) {
        break;
      } else if ((marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) {
        out.insert(out.end(), Data + pos, Data + pos + 2);
        pos += 2;
      } else {
        const size_t length = size_t{Data[pos + 2]} << 8 | Data[pos + 3];
        if (length < 2 || length + 2 > Size - pos) break;
        out.insert(out.end(), Data + pos, Data + pos + 2 + length);
        pos += 2 + length;
      }
    }
  }
  out.insert(out.end(), Data + pos, Data + Size);
  return out;
}

void ReadJpegTables(Stream& S, LoadState& L) {
  L.Charge(S.Remaining(), S.Offset());
  L.jpegTables.assign(S.Here(), S.Here() + S.Remaining());
}

Bitmap ReadImageBitmap(Stream& S, uint16_t Code, uint16_t Id, LoadState& L) {
  const size_t at = S.Offset();
  const std::string what = "image " + std::to_string(Id) + " at offset " + std::to_string(at);
  size_t imageBytes = S.Remaining();
  if (Code == kDefineBitsJPEG3 || Code == kDefineBitsJPEG4) {
    imageBytes = S.U32();
    if (Code == kDefineBitsJPEG4) S.U16();  // deblocking filter strength: not applied
    if (imageBytes > S.Remaining()) {
      L.Note(what + " is cut off in its image data");
      imageBytes = S.Remaining();
    }
  }
  const uint8_t* image = S.Here();
  const uint8_t* alpha = image + imageBytes;
  const size_t alphaBytes = S.Remaining() - imageBytes;

  std::vector<uint8_t> encoded;
  const bool jpeg = !IsPng(image, imageBytes) && !IsGif(image, imageBytes);
  if (!jpeg) {
    encoded.assign(image, image + imageBytes);
  } else if (Code == kDefineBits && !L.jpegTables.empty()) {
    std::vector<uint8_t> joined = L.jpegTables;
    joined.insert(joined.end(), image, image + imageBytes);
    encoded = CleanJpeg(joined.data(), joined.size());
  } else {
    encoded = CleanJpeg(image, imageBytes);
  }

  Bitmap bmp;
  const std::optional<ImageSize> size = ProbeImage(encoded.data(), encoded.size());
  if (!size) {
    L.Note(what + " is no image that decodes: it draws nothing");
    return bmp;
  }
  const size_t pixels = size_t{size->width} * size->height;
  if (pixels > L.limits.maxBitmapPixels) Fail("bitmap too large", at);
  if (pixels > L.limits.maxTotalBitmapPixels - std::min(L.totalBitmapPixels, L.limits.maxTotalBitmapPixels))
    Fail("bitmaps too large together", at);
  L.totalBitmapPixels += pixels;

  const std::optional<DecodedImage> decoded = DecodeImage(encoded.data(), encoded.size());
  if (!decoded) {
    L.Note(what + " does not decode: it draws nothing");
    return bmp;
  }
  // Cut-off data may still decode, its missing rows filled in.
  const uint8_t* end = encoded.data() + encoded.size();
  const bool complete = jpeg                                   ? StartsWith(end - 2, 2, {0xFF, 0xD9})
                        : IsGif(encoded.data(), encoded.size()) ? end[-1] == 0x3B
                                                               : StartsWith(end - 8, 8, {'I', 'E', 'N', 'D'});
  if (!complete) L.Note(what + " ends without its end marker: it is drawn as far as it decodes");
  std::vector<uint8_t> alphaPlane;
  if (jpeg && (Code == kDefineBitsJPEG3 || Code == kDefineBitsJPEG4)) {
    bool whole = false;
    alphaPlane = InflateUpTo(alpha, alphaBytes, pixels, whole);
    if (alphaPlane.size() == pixels && !whole) L.Note(what + " has an alpha plane cut off after its last value");
    if (alphaPlane.size() < pixels) {
      L.Note(what + " has " + (alphaBytes ? "a short or damaged" : "no") + " alpha plane: it is drawn opaque");
      alphaPlane.clear();
    }
  }
  Pack(*decoded, alphaPlane.empty() ? nullptr : alphaPlane.data(), bmp);
  return bmp;
}

}  // namespace swf::detail
