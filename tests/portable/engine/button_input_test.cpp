// Buttons under mouse and key input: the state each shows, hit areas under
// transforms and with holes, the actions queued and their order, the clip
// they belong to, and the rectangles that change.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "renderers/engine/player.h"
#include "renderers/engine/reader.h"
#include "tools/swfc/compile.h"

namespace {

using swf::IntRect;

// Ids follow the order of definition: up 1, over 2, down 3, ring 4.
const char* kShapes = R"(
size 200 150
shape up
  fill f solid blue
  rect 0 0 60 30 fill f
end
shape over
  fill f solid green
  rect 0 0 60 30 fill f
end
shape down
  fill f solid red
  rect 0 0 60 30 fill f
end
shape ring
  fill r solid black
  circle 30 15 20 fill r
  circle 30 15 6 outside r
end
)";

// The push button (id 5): a ring-shaped hit area around the face's centre.
const char* kPush = R"(
button push
  up up
  over over
  down down
  hit ring
  on rollover action 01
  on rollout action 02
  on press action 03
  on release action 04
  on dragout action 05
  on dragover action 06
  on releaseoutside action 07
  on key enter action 08
  on key a action 09
end
)";

class Stage {
 public:
  explicit Stage(const std::string& Text)
      : movie_(std::make_shared<swf::Movie>(swfc::Parse(Text))), player_(movie_) {
    player_.SetViewport(200, 150);
  }
  swf::MoviePlayer& p() { return player_; }
  // The shape the node at Path (indexes into the scene and its children) shows.
  const swf::Shape* Shows(std::vector<size_t> Path) const {
    const std::vector<swf::SceneNode>* list = &player_.Scene();
    const swf::SceneNode* node = nullptr;
    for (size_t i : Path) {
      if (i >= list->size()) return nullptr;
      node = &(*list)[i];
      list = &node->children;
    }
    return node ? node->shape : nullptr;
  }
  const swf::Shape* Shape(uint16_t Id) const { return &std::get<swf::Shape>(movie_->dictionary.at(Id)); }
  // The first action byte of each queued action (the tests give each condition its own byte).
  std::vector<int> Fired() {
    std::vector<int> out;
    for (const swf::PendingActions& a : player_.TakePendingActions())
      out.push_back(a.bytes.empty() ? -1 : a.bytes[0]);
    return out;
  }

 private:
  std::shared_ptr<swf::Movie> movie_;
  swf::MoviePlayer player_;
};

using V = std::vector<int>;

