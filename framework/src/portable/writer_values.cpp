// TWriter: the values of the binary form.

#include <array>
#include <limits>
#include <string>

#include "filer_encoding.h"
#include "frame_streams.h"
#include "writer_state.h"

namespace vcl {

namespace {
constexpr int64_t kMaxLength = std::numeric_limits<int32_t>::max();
}

TWriter::TWriter(TStream& Stream) : TFiler(Stream), state_(std::make_unique<State>()) {}

TWriter::~TWriter() = default;

void TWriter::WriteBytes(const void* Buffer, int64_t Count) { stream_.WriteBuffer(Buffer, Count); }

void TWriter::WriteLength(int64_t Count) {
  if (Count > kMaxLength) throw EWriteError(L"Value too long for the form: " + std::to_wstring(Count) + L" bytes");
  const auto length = static_cast<int32_t>(Count);
  WriteBytes(&length, 4);
}

void TWriter::WriteValue(TValueType Value) { WriteBytes(&Value, 1); }

void TWriter::WriteSignature() { WriteBytes("TPF0", 4); }

void TWriter::WritePrefix(uint8_t Flags, int32_t ChildPos) {
  if (Flags == 0) return;
  const auto prefix = static_cast<uint8_t>(0xF0 | (Flags & 0x0F));
  WriteBytes(&prefix, 1);
  if (Flags & ffChildPos) WriteInteger(ChildPos);
}

void TWriter::WriteInteger(int64_t Value) {
  if (Value >= std::numeric_limits<int8_t>::min() && Value <= std::numeric_limits<int8_t>::max()) {
    const auto v = static_cast<int8_t>(Value);
    WriteValue(vaInt8);
    WriteBytes(&v, 1);
  } else if (Value >= std::numeric_limits<int16_t>::min() && Value <= std::numeric_limits<int16_t>::max()) {
    const auto v = static_cast<int16_t>(Value);
    WriteValue(vaInt16);
    WriteBytes(&v, 2);
  } else if (Value >= std::numeric_limits<int32_t>::min() && Value <= std::numeric_limits<int32_t>::max()) {
    const auto v = static_cast<int32_t>(Value);
    WriteValue(vaInt32);
    WriteBytes(&v, 4);
  } else {
    WriteValue(vaInt64);
    WriteBytes(&Value, 8);
  }
}

void TWriter::WriteBoolean(bool Value) { WriteValue(Value ? vaTrue : vaFalse); }

void TWriter::WriteFloat(double Value) {
  const std::array<uint8_t, 10> bytes = filer_encoding::DoubleToExtended(Value);
  WriteValue(vaExtended);
  WriteBytes(bytes.data(), 10);
}

void TWriter::WriteString(const std::string& Value) {
  const auto size = static_cast<int64_t>(Value.size());
  if (size <= 255) {
    const auto length = static_cast<uint8_t>(size);
    WriteValue(vaString);
    WriteBytes(&length, 1);
  } else {
    if (size > kMaxLength) WriteLength(size);  // raises
    WriteValue(vaLString);
    WriteLength(size);
  }
  WriteBytes(Value.data(), size);
}

void TWriter::WriteWideString(const std::wstring& Value) {
  const std::u16string units = filer_encoding::WideToUtf16(Value);
  const auto count = static_cast<int64_t>(units.size());
  if (count > kMaxLength / 2) WriteLength(kMaxLength + 1);  // raises
  std::string bytes(units.size() * 2, '\0');
  for (size_t i = 0; i < units.size(); ++i) {
    bytes[2 * i] = static_cast<char>(units[i] & 0xFF);
    bytes[2 * i + 1] = static_cast<char>(units[i] >> 8);
  }
  WriteValue(vaWString);
  WriteLength(count);
  WriteBytes(bytes.data(), static_cast<int64_t>(bytes.size()));
}

void TWriter::WriteIdent(const std::wstring& Ident) {
  if (SameText(Ident, L"False")) return WriteValue(vaFalse);
  if (SameText(Ident, L"True")) return WriteValue(vaTrue);
  if (SameText(Ident, L"nil")) return WriteValue(vaNil);
  if (SameText(Ident, L"Null")) return WriteValue(vaNull);
  WriteValue(vaIdent);
  WriteStr(Ident);
}

void TWriter::WriteStr(const std::wstring& Value) {
  const std::string bytes = WideToUtf8(Value);
  if (bytes.size() > 255) throw EWriteError(L"Name too long for the form: " + Value);
  const auto length = static_cast<uint8_t>(bytes.size());
  WriteBytes(&length, 1);
  WriteBytes(bytes.data(), length);
}

void TWriter::WriteBinary(const TStreamProc& WriteData) {
  WriteValue(vaBinary);
  int64_t lengthAt = -1;
  try {
    lengthAt = stream_.Position();
  } catch (const EStreamError&) {
  }
  if (lengthAt < 0) {
    // An output that cannot seek: the bytes go through memory first.
    TMemoryStream buffer;
    if (WriteData) WriteData(buffer);
    WriteLength(buffer.Size());
    buffer.SaveToStream(stream_);
    return;
  }
  // A placeholder length, the bytes straight into the output, then the
  // length patched in.
  WriteLength(0);
  TFrameWriteStream frame(stream_, lengthAt + 4);
  if (WriteData) WriteData(frame);
  const int64_t length = frame.Written();
  if (length > kMaxLength)
    throw EWriteError(L"Binary property too large for the form: " + std::to_wstring(length) + L" bytes");
  stream_.Seek(lengthAt, soBeginning);
  WriteLength(length);
  stream_.Seek(lengthAt + 4 + length, soBeginning);
}

}  // namespace vcl
