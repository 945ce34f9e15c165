// The FLV container and its AMF0 script data: tags cut from a stream that
// arrives in pieces, onMetaData, and the errors of damaged input.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "renderers/engine/model.h"
#include "renderers/engine/src/video/flv.h"

namespace {

using swf::video::AmfValue;
using swf::video::FlvReader;
using swf::video::FlvTag;
using Bytes = std::vector<uint8_t>;

void Put(Bytes& B, uint64_t V, int N) {
  for (int i = N - 1; i >= 0; --i) B.push_back(static_cast<uint8_t>(V >> (8 * i)));
}
void PutDouble(Bytes& B, double D) {
  uint64_t bits;
  std::memcpy(&bits, &D, sizeof bits);
  Put(B, bits, 8);
}
void PutName(Bytes& B, const std::string& S) {
  Put(B, S.size(), 2);
  B.insert(B.end(), S.begin(), S.end());
}
void PutTag(Bytes& B, uint8_t Type, uint32_t Time, const Bytes& Data) {
  Put(B, Type, 1);
  Put(B, Data.size(), 3);
  Put(B, Time & 0xFFFFFF, 3);
  Put(B, Time >> 24, 1);
  Put(B, 0, 3);
  B.insert(B.end(), Data.begin(), Data.end());
  Put(B, 11 + Data.size(), 4);
}
Bytes Header(uint8_t Flags = 5, uint32_t Offset = 9) {
  Bytes b = {'F', 'L', 'V', 1, Flags};
  Put(b, Offset, 4);
  b.resize(Offset, 0);  // padding a larger offset leaves
  Put(b, 0, 4);
  return b;
}
// An onMetaData tag's payload: an ECMA array of the members given.
Bytes MetaData(double Duration, double Width, double Height, double Rate) {
  Bytes b = {0x02};
  PutName(b, "onMetaData");
  b.push_back(0x08);
  Put(b, 5, 4);
  for (auto [name, v] : {std::pair<const char*, double>{"duration", Duration}, {"width", Width}, {"height", Height},
                         {"framerate", Rate}}) {
    PutName(b, name);
    b.push_back(0x00);
    PutDouble(b, v);
  }
  PutName(b, "encoder");
  b.push_back(0x02);
  PutName(b, "Lavf");
  PutName(b, "");
  b.push_back(0x09);
  return b;
}

std::string Describe(const std::vector<FlvTag>& Tags) {
  std::string out;
  for (const FlvTag& t : Tags)
    out += std::to_string(t.type) + "@" + std::to_string(t.timestamp) + "/" + std::to_string(t.offset) + ":" +
           std::to_string(t.data.size()) +
           (t.Is(FlvTag::Kind::Video) ? "f" + std::to_string(t.frameType) + "c" + std::to_string(t.codec) : "") + " ";
  return out;
}

TEST(VideoFlv, TagsComeOutWhateverPiecesTheStreamArrivesIn) {
  struct Sent {
    uint8_t type;
    uint32_t time;
    Bytes data;
    const char* video;  // frame type and codec read from a video tag
  } sent[] = {
      {18, 0, MetaData(10, 320, 240, 25), ""},
      {9, 0, {0x12, 0xAA, 0xBB}, "f1c2"},  // keyframe, Sorenson
      {8, 20, {0x2F, 1, 2, 3, 4}, ""},     // audio
      {9, 40, {0x23}, "f2c3"},             // inter frame, Screen Video
      {9, 0x01000010, {0x54}, "f5c4"},     // extended timestamp; a VP6 info frame
      {31, 50, {}, ""},                    // an unknown type passes through
  };
  Bytes s = Header(5, 12);  // three bytes of padding after the header
  std::string want;
  for (const Sent& t : sent) {
    want += std::to_string(t.type) + "@" + std::to_string(t.time) + "/" + std::to_string(s.size()) + ":" +
            std::to_string(t.data.size()) + t.video + " ";
    PutTag(s, t.type, t.time, t.data);
  }
  for (size_t piece : {s.size(), size_t{1}, size_t{7}, size_t{16}}) {
    FlvReader r;
    std::vector<FlvTag> tags;
    for (size_t at = 0; at < s.size(); at += piece) {
      auto more = r.Append(s.data() + at, std::min(piece, s.size() - at));
      tags.insert(tags.end(), more.begin(), more.end());
    }
    EXPECT_TRUE(r.HasAudio() && r.HasVideo());
    EXPECT_EQ(r.BytesReceived(), s.size());
    EXPECT_EQ(Describe(tags), want) << "in pieces of " << piece;
    ASSERT_EQ(tags.size(), 6u);
    EXPECT_EQ(tags[1].data, (Bytes{0x12, 0xAA, 0xBB}));
  }
}

TEST(VideoFlv, ACutStreamGivesTheTagsItHoldsAndWaitsForTheRest) {
  Bytes s = Header();
  PutTag(s, 9, 0, {0x12, 1, 2, 3});
  PutTag(s, 9, 40, {0x22, 4, 5, 6});
  FlvReader r;
  EXPECT_EQ(r.Append(s.data(), s.size() - 6).size(), 1u);
  EXPECT_EQ(r.Append(s.data() + s.size() - 6, 6).size(), 1u);
  EXPECT_TRUE(r.Append(nullptr, 0).empty());
}

TEST(VideoFlv, StreamsThatAreNotFlvAreRefused) {
  struct Case {
    Bytes bytes;
    const char* message;
  } cases[] = {
      {{'F', 'W', 'S'}, "does not begin with \"FLV\""},
      {{'C', 'W'}, "does not begin with \"FLV\""},
      {{'F', 'L', 'V', 2, 5, 0, 0, 0, 9}, "version 2 is not 1"},
      {{'F', 'L', 'V', 1, 5, 0, 0, 0, 5}, "the body begins at 5, inside the header"},
  };
  for (const Case& c : cases) {
    FlvReader r;
    try {
      r.Append(c.bytes.data(), c.bytes.size());
      ADD_FAILURE() << c.message;
    } catch (const swf::FormatError& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
    }
  }
  FlvReader partial;  // "FL" may still become "FLV"
  EXPECT_NO_THROW(partial.Append(reinterpret_cast<const uint8_t*>("FL"), 2));
}

TEST(VideoFlv, MetaDataAndAmfValues) {
  FlvTag t;
  t.type = 18;
  t.data = MetaData(12.5, 640, 480, 29.97);
  const auto m = swf::video::ReadMetaData(t);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->duration, 12.5);
  EXPECT_EQ(m->width, 640);
  EXPECT_EQ(m->height, 480);
  EXPECT_EQ(m->frameRate, 29.97);
  ASSERT_TRUE(m->all.Member("encoder"));
  EXPECT_EQ(m->all.Member("encoder")->string, "Lavf");

