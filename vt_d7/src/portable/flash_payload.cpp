// The "FlashStream" payload of a stored movie: reading and writing the
// item's name and bytes.

#include <algorithm>
#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "vt_d7/flash_store.h"

namespace vt {

namespace {

constexpr uint8_t kTagEmpty = 0;
constexpr uint8_t kTagAnsiName = 2;
constexpr uint8_t kTagWideName = 4;

constexpr bool kWideIsUtf16 = sizeof(wchar_t) == 2;

[[noreturn]] void PayloadError(const std::wstring& What) {
  throw vcl::EReadError(L"Invalid FlashStream payload: " + What);
}

int64_t BytesLeft(vcl::TStream& Stream) { return std::max<int64_t>(Stream.Size() - Stream.Position(), 0); }

int32_t ReadInt32(vcl::TStream& Stream, const wchar_t* What) {
  uint8_t b[4];
  if (Stream.Read(b, 4) != 4) PayloadError(std::wstring(What) + L" is cut off");
  return static_cast<int32_t>(static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 |
                              static_cast<uint32_t>(b[2]) << 16 | static_cast<uint32_t>(b[3]) << 24);
}

void AppendInt32(std::vector<uint8_t>& Out, uint32_t Value) {
  for (int i = 0; i < 4; ++i) Out.push_back(static_cast<uint8_t>(Value >> (8 * i)));
}

// UTF-16 code units to wide text. On the host (UTF-32) surrogate pairs are
// joined; a lone surrogate is kept as it is, so it is written back unchanged.
std::wstring DecodeUtf16Le(const std::vector<uint8_t>& Bytes) {
  std::wstring text;
  text.reserve(Bytes.size() / 2);
  for (size_t i = 0; i + 1 < Bytes.size(); i += 2) {
    char32_t unit = static_cast<char32_t>(Bytes[i] | Bytes[i + 1] << 8);
    if (!kWideIsUtf16 && unit >= 0xD800 && unit <= 0xDBFF && i + 3 < Bytes.size()) {
      const char32_t low = static_cast<char32_t>(Bytes[i + 2] | Bytes[i + 3] << 8);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
        i += 2;
      }
    }
    text += static_cast<wchar_t>(unit);
  }
  return text;
}

// Wide text as UTF-16LE code units; returns the number of units.
int64_t AppendUtf16Le(std::vector<uint8_t>& Out, const std::wstring& Text) {
  int64_t units = 0;
  auto unit = [&](char32_t u) {
    Out.push_back(static_cast<uint8_t>(u & 0xFF));
    Out.push_back(static_cast<uint8_t>((u >> 8) & 0xFF));
    ++units;
  };
  for (wchar_t w : Text) {
    char32_t c = static_cast<char32_t>(w);
    if (kWideIsUtf16) {
      unit(c & 0xFFFF);
    } else if (c >= 0x10000 && c <= 0x10FFFF) {
      c -= 0x10000;
      unit(0xD800 + (c >> 10));
      unit(0xDC00 + (c & 0x3FF));
    } else {
      unit(c > 0x10FFFF ? 0xFFFD : c);
    }
  }
  return units;
}

}  // namespace

void CheckStoredMovieSize(int64_t Size, const std::wstring& Name) {
  if (Size > kMaxStoredMovieSize)
    throw vcl::EWriteError(L"Stored movie " + Name + L" is too large for the form stream (" +
                           std::to_wstring(Size) + L" bytes; at most " +
                           std::to_wstring(kMaxStoredMovieSize) + L")");
}

void TvtFlashStream::ReadData(vcl::TStream& Stream) {
  uint8_t tag = 0;
  if (Stream.Read(&tag, 1) != 1) PayloadError(L"the tag byte is missing");
  if (tag == kTagEmpty) {
    FStream->Clear();
    return;
  }
  if (tag != kTagAnsiName && tag != kTagWideName) return;  // unknown: nothing more is read

  // The name, checked against what is left (it must leave room for the
  // size field) before it is allocated.
  const int32_t length = ReadInt32(Stream, L"the name length");
  if (length < 0) PayloadError(L"negative name length " + std::to_wstring(length));
  const int64_t nameBytes = tag == kTagWideName ? int64_t{length} * 2 : int64_t{length};
  const int64_t left = BytesLeft(Stream);
  if (nameBytes > left - 4)
    PayloadError(L"a name of " + std::to_wstring(nameBytes) + L" bytes and the data size do not fit the " +
                 std::to_wstring(left) + L" bytes left");
  std::vector<uint8_t> raw(static_cast<size_t>(nameBytes));
  Stream.ReadBuffer(raw.data(), nameBytes);
  const std::wstring name =
      tag == kTagWideName ? DecodeUtf16Le(raw) : vcl::AnsiToWide(std::string(raw.begin(), raw.end()));

  const int32_t size = ReadInt32(Stream, L"the data size");
  if (size < 0) PayloadError(L"negative data size " + std::to_wstring(size));
  if (size > BytesLeft(Stream))
    PayloadError(L"data of " + std::to_wstring(size) + L" bytes, but only " +
                 std::to_wstring(BytesLeft(Stream)) + L" bytes left");

  // Straight into the item's memory, in one copy; a source shorter than it
  // claimed to be leaves the item empty rather than half filled.
  FStream->LoadFromStream(Stream, size);
  // Through the property, so the FlashList entry follows the stored name
  // even when the form carried no FlashStore value before this one.
  SetFlashStore(name);
}

void TvtFlashStream::WriteData(vcl::TStream& Stream) const {
  const int64_t size = FStream->Size();
  if (size == 0) {
    const uint8_t tag = kTagEmpty;
    Stream.WriteBuffer(&tag, 1);
    return;
  }
  CheckStoredMovieSize(size, FStoreName);
  std::vector<uint8_t> name;
  const int64_t units = AppendUtf16Le(name, FStoreName);
  if (units > INT32_MAX)
    throw vcl::EWriteError(L"The name of a stored movie is too long for the form stream");
  std::vector<uint8_t> head{kTagWideName};
  AppendInt32(head, static_cast<uint32_t>(units));
  head.insert(head.end(), name.begin(), name.end());
  AppendInt32(head, static_cast<uint32_t>(size));
  // The form frames the whole payload with a 32-bit length as well.
  if (static_cast<int64_t>(head.size()) > kMaxStoredMovieSize - size)
    throw vcl::EWriteError(L"Stored movie " + FStoreName +
                           L" is too large for the form stream with its name");
  Stream.WriteBuffer(head.data(), static_cast<int64_t>(head.size()));
  Stream.WriteBuffer(FStream->Memory(), size);
}

}  // namespace vt
