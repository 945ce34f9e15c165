// Morph shapes: written and read back, drawn at their placement's ratio
// against the plain shapes they start and end as, cut-off tag bodies, and
// start and end edges that do not pair up.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "reader_bytes.h"
#include "renderers/engine/player.h"
#include "renderers/engine/reader.h"
#include "renderers/engine/src/writer/morph_writer.h"
#include "renderers/engine/writer.h"
#include "tools/swfc/compile.h"

namespace {

using swf::Edge;

const swf::RGBA kRed{255, 0, 0, 255}, kBlue{0, 0, 255, 255};

// A closed square path of side 200 twips at X whose closing edge is a curve
// pulled towards (X + 100, 100 - Bulge) (0: a straight edge).
swf::Path Square(double X, double Bulge) {
  swf::Path p{0, 1, 1, {X, 100}, {}};
  p.edges.push_back({false, {}, {X + 200, 100}});
  p.edges.push_back({false, {}, {X + 200, 300}});
  p.edges.push_back({false, {}, {X, 300}});
  p.edges.push_back(Bulge ? Edge{true, {X + 100, 100 - Bulge}, {X, 100}} : Edge{false, {}, {X, 100}});
  return p;
}

// Red at x 100..300 with straight sides, to blue at x 500..700 with a curved
// side and a thicker green line.
swf::MorphShape Morph() {
  swf::MorphShape m;
  m.tagVersion = 2;  // line styles with caps and joins
  m.startBounds = {80, 80, 320, 320};
  m.endBounds = {480, 0, 720, 320};
  swf::FillStyle red, blue;
  red.color = kRed;
  blue.color = kBlue;
  m.fills.push_back({red, blue});
  m.lines.push_back({{20, {0, 0, 0, 255}}, {60, {0, 255, 0, 255}}});
  m.startPaths.push_back(Square(100, 0));
  m.endPaths.push_back(Square(500, 80));
  return m;
}

swf::Shape Plain(double X, double Bulge, swf::RGBA Fill, swf::LineStyle Line) {
  swf::Shape s;
  s.tagVersion = 3;
  swf::FillStyle f;
  f.color = Fill;
  s.fills.push_back(f);
  s.lines.push_back(Line);
  s.paths.push_back(Square(X, Bulge));
  s.bounds = {X - 40, 100 - Bulge - 40, X + 240, 340};
  return s;
}

// Character 1 placed at depth 1 (with Ratio), on a 50x20 pixel stage, written
// and loaded back.
std::shared_ptr<const swf::Movie> Stage(swf::Character C, std::optional<uint16_t> Ratio) {
  swf::Movie m;
  m.frameSize = {0, 0, 1000, 400};
  m.dictionary.emplace(1, std::move(C));
  swf::PlaceObject p;
  p.depth = 1;
  p.characterId = 1;
  p.ratio = Ratio;
  m.timeline.frames.resize(1);
  m.timeline.frames[0].tags.emplace_back(p);
  const std::vector<uint8_t> bytes = swf::WriteMovie(m, false);
  return swf::LoadMovie(bytes.data(), bytes.size());
}

std::vector<uint32_t> Draw(std::shared_ptr<const swf::Movie> M) {
  swf::MoviePlayer p(std::move(M));
  std::vector<uint32_t> px(50 * 20);
  p.Render({px.data(), 50, 20, 50 * 4}, {0, 0, 50, 20}, false);
  return px;
}

// Channels within Tolerance of each other (curves paired with lines are
// flattened along slightly different steps).
void ExpectNear(const std::vector<uint32_t>& A, const std::vector<uint32_t>& B, int Tolerance) {
  ASSERT_EQ(A.size(), B.size());
  for (size_t i = 0; i < A.size(); ++i)
    for (int s = 0; s < 32; s += 8)
      ASSERT_LE(std::abs(int(A[i] >> s & 0xFF) - int(B[i] >> s & 0xFF)), Tolerance) << "pixel " << i;
}

TEST(MorphShapes, RatioZeroAndOneDrawTheStartAndEndShapes) {
  const auto start = Draw(Stage(Plain(100, 0, kRed, {20, {0, 0, 0, 255}}), std::nullopt));
  const auto end = Draw(Stage(Plain(500, 80, kBlue, {60, {0, 255, 0, 255}}), std::nullopt));
  ExpectNear(Draw(Stage(Morph(), std::nullopt)), start, 2);
  ExpectNear(Draw(Stage(Morph(), 0)), start, 2);
  ExpectNear(Draw(Stage(Morph(), 65535)), end, 2);
}

TEST(MorphShapes, HalfwayMovesTheOutlineAndMixesTheColours) {
  const auto px = Draw(Stage(Morph(), 32768));
  // The square now covers x 300..500 twips: pixels 15..25.
  struct Probe {
    int x, y;
    uint32_t argb;
  };
  const Probe probes[] = {
      {20, 10, 0xFF80007F},  // inside: half red, half blue
      {8, 10, 0xFFFFFFFF},   // where the start was
      {32, 10, 0xFFFFFFFF},  // where the end will be
  };
  for (const Probe& p : probes) {
    const uint32_t got = px[static_cast<size_t>(p.y * 50 + p.x)];
    for (int s = 0; s < 32; s += 8)
      EXPECT_LE(std::abs(int(got >> s & 0xFF) - int(p.argb >> s & 0xFF)), 1) << p.x << "," << p.y << " " << std::hex << got;
  }
}

// A movie that defines Body as a DefineMorphShape2 (Code 84) or DefineMorphShape (46) and places it.
std::vector<uint8_t> WithMorphTag(const std::vector<uint8_t>& Body, uint16_t Code = 84) {
  using namespace swftest;
  return Movie(Cat({Tag(Code, Body), Tag(26, Bits().U8(0x12).U16(1).U16(1).U16(30000)), ShowFrame()}));
}

TEST(MorphShapes, EveryCutOffBodyIsAnErrorOrPlaysWhatItHolds) {
  uint8_t version = 0;
  const std::vector<uint8_t> body = swf::writer::MorphShapeBody(1, Morph(), version);
  ASSERT_EQ(version, 2);
  for (size_t n = 0; n < body.size(); ++n) {
    const std::vector<uint8_t> bytes = WithMorphTag({body.begin(), body.begin() + static_cast<std::ptrdiff_t>(n)});
    try {
      Draw(swf::LoadMovie(bytes.data(), bytes.size()));
    } catch (const swf::FormatError&) {
    }
  }
  const std::vector<uint8_t> whole = WithMorphTag(body);
  EXPECT_NO_THROW(Draw(swf::LoadMovie(whole.data(), whole.size())));
}

// One solid fill; StartEdges straight edges 100 twips across and EndEdges
// 50 across, after a move to (0,0) with fill 1.
std::vector<uint8_t> CountedMorph(int StartEdges, int EndEdges) {
  using swftest::Bits;
  auto records = [](Bits& B, int Edges, bool Styles, int Dx) {
    B.UB(Styles ? 1 : 0, 4).UB(0, 4);                     // fill and line bits
    B.UB(0, 1).UB(Styles ? 0x03 : 0x01, 5).UB(1, 5).SB(0, 1).SB(0, 1);  // move to (0,0)
    if (Styles) B.UB(1, 1);                                // fill0 = 1
    for (int i = 0; i < Edges; ++i) B.UB(3, 2).UB(6, 4).UB(1, 1).SB(Dx, 8).SB(i % 2 ? 100 : -100, 8);
    B.UB(0, 6).Align();
  };
  Bits start, end;
  records(start, StartEdges, true, 100);
  records(end, EndEdges, false, 50);
  Bits styles;
  styles.U8(1).U8(0).Rgba(255, 0, 0, 255).Rgba(0, 0, 255, 255).U8(0);
  Bits b;
  b.U16(1).Rect(0, 2000, 0, 2000, 13).Rect(0, 2000, 0, 2000, 13);
  b.U32(static_cast<uint32_t>(styles.Out().size() + start.Out().size())).Raw(styles).Raw(start).Raw(end);
  return b;
}

TEST(MorphShapes, UnpairedEdgesKeepTheStartOutlineWithANote) {
  struct Row {
    int start, end;
    bool note;
  };
  const Row rows[] = {{3, 3, false}, {3, 2, true}, {2, 4, true}, {2, 0, true}};
  for (const Row& r : rows) {
    const std::vector<uint8_t> bytes = WithMorphTag(CountedMorph(r.start, r.end), 46);
    SCOPED_TRACE(std::to_string(r.start) + "/" + std::to_string(r.end));
    std::shared_ptr<const swf::Movie> movie;
    ASSERT_NO_THROW(movie = swf::LoadMovie(bytes.data(), bytes.size()));
    const auto& m = std::get<swf::MorphShape>(movie->dictionary.at(1));
    ASSERT_EQ(m.startPaths.size(), 1u);
    ASSERT_EQ(m.endPaths.size(), 1u);
    EXPECT_EQ(m.endPaths[0].edges.size(), m.startPaths[0].edges.size()) << r.start << "/" << r.end;
    EXPECT_EQ(m.endPaths[0] == m.startPaths[0], r.note) << r.start << "/" << r.end;
    EXPECT_EQ(movie->loadNotes.size(), r.note ? 1u : 0u) << r.start << "/" << r.end;
    EXPECT_NO_THROW(Draw(movie));
  }
}

}  // namespace

