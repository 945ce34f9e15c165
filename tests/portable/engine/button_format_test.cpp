// DefineButton and DefineButton2: reading hand-made tags, writing and reading
// back, and the malformed records that must end in a FormatError.
#include <gtest/gtest.h>

#include "renderers/engine/reader.h"
#include "renderers/engine/writer.h"
#include "tests/portable/engine/reader_bytes.h"
#include "tests/portable/engine/writer_test_util.h"
#include "tools/swfc/compile.h"

namespace {

using namespace swftest;

std::string LoadError(const Bytes& B) {
  try {
    swf::LoadMovie(B.data(), B.size());
  } catch (const swf::FormatError& e) {
    return e.what();
  }
  return "";
}

const swf::Button& ButtonOf(const swf::Movie& M, uint16_t Id) {
  return std::get<swf::Button>(M.dictionary.at(Id));
}

// A DefineButton2 body: id 5, a menu button with two records (the second
// with a colour transform, a blur filter and a blend mode) and two condition
// actions: press (07 00) and the key 'a' with drag out (06 00).
Bytes Button2Body() {
  Bits b;
  b.U16(5).U8(0x01);  // id, track as menu
  const size_t offsetAt = b.Out().size();
  b.U16(0);                                    // action offset, patched below
  b.U8(0x01 | 0x08).U16(1).U16(1).Identity();  // up + hit: character 1 at depth 1
  b.UB(0, 1).UB(0, 1).UB(1, 4).Align();        // cxform: none (4 bits wide)
  b.U8(0x02 | 0x04 | 0x10 | 0x20).U16(1).U16(2).Matrix(1, 0, 0, 1, 40, -20);  // over + down, filters, blend
  b.UB(0, 1).UB(1, 1).UB(10, 4).SB(128, 10).SB(256, 10).SB(256, 10).SB(200, 10).Align();  // multipliers
  b.U8(1).U8(1).Raw(Bytes(9, 0));                                                         // one blur filter
  b.U8(3);                                                                                // blend mode
  b.U8(0);                                                                                // end of records
  Bytes out = b;
  const size_t first = out.size() - offsetAt;
  out[offsetAt] = static_cast<uint8_t>(first);
  out[offsetAt + 1] = static_cast<uint8_t>(first >> 8);
  const Bytes press = Bits().U16(6).U8(0x04).U8(0x00).Raw({0x07, 0x00});
  const Bytes key = Bits().U16(0).U8(0x10).U8('a' << 1 | 1).Raw({0x06, 0x00});
  return Cat({out, press, key});
}

swf::Movie Reload(const swf::Movie& M) {
  const Bytes bytes = swf::WriteMovie(M, false);
  return *swf::LoadMovie(bytes.data(), bytes.size());
}

TEST(ButtonFormat, DefineButton2RecordsAndConditionActions) {
  auto m = swf::LoadMovie(Movie(Cat({Tag(34, Button2Body()), ShowFrame()})).data(),
                          Movie(Cat({Tag(34, Button2Body()), ShowFrame()})).size());
  const swf::Button& b = ButtonOf(*m, 5);
  EXPECT_EQ(b.tagVersion, 2);
  EXPECT_TRUE(b.trackAsMenu);
  ASSERT_EQ(b.records.size(), 2u);
  const swf::ButtonRecord& r0 = b.records[0];
  EXPECT_TRUE(r0.up && r0.hit && !r0.over && !r0.down);
  EXPECT_EQ(r0.characterId, 1);
  EXPECT_EQ(r0.depth, 1);
  EXPECT_TRUE(r0.cxform.IsIdentity());
  EXPECT_TRUE(r0.filters.empty());
  EXPECT_FALSE(r0.blendMode);
  const swf::ButtonRecord& r1 = b.records[1];
  EXPECT_TRUE(!r1.up && !r1.hit && r1.over && r1.down);
  EXPECT_EQ(r1.depth, 2);
  EXPECT_EQ(r1.matrix.tx, 40);
  EXPECT_EQ(r1.matrix.ty, -20);
  EXPECT_EQ(r1.cxform.multR, 128);
  EXPECT_EQ(r1.cxform.multA, 200);
  EXPECT_EQ(r1.filters.size(), 11u);  // count, kind, nine bytes
  EXPECT_EQ(r1.blendMode, 3);
  ASSERT_EQ(b.actions.size(), 2u);
  EXPECT_EQ(b.actions[0].conditions, swf::kOverUpToOverDown);
  EXPECT_EQ(b.actions[0].keyCode, 0);
  EXPECT_EQ(b.actions[0].actions, (Bytes{0x07, 0x00}));
  EXPECT_EQ(b.actions[1].conditions, swf::kOverDownToOutDown | swf::kOverDownToIdle);
  EXPECT_EQ(b.actions[1].keyCode, 'a');
  EXPECT_EQ(b.actions[1].actions, (Bytes{0x06, 0x00}));

  // Written and read back: the same button, to the bit.
  EXPECT_EQ(ButtonOf(Reload(*m), 5), b);
}

TEST(ButtonFormat, DefineButtonActionsRunOnRelease) {
  Bits body;
  body.U16(3)
      .U8(0x0F)
      .U16(9)
      .U16(4)
      .Matrix(2, 0, 0, 2, 100, 0)
      .U8(0)
      .Raw({0x96, 0x02, 0x00, 0x00, 0x00, 0x07, 0x00});
  const Bytes movie = Movie(Cat({Tag(7, body), ShowFrame()}));
  auto m = swf::LoadMovie(movie.data(), movie.size());
  const swf::Button& b = ButtonOf(*m, 3);
  EXPECT_EQ(b.tagVersion, 1);
  ASSERT_EQ(b.records.size(), 1u);
  EXPECT_TRUE(b.records[0].up && b.records[0].over && b.records[0].down && b.records[0].hit);
  EXPECT_EQ(b.records[0].matrix.a, 2);
  ASSERT_EQ(b.actions.size(), 1u);
  EXPECT_EQ(b.actions[0].conditions, swf::kOverDownToOverUp);
  EXPECT_EQ(b.actions[0].actions.size(), 7u);
  // Written back as DefineButton.
  const auto tags = writer_test::FileTags(swf::WriteMovie(*m, false));
  EXPECT_TRUE(std::any_of(tags.begin(), tags.end(), [](const auto& t) { return t.code == 7; }));
  EXPECT_EQ(ButtonOf(Reload(*m), 3), b);

  // Without actions the tag ends after the records.
  const Bytes bare = Movie(Cat({Tag(7, Bits().U16(3).U8(0x01).U16(9).U16(1).Identity().U8(0)), ShowFrame()}));
  EXPECT_TRUE(ButtonOf(*swf::LoadMovie(bare.data(), bare.size()), 3).actions.empty());
}

TEST(ButtonFormat, WriterPicksTheVersionThatHoldsTheButton) {
  swf::Movie m;
  m.frameSize = {0, 0, 2000, 2000};
  m.timeline.frames.resize(1);
  swf::Button v1;
  v1.tagVersion = 1;
  v1.records.push_back({true, true, true, true, 9, 1, {}, {}, {}, {}});
  v1.actions.push_back({swf::kOverDownToOverUp, 0, {0x07, 0x00}});
  swf::Button needs2 = v1;  // a key action does not fit DefineButton
  needs2.actions.push_back({0, 13, {0x06, 0x00}});
  swf::Button empty;  // no records, no actions
  m.dictionary.emplace(1, v1);
  m.dictionary.emplace(2, needs2);
  m.dictionary.emplace(3, empty);
  const swf::Movie back = Reload(m);
  EXPECT_EQ(ButtonOf(back, 1), v1);
  swf::Button expect2 = needs2;
  expect2.tagVersion = 2;
  EXPECT_EQ(ButtonOf(back, 2), expect2);
  EXPECT_EQ(ButtonOf(back, 3), empty);

  // What the format cannot hold is refused, not written corrupt.
  swf::Movie bad = m;
  std::get<swf::Button>(bad.dictionary.at(3)).records.push_back({});  // in no state: would end the records
  EXPECT_THROW(swf::WriteMovie(bad, false), swf::FormatError);
  bad = m;
  std::get<swf::Button>(bad.dictionary.at(3)).actions.push_back({0, 200, {}});
  EXPECT_THROW(swf::WriteMovie(bad, false), swf::FormatError);
  bad = m;
  swf::ButtonRecord filtered{true, false, false, false, 1, 1, {}, {}, {}, {1, 9, 0}};  // unknown filter kind
  std::get<swf::Button>(bad.dictionary.at(3)).records.push_back(filtered);
  EXPECT_THROW(swf::WriteMovie(bad, false), swf::FormatError);
  bad = m;
  std::get<swf::Button>(bad.dictionary.at(3))
      .records.push_back({true, false, false, false, 3, 1, {}, {}, {}, {}});
  EXPECT_THROW(swf::WriteMovie(bad, false), swf::FormatError);  // a button inside itself
}

TEST(ButtonFormat, SwfcButtonsSurviveTheRoundTrip) {
  const swf::Movie m = swfc::Parse(R"(
shape box
  fill f solid red
  rect 0 0 10 10 fill f
end
sprite spin
  place box 1
end
button b
  up box
  over+down spin depth 3 at 5 5 mult 1 0.5 1
  hit box scale 2
  on press release action 07 00
  on key left action 06
  action 00
  on dragover rollout
end
button old
  version 1
  up+over+down+hit box
  on release action 07 00
end
place b 1 name go
place old 2
)");
  const swf::Movie back = Reload(m);
  EXPECT_EQ(ButtonOf(back, 3), ButtonOf(m, 3));
  EXPECT_EQ(ButtonOf(back, 4), ButtonOf(m, 4));
  const swf::Button& b = ButtonOf(m, 3);
  ASSERT_EQ(b.records.size(), 3u);
  EXPECT_EQ(b.records[0].depth, 1);
  EXPECT_EQ(b.records[1].depth, 3);
  EXPECT_EQ(b.records[2].depth, 3);  // the record's position
  ASSERT_EQ(b.actions.size(), 3u);
  EXPECT_EQ(b.actions[0].conditions, swf::kOverUpToOverDown | swf::kOverDownToOverUp);
  EXPECT_EQ(b.actions[1].keyCode, 1);
  EXPECT_EQ(b.actions[1].actions, (Bytes{0x06, 0x00}));
  EXPECT_EQ(b.actions[2].conditions, swf::kOutDownToOverDown | swf::kIdleToOverDown | swf::kOverUpToIdle);
  EXPECT_EQ(ButtonOf(back, 4).tagVersion, 1);
}

TEST(ButtonFormat, MalformedButtonsAreErrors) {
  auto load = [](const Bytes& Body, uint16_t Code = 34) {
    return LoadError(Movie(Cat({Tag(Code, Body), ShowFrame()})));
  };
  const Bytes good = Button2Body();
  ASSERT_EQ(load(good), "");
  // Cut anywhere inside the records: never read past the tag.
  for (size_t n = 0; n < 44; ++n)
    EXPECT_NE(load(Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n))), "") << n;
  // The action offset pointing back into the records, or past the tag.
  Bytes back = good;
  back[3] = 2;
  back[4] = 0;
  EXPECT_NE(load(back).find("action offset"), std::string::npos) << load(back);
  Bytes past = good;
  past[3] = 0xF0;
  EXPECT_NE(load(past).find("action offset"), std::string::npos);
  // A condition action shorter than its header, or longer than the tag.
  const Bytes records(good.begin(), good.end() - 12);
  EXPECT_NE(load(Cat({records, Bits().U16(3).U8(4).U8(0)})).find("shorter"), std::string::npos);
  EXPECT_NE(load(Cat({records, Bits().U16(40).U8(4).U8(0).Raw({7, 0})})).find("past the end"),
            std::string::npos);
  // A filter of a kind the format does not have, and a cut filter list.
  Bits f;
  f.U16(5).U8(0).U16(0).U8(0x11).U16(1).U16(1).Identity().UB(0, 1).UB(0, 1).UB(1, 4).Align().U8(1).U8(9);
  EXPECT_NE(load(Cat({f, Bytes(30, 0)})).find("filter"), std::string::npos);
  Bits cut;
  cut.U16(5).U8(0).U16(0).U8(0x11).U16(1).U16(1).Identity().UB(0, 1).UB(0, 1).UB(1, 4).Align().U8(1).U8(0);
  EXPECT_NE(load(Cat({cut, Bytes(10, 0)})).find("filter"), std::string::npos);
  // DefineButton without the end of its records.
  EXPECT_NE(load(Bits().U16(3).U8(0x01).U16(9).U16(1).Identity(), 7), "");
  // Defined twice.
  EXPECT_NE(LoadError(Movie(Cat({Tag(34, good), Tag(34, good), ShowFrame()}))).find("twice"),
            std::string::npos);
}

}  // namespace