TEST(ButtonInput, PushButtonThroughOverPressReleaseAndRollOut) {
  Stage s(std::string(kShapes) + kPush + "place push 1 at 20 20\n");
  auto face = [&] { return s.Shows({0, 0}); };
  EXPECT_EQ(face(), s.Shape(1));
  // The ring's hole and the face's corner (outside the ring) are not the hit area.
  EXPECT_TRUE(s.p().MouseMove(50, 35).empty());
  EXPECT_TRUE(s.p().MouseMove(22, 22).empty());
  EXPECT_EQ(s.Fired(), V{});
  EXPECT_EQ(face(), s.Shape(1));

  // Over the ring: the over state, and its rectangle is repainted.
  const std::vector<IntRect> rects = s.p().MouseMove(62, 35);
  ASSERT_EQ(rects.size(), 1u);
  EXPECT_LE(rects[0].left, 20);
  EXPECT_LE(rects[0].top, 20);
  EXPECT_GE(rects[0].right, 80);
  EXPECT_GE(rects[0].bottom, 50);
  EXPECT_EQ(face(), s.Shape(2));
  EXPECT_EQ(s.Fired(), V{1});
  EXPECT_TRUE(s.p().MouseMove(64, 35).empty());  // still over: nothing changes
  EXPECT_EQ(s.Fired(), V{});

  s.p().MouseDown(64, 35);
  EXPECT_EQ(face(), s.Shape(3));
  EXPECT_EQ(s.Fired(), V{3});
  s.p().MouseMove(150, 120);  // dragged off: over shows while held
  EXPECT_EQ(face(), s.Shape(2));
  EXPECT_EQ(s.Fired(), V{5});
  s.p().MouseMove(50, 20);  // back on
  EXPECT_EQ(face(), s.Shape(3));
  EXPECT_EQ(s.Fired(), V{6});
  s.p().MouseUp(50, 20);
  EXPECT_EQ(face(), s.Shape(2));
  EXPECT_EQ(s.Fired(), V{4});
  s.p().MouseMove(150, 120);
  EXPECT_EQ(face(), s.Shape(1));
  EXPECT_EQ(s.Fired(), V{2});

  // Pressed, then released outside; the release takes the position it is given.
  s.p().MouseMove(50, 20);
  s.p().MouseDown(50, 20);
  s.p().MouseUp(150, 120);
  EXPECT_EQ(face(), s.Shape(1));
  EXPECT_EQ(s.Fired(), (V{1, 3, 5, 7}));

  // A press that starts outside does nothing to a push button dragged over.
  s.p().MouseDown(150, 120);
  s.p().MouseMove(50, 20);
  EXPECT_EQ(face(), s.Shape(1));
  EXPECT_EQ(s.Fired(), V{});
  s.p().MouseUp(50, 20);  // released over it: it is now under the mouse
  EXPECT_EQ(face(), s.Shape(2));
  EXPECT_EQ(s.Fired(), V{1});
}

TEST(ButtonInput, RollOutComesBeforeRollOverAndKeysReachEveryButton) {
  Stage s(std::string(kShapes) + kPush +
          "button other\n  up+over+down+hit up\n  on rollover action 11\n  on rollout action 12\n"
          "  on key a action 13\n  on key A action 14\nend\n"
          "place push 1 at 0 0\nplace other 2 at 100 0\n");
  s.p().MouseMove(42, 15);
  s.p().MouseMove(110, 10);
  s.p().MouseMove(42, 15);
  EXPECT_EQ(s.Fired(), (V{0x01, 0x02, 0x11, 0x12, 0x01}));
  // Keys: every button that waits for the key, in drawing order; no state changes.
  EXPECT_TRUE(s.p().KeyPress('a').empty());
  EXPECT_EQ(s.Fired(), (V{0x09, 0x13}));
  s.p().KeyPress('A');
  s.p().KeyPress(13);
  EXPECT_EQ(s.Fired(), (V{0x14, 0x08}));
  s.p().KeyPress('b');
  s.p().KeyPress(0);
  s.p().KeyPress(13 + 256);  // not a key code: no wrap to enter
  s.p().KeyPress(-1);
  EXPECT_EQ(s.Fired(), V{});
  // The key action says which key fired it.
  s.p().KeyPress(13);
  const auto actions = s.p().TakePendingActions();
  ASSERT_EQ(actions.size(), 1u);
  EXPECT_EQ(actions[0].keyCode, 13);
  EXPECT_EQ(actions[0].condition, 0);
}

TEST(ButtonInput, HitAreaFollowsTheInstanceAndRecordTransforms) {
  // The hit record is scaled by 2 inside the button, the button rotated 90
  // degrees and moved to (100, 10): the ring's centre (30, 15) -> (60, 30) ->
  // (70, 70); its radius 40, its hole 12.
  Stage s(std::string(kShapes) +
          "button b\n  up up\n  over over\n  hit ring scale 2\n  on rollover action 01\nend\n"
          "place b 1 rotate 90 at 100 10\n");
  auto over = [&](double X, double Y) {
    s.p().MouseMove(X, Y);
    const bool hit = s.Shows({0, 0}) == s.Shape(2);
    s.p().MouseMove(199, 149);
    s.Fired();
    return hit;
  };
  EXPECT_TRUE(over(70, 70 - 30));
  EXPECT_TRUE(over(70 + 38, 70));
  EXPECT_FALSE(over(70, 70));            // the hole
  EXPECT_FALSE(over(70 + 9, 70));        // still the hole
  EXPECT_TRUE(over(70 + 14, 70));        // just outside it
  EXPECT_FALSE(over(70 + 42, 70));       // just outside the ring
  EXPECT_FALSE(over(70 - 30, 70 - 30));  // inside the circle's bounding box, outside the circle

  // The same under a viewport twice the stage's size.
  s.p().SetViewport(400, 300);
  s.p().MouseMove(140, 80);
  EXPECT_EQ(s.Shows({0, 0}), s.Shape(2));
  s.p().MouseMove(140, 140);  // the hole's centre
  EXPECT_EQ(s.Shows({0, 0}), s.Shape(1));
}

