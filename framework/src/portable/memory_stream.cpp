#include <algorithm>
#include <cstdlib>
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

void TMemoryStream::FreeMemory::operator()(void* Memory) const { std::free(Memory); }

void TMemoryStream::Reserve(int64_t Capacity) {
  if (Capacity <= capacity_) return;
  // Grow by half again (at least 4 KiB) so a sequence of small writes moves
  // the content only a logarithmic number of times; realloc extends large
  // blocks in place where it can.
  int64_t wanted = capacity_ + capacity_ / 2;
  if (wanted < Capacity) wanted = Capacity;
  if (wanted < 4096) wanted = 4096;
  constexpr int64_t limit = std::numeric_limits<int64_t>::max() / 2;
  if (Capacity > limit || static_cast<uint64_t>(Capacity) > std::numeric_limits<size_t>::max())
    throw EOutOfMemory(L"Out of memory while expanding memory stream");
  if (wanted > limit || static_cast<uint64_t>(wanted) > std::numeric_limits<size_t>::max()) wanted = Capacity;
  void* grown = std::realloc(buffer_.get(), static_cast<size_t>(wanted));
  if (!grown && wanted > Capacity) {
    wanted = Capacity;
    grown = std::realloc(buffer_.get(), static_cast<size_t>(wanted));
  }
  if (!grown) throw EOutOfMemory(L"Out of memory while expanding memory stream");
  (void)buffer_.release();  // realloc took the old block
  buffer_.reset(static_cast<uint8_t*>(grown));
  capacity_ = wanted;
  SetPointer(buffer_.get(), Size());
}

void TMemoryStream::SetSize(int64_t NewSize) {
  if (NewSize < 0) throw EStreamError(L"Invalid stream size");
  const int64_t oldSize = Size();
  Reserve(NewSize);
  // Bytes that come into the stream again after a shrink must not show old data.
  if (NewSize > oldSize) std::memset(buffer_.get() + oldSize, 0, static_cast<size_t>(NewSize - oldSize));
  SetPointer(buffer_.get(), NewSize);
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
  const uint8_t* begin = buffer_.get();
  const bool inside = begin && !std::less<const uint8_t*>()(source, begin) &&
                      std::less<const uint8_t*>()(source, begin + capacity_);
  const size_t sourceOffset = inside ? static_cast<size_t>(source - begin) : 0;
  if (end > Size()) {
    const int64_t oldSize = Size();
    Reserve(end);
    // Only a gap left by seeking beyond the end is zeroed; the written
    // bytes are copied in below.
    if (position_ > oldSize) std::memset(buffer_.get() + oldSize, 0, static_cast<size_t>(position_ - oldSize));
    SetPointer(buffer_.get(), end);
  }
  if (inside) source = buffer_.get() + sourceOffset;
  std::memmove(buffer_.get() + position_, source, static_cast<size_t>(Count));
  position_ = end;
  return Count;
}

void TMemoryStream::Clear() {
  buffer_.reset();
  capacity_ = 0;
  SetPointer(nullptr, 0);
  position_ = 0;
}

void TMemoryStream::LoadFromStream(TStream& Stream) {
  if (&Stream == this) {
    position_ = 0;
    return;
  }
  Stream.SetPosition(0);
  LoadFromStream(Stream, Stream.Size());
}

void TMemoryStream::LoadFromStream(TStream& Source, int64_t Count) {
  if (Count < 0) throw EReadError(L"Stream read error");
  Clear();
  Reserve(Count);
  try {
    Source.ReadBuffer(buffer_.get(), Count);
  } catch (...) {
    Clear();
    throw;
  }
  SetPointer(buffer_.get(), Count);
}

}  // namespace vcl