namespace {

TEST(ButtonSwfc, MistakesInAButtonNameTheLine) {
  const std::string shape = "shape s\n  fill f solid red\n  rect 0 0 10 10 fill f\nend\n";  // lines 1-4
  const std::pair<std::string, const char*> cases[] = {
      {"button b\n  up s\n", "'button' block has no 'end'"},
      {"button b\n  sideways s\nend\n", "a button holds up, over, down and hit records"},
      {"button b\n  up+left s\nend\n", "a button state is up, over, down or hit, not 'left'"},
      {"button b\n  up nothing\nend\n", "'nothing' is not defined"},
      {"button b\n  up s depth 0\nend\n", "depth 0 is outside"},
      {"button b\n  up s depth 1 depth 2\nend\n", "'depth' given twice"},
      {"button b\n  on press action 0g\nend\n", "not hex"},
      {"button b\n  on press action\nend\n", "needs its bytes"},
      {"button b\n  on\nend\n", "'on' needs a condition"},
      {"button b\n  on click\nend\n", "a condition is press, release"},
      {"button b\n  on key F1\nend\n", "a key is one printable character"},
      {"button b\n  on key a key b\nend\n", "one key per 'on'"},
      {"button b\n  action 00\nend\n", "'action' in a button belongs after an 'on'"},
      {"button b\n  version 1\n  up s mult 1 0 0\nend\n", "a version 1 button"},
      {"button b\n  version 1\n  on press action 00\nend\n", "a version 1 button"},
      {"button b\n  up s\n  button c\nend\n", "inside a button"},
      {"button s\nend\n", "'s' is already defined"},
  };
  for (const auto& [text, message] : cases) {
    try {
      swfc::Parse(shape + text);
      ADD_FAILURE() << "compiled: " << text;
    } catch (const swfc::CompileError& e) {
      EXPECT_NE(e.message().find(message), std::string::npos) << text << " -> " << e.what();
      EXPECT_GE(e.line(), 5) << text;
    }
  }
  // A button cannot hold itself: names are used after their definition.
  EXPECT_THROW(swfc::Parse("button b\n  up b\nend\n"), swfc::CompileError);
}

}  // namespace
