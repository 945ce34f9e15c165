// The package's resources: the player movie and the four skins are linked
// into every program that links the package, found by name without regard to
// case, and are valid compressed version 8 movies. The player movie has the
// instance flv and answers its two callbacks; each skin draws its bar in its
// own colours. Run with a skin, the player movie keeps the settings it is
// given, finds the skin's parts and drives them.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "renderers/engine/movie.h"
#include "renderers/engine/reader.h"

namespace {

// The bytes of an RCDATA resource of this program, or nothing.
std::vector<uint8_t> Resource(const wchar_t* Name) {
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC info = FindResourceW(module, Name, RT_RCDATA);
  if (!info) return {};
  HGLOBAL data = LoadResource(module, info);
  const auto* p = static_cast<const uint8_t*>(LockResource(data));
  return std::vector<uint8_t>(p, p + SizeofResource(module, info));
}

class QuietHost : public swf::MovieHost {
 public:
  void RequestUrl(int, const std::string&, const std::string&) override {}
  void FSCommand(const std::string&, const std::string&) override {}
  std::string CallExternal(const std::string&, const std::vector<swf::ExternalValue>&) override { return {}; }
  void Invalidate(const swf::IntRect&) override {}
  void Log(const std::string& Text) override { log.push_back(Text); }
  std::vector<std::string> log;
};

std::shared_ptr<const swf::Movie> LoadChecked(const wchar_t* Name, const std::vector<uint8_t>& Bytes) {
  EXPECT_GT(Bytes.size(), 8u) << "resource " << std::string(Name, Name + wcslen(Name)) << " is missing";
  if (Bytes.size() <= 8) return nullptr;
  EXPECT_EQ(std::string(Bytes.begin(), Bytes.begin() + 3), "CWS");
  std::shared_ptr<const swf::Movie> movie = swf::LoadMovie(Bytes.data(), Bytes.size());
  EXPECT_EQ(movie->version, 8);
  EXPECT_TRUE(movie->compressed);
  return movie;
}

TEST(PackageResources, EveryMovieIsFoundWhateverTheCaseOfItsName) {
  for (const wchar_t* name : {L"FLVPLAYBACK", L"flvplayback", L"CLEAROVERALL", L"ClearOverAll",
                              L"STEELOVERALL", L"steelOverAll", L"MOJAVEOVERALL", L"MojaveOverAll",
                              L"ARCTICOVERALL", L"arcticoverall"}) {
    SCOPED_TRACE(std::string(name, name + wcslen(name)));
    LoadChecked(name, Resource(name));
  }
  EXPECT_TRUE(Resource(L"FLVPLAYBACK.SWF").empty()) << "resources are named without the extension";
}

TEST(PackageResources, PlayerMovieHasTheInstanceFlvAndItsTwoCallbacks) {
  auto movie = LoadChecked(L"FLVPLAYBACK", Resource(L"FLVPLAYBACK"));
  ASSERT_TRUE(movie);
  QuietHost host;
  swf::MovieInstance instance(movie, host);
  instance.Step();
  // The drivers' three variables reach the instance flv.
  instance.SetVariable("flv.skin", "ClearOverAll.swf");
  instance.SetVariable("flv.volume", "50");
  instance.SetVariable("flv.contentPath", "http://vt-d7.invalid/clip.flv");
  EXPECT_EQ(instance.GetVariable("flv.skin"), "ClearOverAll.swf");
  EXPECT_EQ(instance.GetVariable("flv.volume"), "50");
  EXPECT_EQ(instance.GetVariable("flv.contentPath"), "http://vt-d7.invalid/clip.flv");
  // The requests the drivers send, without arguments.
  EXPECT_EQ(instance.CallFunction("<invoke name=\"stopflv\" returntype=\"xml\"></invoke>"),
            "<string>paused</string>");
  EXPECT_EQ(instance.GetVariable("flv.state"), "paused");
  EXPECT_EQ(instance.CallFunction("<invoke name=\"playflv\" returntype=\"xml\"></invoke>"),
            "<string>playing</string>");
  EXPECT_EQ(instance.GetVariable("flv.state"), "playing");
  EXPECT_EQ(instance.CallFunction("<invoke name=\"nosuch\" returntype=\"xml\"></invoke>"), "<undefined/>");
  EXPECT_TRUE(host.log.empty()) << host.log.front();
}

TEST(PackageResources, EachSkinDrawsItsBarInItsOwnColours) {
  std::set<uint32_t> bars, buttons;
  for (const wchar_t* name : {L"CLEAROVERALL", L"STEELOVERALL", L"MOJAVEOVERALL", L"ARCTICOVERALL"}) {
    SCOPED_TRACE(std::string(name, name + wcslen(name)));
    auto movie = LoadChecked(name, Resource(name));
    ASSERT_TRUE(movie);
    QuietHost host;
    swf::MovieInstance instance(movie, host);
    instance.SetViewport(320, 40);
    instance.Step();
    std::vector<uint32_t> pixels(320 * 40);
    instance.Render({pixels.data(), 320, 40, 320 * 4}, {0, 0, 320, 40}, false);
    const uint32_t bar = pixels[30 * 320 + 160], button = pixels[20 * 320 + 11];
    EXPECT_EQ(bar >> 24, 0xFFu);
    EXPECT_NE(bar, button) << "the play button stands out of the bar";
    bars.insert(bar);
    buttons.insert(button);
  }
  EXPECT_EQ(bars.size(), 4u);
  EXPECT_EQ(buttons.size(), 4u);
}

// The player movie with a skin, as a renderer runs it: the host records the
// requests and serves the skins from the resources.
class PlayerHost : public QuietHost {
 public:
  void RequestUrl(int Id, const std::string& Url, const std::string&) override { requests.emplace_back(Id, Url); }
  std::vector<std::pair<int, std::string>> requests;
};

struct PlayerRun {
  PlayerHost host;
  std::unique_ptr<swf::MovieInstance> instance;
  std::vector<std::string> urls;  // every request, in order