TEST(ButtonInput, StrokesTakeTheMouseAndTheTopmostButtonWins) {
  Stage s(std::string(kShapes) +
          "shape frame\n  line l 4 black\n  rect 0 0 40 40 line l\nend\n"  // id 5: an outline only
          "button a\n  up up\n  over over\n  hit frame\n  on rollover action 01\nend\n"
          "button b\n  up up\n  over over\n  hit up\n  on rollover action 02\nend\n"
          "place a 1\nplace b 2 at 30 0\n");
  s.p().MouseMove(20, 20);  // inside the outline: no fill there
  EXPECT_EQ(s.Fired(), V{});
  s.p().MouseMove(1, 20);  // on the stroke
  EXPECT_EQ(s.Fired(), V{1});
  s.p().MouseMove(40, 20);  // a's right edge, under b: b is on top
  EXPECT_EQ(s.Fired(), V{2});
  EXPECT_EQ(s.Shows({0, 0}), s.Shape(1));
  EXPECT_EQ(s.Shows({1, 0}), s.Shape(2));
}

TEST(ButtonInput, ActionsNameTheClipThatPlacedTheButton) {
  Stage s(std::string(kShapes) + kPush +
          "sprite inner\n  place push 4 at 5 5 name btn\nend\n"
          "sprite outer\n  place inner 2 name in\nend\n"
          "place push 1 at 0 100\n"
          "place outer 3 at 100 0\n");
  s.p().MouseMove(42, 115);
  s.p().MouseMove(147, 20);
  const auto a = s.p().TakePendingActions();
  ASSERT_EQ(a.size(), 3u);
  EXPECT_EQ(a[0].clip, 0u);
  EXPECT_EQ(a[0].clipPath, "_level0");
  EXPECT_TRUE(a[0].clipDepths.empty());
  EXPECT_EQ(a[0].buttonDepth, 1);
  EXPECT_EQ(a[0].condition, swf::kIdleToOverUp);
  EXPECT_EQ(a[1].condition, swf::kOverUpToIdle);
  EXPECT_EQ(a[1].button, a[0].button);
  // The unnamed outer instance is named by its serial, like the instances of the format's players.
  EXPECT_NE(a[2].clip, 0u);
  EXPECT_EQ(a[2].clipDepths, (std::vector<uint16_t>{3, 2}));
  EXPECT_EQ(a[2].clipPath.rfind("_level0.instance", 0), 0u) << a[2].clipPath;
  EXPECT_EQ(a[2].clipPath.substr(a[2].clipPath.size() - 3), ".in");
  EXPECT_EQ(a[2].buttonName, "btn");
  EXPECT_EQ(a[2].buttonDepth, 4);
  EXPECT_NE(a[2].button, a[0].button);
  EXPECT_EQ(a[2].bytes, (std::vector<uint8_t>{0x01}));
  // The button inside the sprites shows its over state.
  EXPECT_EQ(s.Shows({1, 0, 0, 0}), s.Shape(2));
}

