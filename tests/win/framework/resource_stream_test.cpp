#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "framework/Classes.h"

using namespace vcl;

TEST(TResourceStream, ReadsAnRcdataResource) {
  TResourceStream s(nullptr, L"StreamData", RT_RCDATA);  // names are case-insensitive
  const std::string text = "Resource stream payload";
  ASSERT_EQ(s.Size(), static_cast<int64_t>(text.size() + 1 + 4));
  std::string read(text.size() + 1, '\0');
  s.ReadBuffer(read.data(), static_cast<int64_t>(read.size()));
  EXPECT_EQ(read, text + '\0');
  uint8_t tail[4];
  s.ReadBuffer(tail, 4);  // 16-bit words, little-endian
  EXPECT_EQ(tail[0], 0x01);
  EXPECT_EQ(tail[1], 0x02);
  EXPECT_EQ(tail[2], 0x03);
  EXPECT_EQ(tail[3], 0x04);
  EXPECT_THROW(s.ReadBuffer(tail, 1), EReadError);
  // Seeking works as on any memory stream.
  EXPECT_EQ(s.Seek(-4, soEnd), static_cast<int64_t>(text.size() + 1));
  s.SetPosition(0);
  TMemoryStream copy;
  EXPECT_EQ(copy.CopyFrom(s, 0), s.Size());
}

TEST(TResourceStream, ByIntegerIdAndNamedType) {
  TResourceStream s(GetModuleHandleW(nullptr), 4242, L"PAYLOAD");
  EXPECT_EQ(s.Size(), 2);
  char buffer[2];
  s.ReadBuffer(buffer, 2);
  EXPECT_EQ(std::string(buffer, 2), "id");
  TResourceStream byName(nullptr, L"#4242", std::wstring(L"payload"));
  EXPECT_EQ(byName.Size(), 2);
}

TEST(TResourceStream, MissingResourcesRaise) {
  try {
    TResourceStream s(nullptr, L"NoSuchThing", RT_RCDATA);
    FAIL() << "no exception";
  } catch (const EResNotFound& e) {
    EXPECT_EQ(e.Message(), L"Resource NoSuchThing not found");
  }
  try {
    TResourceStream s(nullptr, 4242, RT_RCDATA);  // the id exists, with another type
    FAIL() << "no exception";
  } catch (const EResNotFound& e) {
    EXPECT_EQ(e.Message(), L"Resource 4242 not found");
  }
  // Ids beyond 16 bits would be taken for a name pointer.
  EXPECT_THROW(TResourceStream(nullptr, 0x10000, RT_RCDATA), EResNotFound);
  EXPECT_THROW(TResourceStream(nullptr, -1, RT_RCDATA), EResNotFound);
}

TEST(TResourceStream, IsReadOnly) {
  TResourceStream s(nullptr, L"STREAMDATA", RT_RCDATA);
  const int64_t size = s.Size();
  EXPECT_THROW(s.WriteBuffer("x", 1), EStreamError);
  EXPECT_THROW(s.Write("x", 1), EStreamError);
  EXPECT_THROW(s.SetSize(1), EStreamError);
  TMemoryStream source;
  source.WriteBuffer("abc", 3);
  source.SetPosition(0);
  EXPECT_THROW(s.CopyFrom(source, 0), EStreamError);
  EXPECT_EQ(s.Size(), size);
}
