#include <algorithm>
#include <cstring>
#include <functional>
#include <limits>
#include <new>

#include "framework/Classes.h"

namespace vcl {

namespace {

// The new position for a seek, or EStreamError when it would be negative or
// overflow.
int64_t SeekTarget(int64_t Base, int64_t Offset) {
  if ((Offset > 0 && Base > std::numeric_limits<int64_t>::max() - Offset) || Base + Offset < 0)
    throw EStreamError(L"Invalid stream position");
  return Base + Offset;
}

}  // namespace

int64_t TCustomMemoryStream::Read(void* Buffer, int64_t Count) {
  if (Count <= 0 || position_ >= size_) return 0;
  const int64_t n = std::min(Count, size_ - position_);
  std::memcpy(Buffer, static_cast<const uint8_t*>(memory_) + position_, static_cast<size_t>(n));
  position_ += n;
  return n;
}

int64_t TCustomMemoryStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  int64_t base = 0;
  switch (Origin) {
    case soBeginning: base = 0; break;
    case soCurrent: base = position_; break;
    case soEnd: base = size_; break;
    default: throw EStreamError(L"Invalid seek origin");
  }
  position_ = SeekTarget(base, Offset);
  return position_;
}

void TCustomMemoryStream::SaveToStream(TStream& Stream) const { Stream.WriteBuffer(memory_, size_); }

void TCustomMemoryStream::SetPointer(void* Memory, int64_t Size) {
  memory_ = Memory;
  size_ = Size;
}

void TMemoryStream::Reserve(int64_t Capacity) {
  if (Capacity <= static_cast<int64_t>(buffer_.size())) return;
  // Grow by half again (at least 4 KiB) so a sequence of small writes
  // copies the content only a logarithmic number of times.
  const int64_t current = static_cast<int64_t>(buffer_.size());
  int64_t wanted = current + current / 2;
  if (wanted < Capacity) wanted = Capacity;
  if (wanted < 4096) wanted = 4096;
  const int64_t limit = static_cast<int64_t>(std::min<uint64_t>(buffer_.max_size(), std::numeric_limits<int64_t>::max()));
  if (Capacity > limit) throw EOutOfMemory(L"Out of memory while expanding memory stream");
  if (wanted > limit) wanted = Capacity;
  try {
    buffer_.resize(static_cast<size_t>(wanted));
  } catch (const std::bad_alloc&) {
    throw EOutOfMemory(L"Out of memory while expanding memory stream");
  } catch (const std::length_error&) {
    throw EOutOfMemory(L"Out of memory while expanding memory stream");
  }
}

void TMemoryStream::SetSize(int64_t NewSize) {
  if (NewSize < 0) throw EStreamError(L"Invalid stream size");
  const int64_t oldSize = Size();
  Reserve(NewSize);
  // Bytes that come into the stream again after a shrink must not show old data.
  if (NewSize > oldSize)
    std::memset(buffer_.data() + oldSize, 0, static_cast<size_t>(NewSize - oldSize));
  SetPointer(buffer_.data(), NewSize);
  if (position_ > NewSize) position_ = NewSize;
}

int64_t TMemoryStream::Write(const void* Buffer, int64_t Count) {
  if (Count <= 0) return 0;
  if (position_ > std::numeric_limits<int64_t>::max() - Count) throw EWriteError(L"Stream write error");
  const int64_t end = position_ + Count;
  // The source may lie inside this stream's own memory (writing a part of
  // the stream into itself); growing moves that memory, so find the source
  // again by its offset afterwards.
  const uint8_t* source = static_cast<const uint8_t*>(Buffer);
  const uint8_t* begin = buffer_.data();
  const bool inside = begin && !std::less<const uint8_t*>()(source, begin) &&
                      std::less<const uint8_t*>()(source, begin + buffer_.size());
  const size_t sourceOffset = inside ? static_cast<size_t>(source - begin) : 0;
  if (end > Size()) SetSize(end);  // zero-fills a gap left by seeking beyond the end
  if (inside) source = buffer_.data() + sourceOffset;
  std::memmove(buffer_.data() + position_, source, static_cast<size_t>(Count));
  position_ = end;
  return Count;
}

void TMemoryStream::Clear() {
  std::vector<uint8_t>().swap(buffer_);
  SetPointer(nullptr, 0);
  position_ = 0;
}

void TMemoryStream::LoadFromStream(TStream& Stream) {
  if (&Stream == this) {
    position_ = 0;
    return;
  }
  Stream.SetPosition(0);
  const int64_t size = Stream.Size();
  SetSize(size);
  position_ = 0;
  Stream.ReadBuffer(buffer_.data(), size);
}

}  // namespace vcl