TEST(ButtonInput, MenuButtonsTakeADragFromElsewhere) {
  Stage s(std::string(kShapes) +
          "button item\n  menu\n  up+hit up\n  over over\n  down down\n"
          "  on press action 01\n  on release action 02\n  on dragover action 03\n  on dragout action 04\n"
          "  on releaseoutside action 05\nend\n"
          "place item 1\nplace item 2 at 0 40\n");
  s.p().MouseDown(150, 100);
  s.p().MouseMove(10, 10);  // dragged over the first item
  EXPECT_EQ(s.Shows({0, 0}), s.Shape(3));
  s.p().MouseMove(10, 50);  // on to the second: the first goes idle
  EXPECT_EQ(s.Shows({0, 0}), s.Shape(1));
  EXPECT_EQ(s.Shows({1, 0}), s.Shape(3));
  s.p().MouseUp(10, 50);
  EXPECT_EQ(s.Shows({1, 0}), s.Shape(2));
  EXPECT_EQ(s.Fired(), (V{3, 4, 3, 2}));
  // Pressed on one and released off it: a menu button lets go when the mouse leaves.
  s.p().MouseDown(10, 50);
  s.p().MouseUp(150, 100);
  EXPECT_EQ(s.Fired(), (V{1, 4}));
  EXPECT_EQ(s.Shows({1, 0}), s.Shape(1));
}

TEST(ButtonInput, MasksLimitTheHitAreaAndRemovedButtonsAreForgotten) {
  Stage s(std::string(kShapes) + kPush +
          "shape half\n  fill f solid black\n  rect 0 0 30 150 fill f\nend\n"
          "place half 1 clip 2\nplace push 2\nshow\nremove 2\nshow\nplace push 2\nshow\n");
  s.p().MouseMove(45, 15);  // the button's right half lies outside the mask
  EXPECT_EQ(s.Fired(), V{});
  s.p().MouseMove(15, 15);
  EXPECT_EQ(s.Fired(), V{1});
  s.p().MouseDown(15, 15);
  EXPECT_EQ(s.Fired(), V{3});
  // The button leaves the stage while pressed; input goes on without it.
  s.p().NextFrame();
  s.p().MouseMove(150, 100);
  s.p().MouseUp(150, 100);
  EXPECT_EQ(s.Fired(), V{});
  // A new instance at the same depth starts idle.
  s.p().NextFrame();
  EXPECT_EQ(s.Shows({1, 0}), s.Shape(1));
  s.p().MouseMove(15, 15);
  EXPECT_EQ(s.Fired(), V{1});
}

TEST(ButtonInput, ContentMovieShowsEachStateWhereItWasDrawn) {
  const auto dir = std::filesystem::path(__FILE__).parent_path().parent_path().parent_path() / "content";
  std::ifstream f(dir / "buttons.txt", std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  const std::vector<uint8_t> bytes = swfc::Compile(text);
  swf::MoviePlayer p(swf::LoadMovie(bytes.data(), bytes.size()));
  p.SetViewport(200, 150);
  std::vector<uint32_t> px(200 * 150);
  auto at = [&](int X, int Y) {
    p.Render({px.data(), 200, 150, 200 * 4}, {0, 0, 200, 150}, false);
    return px[static_cast<size_t>(Y) * 200 + static_cast<size_t>(X)] & 0xFFFFFF;
  };
  EXPECT_EQ(at(25, 25), 0x3060C0u);  // up
  p.MouseMove(62, 35);
  EXPECT_EQ(at(25, 25), 0x40A040u);  // over
  p.MouseDown(62, 35);
  EXPECT_EQ(at(25, 25), 0xC04040u);  // down
  p.MouseUp(62, 35);
  ASSERT_EQ(p.TakePendingActions().size(), 3u);  // roll over, press, release
  p.KeyPress(13);
  p.KeyPress('a');
  const auto keys = p.TakePendingActions();
  ASSERT_EQ(keys.size(), 2u);
  EXPECT_EQ(keys[0].bytes, (std::vector<uint8_t>{0x04, 0x00}));
  EXPECT_EQ(keys[1].bytes, (std::vector<uint8_t>{0x05, 0x00}));
}

}  // namespace
