// Video instances as scripts see them (typeof, instanceof, properties,
// clear, attachVideo), and an attached feed drawn and repainted by the
// player as its serial moves.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "renderers/engine/player.h"
#include "renderers/engine/src/player/display_list.h"
#include "renderers/engine/src/player/video_instance.h"
#include "renderers/engine/src/script/video_object.h"
#include "renderers/engine/src/video/video_feed.h"
#include "tests/portable/engine/movie_fakes.h"
#include "tests/portable/engine/script_fakes.h"

namespace {

using movie_test::Traces;

// A stand-in for a stream: a script object's data that hands out one feed.
class TestFeedSource : public swf::video::VideoFeedSource {
 public:
  explicit TestFeedSource(std::shared_ptr<swf::video::VideoFeed> F) : feed(std::move(F)) {}
  std::shared_ptr<swf::video::VideoFeed> Feed() override { return feed; }
  std::shared_ptr<swf::video::VideoFeed> feed;
};

std::optional<std::vector<uint8_t>> ReadVideo(const std::string& Name) {
  std::ifstream in(std::string(VT_TEST_VIDEOS) + "/" + Name, std::ios::binary);
  std::vector<uint8_t> b{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (b.empty()) return std::nullopt;
  return b;
}

// The Screen Video clip at its frame 2 as "v" (half size at 10, 10), an
// empty unnamed video at depth 2, and Script on the second frame.
struct VideoRig {
  explicit VideoRig(const std::string& Script)
      : movie(std::make_shared<const swf::Movie>(swfc::Parse(
            "size 320 240\nvideo clip 320 240 frames screen_320x240.flv\nvideo empty 40 30 codec screen\n"
            "place clip 1 ratio 2 name v at 10 10 scale 0.5\nplace empty 2 at 200 100\nshow\nactions\n" + Script +
                "\nend\nshow\nshow\n",
            ReadVideo))),
        instance(movie, host) {
    for (int i = 0; i < 3; ++i) instance.Step();
  }
  std::shared_ptr<const swf::Movie> movie;
  movie_test::RecordingHost host;
  swf::MovieInstance instance;
};

std::string Get(const std::string& Target, const std::string& Member) {
  return "push \"" + Target + "\"\ngetvariable\npush \"" + Member + "\"\ngetmember\ntrace\n";
}
std::string Set(const std::string& Target, const std::string& Member, const std::string& V) {
  return "push \"" + Target + "\"\ngetvariable\npush \"" + Member + "\" " + V + "\nsetmember\n";
}
std::string Call(const std::string& Target, const std::string& Method, const std::string& Arg = "") {
  return "push " + (Arg.empty() ? std::string("0") : Arg + " 1") + " \"" + Target + "\"\ngetvariable\npush \"" +
         Method + "\"\ncallmethod\npop\n";
}

TEST(VideoObject, PropertiesThroughScripts) {
  struct Case {
    std::string script;
    std::vector<std::string> want;
  };
  const Case cases[] = {
      // width and height: the picture's size, read only; _width the rectangle as placed.
      {"push \"v\"\ngetvariable\ntypeof\ntrace\npush \"v\"\ngetvariable\npush \"Video\"\ngetvariable\ninstanceof\ntrace\n" +
           Get("v", "_target") + Get("v", "_parent") + Set("v", "width", "5") + Get("v", "width") +
           Get("v", "height") + Get("v", "_width") + Get("v", "_x"),
       {"object", "true", "/v", "_level0", "320", "240", "160", "10"}},
      // No picture after clear (until the next frame) or attachVideo(null).
      {Get("v", "smoothing") + Set("v", "smoothing", "true") + Get("v", "smoothing") + Set("v", "deblocking", "2") +
           Get("v", "deblocking") + Set("v", "deblocking", "99") + Get("v", "deblocking") + Call("v", "clear") +
           Get("v", "width") + Call("v", "attachVideo", "null") + Get("v", "height"),
       {"false", "true", "2", "0", "0", "0"}},
      // The empty video, unnamed, found by its depth: no picture, so no size.
      {"push -16382 1 \"this\"\ngetvariable\npush \"getInstanceAtDepth\"\ncallmethod\npush \"width\"\n"
       "getmember\ntrace\n",
       {"0"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    VideoRig r(c.script);
    EXPECT_EQ(Traces(r.host), c.want);
  }
}

// ---- attachVideo from a script, with a feed put into a script object ----

class FakeVideo : public script_test::FakeClip, public swf::ScriptVideo {
 public:
  using FakeClip::FakeClip;
  void AttachFeed(std::shared_ptr<swf::video::VideoFeed> Feed) override { attached.push_back(Feed); }
  void ClearPicture() override { ++cleared; }
  std::vector<std::shared_ptr<swf::video::VideoFeed>> attached;
  int cleared = 0;
};

TEST(VideoObject, AttachVideoTakesTheFeedOfItsArgument) {
  script_test::World w;
  FakeVideo video(w.runtime, "", nullptr, &w.levels, 2);
  w.levels[2] = &video;
  video.Variables()->prototype = w.runtime.BuiltinPrototype("Video");
  auto feed = std::make_shared<swf::video::VideoFeed>();
  swf::Object* stream = w.runtime.NewObject();
  stream->data = std::make_unique<TestFeedSource>(feed);
  w.runtime.Global()->Set("stream", swf::Value::Obj(stream));
  w.runtime.Global()->Set("plain", swf::Value::Obj(w.runtime.NewObject()));

  ASSERT_TRUE(w.Run(Call("_level2", "attachVideo", "\"stream\"\ngetvariable\npush") + Call("_level2", "attachVideo", "null") +
                    Call("_level2", "attachVideo", "\"plain\"\ngetvariable\npush") + Call("_level2", "clear") +
                    // Called on something that is no video: nothing happens.
                    Call("_level0", "attachVideo", "null")));
  EXPECT_EQ(video.attached, (std::vector<std::shared_ptr<swf::video::VideoFeed>>{feed, nullptr, nullptr}));
  EXPECT_EQ(video.cleared, 1);
}

// ---- the player: an attached feed's pictures ----

TEST(VideoObject, AttachedFeedIsDrawnScaledAndRepaintedWhenItsSerialMoves) {
  auto movie = std::make_shared<const swf::Movie>(swfc::Parse("size 100 100\nvideo e 40 30\nplace e 1 at 10 20\n"));
  swf::MoviePlayer p(movie);
  swf::detail::VideoInstance& video = *p.RootTimeline().list.at(1)->video;
  auto feed = std::make_shared<swf::video::VideoFeed>();
  video.Attach(feed);
  EXPECT_TRUE(p.Refresh().empty());  // an empty feed shows nothing
  EXPECT_EQ(video.PictureWidth(), 0);

  // A 20x15 picture: drawn twice its size into the 40x30 rectangle.
  feed->picture = {20, 15, std::vector<uint32_t>(20 * 15, 0xFF3366CCu)};
  EXPECT_TRUE(p.Refresh().empty());  // the serial did not move: not looked at
  ++feed->serial;
  std::vector<swf::IntRect> changed = p.Refresh();
  ASSERT_EQ(changed.size(), 1u);
  EXPECT_EQ(changed[0].Intersect({10, 20, 50, 50}), (swf::IntRect{10, 20, 50, 50}));
  EXPECT_EQ(std::pair(video.PictureWidth(), video.PictureHeight()), std::pair(20, 15));
  std::vector<uint32_t> px(100 * 100);
  p.Render({px.data(), 100, 100, 400}, {0, 0, 100, 100}, false);
  EXPECT_EQ(std::vector<uint32_t>({px[21 * 100 + 11], px[49 * 100 + 49], px[50 * 100 + 50], px[19 * 100 + 30]}),
            std::vector<uint32_t>({0xFF3366CCu, 0xFF3366CCu, 0xFFFFFFFFu, 0xFFFFFFFFu}));

  // Clear until the next picture; detached for good.
  video.Clear();
  EXPECT_EQ(p.Refresh().size(), 1u);
  EXPECT_TRUE(p.Refresh().empty());
  ++feed->serial;
  EXPECT_EQ(p.Refresh().size(), 1u);
  video.Attach(nullptr);
  EXPECT_EQ(p.Refresh().size(), 1u);
  ++feed->serial;
  EXPECT_TRUE(p.Refresh().empty());
}

}  // namespace
