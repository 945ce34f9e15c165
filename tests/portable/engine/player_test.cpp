// Playing timelines: the display list across frames, sprites stepping with
// their parent, seeks, labels, the viewport and the changed rectangles.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include "renderers/engine/player.h"

namespace {

using swf::ColorTransform;
using swf::IntRect;
using swf::Matrix;
using swf::PlaceObject;
using swf::RemoveObject;
using swf::SceneNode;

Matrix At(double Tx, double Ty = 0) { return Matrix{1, 0, 0, 1, Tx, Ty}; }

PlaceObject Place(uint16_t Depth, uint16_t Id, Matrix M = {}) {
  PlaceObject p;
  p.depth = Depth;
  p.characterId = Id;
  p.matrix = M;
  return p;
}
PlaceObject Move(uint16_t Depth, Matrix M) {
  PlaceObject p;
  p.depth = Depth;
  p.move = true;
  p.matrix = M;
  return p;
}
RemoveObject Remove(uint16_t Depth) { return RemoveObject{Depth, std::nullopt}; }

swf::Frame F(std::vector<swf::ControlTag> Tags, std::string Label = "") {
  swf::Frame f;
  f.tags = std::move(Tags);
  f.label = std::move(Label);
  return f;
}

swf::Shape Square(double Size) {
  swf::Shape s;
  s.bounds = {0, 0, Size, Size};
  s.fills.push_back(swf::FillStyle{});
  s.paths.push_back(swf::Path{0, 1, 0, {0, 0}, {{false, {}, {Size, 0}}, {false, {}, {Size, Size}},
                                                {false, {}, {0, Size}}, {false, {}, {0, 0}}}});
  return s;
}

// A 100x50 pixel stage; character 1 is a 10x10 pixel square, 2 a second shape,
// 9 a bitmap; Sprites are added by the tests.
struct Builder {
  swf::Movie m;
  Builder() {
    m.frameSize = {0, 0, 2000, 1000};
    m.dictionary.emplace(1, Square(200));
    m.dictionary.emplace(2, Square(100));
    m.dictionary.emplace(9, swf::Bitmap{1, 1, {0xFFFFFFFF}});
  }
  Builder& Sprite(uint16_t Id, std::vector<swf::Frame> Frames) {
    swf::Sprite s;
    s.frameCount = static_cast<uint16_t>(Frames.size());
    s.timeline.frames = std::move(Frames);
    m.dictionary.emplace(Id, std::move(s));
    return *this;
  }
  std::shared_ptr<const swf::Movie> Root(std::vector<swf::Frame> Frames) {
    m.timeline.frames = std::move(Frames);
    m.frameCount = static_cast<uint16_t>(m.timeline.frames.size());
    return std::make_shared<const swf::Movie>(m);
  }
};

const swf::Shape* ShapeOf(const swf::MoviePlayer& P, uint16_t Id) {
  return &std::get<swf::Shape>(P.movie().dictionary.at(Id));
}

std::vector<uint16_t> Depths(const std::vector<SceneNode>& Nodes) {
  std::vector<uint16_t> d;
  for (const SceneNode& n : Nodes) d.push_back(n.depth);
  return d;
}

bool SameScene(const std::vector<SceneNode>& A, const std::vector<SceneNode>& B) {
  if (A.size() != B.size()) return false;
  for (size_t i = 0; i < A.size(); ++i) {
    const SceneNode &a = A[i], &b = B[i];
    if (a.shape != b.shape || a.matrix != b.matrix || a.cxform != b.cxform || a.depth != b.depth ||
        a.clipDepth != b.clipDepth || !SameScene(a.children, b.children))
      return false;
  }
  return true;
}

std::vector<IntRect> Sorted(std::vector<IntRect> R) {
  std::sort(R.begin(), R.end(), [](const IntRect& a, const IntRect& b) {
    return std::tie(a.left, a.top, a.right, a.bottom) < std::tie(b.left, b.top, b.right, b.bottom);
  });
  return R;
}

}  // namespace

