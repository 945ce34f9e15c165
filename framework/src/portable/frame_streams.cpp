#include "frame_streams.h"

#include <algorithm>
#include <limits>

namespace vcl {

namespace {
int64_t NewPosition(int64_t Offset, TSeekOrigin Origin, int64_t Current, int64_t End) {
  const int64_t base = Origin == soBeginning ? 0 : Origin == soCurrent ? Current : End;
  if ((Offset > 0 && base > std::numeric_limits<int64_t>::max() - Offset) || base + Offset < 0)
    throw EStreamError(L"Invalid stream position");
  return base + Offset;
}
}  // namespace

TFrameReadStream::TFrameReadStream(TStream& Source, int64_t Start, int64_t Size)
    : source_(Source), start_(Start), size_(Size) {}

int64_t TFrameReadStream::Read(void* Buffer, int64_t Count) {
  const int64_t n = std::min(Count, size_ - position_);
  if (n <= 0) return 0;
  const int64_t got = source_.Read(Buffer, n);
  position_ += std::max<int64_t>(got, 0);
  return got;
}

int64_t TFrameReadStream::Write(const void*, int64_t) { return 0; }

int64_t TFrameReadStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  const int64_t target = NewPosition(Offset, Origin, position_, size_);
  if (target == position_) return position_;
  // Beyond the end reads nothing; the form stream is left at the frame's end.
  source_.Seek(start_ + std::min(target, size_), soBeginning);
  position_ = target;
  return position_;
}

int64_t TFrameWriteStream::Read(void*, int64_t) { return 0; }

int64_t TFrameWriteStream::Write(const void* Buffer, int64_t Count) {
  if (Count <= 0) return 0;
  const int64_t n = target_.Write(Buffer, Count);
  if (n > 0) {
    position_ += n;
    written_ = std::max(written_, position_);
  }
  return n;
}

int64_t TFrameWriteStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  const int64_t target = NewPosition(Offset, Origin, position_, written_);
  if (target != position_) target_.Seek(start_ + target, soBeginning);
  position_ = target;
  return position_;
}

}  // namespace vcl
