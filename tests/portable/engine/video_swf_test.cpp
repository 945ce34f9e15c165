// Video characters in movies: DefineVideoStream and VideoFrame read from
// bytes, swfc's `video` statement, and embedded Screen Video drawn by the
// player against ffmpeg's own decoding of the same file.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "movie_fakes.h"
#include "reader_bytes.h"
#include "renderers/engine/player.h"
#include "renderers/engine/reader.h"
#include "renderers/engine/src/player/display_list.h"
#include "tools/swfc/compile.h"

namespace {

using swftest::Bits;
using swftest::Bytes;
using swftest::Tag;

constexpr uint16_t kDefineVideoStream = 60, kVideoFrame = 61, kDefineSprite = 39;

Bytes VideoStreamTag(uint16_t Id, uint16_t Frames, uint16_t W, uint16_t H, uint8_t Flags, uint8_t Codec) {
  return Tag(kDefineVideoStream, Bits().U16(Id).U16(Frames).U16(W).U16(H).U8(Flags).U8(Codec));
}

Bytes VideoFrameTag(uint16_t Id, uint16_t Frame, const Bytes& Packet) {
  return Tag(kVideoFrame, Bits().U16(Id).U16(Frame).Raw(Packet));
}

std::shared_ptr<const swf::Movie> Load(const Bytes& B) { return swf::LoadMovie(B.data(), B.size()); }

size_t NotesWith(const swf::Movie& M, const std::string& Part) {
  size_t n = 0;
  for (const std::string& note : M.loadNotes) n += note.find(Part) != std::string::npos;
  return n;
}

TEST(VideoReader, FieldsAndFramesAndStrayFramesDroppedWithOneNote) {
  const Bytes sprite = Tag(kDefineSprite, Bits().U16(2).U16(1).Raw(VideoFrameTag(1, 2, {9})).Raw(swftest::ShowFrame())
                                              .Raw(Tag(0, {})));
  const auto m = Load(swftest::Movie(swftest::Cat({
      VideoStreamTag(1, 3, 320, 240, 0xF5, 3),  // flags: 4 reserved bits, deblocking 2, smoothing
      VideoFrameTag(1, 0, {1, 2, 3}),
      VideoFrameTag(1, 1, {}),          // an empty packet is still a frame
      VideoFrameTag(1, 0, {4}),         // given again: the later packet
      sprite,                           // a sprite's frames count too
      VideoFrameTag(1, 3, {5}),         // past the count
      VideoFrameTag(1, 9, {6}),         // past the count again: no second note
      VideoFrameTag(5, 0, {7}),         // no such stream
      Tag(kVideoFrame, Bits().U16(1).U8(0)),  // too short to name its frame
      swftest::ShowFrame(),
  })));
  const auto& v = std::get<swf::VideoStream>(m->dictionary.at(1));
  EXPECT_EQ(std::tuple(v.frameCount, v.width, v.height, v.codec, v.deblocking, v.smoothing),
            std::tuple(3, 320, 240, 3, 2, true));
  EXPECT_EQ(v.frames, (std::map<uint16_t, Bytes>{{0, {4}}, {1, {}}, {2, {9}}}));
  EXPECT_EQ(NotesWith(*m, "of character 1 "), 1u);
  EXPECT_EQ(NotesWith(*m, "of character 5 "), 1u);
  EXPECT_EQ(NotesWith(*m, "too short"), 1u);
  // A definition cut short is an error naming where.
  EXPECT_THROW(Load(swftest::Movie(Tag(kDefineVideoStream, Bits().U16(1).U16(2).U16(3)))), swf::FormatError);
}

// ---- swfc ----

std::vector<uint8_t> ReadFile(const std::string& Path) {
  std::ifstream in(Path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

swfc::FileReader Videos() {
  return [](const std::string& Name) -> std::optional<std::vector<uint8_t>> {
    std::vector<uint8_t> bytes = ReadFile(std::string(VT_TEST_VIDEOS) + "/" + Name);
    if (bytes.empty()) return std::nullopt;
    return bytes;
  };
}

TEST(VideoSwfc, StatementAndItsErrors) {
  const swf::Movie m = swfc::Parse("video a 160 120\nvideo b 10 20 codec screen smoothing deblocking\n"
                                   "video c 1 1 codec 7 deblocking 5\nplace a 1 ratio 3\n");
  auto fields = [&](uint16_t Id) {
    const auto& v = std::get<swf::VideoStream>(m.dictionary.at(Id));
    return std::tuple(v.width, v.height, v.codec, v.frameCount, v.smoothing, v.deblocking);
  };
  EXPECT_EQ(fields(1), std::tuple(160, 120, 2, 0, false, 0));
  EXPECT_EQ(fields(2), std::tuple(10, 20, 3, 0, true, 2));
  EXPECT_EQ(fields(3), std::tuple(1, 1, 7, 0, false, 5));
  EXPECT_EQ(std::get<swf::PlaceObject>(m.timeline.frames.at(0).tags.at(0)).ratio, 3);
  auto files = [](const std::string& Name) -> std::optional<std::vector<uint8_t>> {
    if (Name == "junk.flv") return std::vector<uint8_t>{'F', 'W', 'S', 1};
    if (Name == "silent.flv") return std::vector<uint8_t>{'F', 'L', 'V', 1, 1, 0, 0, 0, 9, 0, 0, 0, 0};
    return std::nullopt;
  };
  const std::pair<const char*, const char*> bad[] = {
      {"video a 10 10 codec\n", "line 1: missing codec"},
      {"video a 10 10 loud\n", "line 1: a video takes codec"},
      {"video a 1 1 frames junk.flv\n", "line 1: 'junk.flv': not a readable FLV file"},
      {"video a 1 1 frames silent.flv\n", "line 1: 'silent.flv': no video frames"},
      {"video a 1 1\nvideo a 1 1 frames gone.flv\n", "line 2: cannot read 'gone.flv'"},
  };
  for (const auto& [text, message] : bad) {
    try {
      swfc::Parse(text, files);
      ADD_FAILURE() << text;
    } catch (const swfc::CompileError& e) {
      EXPECT_NE(std::string(e.what()).find(message), std::string::npos) << e.what();
    }
  }
}

TEST(VideoSwfc, FramesComeFromTheFlvAndSurviveWritingAndReading) {
  const swf::Movie m = swfc::Parse("video v 320 240 frames screen_320x240.flv\n", Videos());
  const swf::VideoStream& v = std::get<swf::VideoStream>(m.dictionary.at(1));
  EXPECT_EQ(std::tuple(v.codec, v.frameCount, v.frames.size(), v.frames.rbegin()->first), std::tuple(3, 30, 30u, 29));
  EXPECT_EQ(std::get<swf::VideoStream>(Load(swf::WriteMovie(m, true))->dictionary.at(1)), v);
  EXPECT_THROW(swfc::Parse("video v 320 240 codec sorenson frames screen_320x240.flv\n", Videos()), swfc::CompileError);
}

// ---- drawing embedded frames ----

constexpr int kW = 320, kH = 240;

// ffmpeg's decoding of frame N of screen_320x240.flv, as 0xAARRGGBB.
std::vector<uint32_t> Reference(int N) {
  static const std::vector<uint8_t> all = ReadFile(std::string(VT_TEST_VIDEOS) + "/screen_320x240.bgra");
  const size_t size = size_t{kW} * kH * 4, at = size * static_cast<size_t>(N);
  EXPECT_GE(all.size(), at + size);
  std::vector<uint32_t> out(size_t{kW} * kH);
  if (all.size() < at + size) return out;
  for (size_t i = 0; i < out.size(); ++i) {
    const uint8_t* p = &all[at + i * 4];
    out[i] = 0xFF000000u | uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0];
  }
  return out;
}

// A movie of a 320x240 stage showing the video at depth 2 as Placement
// says, one frame a ratio.
std::shared_ptr<const swf::Movie> Embedded(const std::string& Placement, const std::vector<int>& Ratios,
                                           const std::string& Extra = "") {
  std::string text = "size 320 240\nbackground white\nvideo v 320 240 frames screen_320x240.flv\n" + Extra +
                     "place v 2 " + Placement + " ratio " + std::to_string(Ratios.at(0)) + "\nshow\n";
  for (size_t i = 1; i < Ratios.size(); ++i) text += "move 2 ratio " + std::to_string(Ratios[i]) + "\nshow\n";
  return std::make_shared<const swf::Movie>(swfc::Parse(text, Videos()));
}

// The stage's pixels that differ from Want(x, y).
template <class F>
int Mismatches(swf::MoviePlayer& P, F Want) {
  std::vector<uint32_t> px(size_t{kW} * kH);
  P.Render({px.data(), kW, kH, kW * 4}, {0, 0, kW, kH}, false);
  int n = 0;
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) n += px[size_t(y) * kW + size_t(x)] != Want(x, y);
  return n;
}

TEST(VideoSwfRender, OneToOneFramesMatchTheReferenceInAnyOrder) {
  // Forward through inter frames and keyframes, then back (decoded again).
  const std::vector<int> order = {0, 1, 5, 12, 29, 3, 3, 20};
  swf::MoviePlayer p(Embedded("at 0 0", order));
  for (size_t i = 0; i < order.size(); ++i) {
    p.GotoFrame(static_cast<int32_t>(i));
    const std::vector<uint32_t> want = Reference(order[i]);
    EXPECT_EQ(Mismatches(p, [&](int x, int y) { return want[size_t(y) * kW + size_t(x)]; }), 0)
        << "video frame " << order[i];
  }
}

TEST(VideoSwfRender, ScaledRotatedAndMaskedPlacements) {
  const std::vector<uint32_t> want = Reference(7);
  constexpr uint32_t kWhite = 0xFFFFFFFFu;
  auto ref = [&](int x, int y) { return want[size_t(y) * kW + size_t(x)]; };
  struct Case {
    const char* placement;
    const char* extra;
    std::function<uint32_t(int, int)> expect;
  } cases[] = {
      // Half size: each pixel samples the source pixel under its centre.
      {"scale 0.5", "", [&](int x, int y) { return x < 160 && y < 120 ? ref(2 * x + 1, 2 * y + 1) : kWhite; }},
      // Twice the size from (-100, -50): nearest pixels, no smoothing.
      {"scale 2 at -100 -50", "", [&](int x, int y) { return ref((x + 100) / 2, (y + 50) / 2); }},
      // A quarter turn clockwise about the corner, moved back onto the stage.
      {"rotate 90 at 240 0", "",
       [&](int x, int y) { return x < 240 && y < kW ? ref(y, 239 - x) : kWhite; }},
      // A mask below it shows only its rectangle.
      {"at 0 0", "shape m\nfill f solid black\nrect 40 30 100 50 fill f\nend\nplace m 1 clip 2\n",
       [&](int x, int y) { return x >= 40 && x < 140 && y >= 30 && y < 80 ? ref(x, y) : kWhite; }},
  };
  for (const Case& c : cases) {
    swf::MoviePlayer p(Embedded(c.placement, {0, 7}, c.extra));
    p.GotoFrame(1);
    EXPECT_EQ(Mismatches(p, c.expect), 0) << c.placement;
  }
}

TEST(VideoSwfRender, NewPicturesRepaintTheVideoAndBoundsAreItsRectangle) {
  swf::MoviePlayer p(Embedded("at 10 20 scale 0.25", {0, 0, 1}));
  p.GotoFrame(0);
  EXPECT_TRUE(p.NextFrame().empty());  // the same frame again: nothing to repaint
  const std::vector<swf::IntRect> changed = p.NextFrame();
  ASSERT_EQ(changed.size(), 1u);  // the video's 80x60 pixels at (10, 20), give or take a pixel
  EXPECT_EQ(changed[0].Intersect({10, 20, 90, 80}), (swf::IntRect{10, 20, 90, 80}));
  EXPECT_LE(changed[0].right, 92);
  EXPECT_EQ(swf::detail::PlacedBounds(*p.RootTimeline().list.at(2)), (swf::Rect{200, 400, 1800, 1600}));
}

// ---- what cannot be shown ----

TEST(VideoSwfLog, UnknownCodecsAndDamagedPacketsAreLoggedOnce) {
  struct Case {
    uint8_t codec;
    std::vector<uint8_t> packet;
    const char* log;
  } cases[] = {
      {9, {1, 2, 3}, "codec 9 is not decoded"},
      {3, {0x00, 0x10, 0x00}, "is damaged"},  // Screen Video cut off in its header
  };
  for (const Case& c : cases) {
    swf::Movie m = swfc::Parse("size 40 40\nvideo v 40 40 codec " + std::to_string(c.codec) +
                               "\nplace v 1 ratio 0 name v\nshow\nmove 1 ratio 1\nshow\nmove 1 ratio 2\nshow\n");
    auto& v = std::get<swf::VideoStream>(m.dictionary.at(1));
    v.frameCount = 3;
    for (uint16_t f = 0; f < 3; ++f) v.frames[f] = c.packet;
    movie_test::RecordingHost host;
    swf::MovieInstance inst(std::make_shared<const swf::Movie>(std::move(m)), host);
    for (int i = 0; i < 8; ++i) inst.Step();  // loops: frame 0 again decodes again
    EXPECT_EQ(std::count_if(host.logs.begin(), host.logs.end(),
                            [&](const std::string& L) { return L.find(c.log) != std::string::npos; }), 1) << c.log;
    std::vector<uint32_t> px(40 * 40, 0);
    inst.Render({px.data(), 40, 40, 160}, {0, 0, 40, 40}, false);
    EXPECT_EQ(px[20 * 40 + 20], 0xFFFFFFFFu);  // nothing shows over the background
  }
}

}  // namespace