TEST(PlayerViewport, StageIsFittedAndCentred) {
  swf::MoviePlayer p(Builder().Root({F({})}));
  EXPECT_EQ(p.StageToPixels(), (Matrix{0.05, 0, 0, 0.05, 0, 0}));  // the stage's own size at first
  p.SetViewport(200, 200);  // limited by the width: 0.1 pixel a twip, 50 pixels above and below
  EXPECT_EQ(p.StageToPixels(), (Matrix{0.1, 0, 0, 0.1, 0, 50}));
  p.SetViewport(100, 100);
  p.SetViewport(400, 50);  // limited by the height
  EXPECT_EQ(p.StageToPixels(), (Matrix{0.05, 0, 0, 0.05, 150, 0}));
  // A stage that does not start at 0 is moved to the output's origin.
  Builder b;
  b.m.frameSize = {1000, 2000, 3000, 3000};
  swf::MoviePlayer q(b.Root({F({})}));
  q.SetViewport(100, 50);
  EXPECT_EQ(q.StageToPixels().Apply(swf::Point{1000, 2000}), (swf::Point{0, 0}));
}

TEST(PlayerDisplayList, PlaceMoveReplaceAndRemoveAcrossFrames) {
  PlaceObject named = Place(3, 2, At(40));
  named.name = "third";
  named.clipDepth = 4;
  named.cxform = ColorTransform{128, 256, 256, 256, 0, 0, 0, 0};
  PlaceObject replace = Move(1, At(60));
  replace.characterId = 2;
  auto movie = Builder().Root({
      F({Place(1, 1), Place(2, 1, At(1000)), Place(7, 9), Place(8, 999)}),  // bitmap and unknown id draw nothing
      F({Move(1, At(100)), Remove(2), Move(5, At(1))}),                     // moving an empty depth does nothing
      F({named}),
      F({replace, Place(3, 1)}),  // placing on a taken depth replaces what is there
  });
  swf::MoviePlayer p(movie);
  EXPECT_EQ(p.TotalFrames(), 4);
  EXPECT_EQ(p.CurrentFrame(), 0);
  EXPECT_EQ(Depths(p.Scene()), (std::vector<uint16_t>{1, 2}));
  EXPECT_EQ(p.Scene()[1].matrix, At(1000));
  EXPECT_EQ(p.Scene()[0].shape, ShapeOf(p, 1));

  p.NextFrame();
  EXPECT_EQ(p.CurrentFrame(), 1);
  ASSERT_EQ(Depths(p.Scene()), (std::vector<uint16_t>{1}));
  EXPECT_EQ(p.Scene()[0].matrix, At(100));

  p.NextFrame();
  ASSERT_EQ(Depths(p.Scene()), (std::vector<uint16_t>{1, 3}));
  EXPECT_EQ(p.Scene()[1].clipDepth, 4);
  EXPECT_EQ(p.Scene()[1].cxform, named.cxform);

  p.NextFrame();
  ASSERT_EQ(Depths(p.Scene()), (std::vector<uint16_t>{1, 3}));
  EXPECT_EQ(p.Scene()[0].shape, ShapeOf(p, 2));  // replaced character, new matrix
  EXPECT_EQ(p.Scene()[0].matrix, At(60));
  EXPECT_EQ(p.Scene()[1].shape, ShapeOf(p, 1));  // a fresh placement: no clip, identity
  EXPECT_EQ(p.Scene()[1].clipDepth, 0);
  EXPECT_EQ(p.Scene()[1].matrix, Matrix{});

  // The root loops: back to frame 0 as it was first shown.
  p.NextFrame();
  EXPECT_EQ(p.CurrentFrame(), 0);
  swf::MoviePlayer fresh(movie);
  EXPECT_TRUE(SameScene(p.Scene(), fresh.Scene()));

  // Without looping it stays on the last frame.
  p.SetLoop(false);
  EXPECT_FALSE(p.Loop());
  p.GotoFrame(3);
  EXPECT_TRUE(p.NextFrame().empty());
  EXPECT_EQ(p.CurrentFrame(), 3);
}

