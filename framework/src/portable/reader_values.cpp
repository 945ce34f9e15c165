// TReader: the values of the binary form, each checked against the bytes
// left in the stream before anything is allocated for it.

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <string>

#include "filer_encoding.h"
#include "frame_streams.h"
#include "reader_state.h"

namespace vcl {

namespace {
[[noreturn]] void InvalidValue() { throw EReadError(L"Invalid property value"); }
[[noreturn]] void ReadError() { throw EReadError(L"Stream read error"); }
}  // namespace

TReader::TReader(TStream& Stream) : TFiler(Stream), state_(std::make_unique<State>()) {
  try {
    state_->position = stream_.Position();
    state_->end = std::max(stream_.Size(), state_->position);
  } catch (const EStreamError&) {
    // A stream without positions: lengths are then backed by reading in
    // chunks (ReadPayload) instead of being checked up front.
    state_->position = 0;
  }
}

TReader::~TReader() {
  // Give back the byte NextValue looked at, as a caller reading on expects.
  if (peeked_ >= 0) {
    try {
      stream_.Seek(-1, soCurrent);
    } catch (const Exception&) {
    }
  }
}

void TReader::ReadBytes(void* Buffer, int64_t Count) {
  if (Count <= 0) return;
  auto* out = static_cast<uint8_t*>(Buffer);
  if (peeked_ >= 0) {
    *out++ = static_cast<uint8_t>(peeked_);
    peeked_ = -1;
    if (--Count == 0) return;
  }
  if (Count > state_->end - state_->position) ReadError();
  stream_.ReadBuffer(out, Count);
  state_->position += Count;
}

uint8_t TReader::ReadByte() {
  uint8_t b;
  ReadBytes(&b, 1);
  return b;
}

int64_t TReader::ReadLength(int64_t UnitSize) {
  int32_t count;
  ReadBytes(&count, 4);
  if (count < 0) throw EReadError(L"Invalid stream format: negative length " + std::to_wstring(count));
  if (count > (state_->end - state_->position) / UnitSize) ReadError();
  return count;
}

std::string TReader::ReadPayload(int64_t Count) {
  // Grows with what was read, so a length the stream cannot back never
  // allocates more than a chunk beyond the stream's bytes.
  constexpr int64_t kChunk = 64 * 1024;
  std::string result;
  while (Count > 0) {
    const int64_t n = std::min(Count, kChunk);
    const size_t old = result.size();
    result.resize(old + static_cast<size_t>(n));
    ReadBytes(result.data() + old, n);
    Count -= n;
  }
  return result;
}

std::u16string TReader::ReadUtf16(int64_t Count) {
  const std::string bytes = ReadPayload(Count * 2);
  std::u16string units(static_cast<size_t>(Count), u'\0');
  for (size_t i = 0; i < units.size(); ++i)
    units[i] = static_cast<char16_t>(static_cast<uint8_t>(bytes[2 * i]) | (static_cast<uint8_t>(bytes[2 * i + 1]) << 8));
  return units;
}

void TReader::SkipBytes(int64_t Count) {
  if (Count <= 0) return;
  if (peeked_ >= 0) {
    peeked_ = -1;
    --Count;
  }
  if (Count > state_->end - state_->position) ReadError();
  if (state_->end == std::numeric_limits<int64_t>::max()) {
    ReadPayload(Count);
    return;
  }
  stream_.Seek(Count, soCurrent);
  state_->position += Count;
}

TValueType TReader::NextValue() {
  if (peeked_ < 0) {
    peeked_ = ReadByte();
  }
  return static_cast<TValueType>(peeked_);
}

TValueType TReader::ReadValue() { return static_cast<TValueType>(ReadByte()); }

void TReader::CheckValue(TValueType Value) {
  if (ReadValue() != Value) InvalidValue();
}

void TReader::ReadSignature() {
  char signature[4];
  try {
    ReadBytes(signature, 4);
  } catch (const EReadError&) {
    throw EReadError(L"Invalid stream format");
  }
  if (std::memcmp(signature, "TPF0", 4) != 0) throw EReadError(L"Invalid stream format");
}

void TReader::ReadPrefix(uint8_t& Flags, int32_t& ChildPos) {
  Flags = 0;
  ChildPos = -1;
  const auto next = static_cast<uint8_t>(NextValue());
  if ((next & 0xF0) != 0xF0) return;
  ReadByte();
  Flags = next & 0x0F;
  if (Flags & ffChildPos) ChildPos = ReadInteger();
}

int32_t TReader::ReadInteger() {
  const int64_t v = ReadInt64();
  if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max()) InvalidValue();
  return static_cast<int32_t>(v);
}

