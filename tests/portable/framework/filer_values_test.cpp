// Values the form reader accepts from every writer of the format: each
// string encoding into wide and 8-bit properties, floats, integers, idents.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>

#include "filer_test_classes.h"

using namespace vcl;
using namespace filer_test;

namespace {

std::string Str(const std::string& S) { return std::string(1, static_cast<char>(S.size())) + S; }
std::string Bytes(std::initializer_list<int> Values) {
  std::string s;
  for (int v : Values) s.push_back(static_cast<char>(v));
  return s;
}
std::string Le32(size_t N) {
  return Bytes({static_cast<int>(N & 0xFF), static_cast<int>((N >> 8) & 0xFF), static_cast<int>((N >> 16) & 0xFF),
                static_cast<int>(N >> 24)});
}
std::unique_ptr<TMemoryStream> StreamOf(const std::string& Bytes) {
  auto s = std::make_unique<TMemoryStream>();
  s->WriteBuffer(Bytes.data(), static_cast<int64_t>(Bytes.size()));
  s->SetPosition(0);
  return s;
}

TEST(FilerValues, EveryStringEncodingIntoWideAndEightBitProperties) {
  const std::wstring text = L"A\u00E9\u20AC";
  const std::string ansi = WideToAnsi(L"A\u00E9");  // what the system code page can hold for sure
  const std::string utf8 = "A\xC3\xA9\xE2\x82\xAC";
  const std::string utf16 = Bytes({'A', 0, 0xE9, 0, 0xAC, 0x20});
  struct Case {
    const char* name;
    std::string value;
    std::wstring wide;
  } cases[] = {
      {"vaString", Bytes({0x06, static_cast<int>(ansi.size())}) + ansi, L"A\u00E9"},
      {"vaLString", Bytes({0x0C}) + Le32(ansi.size()) + ansi, L"A\u00E9"},
      {"vaUTF8String", Bytes({0x14}) + Le32(utf8.size()) + utf8, text},
      {"vaWString", Bytes({0x12, 3, 0, 0, 0}) + utf16, text},
      {"vaUString", Bytes({0x15, 3, 0, 0, 0}) + utf16, text},
  };
  for (const Case& c : cases) {
    auto s = StreamOf(Str("Caption") + c.value + Str("Hint") + c.value + Bytes({0}));
    TTestWidget w(nullptr);
    TReader(*s).ReadProperties(&w);
    EXPECT_EQ(w.Caption, c.wide) << c.name;
    EXPECT_EQ(w.Hint, WideToAnsi(c.wide)) << c.name;
  }
  // A lone surrogate does not stop the reading.
  auto s = StreamOf(Bytes({0x12, 2, 0, 0, 0, 0x00, 0xD8, 'x', 0}));
  EXPECT_EQ(TReader(*s).ReadWideString().back(), L'x');
}

TEST(FilerValues, FloatsRoundTripThroughTheExtendedFormat) {
  const double values[] = {0.0, -0.0, 1.0, 1.5, -2.75, 0.1, 1e300, -1e-300, 4.9e-324, 2.2250738585072014e-308,
                           std::numeric_limits<double>::infinity(), std::numeric_limits<double>::max()};
  TMemoryStream s;
  TWriter writer(s);
  for (double v : values) writer.WriteFloat(v);
  writer.WriteFloat(std::nan(""));
  s.SetPosition(0);
  TReader reader(s);
  for (double v : values) {
    const double got = reader.ReadFloat();
    EXPECT_EQ(got, v);
    EXPECT_EQ(std::signbit(got), std::signbit(v));
  }
  EXPECT_TRUE(std::isnan(reader.ReadFloat()));
  // Beyond double's range.
  auto big = StreamOf(Bytes({0x05, 0, 0, 0, 0, 0, 0, 0, 0x80, 0xFE, 0x7F}));
  EXPECT_EQ(TReader(*big).ReadFloat(), std::numeric_limits<double>::infinity());
}

TEST(FilerValues, OtherNumberTagsAndIdents) {
  // Single 2.5, currency 1.2345, date 3.0, int16 -2, qword 5.
  auto s = StreamOf(Bytes({0x0F, 0, 0, 0x20, 0x40, 0x10, 0x39, 0x30, 0, 0, 0, 0, 0, 0, 0x11, 0, 0, 0, 0, 0, 0, 8,
                           0x40, 0x03, 0xFE, 0xFF, 0x16, 5, 0, 0, 0, 0, 0, 0, 0, 0x16, 0, 0, 0, 0, 0, 0, 0, 0x80}) +
                    Bytes({0x13, 0, 0, 0, 0x80, 0, 0, 0, 0, 0x08, 0x09, 0x0D, 0x00, 0x07, 2}) + "id");
  TReader r(*s);
  EXPECT_EQ(r.ReadFloat(), 2.5);
  EXPECT_DOUBLE_EQ(r.ReadFloat(), 1.2345);
  EXPECT_EQ(r.ReadFloat(), 3.0);
  EXPECT_EQ(r.ReadFloat(), -2.0);
  EXPECT_EQ(r.ReadInt64(), 5);
  EXPECT_THROW(r.ReadInt64(), EReadError);  // a qword beyond int64_t
  EXPECT_THROW(r.ReadInteger(), EReadError);  // an int64 beyond int32_t
  EXPECT_EQ(r.ReadIdent(), L"False");
  EXPECT_EQ(r.ReadIdent(), L"True");
  EXPECT_EQ(r.ReadIdent(), L"nil");
  EXPECT_EQ(r.ReadIdent(), L"Null");
  EXPECT_EQ(r.ReadIdent(), L"id");
}

TEST(FilerValues, IdentifiersOrNumbersForIntegersWithIdents) {
  auto s = StreamOf(Str("Color") + Bytes({0x07}) + Str("CLWINDOW") + Bytes({0}) + Str("Color") + Bytes({2, 77, 0}));
  TTestWidget w(nullptr);
  TReader reader(*s);
  reader.ReadProperties(&w);
  EXPECT_EQ(w.Color, -16777211);
  reader.ReadProperties(&w);
  EXPECT_EQ(w.Color, 77);
}

TEST(FilerValues, ACollectionInTheStreamReplacesTheItems) {
  TTestWidget w(nullptr);
  w.Items.Add();
  w.Items.Add();
  auto s = StreamOf(Str("Items") + Bytes({0x0E, 0, 0}));
  TReader(*s).ReadProperties(&w);
  EXPECT_EQ(w.Items.Count(), 0);
}

}  // namespace
