#pragma once
// The streams a binary property's reader and writer procs see: windows onto
// the form stream itself, so that the property's bytes are never copied
// into a temporary. Internal to the filer.

#include <cstdint>

#include "../../Classes.h"

namespace vcl {

// Reads exactly the Size bytes of a binary property, starting at Start of
// the form stream (where that stream must be positioned). Positions are
// relative to Start; reading stops at the frame's end, so ReadBuffer beyond
// it raises EReadError. Writing is refused.
class TFrameReadStream : public TStream {
 public:
  TFrameReadStream(TStream& Source, int64_t Start, int64_t Size);
  int64_t Read(void* Buffer, int64_t Count) override;
  int64_t Write(const void* Buffer, int64_t Count) override;
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
  int64_t Size() override { return size_; }
  std::wstring ClassName() const override { return L"TFrameReadStream"; }

 private:
  TStream& source_;
  int64_t start_;
  int64_t size_;
  int64_t position_ = 0;
};

// Passes a binary property's bytes straight into the form stream, from
// Start on; positions are relative to Start and cannot go before it.
// Written() is the frame's length so far.
class TFrameWriteStream : public TStream {
 public:
  TFrameWriteStream(TStream& Target, int64_t Start) : target_(Target), start_(Start) {}
  int64_t Read(void* Buffer, int64_t Count) override;
  int64_t Write(const void* Buffer, int64_t Count) override;
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
  int64_t Size() override { return written_; }
  int64_t Written() const { return written_; }
  std::wstring ClassName() const override { return L"TFrameWriteStream"; }

 private:
  TStream& target_;
  int64_t start_;
  int64_t position_ = 0;
  int64_t written_ = 0;
};

}  // namespace vcl
