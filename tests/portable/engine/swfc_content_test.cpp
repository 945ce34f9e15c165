// The test content (tests/content/*.txt) compiled with swfc, loaded and
// played: every file compiles, and each construct shows where it should.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "renderers/engine/player.h"
#include "renderers/engine/reader.h"
#include "tools/swfc/compile.h"

namespace {

std::filesystem::path ContentDir() {
  // tests/portable/engine/<this file> -> tests/content
  return std::filesystem::path(__FILE__).parent_path().parent_path().parent_path() / "content";
}

std::string ReadText(const std::string& Name) {
  std::ifstream f(ContentDir() / Name, std::ios::binary);
  if (!f) throw std::runtime_error("cannot open " + (ContentDir() / Name).string());
  return std::string((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

std::shared_ptr<const swf::Movie> Load(const std::string& Name) {
  // Image files a description names lie beside it.
  const auto files = [](const std::string& Path) -> std::optional<std::vector<uint8_t>> {
    std::ifstream f(ContentDir() / Path, std::ios::binary);
    if (!f) return std::nullopt;
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  };
  std::vector<uint8_t> bytes = swfc::Compile(ReadText(Name), files);
  return swf::LoadMovie(bytes.data(), bytes.size());
}

// Plays a content movie at its stage size (200x150, one pixel a pixel).
class Stage {
 public:
  explicit Stage(const std::string& Name) : player_(Load(Name)), pixels_(200 * 150) {
    player_.SetViewport(200, 150);
    Draw();
  }
  void Goto(int32_t Frame) {
    player_.GotoFrame(Frame);
    Draw();
  }
  uint32_t At(int X, int Y) const { return pixels_[static_cast<size_t>(Y) * 200 + static_cast<size_t>(X)]; }
  swf::MoviePlayer& player() { return player_; }

 private:
  void Draw() {
    std::fill(pixels_.begin(), pixels_.end(), 0u);
    player_.Render({pixels_.data(), 200, 150, 200 * 4}, {0, 0, 200, 150}, false);
  }
  swf::MoviePlayer player_;
  std::vector<uint32_t> pixels_;
};

::testing::AssertionResult Near(uint32_t Actual, uint32_t Expected, int Tolerance = 2) {
  for (int s = 0; s < 32; s += 8) {
    int a = static_cast<int>((Actual >> s) & 0xff), e = static_cast<int>((Expected >> s) & 0xff);
    if (std::abs(a - e) > Tolerance) {
      std::ostringstream m;
      m << std::hex << "pixel 0x" << Actual << ", expected 0x" << Expected;
      return ::testing::AssertionFailure() << m.str();
    }
  }
  return ::testing::AssertionSuccess();
}

constexpr uint32_t kWhite = 0xffffffff;

}  // namespace

TEST(SwfcContent, EveryFileCompilesAndLoads) {
  size_t count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(ContentDir())) {
    if (entry.path().extension() != ".txt") continue;
    SCOPED_TRACE(entry.path().filename().string());
    ++count;
    std::shared_ptr<const swf::Movie> m;
    ASSERT_NO_THROW(m = Load(entry.path().filename().string()));
    EXPECT_EQ(m->frameSize, (swf::Rect{0, 0, 4000, 3000}));
    swf::MoviePlayer p(m);
    p.SetViewport(100, 75);
    for (int32_t f = 0; f < p.TotalFrames(); ++f) p.GotoFrame(f);
  }
  EXPECT_GE(count, 16u);
}

TEST(SwfcContent, FillsHolesAndSharedEdges) {
  Stage s("holes.txt");
  EXPECT_TRUE(Near(s.At(15, 15), 0xffff0000));
  EXPECT_TRUE(Near(s.At(50, 50), 0xff80ff80));   // the square hole
  EXPECT_TRUE(Near(s.At(140, 50), 0xff80ff80));  // the ring's hole
  EXPECT_TRUE(Near(s.At(140, 15), 0xff0000ff));
  // Regions sharing the edge at x = 100 meet without a seam.
  EXPECT_TRUE(Near(s.At(99, 120), 0xffffcc00, 0));
  EXPECT_TRUE(Near(s.At(100, 120), 0xff00aacc, 0));

  Stage solid("fills_solid.txt");
  EXPECT_TRUE(Near(solid.At(30, 30), 0xffff0000));
  EXPECT_TRUE(Near(solid.At(170, 110), 0xff7f7fff));  // half-transparent blue over white

  Stage curves("curves.txt");
  EXPECT_TRUE(Near(curves.At(50, 50), 0xff3060ff));
  EXPECT_TRUE(Near(curves.At(50, 5), kWhite));  // above the circle and its line
  EXPECT_TRUE(Near(curves.At(150, 40), 0xffff9020));
}

TEST(SwfcContent, GradientsAndBitmaps) {
  Stage g("fills_gradients.txt");
  EXPECT_TRUE(Near(g.At(10, 40), 0xffff0000, 8));
  EXPECT_TRUE(Near(g.At(89, 40), 0xff0000ff, 8));
  EXPECT_TRUE(Near(g.At(50, 40), 0xffffff00, 8));

  Stage b("bitmaps.txt");
  EXPECT_TRUE(Near(b.At(15, 15), 0xffff0000));   // opaque bitmap, pixel (0,0), 20 px a pixel
  EXPECT_TRUE(Near(b.At(55, 35), 0xff000000));   // pixel (2,1)
  EXPECT_TRUE(Near(b.At(85, 15), 0xff4080c0));   // a transparent pixel shows the background
  EXPECT_TRUE(Near(b.At(125, 55), 0xffff0000));  // an opaque pixel of the same bitmap
}

TEST(SwfcContent, ColourTransformsAndMasks) {
  Stage c("cxforms.txt");
  EXPECT_TRUE(Near(c.At(30, 30), 0xff8080ff));
  EXPECT_TRUE(Near(c.At(80, 30), 0xff404080));   // halved
  EXPECT_TRUE(Near(c.At(120, 30), 0xffff807f));  // added
  EXPECT_TRUE(Near(c.At(80, 90), 0xffff8000));   // replaced

  Stage m("masks.txt");
  EXPECT_TRUE(Near(m.At(10, 10), kWhite));       // outside the mask
  EXPECT_TRUE(Near(m.At(10, 75), kWhite));       // the masked bar outside the circle
  EXPECT_TRUE(Near(m.At(100, 40), 0xff4040ff));  // a stripe through the mask
  EXPECT_TRUE(Near(m.At(100, 75), 0xff20c020));  // the masked bar inside the circle
  EXPECT_TRUE(Near(m.At(10, 125), 0xff20c020));  // the bar above the mask shows whole
}

TEST(SwfcContent, FramesLabelsRemovalAndSprites) {
  Stage f("frames_labels.txt");
  EXPECT_EQ(f.player().TotalFrames(), 5);
  EXPECT_EQ(f.player().FindLabel("middle"), 2);
  EXPECT_EQ(f.player().FindLabel("end"), 4);
  EXPECT_TRUE(Near(f.At(20, 70), 0xff008060));
  f.Goto(4);
  EXPECT_TRUE(Near(f.At(20, 70), kWhite));
  EXPECT_TRUE(Near(f.At(160, 70), 0xff008060));
  f.Goto(0);
  EXPECT_TRUE(Near(f.At(20, 70), 0xff008060));

  Stage r("remove.txt");
  EXPECT_TRUE(Near(r.At(50, 75), 0xffff0000));
  r.Goto(1);
  EXPECT_TRUE(Near(r.At(50, 75), kWhite));
  EXPECT_TRUE(Near(r.At(150, 75), 0xff0000ff));
  r.Goto(2);
  EXPECT_TRUE(Near(r.At(150, 75), kWhite));
  r.Goto(3);
  EXPECT_TRUE(Near(r.At(50, 75), 0xffff0000));

  Stage n("sprites_nested.txt");
  EXPECT_TRUE(Near(n.At(100, 65), 0xff808080));  // the carriage body
  EXPECT_TRUE(Near(n.At(75, 90), 0xffff0000));   // a wheel's hub, two sprites deep
}

TEST(SwfcContent, NamesActionsAndTagVersionsAsLoaded) {
  std::shared_ptr<const swf::Movie> names = Load("names.txt");
  EXPECT_EQ(std::get<swf::PlaceObject>(names->timeline.frames[0].tags[1]).name, "the holder");

  std::shared_ptr<const swf::Movie> actions = Load("actions.txt");
  ASSERT_EQ(actions->timeline.frames.size(), 2u);
  EXPECT_EQ(actions->timeline.frames[1].actions, (std::vector<std::vector<uint8_t>>{{0x07, 0x00}}));

  std::shared_ptr<const swf::Movie> v = Load("tag_versions.txt");
  for (uint16_t id = 1; id <= 4; ++id) EXPECT_EQ(std::get<swf::Shape>(v->dictionary.at(id)).tagVersion, id);
  const std::vector<swf::ControlTag>& tags = v->timeline.frames[0].tags;
  const uint8_t placeVersions[] = {1, 2, 3, 1};
  for (size_t i = 0; i < 4; ++i) EXPECT_EQ(std::get<swf::PlaceObject>(tags[i]).tagVersion, placeVersions[i]);
}
