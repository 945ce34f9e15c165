#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <string>

#include "framework/Classes.h"

using namespace vcl;

namespace {

std::string Content(TMemoryStream& s) {
  return std::string(static_cast<const char*>(s.Memory()), static_cast<size_t>(s.Size()));
}

void WriteText(TStream& s, const std::string& text) { s.WriteBuffer(text.data(), static_cast<int64_t>(text.size())); }

// A stream that hands out at most a few bytes per call, as a pipe or a
// socket does, over a fixed text; it has no size of its own.
class TrickleStream : public TStream {
 public:
  explicit TrickleStream(std::string data, int64_t perCall) : data_(std::move(data)), perCall_(perCall) {}
  int64_t Read(void* Buffer, int64_t Count) override {
    const int64_t left = static_cast<int64_t>(data_.size()) - pos_;
    const int64_t n = std::max<int64_t>(0, std::min({Count, perCall_, left}));
    std::memcpy(Buffer, data_.data() + pos_, static_cast<size_t>(n));
    pos_ += n;
    return n;
  }
  int64_t Write(const void*, int64_t) override { return 0; }
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override {
    const int64_t base = Origin == soBeginning ? 0 : Origin == soCurrent ? pos_ : static_cast<int64_t>(data_.size());
    pos_ = base + Offset;
    return pos_;
  }

 private:
  std::string data_;
  int64_t perCall_;
  int64_t pos_ = 0;
};

}  // namespace

TEST(TStream, ReadBufferRaisesWhenShort) {
  TMemoryStream s;
  WriteText(s, "abcdef");
  s.SetPosition(2);
  char buffer[8] = {};
  s.ReadBuffer(buffer, 4);
  EXPECT_EQ(std::string(buffer, 4), "cdef");
  s.SetPosition(4);
  try {
    s.ReadBuffer(buffer, 3);
    FAIL() << "no exception";
  } catch (const EReadError& e) {
    EXPECT_EQ(e.Message(), L"Stream read error");
  }
  EXPECT_THROW(s.ReadBuffer(buffer, -1), EReadError);
  s.ReadBuffer(nullptr, 0);  // nothing to read is not an error

  // A read that returns less than asked, even from a stream that is not
  // at its end, is short as well: ReadBuffer does not loop.
  TrickleStream trickle("0123456789", 3);
  EXPECT_THROW(trickle.ReadBuffer(buffer, 5), EReadError);
}

TEST(TStream, WriteBufferRaisesWhenShort) {
  TrickleStream readOnly("x", 1);  // writes nothing
  try {
    WriteText(readOnly, "abc");
    FAIL() << "no exception";
  } catch (const EWriteError& e) {
    EXPECT_EQ(e.Message(), L"Stream write error");
  }
  EXPECT_THROW(readOnly.SetSize(10), EStreamError);  // fixed size by default
}

TEST(TStream, SizeOfABaseStreamKeepsThePosition) {
  TrickleStream s("0123456789", 4);
  s.SetPosition(3);
  EXPECT_EQ(s.Size(), 10);
  EXPECT_EQ(s.Position(), 3);
}

TEST(TStream, CopyFrom) {
  TrickleStream source("0123456789", 1000);
  TMemoryStream dest;
  source.SetPosition(2);
  EXPECT_EQ(dest.CopyFrom(source, 3), 3);
  EXPECT_EQ(Content(dest), "234");
  // Count 0: from the source's position to its end.
  EXPECT_EQ(dest.CopyFrom(source, 0), 5);
  EXPECT_EQ(Content(dest), "23456789");
  EXPECT_EQ(dest.CopyFrom(source, 0), 0);  // nothing left
  // More than the source holds, or a negative count, raises.
  source.SetPosition(8);
  EXPECT_THROW(dest.CopyFrom(source, 5), EReadError);
  EXPECT_THROW(dest.CopyFrom(source, -1), EReadError);
}

TEST(TStream, CopyFromCrossesChunkBoundaries) {
  TMemoryStream source;
  std::string big(200000, '\0');
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7 + i / 251);
  WriteText(source, big);
  source.SetPosition(1);
  TMemoryStream dest;
  EXPECT_EQ(dest.CopyFrom(source, 0), 199999);
  EXPECT_EQ(Content(dest), big.substr(1));
}

TEST(TMemoryStream, SeekArithmetic) {
  TMemoryStream s;
  WriteText(s, "0123456789");
  EXPECT_EQ(s.Seek(-3, soEnd), 7);
  EXPECT_EQ(s.Seek(2, soCurrent), 9);
  EXPECT_EQ(s.Seek(-9, soCurrent), 0);
  // Beyond the end is allowed and reads nothing.
  EXPECT_EQ(s.Seek(5, soEnd), 15);
  char c;
  EXPECT_EQ(s.Read(&c, 1), 0);
  EXPECT_EQ(s.Size(), 10);
  // Before the start or past the range of int64_t raises and keeps the position.
  EXPECT_THROW(s.Seek(-1, soBeginning), EStreamError);
  EXPECT_THROW(s.Seek(-11, soEnd), EStreamError);
  EXPECT_EQ(s.Position(), 15);
  s.SetPosition(std::numeric_limits<int64_t>::max() - 1);
  EXPECT_THROW(s.Seek(2, soCurrent), EStreamError);
  EXPECT_THROW(s.Seek(std::numeric_limits<int64_t>::max(), soEnd), EStreamError);
  EXPECT_THROW(s.Seek(std::numeric_limits<int64_t>::min(), soCurrent), EStreamError);
  // A write there cannot fit and must not wrap around.
  EXPECT_THROW(WriteText(s, "xy"), EWriteError);
  EXPECT_EQ(s.Size(), 10);
}