int64_t TReader::ReadInt64() {
  switch (ReadValue()) {
    case vaInt8: {
      int8_t v;
      ReadBytes(&v, 1);
      return v;
    }
    case vaInt16: {
      int16_t v;
      ReadBytes(&v, 2);
      return v;
    }
    case vaInt32: {
      int32_t v;
      ReadBytes(&v, 4);
      return v;
    }
    case vaInt64: {
      int64_t v;
      ReadBytes(&v, 8);
      return v;
    }
    case vaQWord: {
      uint64_t v;
      ReadBytes(&v, 8);
      if (v > static_cast<uint64_t>(std::numeric_limits<int64_t>::max())) InvalidValue();
      return static_cast<int64_t>(v);
    }
    default:
      InvalidValue();
  }
}

bool TReader::ReadBoolean() {
  switch (ReadValue()) {
    case vaFalse:
      return false;
    case vaTrue:
      return true;
    default:
      InvalidValue();
  }
}

double TReader::ReadFloat() {
  switch (NextValue()) {
    case vaExtended: {
      ReadValue();
      std::array<uint8_t, 10> bytes;
      ReadBytes(bytes.data(), 10);
      return filer_encoding::ExtendedToDouble(bytes);
    }
    case vaSingle: {
      ReadValue();
      float v;
      ReadBytes(&v, 4);
      return v;
    }
    case vaDate: {
      ReadValue();
      double v;
      ReadBytes(&v, 8);
      return v;
    }
    case vaCurrency: {
      ReadValue();
      int64_t v;
      ReadBytes(&v, 8);
      return static_cast<double>(v) / 10000.0;
    }
    default:
      return static_cast<double>(ReadInt64());
  }
}

std::wstring TReader::ReadWideString() {
  switch (ReadValue()) {
    case vaString:
      return AnsiToWide(ReadPayload(ReadByte()));
    case vaLString:
      return AnsiToWide(ReadPayload(ReadLength(1)));
    case vaUTF8String:
      return Utf8ToWide(ReadPayload(ReadLength(1)));
    case vaWString:
    case vaUString:
      return filer_encoding::Utf16ToWide(ReadUtf16(ReadLength(2)));
    default:
      InvalidValue();
  }
}

std::string TReader::ReadString() {
  switch (NextValue()) {
    case vaString:
      ReadValue();
      return ReadPayload(ReadByte());
    case vaLString:
      ReadValue();
      return ReadPayload(ReadLength(1));
    default:
      return WideToAnsi(ReadWideString());
  }
}

std::wstring TReader::ReadIdent() {
  switch (ReadValue()) {
    case vaIdent:
      return ReadStr();
    case vaFalse:
      return L"False";
    case vaTrue:
      return L"True";
    case vaNil:
      return L"nil";
    case vaNull:
      return L"Null";
    default:
      InvalidValue();
  }
}

std::wstring TReader::ReadStr() { return Utf8ToWide(ReadPayload(ReadByte())); }

void TReader::ReadBinary(const TStreamProc& ReadData) {
  CheckValue(vaBinary);
  const int64_t count = ReadLength(1);
  const int64_t start = state_->position;
  if (ReadData) {
    TFrameReadStream frame(stream_, start, count);
    ReadData(frame);
    // Whatever the proc left unread (or wherever it seeked) is skipped.
    frame.Seek(count, soBeginning);
    state_->position = start + count;
  } else {
    SkipBytes(count);
  }
}

void TReader::SkipValue() {
  const TValueType value = ReadValue();
  switch (value) {
    case vaNull:
    case vaFalse:
    case vaTrue:
    case vaNil:
      return;
    case vaList: {
      TNestingGuard guard(state_->depth);
      while (!EndOfList()) SkipValue();
      ReadListEnd();
      return;
    }
    case vaInt8:
      return SkipBytes(1);
    case vaInt16:
      return SkipBytes(2);
    case vaInt32:
    case vaSingle:
      return SkipBytes(4);
    case vaInt64:
    case vaQWord:
    case vaCurrency:
    case vaDate:
      return SkipBytes(8);
    case vaExtended:
      return SkipBytes(10);
    case vaString:
    case vaIdent:
      return SkipBytes(ReadByte());
    case vaLString:
    case vaUTF8String:
    case vaBinary:
      return SkipBytes(ReadLength(1));
    case vaWString:
    case vaUString:
      return SkipBytes(ReadLength(2) * 2);
    case vaSet:
      while (const uint8_t length = ReadByte()) SkipBytes(length);
      return;
    case vaCollection: {
      TNestingGuard guard(state_->depth);
      while (!EndOfList()) {
        const TValueType next = NextValue();
        if (next == vaInt8 || next == vaInt16 || next == vaInt32) ReadInteger();
        CheckValue(vaList);
        while (!EndOfList()) {
          ReadStr();
          SkipValue();
        }
        ReadListEnd();
      }
      ReadListEnd();
      return;
    }
  }
  throw EReadError(L"Invalid stream format: unknown value type " +
                   std::to_wstring(static_cast<unsigned>(value)));
}

}  // namespace vcl