  // Every kind of value, in an object.
  Bytes b = {0x03};
  PutName(b, "b"), b.push_back(0x01), b.push_back(1);
  PutName(b, "n"), b.push_back(0x05);
  PutName(b, "u"), b.push_back(0x06);
  PutName(b, "d"), b.push_back(0x0B), PutDouble(b, 1e12), Put(b, 0, 2);
  PutName(b, "a"), b.push_back(0x0A), Put(b, 2, 4), b.push_back(0x00), PutDouble(b, 1), b.push_back(0x0C), Put(b, 1, 4),
      b.push_back('x');
  PutName(b, "t"), b.push_back(0x10), PutName(b, "Cls"), PutName(b, ""), b.push_back(0x09);
  PutName(b, ""), b.push_back(0x09);
  size_t pos = 0;
  const AmfValue v = swf::video::ReadAmf0(b.data(), b.size(), pos);
  EXPECT_EQ(pos, b.size());
  ASSERT_EQ(v.members.size(), 6u);
  EXPECT_EQ(v.Member("b")->number, 1);
  EXPECT_EQ(v.Member("n")->type, AmfValue::Type::Null);
  EXPECT_EQ(v.Member("u")->type, AmfValue::Type::Undefined);
  EXPECT_EQ(v.Member("d")->number, 1e12);
  ASSERT_EQ(v.Member("a")->items.size(), 2u);
  EXPECT_EQ(v.Member("a")->items[1].string, "x");
  EXPECT_EQ(v.Member("t")->string, "Cls");

  // Another script tag is no metadata.
  t.data = {0x02};
  PutName(t.data, "onCuePoint");
  EXPECT_FALSE(swf::video::ReadMetaData(t));
}

TEST(VideoFlv, DamagedAmfIsAClearError) {
  Bytes nested;  // strict arrays of one item, nested past the limit
  for (int i = 0; i < 70; ++i) nested.push_back(0x0A), Put(nested, 1, 4);
  struct Case {
    Bytes bytes;
    const char* message;
  } cases[] = {
      {{0x00, 1, 2}, "a value is cut off"},
      {{0x07, 0, 1}, "unknown type marker 7 at offset 0"},
      {{0x0A, 0xFF, 0xFF, 0xFF, 0xFF}, "a strict array of 4294967295 items runs past the end"},
      {{0x03, 0, 1, 'a'}, "a value is cut off"},
      {nested, "nested deeper than 64"},
  };
  for (const Case& c : cases) {
    size_t pos = 0;
    try {
      swf::video::ReadAmf0(c.bytes.data(), c.bytes.size(), pos);
      ADD_FAILURE() << c.message;
    } catch (const swf::FormatError& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
      EXPECT_EQ(std::string(e.what()).rfind("AMF0: ", 0), 0u);
    }
  }
}

}  // namespace
