// DefineEditText from hand-written bytes: every optional part, the movie's
// text encoding, and cut-off bodies.
#include <gtest/gtest.h>

#include <string>
#include <variant>

#include "reader_bytes.h"
#include "renderers/engine/reader.h"

using namespace swftest;

namespace {

// A field of 2000 x 400 twips with the given flag bytes and the parts they ask for.
Bytes EditTextBody(uint8_t F1, uint8_t F2, const std::string& Text = "Hi") {
  Bits b;
  b.U16(5).Rect(0, 2000, 0, 400, 13).U8(F1).U8(F2);
  if (F1 & 0x01) b.U16(1);                      // font id
  if (F2 & 0x80) b.Str("MyFont");               // font class
  if ((F1 & 0x01) || (F2 & 0x80)) b.U16(360);   // height
  if (F1 & 0x04) b.Rgba(10, 20, 30, 40);        // colour
  if (F1 & 0x02) b.U16(12);                     // max length
  if (F2 & 0x20) b.U8(2).U16(20).U16(40).U16(60).U16(static_cast<uint16_t>(-80));  // layout
  b.Str("_root.v");
  if (F1 & 0x80) b.Str(Text);
  return b;
}

swf::EditText Field(const Bytes& Body, uint8_t Version = 8) {
  const Bytes m = Movie(Cat({Tag(37, Body), ShowFrame()}), false, Version);
  auto movie = swf::LoadMovie(m.data(), m.size(), {});
  return std::get<swf::EditText>(movie->dictionary.at(5));
}

}  // namespace

TEST(ReaderEditText, FlagsAndOptionalParts) {
  struct Case {
    uint8_t f1, f2;
  };
  for (const Case c : {Case{0x00, 0x00}, Case{0xFF, 0x7F}, Case{0x80, 0xFF}, Case{0x55, 0xAA}, Case{0xAA, 0x55}}) {
    SCOPED_TRACE(std::to_string(c.f1) + "/" + std::to_string(c.f2));
    const swf::EditText t = Field(EditTextBody(c.f1, c.f2));
    EXPECT_EQ(t.bounds, (swf::Rect{0, 0, 2000, 400}));
    EXPECT_EQ(t.wordWrap, bool(c.f1 & 0x40));
    EXPECT_EQ(t.multiline, bool(c.f1 & 0x20));
    EXPECT_EQ(t.password, bool(c.f1 & 0x10));
    EXPECT_EQ(t.readOnly, bool(c.f1 & 0x08));
    EXPECT_EQ(t.autoSize, bool(c.f2 & 0x40));
    EXPECT_EQ(t.noSelect, bool(c.f2 & 0x10));
    EXPECT_EQ(t.border, bool(c.f2 & 0x08));
    EXPECT_EQ(t.wasStatic, bool(c.f2 & 0x04));
    EXPECT_EQ(t.html, bool(c.f2 & 0x02));
    EXPECT_EQ(t.useOutlines, bool(c.f2 & 0x01));
    EXPECT_EQ(t.fontId.has_value(), bool(c.f1 & 0x01));
    EXPECT_EQ(t.fontClass, (c.f2 & 0x80) ? "MyFont" : "");
    EXPECT_EQ(t.fontHeight, (c.f1 & 0x01) || (c.f2 & 0x80) ? 360 : 240);
    EXPECT_EQ(t.color, (c.f1 & 0x04) ? (swf::RGBA{10, 20, 30, 40}) : (swf::RGBA{0, 0, 0, 255}));
    EXPECT_EQ(t.maxLength.has_value(), bool(c.f1 & 0x02));
    if (c.f2 & 0x20) {
      EXPECT_EQ(t.align, swf::TextAlign::Center);
      EXPECT_EQ(t.leftMargin, 20);
      EXPECT_EQ(t.rightMargin, 40);
      EXPECT_EQ(t.indent, 60);
      EXPECT_EQ(t.leading, -80);
    } else {
      EXPECT_EQ(t.align, swf::TextAlign::Left);
    }
    EXPECT_EQ(t.variableName, "_root.v");
    EXPECT_EQ(t.initialText, (c.f1 & 0x80) ? "Hi" : "");
  }
}

TEST(ReaderEditText, TextIsUtf8FromVersion6AndLatin1Before) {
  struct Case {
    uint8_t version;
    std::string stored, held;
  };
  for (const Case& c : {Case{6, "caf\xC3\xA9", "caf\xC3\xA9"}, Case{5, "caf\xE9", "caf\xC3\xA9"},
                        Case{4, "\xFF", "\xC3\xBF"}, Case{8, "plain", "plain"}})
    EXPECT_EQ(Field(EditTextBody(0x80, 0, c.stored), c.version).initialText, c.held) << int(c.version);
}

TEST(ReaderEditText, CutOffBodiesAreRefusedAndCutOffMoviesNoted) {
  const Bytes body = EditTextBody(0xFF, 0xFF);
  for (size_t n = 0; n < body.size(); ++n) {
    const Bytes m = Movie(Cat({Tag(37, Bytes(body.begin(), body.begin() + static_cast<long>(n))), ShowFrame()}));
    EXPECT_THROW(swf::LoadMovie(m.data(), m.size(), {}), swf::FormatError) << n;
  }
  const Bytes whole = Movie(Cat({Tag(37, body), ShowFrame()}));
  for (size_t n = 13; n < whole.size(); ++n) {
    try {
      auto part = swf::LoadMovie(whole.data(), n, {});
      EXPECT_FALSE(part->loadNotes.empty()) << n;
    } catch (const swf::FormatError&) {
    }
  }
}