  std::string video;  // the bytes served for the content path

  explicit PlayerRun(bool SetBeforeFirstFrame, const std::string& Skin = "ClearOverAll.swf",
                     std::string Video = {})
      : video(std::move(Video)) {
    auto movie = LoadChecked(L"FLVPLAYBACK", Resource(L"FLVPLAYBACK"));
    if (!movie) return;
    instance = std::make_unique<swf::MovieInstance>(movie, host);
    if (!SetBeforeFirstFrame) instance->Step();
    instance->SetVariable("flv.skin", Skin);
    instance->SetVariable("flv.volume", "50");
    instance->SetVariable("flv.contentPath", kContentPath);
    Steps(3);
  }
  // Steps, answering each request: the video at the content path, a skin
  // from the resources, anything else not found.
  void Steps(int Count) {
    for (int i = 0; i < Count; ++i) {
      instance->Step();
      for (const auto& [id, url] : std::exchange(host.requests, {})) {
        urls.push_back(url);
        const std::string stem = url.size() > 4 ? url.substr(0, url.size() - 4) : std::string();
        std::vector<uint8_t> bytes = Resource(std::wstring(stem.begin(), stem.end()).c_str());
        if (url == kContentPath) bytes.assign(video.begin(), video.end());
        if (!bytes.empty()) instance->DeliverData(id, bytes.data(), bytes.size());
        instance->FinishRequest(id, !bytes.empty());
      }
    }
  }
  static constexpr const char* kContentPath = "http://vt-d7.invalid/clip.flv";
  std::string Get(const std::string& Path) { return instance->GetVariable(Path); }
  void Click(double X, double Y) {
    instance->MouseMove(X, Y);
    instance->MouseDown(X, Y);
    instance->MouseUp(X, Y);
    Steps(1);
  }
};

TEST(PlayerMovie, KeepsTheDriversSettingsWhenEverTheyComeAndLoadsTheSkin) {
  for (const bool before : {true, false}) {
    SCOPED_TRACE(before ? "set before the first frame" : "set after the first frame");
    PlayerRun run(before);
    ASSERT_TRUE(run.instance);
    EXPECT_EQ(run.Get("flv.skin"), "ClearOverAll.swf");
    EXPECT_EQ(run.Get("flv.volume"), "50");
    EXPECT_EQ(run.Get("flv.contentPath"), PlayerRun::kContentPath);
    ASSERT_FALSE(run.urls.empty());
    EXPECT_EQ(run.urls.front(), "ClearOverAll.swf");
    EXPECT_EQ(run.Get("flv.bound"), "true") << "the skin's parts were found";
    EXPECT_EQ(run.Get("flv.state"), "playing");
    EXPECT_EQ(run.Get("flv.skinHolder.playButton._currentframe"), "2") << "the button shows pause";
    EXPECT_EQ(run.Get("flv.skinHolder.volumeLevel._xscale"), "50");
    EXPECT_EQ(run.Get("flv.timeLabel"), "0:00 / 0:00");
    // A skin set again is loaded again; the other settings stay.
    run.instance->SetVariable("flv.skin", "ArcticOverAll.swf");
    run.Steps(3);
    EXPECT_EQ(run.urls.back(), "ArcticOverAll.swf");
    EXPECT_EQ(run.Get("flv.bound"), "true");
    EXPECT_EQ(run.Get("flv.contentPath"), "http://vt-d7.invalid/clip.flv");
    EXPECT_TRUE(run.host.log.empty()) << run.host.log.front();
  }
}

TEST(PlayerMovie, ASkinThatIsNotFoundLeavesThePlayerWithoutControls) {
  PlayerRun run(false, ".swf");
  ASSERT_TRUE(run.instance);
  ASSERT_FALSE(run.urls.empty());
  EXPECT_EQ(run.urls.front(), ".swf");
  EXPECT_EQ(run.Get("flv.skin"), ".swf");
  EXPECT_EQ(run.Get("flv.bound"), "false");
  EXPECT_EQ(run.instance->CallFunction("<invoke name=\"stopflv\" returntype=\"xml\"></invoke>"),
            "<string>paused</string>");
  run.Steps(2);
  EXPECT_EQ(run.Get("flv.state"), "paused");
}

TEST(PlayerMovie, CallbacksAndThePlayButtonPauseAndResume) {
  PlayerRun run(true);
  ASSERT_TRUE(run.instance);
  struct Step {
    std::function<void()> act;
    const char* state;
    const char* frame;
  };
  const std::vector<Step> steps = {
      {[&] { EXPECT_EQ(run.instance->CallFunction("<invoke name=\"stopflv\" returntype=\"xml\"></invoke>"),
                       "<string>paused</string>"); }, "paused", "1"},
      {[&] { EXPECT_EQ(run.instance->CallFunction("<invoke name=\"playflv\" returntype=\"xml\"></invoke>"),
                       "<string>playing</string>"); }, "playing", "2"},
      {[&] { run.Click(20, 220); }, "paused", "1"},
      {[&] { run.Click(20, 220); }, "playing", "2"},
      {[&] { run.Click(160, 120); }, "playing", "2"},  // the picture is no button
  };
  for (size_t i = 0; i < steps.size(); ++i) {
    SCOPED_TRACE(i);
    steps[i].act();
    run.Steps(1);
    EXPECT_EQ(run.Get("flv.state"), steps[i].state);
    EXPECT_EQ(run.Get("flv.skinHolder.playButton._currentframe"), steps[i].frame);
  }
}

TEST(PlayerMovie, TheVolumeReachesTheSkinsBarAndAClickOnItSetsIt) {
  PlayerRun run(true);
  ASSERT_TRUE(run.instance);
  const struct {
    const char* set;
    const char* shown;
  } rows[] = {{"80", "80"}, {"0", "0"}, {"150", "100"}, {"-3", "0"}, {"loud", "0"}, {"35.5", "35.5"}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.set);
    run.instance->SetVariable("flv.volume", row.set);
    run.Steps(1);
    EXPECT_EQ(run.Get("flv.volume"), row.set) << "the driver's value stays as it was set";
    EXPECT_EQ(run.Get("flv.volumeShown"), row.shown);
    EXPECT_EQ(run.Get("flv.skinHolder.volumeLevel._xscale"), row.shown);
  }
  // The volume bar runs from x 271 to 315 along the bottom bar (y 200..240),
  // in zones of two pixels.
  const struct {
    double x;
    int low, high;
  } clicks[] = {{271.5, 0, 0}, {314.5, 100, 100}, {293, 45, 55}, {282, 20, 30}};
  for (const auto& click : clicks) {
    SCOPED_TRACE(click.x);
    run.Click(click.x, 220);
    const int volume = std::stoi(run.Get("flv.volume"));
    EXPECT_GE(volume, click.low);
    EXPECT_LE(volume, click.high);
    EXPECT_EQ(run.Get("flv.skinHolder.volumeLevel._xscale"), std::to_string(volume));
  }
}