TEST(TMemoryStream, GrowsAndZeroFillsGaps) {
  TMemoryStream s;
  std::string expected;
  // Many small writes: every byte must survive each reallocation.
  for (int i = 0; i < 5000; ++i) {
    const std::string piece = std::to_string(i) + ",";
    WriteText(s, piece);
    expected += piece;
  }
  EXPECT_EQ(Content(s), expected);
  EXPECT_EQ(s.Position(), s.Size());

  // Writing beyond the end leaves zeros in between.
  s.Clear();
  EXPECT_EQ(s.Size(), 0);
  s.SetPosition(4);
  WriteText(s, "ab");
  EXPECT_EQ(Content(s), std::string("\0\0\0\0ab", 6));
  EXPECT_EQ(s.Write("x", 0), 0);
  EXPECT_EQ(s.Write("x", -5), 0);
  char buffer[4];
  EXPECT_EQ(s.Read(buffer, -5), 0);
}

TEST(TMemoryStream, SetSizeShrinksAndRegrowsWithZeros) {
  TMemoryStream s;
  WriteText(s, "0123456789");
  s.SetSize(4);
  EXPECT_EQ(s.Size(), 4);
  EXPECT_EQ(s.Position(), 4);  // was beyond the new end
  EXPECT_EQ(Content(s), "0123");
  // Growing again must not bring the old bytes back.
  s.SetSize(8);
  EXPECT_EQ(Content(s), std::string("0123\0\0\0\0", 8));
  EXPECT_EQ(s.Position(), 4);  // a position inside stays
  s.SetPosition(2);
  s.SetSize(6);
  EXPECT_EQ(s.Position(), 2);
  // Seek beyond, shrink, then write at the end: zeros fill the gap.
  s.SetSize(2);
  s.SetPosition(5);
  WriteText(s, "Z");
  EXPECT_EQ(Content(s), std::string("01\0\0\0Z", 6));
  EXPECT_THROW(s.SetSize(-1), EStreamError);
}

TEST(TMemoryStream, WritingItsOwnContentIntoItself) {
  TMemoryStream s;
  WriteText(s, "abc");
  // The source is the stream's own memory, which the write has to grow;
  // copying 4 KiB more forces a reallocation under the source.
  std::string big(5000, 'q');
  WriteText(s, big);
  s.SetPosition(s.Size());
  s.WriteBuffer(s.Memory(), s.Size());
  EXPECT_EQ(Content(s), "abc" + big + "abc" + big);
  // SaveToStream into itself is the same case.
  s.SetSize(3);
  s.SetPosition(3);
  s.SaveToStream(s);
  EXPECT_EQ(Content(s), "abcabc");
}

TEST(TMemoryStream, LoadAndSaveWholeContent) {
  TMemoryStream a;
  WriteText(a, "content");
  a.SetPosition(3);
  TMemoryStream b;
  WriteText(b, "old data that is longer");
  b.LoadFromStream(a);  // from the start, whatever a's position
  EXPECT_EQ(Content(b), "content");
  EXPECT_EQ(b.Position(), 0);
  TMemoryStream c;
  WriteText(c, ">");
  b.SetPosition(4);
  b.SaveToStream(c);  // all of b, appended at c's position
  EXPECT_EQ(Content(c), ">content");
  // Loading an empty stream empties.
  TMemoryStream empty;
  b.LoadFromStream(empty);
  EXPECT_EQ(b.Size(), 0);
  b.LoadFromStream(c);
  b.LoadFromStream(b);
  EXPECT_EQ(Content(b), ">content");
}

TEST(TMemoryStream, LoadsCountBytesFromTheSourcePositionOrNothing) {
  TMemoryStream source;
  WriteText(source, "0123456789");
  source.SetPosition(2);
  TMemoryStream target;
  WriteText(target, "old");
  target.LoadFromStream(source, 5);
  EXPECT_EQ(Content(target), "23456");
  EXPECT_EQ(target.Position(), 0);
  EXPECT_EQ(source.Position(), 7);
  // Only three bytes are left: the target ends empty, not half filled.
  EXPECT_THROW(target.LoadFromStream(source, 4), EReadError);
  EXPECT_EQ(target.Size(), 0);
  EXPECT_THROW(target.LoadFromStream(source, -1), EReadError);
}

TEST(TMemoryStream, SmallWritesAfterALargeOneKeepEveryByte) {
  // Growing after a large write moves (or extends) the block; nothing of
  // the content may be lost or zeroed on the way.
  std::string big(3 * 1024 * 1024 + 17, '\0');
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>('a' + i % 26);
  TMemoryStream s;
  WriteText(s, big);
  for (int i = 0; i < 1000; ++i) WriteText(s, "xyz");
  const std::string content = Content(s);
  ASSERT_EQ(content.size(), big.size() + 3000);
  EXPECT_EQ(content.compare(0, big.size(), big), 0);
  EXPECT_EQ(content.substr(content.size() - 3), "xyz");
}