TEST(PlayerSeek, BackwardAndForwardSeeksMatchPlaying) {
  Builder b;
  b.Sprite(20, {F({Place(1, 2)}), F({Move(1, At(200))}), F({Move(1, At(400))})});
  auto movie = b.Root({
      F({Place(1, 1)}, "intro"),
      F({Move(1, At(20)), Place(2, 20)}),
      F({Remove(1), Place(4, 2, At(5))}, "middle"),
      F({Place(1, 1, At(-5)), Move(4, At(6))}),
      F({Remove(2)}, "end"),
  });
  std::vector<std::vector<SceneNode>> played;
  {
    swf::MoviePlayer p(movie);
    for (int i = 0; i < 5; ++i) {
      if (i) p.NextFrame();
      played.push_back(p.Scene());
    }
  }
  swf::MoviePlayer p(movie);
  p.GotoFrame(4);
  EXPECT_EQ(p.CurrentFrame(), 4);
  EXPECT_TRUE(SameScene(p.Scene(), played[4]));
  for (int target : {2, 1, 0, 3}) {
    p.GotoFrame(target);
    EXPECT_EQ(p.CurrentFrame(), target);
    EXPECT_EQ(Depths(p.Scene()), Depths(played[static_cast<size_t>(target)])) << target;
    // Sprites do not step during a seek: a sprite placed anew starts at its
    // frame 0, which is what playing shows on the frame that places it.
    if (target < 2) {
      EXPECT_TRUE(SameScene(p.Scene(), played[static_cast<size_t>(target)])) << target;
    }
  }
  EXPECT_EQ(Depths(p.Scene()), Depths(played[3]));
  EXPECT_EQ(p.Scene()[0].matrix, At(-5));
  p.GotoFrame(1000);
  EXPECT_EQ(p.CurrentFrame(), 4);
  p.GotoFrame(-3);
  EXPECT_EQ(p.CurrentFrame(), 0);

  EXPECT_EQ(p.FindLabel("middle"), 2);
  EXPECT_EQ(p.FindLabel("end"), 4);
  EXPECT_EQ(p.FindLabel("intro"), 0);
  EXPECT_EQ(p.FindLabel("Middle"), -1);
  EXPECT_EQ(p.FindLabel(""), -1);
}

TEST(PlayerSprites, StepWithParentStartAtZeroAndKeepPlayingAcrossLoops) {
  Builder b;
  b.Sprite(20, {F({Place(1, 1)}), F({Move(1, At(200))}), F({Move(1, At(400))})});
  b.Sprite(21, {F({Place(1, 20, At(0, 1000))})});  // a sprite inside a sprite
  auto movie = b.Root({F({Place(1, 20)}), F({Place(2, 21)}), F({})});
  swf::MoviePlayer p(movie);
  auto childX = [&](size_t Index) { return p.Scene()[Index].children.at(0).matrix.tx; };
  auto nestedX = [&] { return p.Scene().at(1).children.at(0).children.at(0).matrix.tx; };
  EXPECT_EQ(childX(0), 0);
  p.NextFrame();  // the sprite at depth 1 steps; the one placed now starts at 0
  EXPECT_EQ(childX(0), 200);
  EXPECT_EQ(nestedX(), 0);
  p.NextFrame();
  EXPECT_EQ(childX(0), 400);
  EXPECT_EQ(nestedX(), 200);
  p.NextFrame();  // the root loops to 0: depth 1 is the same placement and keeps playing, depth 2 goes
  EXPECT_EQ(p.CurrentFrame(), 0);
  EXPECT_EQ(childX(0), 0);  // sprites loop on their own
  EXPECT_EQ(Depths(p.Scene()), (std::vector<uint16_t>{1}));
  p.NextFrame();
  EXPECT_EQ(childX(0), 200);

  // A stopped root keeps its sprites playing.
  p.SetLoop(false);
  p.GotoFrame(2);
  const double before = childX(0);
  p.NextFrame();
  EXPECT_EQ(p.CurrentFrame(), 2);
  EXPECT_NE(childX(0), before);
}

