// Tags the reader reads without drawing: each row is hand-written bytes and
// what the loaded movie must show for them; then initialising actions run by
// a playing movie.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <variant>

#include "movie_fakes.h"
#include "reader_bytes.h"
#include "renderers/engine/reader.h"

namespace {

using namespace swftest;

// SOUNDINFO with in and out points, a loop count and a two-point envelope.
Bytes FullSoundInfo() {
  Bits b;
  b.U8(0x0F).U32(10).U32(2000).U16(3).U8(2);
  for (int i = 0; i < 2; ++i) b.U32(44).U16(0x8000).U16(0x8000);
  return b;
}

// A rectangle shape 1 (for buttons and sprites to show).
Bytes Shape1() {
  Bits b;
  b.U16(1).Rect(0, 200, 0, 200, 10).U8(1).U8(0).Rgb(255, 0, 0).U8(0).UB(1, 4).UB(0, 4);
  b.UB(0, 1).UB(0x03, 5).UB(1, 5).SB(0, 1).SB(0, 1).UB(1, 1);            // move to 0,0 with fill 1
  b.UB(3, 2).UB(7, 4).UB(0, 1).UB(0, 1).SB(200, 9);                       // right 200
  b.UB(3, 2).UB(7, 4).UB(0, 1).UB(1, 1).SB(200, 9);                       // down 200
  b.UB(3, 2).UB(7, 4).UB(0, 1).UB(0, 1).SB(-200, 9);                      // left 200
  b.UB(0, 6).Align();
  return Tag(2, b);
}

struct Row {
  const char* name;
  Bytes tags;
  std::function<void(const swf::Movie&)> check;
};

void NoNotes(const swf::Movie& M) { EXPECT_TRUE(M.loadNotes.empty()) << M.loadNotes.front(); }

TEST(ReaderOtherTags, ReadNotSkippedBlindly) {
  const Row rows[] = {
      {"init actions", Cat({Tag(59, Bits().U16(7).U8(0x07).U8(0)), ShowFrame()}),
       [](const swf::Movie& M) {
         const auto& init = M.timeline.frames.at(0).initActions;
         ASSERT_EQ(init.size(), 1u);
         EXPECT_EQ(init[0].spriteId, 7);
         EXPECT_EQ(init[0].actions, (Bytes{0x07, 0x00}));
       }},
      {"a sound, placed by a sprite and started",
       Cat({Tag(14, Bits().U16(5).U8(0x2E).U32(4410).U8(1).U8(2)),
            Tag(39, Cat({Bits().U16(6).U16(1), Tag(26, Bits().U8(0x02).U16(1).U16(5)), ShowFrame(), Tag(0, {})})),
            Tag(15, Cat({Bits().U16(5), FullSoundInfo()})), Tag(15, Bits().U16(5).U8(0x20)),
            Tag(89, Cat({Bits().Str("Snd"), FullSoundInfo()})), ShowFrame()}),
       [](const swf::Movie& M) {
         NoNotes(M);
         ASSERT_TRUE(std::holds_alternative<swf::Sound>(M.dictionary.at(5)));
         EXPECT_EQ(std::get<swf::Sound>(M.dictionary.at(5)).sampleCount, 4410u);
         EXPECT_EQ(std::get<swf::Sprite>(M.dictionary.at(6)).timeline.frames.at(0).tags.size(), 1u);
       }},
      {"sound streams, with and without the MP3 latency, and button sounds",
       Cat({Tag(18, Bits().U8(0x0E).U8(0x2E).U16(576).U16(0)), Tag(45, Bits().U8(0x0E).U8(0x2E).U16(576)),
            Tag(19, Bytes(40, 0xAA)), Tag(17, Cat({Bits().U16(3).U16(0).U16(5), FullSoundInfo(), Bits().U16(0).U16(0)})),
            ShowFrame()}),
       NoNotes},
      {"a button colour transform on a DefineButton",
       Cat({Shape1(), Tag(7, Cat({Bits().U16(3).U8(0x0F).U16(1).U16(1).Identity(), Bits().U8(0).U8(0)})),
            Tag(23, Cat({Bits().U16(3), Bits().UB(1, 1).UB(0, 1).UB(9, 4).SB(100, 9).SB(-50, 9).SB(0, 9).Align()})),
            ShowFrame()}),
       [](const swf::Movie& M) {
         NoNotes(M);
         const auto& rec = std::get<swf::Button>(M.dictionary.at(3)).records.at(0);
         EXPECT_EQ(rec.cxform.addR, 100);
         EXPECT_EQ(rec.cxform.addG, -50);
         EXPECT_EQ(rec.cxform.multR, 256);
       }},
      {"a button colour transform naming no DefineButton", Cat({Tag(23, Bits().U16(9).U8(0)), ShowFrame()}),
       [](const swf::Movie& M) { EXPECT_EQ(M.loadNotes.size(), 1u); }},
      {"script limits", Cat({Tag(65, Bits().U16(40).U16(15)), ShowFrame()}),
       [](const swf::Movie& M) {
         EXPECT_EQ(M.maxRecursionDepth, 40);
         EXPECT_EQ(M.scriptTimeoutSeconds, 15);
       }},
      {"tags about the file",
       Cat({Tag(69, Bits().U32(0x19)), Tag(77, Bits().Str("<rdf/>")), Tag(41, Bytes(26, 1)), Tag(24, {}),
            Tag(24, Bits().Str("hash")), Tag(58, {}), Tag(64, Bits().U16(0).Str("hash")),
            Tag(66, Bits().U16(1).U16(2)), ShowFrame()}),
       NoNotes},
      {"a named anchor", Cat({Tag(43, Bits().Str("top").U8(1)), ShowFrame()}),
       [](const swf::Movie& M) { EXPECT_EQ(M.timeline.frames.at(0).label, "top"); }},
      {"scene and frame labels",
       Cat({Tag(86, Bits().U8(1).U8(0).Str("Scene 1").U8(2).U8(1).Str("one").U8(0x80).U8(0x01).Str("far")),
            ShowFrame(), Tag(43, Bits().Str("own")), ShowFrame(), ShowFrame()}),
       [](const swf::Movie& M) {
         NoNotes(M);
         ASSERT_EQ(M.timeline.frames.size(), 3u);
         EXPECT_EQ(M.timeline.frames[0].label, "");
         EXPECT_EQ(M.timeline.frames[1].label, "own");  // the frame's own label wins
       }},
      {"scene labels for frames without one", Cat({Tag(86, Bits().U8(0).U8(1).U8(1).Str("one")), ShowFrame(), ShowFrame()}),
       [](const swf::Movie& M) { EXPECT_EQ(M.timeline.frames.at(1).label, "one"); }},
      {"cut-off sound and scene tags are passed over",
       Cat({Tag(15, Bits().U16(5).U8(0x08).U8(3)), Tag(86, Bits().U8(2).U8(0)), Tag(65, Bits().U8(1)), ShowFrame()}),
       [](const swf::Movie& M) { EXPECT_EQ(M.loadNotes.size(), 3u); }},
      {"a sprite with sound, labels and actions",
       Cat({Tag(39, Cat({Bits().U16(6).U16(2), Tag(18, Bits().U8(0).U8(0x2E).U16(576).U16(0)),
                         Tag(19, Bytes(8, 0)), Tag(15, Bits().U16(5).U8(0)), Tag(43, Bits().Str("s")),
                         Tag(12, Bytes{0x07, 0x00}), ShowFrame(), Tag(19, Bytes(8, 0)), ShowFrame(), Tag(0, {})})),
            ShowFrame()}),
       [](const swf::Movie& M) {
         NoNotes(M);
         const auto& frames = std::get<swf::Sprite>(M.dictionary.at(6)).timeline.frames;
         ASSERT_EQ(frames.size(), 2u);
         EXPECT_EQ(frames[0].label, "s");
         EXPECT_EQ(frames[0].actions.size(), 1u);
       }},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    const Bytes bytes = Movie(r.tags);
    std::shared_ptr<const swf::Movie> m;
    ASSERT_NO_THROW(m = swf::LoadMovie(bytes.data(), bytes.size()));
    r.check(*m);
  }
}

// Appends a letter to `log`.
std::string Append(char Letter) {
  return std::string("  push \"log\" \"log\"\n  getvariable\n  push \"") + Letter +
         "\"\n  add2\n  setvariable\n";
}

TEST(MovieInitActions, RunOnceBeforeTheFramesActions) {
  const std::string text = "sprite clip\nshow\nend\n"
                           "actions\n" + Append('f') + "end\n"
                           "initactions clip\n  push \"log\" \"i\"\n  setvariable\nend\n"
                           "initactions clip\n" + Append('j') + "end\n"
                           "show\n"
                           "actions\n" + Append('2') + "end\n"
                           "show\n";
  movie_test::Rig r(text);
  r.instance.Step();
  EXPECT_EQ(r.instance.GetVariable("log"), "ijf");
  r.instance.Step();
  r.instance.Step();  // back to frame 0: its initialising actions do not run again
  EXPECT_EQ(r.instance.GetVariable("log"), "ijf2f");
}

TEST(MovieInitActions, ScriptLimitsBoundTheRecursionDepth) {
  swf::Movie m = swfc::Parse("show\n");
  m.maxRecursionDepth = 12;
  movie_test::RecordingHost host;
  swf::MovieInstance low(std::make_shared<const swf::Movie>(m), host);
  EXPECT_EQ(low.budget.maxCallDepth, 12u);
  m.maxRecursionDepth = 60000;
  swf::MovieInstance high(std::make_shared<const swf::Movie>(m), host);
  EXPECT_EQ(high.budget.maxCallDepth, swf::Budget{}.maxCallDepth);
}

}  // namespace