std::string VideoBytes(const char* Name) {
  std::ifstream in(std::string(VT_VIDEOS_DIR) + "/" + Name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Screen Video, 320 x 240, three seconds at ten frames a second with a
// keyframe a second, played by the player movie's ticks (24 a second).
TEST(PlayerMovie, PlaysTheVideoShowsItsProgressSeeksAndStopsAtTheEnd) {
  const std::string clip = VideoBytes("screen_320x240.flv");
  ASSERT_FALSE(clip.empty()) << "no test video";
  PlayerRun run(true, "ClearOverAll.swf", clip);
  ASSERT_TRUE(run.instance);
  EXPECT_NE(std::find(run.urls.begin(), run.urls.end(), PlayerRun::kContentPath), run.urls.end());
  run.Steps(24);
  EXPECT_EQ(run.Get("flv.duration"), "3");
  EXPECT_EQ(run.Get("flv.state"), "playing");
  EXPECT_EQ(run.Get("flv.timeLabel"), "0:01 / 0:03");
  EXPECT_EQ(run.Get("flv.loaded"), "1");
  EXPECT_EQ(run.Get("flv.skinHolder.loadedBar._xscale"), "100");
  const double played = std::stod(run.Get("flv.played"));
  EXPECT_GT(played, 0.2);
  EXPECT_LT(played, 0.5);
  EXPECT_NEAR(std::stod(run.Get("flv.skinHolder.playedBar._xscale")), played * 100, 1e-6);
  // The picture fills the stage above the bar.
  std::vector<uint32_t> pixels(320 * 240);
  run.instance->Render({pixels.data(), 320, 240, 320 * 4}, {0, 0, 320, 240}, false);
  EXPECT_NE(pixels[100 * 320 + 160], 0xff101418u) << "no picture";

  // A click three quarters along the seek bar (x 44..194) seeks to the
  // keyframe before 2.25 s.
  run.Click(44 + 0.75 * 150, 220);
  run.Steps(2);
  EXPECT_EQ(run.Get("flv.timeLabel").substr(0, 4), "0:02");

  for (int i = 0; i < 40 && run.Get("flv.state") != "ended"; ++i) run.Steps(1);
  EXPECT_EQ(run.Get("flv.state"), "ended");
  EXPECT_EQ(run.Get("flv.lastStatus"), "NetStream.Play.Stop");
  run.Steps(1);
  EXPECT_EQ(run.Get("flv.timeLabel"), "0:03 / 0:03");
  EXPECT_EQ(run.Get("flv.skinHolder.playButton._currentframe"), "1") << "the button shows play";
  EXPECT_EQ(run.Get("flv.played"), "1");
  std::vector<uint32_t> last(320 * 240), later(320 * 240);
  run.instance->Render({last.data(), 320, 240, 320 * 4}, {0, 0, 320, 240}, false);
  run.Steps(5);
  run.instance->Render({later.data(), 320, 240, 320 * 4}, {0, 0, 320, 240}, false);
  EXPECT_EQ(last, later) << "the last picture stays";

  // Play again starts over.
  EXPECT_EQ(run.instance->CallFunction("<invoke name=\"playflv\" returntype=\"xml\"></invoke>"),
            "<string>playing</string>");
  run.Steps(2);
  EXPECT_EQ(run.Get("flv.timeLabel"), "0:00 / 0:03");
  EXPECT_EQ(run.Get("flv.skinHolder.playButton._currentframe"), "2");
}

TEST(PlayerMovie, EverySkinHasThePartsThePlayerLooksFor) {
  for (const char* skin : {"ClearOverAll.swf", "SteelOverAll.swf", "MojaveOverAll.swf", "ArcticOverAll.swf"}) {
    SCOPED_TRACE(skin);
    PlayerRun run(true, skin);
    ASSERT_TRUE(run.instance);
    EXPECT_EQ(run.Get("flv.bound"), "true");
    for (const char* part : {"playButton", "seekBar", "loadedBar", "playedBar", "seekHandle", "timeText",
                             "volumeBar", "volumeLevel"})
      EXPECT_NE(run.Get(std::string("flv.skinHolder.") + part + "._name"), "") << part;
    EXPECT_EQ(run.Get("flv.skinHolder.playButton._totalframes"), "2");
    EXPECT_EQ(run.Get("flv.skinHolder.timeText.text"), "0:00 / 0:00");
  }
}

}  // namespace