TEST(PlayerChangedRects, OldAndNewBoundsOfWhatChanged) {
  Builder b;
  b.Sprite(20, {F({Place(1, 1)}), F({Move(1, At(200))})});
  auto movie = b.Root({
      F({Place(1, 1), Place(2, 1, At(1000)), Place(5, 1, At(1600, 600)), Place(6, 20, At(0, 600))}),
      F({Move(1, At(100)), Remove(2)}),
      F({Place(3, 2, At(400, 400))}),
  });
  swf::MoviePlayer p(movie);  // 1 pixel is 20 twips
  // Depth 1 moved 5 pixels, depth 2 vanished, the sprite's child moved 10
  // pixels; depth 5 stayed and is not reported. Bounds have a pixel to spare
  // and are clipped to the output; the old and new bounds of a move overlap
  // enough to be reported as one rectangle.
  EXPECT_EQ(Sorted(p.NextFrame()), Sorted({{0, 0, 16, 11},      // depth 1: 0..11 and 4..16
                                           {49, 0, 61, 11},     // depth 2
                                           {0, 29, 21, 41}}));  // the sprite's child: 0..11 and 9..21
  // Something appearing: its new bounds (a 5x5 shape at 20,20); the sprite steps back.
  EXPECT_EQ(Sorted(p.NextFrame()), Sorted({{19, 19, 26, 26}, {0, 29, 21, 41}}));

  // A colour change alone is a change; a larger viewport scales the bounds.
  Builder c;
  PlaceObject tint = Move(1, At(0));
  tint.cxform = ColorTransform{256, 256, 256, 128, 0, 0, 0, 0};
  swf::MoviePlayer q(c.Root({F({Place(1, 1)}), F({tint}), F({tint})}));
  q.SetViewport(200, 100);
  EXPECT_EQ(q.NextFrame(), (std::vector<IntRect>{{0, 0, 21, 21}}));
  EXPECT_TRUE(q.NextFrame().empty());  // nothing changed
  // Seeking reports too.
  EXPECT_EQ(q.GotoFrame(0), (std::vector<IntRect>{{0, 0, 21, 21}}));
}

TEST(PlayerLimits, CyclesAndExplosiveNestingStayBounded) {
  // Built by hand (the loader would refuse it): a sprite that places itself.
  Builder b;
  b.Sprite(30, {F({Place(1, 30, At(10))}), F({})});
  swf::MoviePlayer p(b.Root({F({Place(1, 30)})}));
  for (int i = 0; i < 5; ++i) p.NextFrame();
  size_t levels = 0;
  for (const std::vector<SceneNode>* n = &p.Scene(); !n->empty(); n = &(*n)[0].children) ++levels;
  EXPECT_GT(levels, 1u);
  EXPECT_LE(levels, 100u);

  // 100 copies of 100 copies of 100 copies: a million instances are not built.
  Builder e;
  std::vector<swf::ControlTag> many[3];
  for (uint16_t d = 1; d <= 100; ++d) {
    many[0].push_back(Place(d, 1));
    many[1].push_back(Place(d, 40));
    many[2].push_back(Place(d, 41));
  }
  e.Sprite(40, {F(many[0])}).Sprite(41, {F(many[1])}).Sprite(42, {F(many[2])});
  const auto start = std::chrono::steady_clock::now();
  swf::MoviePlayer q(e.Root({F({Place(1, 42)}), F({})}));
  for (int i = 0; i < 3; ++i) q.NextFrame();
  size_t count = 0;
  auto countNodes = [&](auto& self, const std::vector<SceneNode>& Nodes) -> void {
    for (const SceneNode& n : Nodes) {
      ++count;
      self(self, n.children);
    }
  };
  countNodes(countNodes, q.Scene());
  EXPECT_LE(count, 100000u);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
}

TEST(PlayerRender, DrawsTheCurrentFrameThroughTheViewport) {
  Builder b;
  std::get<swf::Shape>(b.m.dictionary.at(1)).fills[0].color = {255, 0, 0, 255};
  b.m.background = {0, 0, 255, 255};
  swf::MoviePlayer p(b.Root({F({Place(1, 1)}), F({Move(1, At(1000))})}));
  p.SetViewport(20, 20);  // 0.01 pixel a twip: the square is 2x2 pixels at (0,5)
  std::vector<uint32_t> px(20 * 20, 0x12345678);
  const swf::RenderTarget t{px.data(), 20, 20, 80};
  p.Render(t, {0, 0, 20, 20}, false);
  EXPECT_EQ(px[0], 0xFF0000FFu);           // background above the stage
  EXPECT_EQ(px[6 * 20 + 1], 0xFFFF0000u);  // inside the square
  EXPECT_EQ(px[6 * 20 + 11], 0xFF0000FFu);
  p.NextFrame();  // the square moves 10 pixels right
  p.Render(t, {0, 0, 20, 20}, true);
  EXPECT_EQ(px[6 * 20 + 11], 0xFFFF0000u);
}