namespace {

constexpr const char* kShapes = R"(size 40 20
shape small
  fill red solid #ff0000
  rect 0 0 10 10 fill red
end
shape big
  fill blue solid #0000ff
  rect 20 0 20 20 fill blue
end
shape two
  fill red solid #ff0000
  rect 0 0 10 10 fill red
  rect 10 10 5 5 fill red
end
)";

TEST(MorphShapes, SwfcPairsTwoShapesAndPlacesTheMorphAtItsRatio) {
  const std::string text = std::string(kShapes) + "morph grow\n  from small\n  to big\nend\nplace grow 1 ratio 65535\n";
  const std::vector<uint8_t> bytes = swfc::Compile(text);
  const auto movie = swf::LoadMovie(bytes.data(), bytes.size());
  ASSERT_TRUE(std::holds_alternative<swf::MorphShape>(movie->dictionary.at(4)));
  swf::MoviePlayer p(movie);
  std::vector<uint32_t> px(40 * 20);
  p.Render({px.data(), 40, 20, 40 * 4}, {0, 0, 40, 20}, false);
  EXPECT_EQ(px[10 * 40 + 30], 0xFF0000FFu);  // inside the end square
  EXPECT_EQ(px[5 * 40 + 5], 0xFFFFFFFFu);    // the start square is gone
}

TEST(MorphShapes, SwfcRefusesMorphsThatCannotPair) {
  struct Row {
    const char* block;
    const char* says;
  };
  const Row rows[] = {
      {"morph m\n  from small\n  to two\nend\n", "numbers of paths"},
      {"morph m\n  from small\nend\n", "both"},
      {"morph m\n  from small\n  to big\nend\nmorph n\n  from m\n  to big\nend\n", "not a shape"},
  };
  for (const Row& r : rows) {
    try {
      swfc::Parse(std::string(kShapes) + r.block);
      ADD_FAILURE() << r.block;
    } catch (const swfc::CompileError& e) {
      EXPECT_NE(std::string(e.what()).find(r.says), std::string::npos) << e.what();
    }
  }
}

}  // namespace
