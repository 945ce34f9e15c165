// FLV video through the player movie with the real stand-in renderers, for
// both drivers and both ways of loading (a file name, an application
// stream): the settings the driver gives reach the instance flv and stay,
// the skin and the video the movie asks for come back through the driver,
// and the component's Skin and Volume reach the skin.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "activex_fake_control.h"
#include "end_to_end_support.h"
#include "framework/Forms.h"
#include "vt_d7/Vt_driver_activex.h"
#include "vt_d7/Vt_driver_netscape.h"
#include "vt_d7/Vt_flashplayer.h"

namespace {

using namespace std::chrono_literals;

std::wstring VideoPath(const char* Name) {
  const std::string path = std::string(VT_VIDEOS_DIR) + "/" + Name;
  return std::wstring(path.begin(), path.end());
}

std::string FileBytes(const std::wstring& Path) {
  std::ifstream in(std::string(Path.begin(), Path.end()), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

struct TLoadWay {
  const char* name;
  bool stream;
};
constexpr TLoadWay kWays[] = {{"name", false}, {"stream", true}};

// Both stand-in renderers, each available to the players for one test.
class FlvPlayerEndToEnd : public ::testing::TestWithParam<vt::TvtPlugin> {
 protected:
  void SetUp() override {
    if (GetParam() == vt::vtNetscape) {
      ASSERT_TRUE(vt_test::LoadStandInModule()) << "the stand-in module did not load";
    } else {
      ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
      com_ = true;
      vt::InitializeActiveXDriverUnit(vt::CLASS_vtFlashPlayer);
      vt::CheckFlashActiveX();
      ASSERT_TRUE(vt::FlashActiveXAvailable) << "the stand-in control is not registered";
    }
  }
  void TearDown() override {
    if (GetParam() == vt::vtNetscape) {
      vt::FinalizeNetscapeDriverUnit();
    } else if (com_) {
      vt::InitializeActiveXDriverUnit(vt_test::CLSID_NoFlashControl);
      CoUninitialize();
    }
  }

  // An off-screen player of this renderer at the player movie's size.
  std::unique_ptr<vt::TvtFlashPlayerComp> NewPlayer() {
    auto player = std::make_unique<vt::TvtFlashPlayerComp>(nullptr);
    player->SetPlugin(GetParam());
    player->SetWidth(320);
    player->SetHeight(240);
    return player;
  }

  // A stream stays the application's: the ActiveX driver reads the video
  // from it when the player movie asks, so it lives as long as the test.
  void Load(vt::TvtFlashPlayerComp& Player, const TLoadWay& Way, const std::wstring& Video) {
    if (!Way.stream) {
      Player.LoadMovie(Video);
      return;
    }
    const std::string bytes = FileBytes(Video);
    ASSERT_FALSE(bytes.empty()) << "no test video";
    auto& stream = *streams_.emplace_back(std::make_unique<vcl::TMemoryStream>());
    stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    stream.Seek(0, vcl::soBeginning);
    Player.LoadMovieFromStream(&stream);
  }

  static bool WaitFor(vt::TvtFlashPlayerComp& Player, const wchar_t* Name, const std::wstring& Value,
                      std::chrono::milliseconds Limit = 5s) {
    return vt_test::PumpUntil([&] { return Player.GetVariable(Name) == Value; }, Limit);
  }

  bool com_ = false;
  std::vector<std::unique_ptr<vcl::TMemoryStream>> streams_;
};

TEST_P(FlvPlayerEndToEnd, TheDriversSettingsReachTheComponentAndTheSkinComesBackThroughTheDriver) {
  const std::wstring video = VideoPath("screen_320x240.flv");
  for (const TLoadWay& way : kWays) {
    SCOPED_TRACE(way.name);
    auto player = NewPlayer();
    Load(*player, way, video);
    ASSERT_TRUE(WaitFor(*player, L"flv.bound", L"true")) << "the skin never arrived";
    EXPECT_EQ(player->GetVariable(L"flv.skin"), L"ClearOverAll.swf");
    EXPECT_EQ(player->GetVariable(L"flv.volume"), L"50");
    const std::wstring path = player->GetVariable(L"flv.contentPath");
    EXPECT_TRUE(path.starts_with(vt::PlaceholderRoot)) << std::string(path.begin(), path.end());
    EXPECT_TRUE(path.ends_with(way.stream ? L".flv" : L"screen_320x240.flv"))
        << std::string(path.begin(), path.end());
    EXPECT_EQ(player->GetVariable(L"flv.skinHolder.playButton._totalframes"), L"2");
    // The video came back through the driver too: its metadata reached the movie.
    EXPECT_TRUE(WaitFor(*player, L"flv.duration", L"3")) << "the video never arrived";
  }
}

TEST_P(FlvPlayerEndToEnd, AnEmptySkinAsksForOneThatIsFoundNowhereAndThePlayerGoesOn) {
  auto player = NewPlayer();
  player->SetSkin("");
  Load(*player, kWays[0], VideoPath("screen_320x240.flv"));
  ASSERT_TRUE(WaitFor(*player, L"flv.skin", L".swf"));
  vt_test::PumpUntil([] { return false; }, 300ms);
  EXPECT_EQ(player->GetVariable(L"flv.bound"), L"false");
  EXPECT_TRUE(player->GetVariable(L"flv.contentPath").ends_with(L"screen_320x240.flv"));
  player->SetPause(true);
  EXPECT_EQ(player->GetVariable(L"flv.state"), L"paused");
}

TEST_P(FlvPlayerEndToEnd, VolumeWhilePlayingReachesTheSkinsVolumeBar) {
  auto player = NewPlayer();
  player->SetSkin("SteelOverAll");
  Load(*player, kWays[1], VideoPath("screen_320x240.flv"));
  ASSERT_TRUE(WaitFor(*player, L"flv.skinHolder.volumeLevel._xscale", L"50"));
  player->SetVolume(80);
  EXPECT_EQ(player->GetVariable(L"flv.volume"), L"80");
  EXPECT_TRUE(WaitFor(*player, L"flv.skinHolder.volumeLevel._xscale", L"80"));
  EXPECT_EQ(player->GetVariable(L"flv.skin"), L"SteelOverAll.swf");
}

// The picture a player shows now, after the messages waiting were handled.
std::vector<uint32_t> Picture(vt::TvtFlashDriver& Driver) {
  vcl::Application()->ProcessMessages();
  return std::vector<uint32_t>(Driver.FBits, Driver.FBits + Driver.FWidth * Driver.FHeight);
}

bool PictureChanges(vt::TvtFlashDriver& Driver, const std::vector<uint32_t>& From,
                    std::chrono::milliseconds Limit = 2s) {
  return vt_test::PumpUntil([&] { return Picture(Driver) != From; }, Limit);
}

// Pause through the component, for an off-screen player and one on a form:
// the picture stands still while paused and moves again after; at the end of
// the video it stays on the last picture and the button shows play.
TEST_P(FlvPlayerEndToEnd, PauseStopsAndResumesThePictureAndTheEndStaysOnTheLastPicture) {
  const std::wstring video = VideoPath("screen_320x240.flv");
  vcl::TForm form(nullptr);
  form.SetBounds(0, 0, 400, 300);
  form.Handle();
  for (const bool onForm : {false, true}) {
    SCOPED_TRACE(onForm ? "TvtFlashPlayer" : "TvtFlashPlayerComp");
    std::unique_ptr<vt::TvtFlashPlayerComp> comp;
    vt::TvtFlashPlayer* graphic = nullptr;
    vt::IvtFlash* flash = nullptr;
    if (onForm) {
      graphic = new vt::TvtFlashPlayer(&form);
      graphic->SetParent(&form);
      graphic->SetTransparent(false);
      graphic->SetPlugin(GetParam());
      graphic->SetBounds(0, 0, 320, 240);
      graphic->LoadMovie(video);
      flash = graphic;
    } else {
      comp = NewPlayer();
      comp->LoadMovie(video);
      flash = comp.get();
    }
    auto driver = [&]() -> vt::TvtFlashDriver& { return onForm ? *graphic->Driver() : *comp->Driver(); };
    auto pause = [&](bool Value) { onForm ? graphic->SetPause(Value) : comp->SetPause(Value); };
    auto state = [&] { return flash->GetVariable(L"flv.state"); };
    ASSERT_TRUE(vt_test::PumpUntil([&] { return flash->GetVariable(L"flv.bound") == L"true"; }, 5s));
    ASSERT_TRUE(PictureChanges(driver(), Picture(driver()))) << "the video does not play";

    pause(true);
    EXPECT_EQ(state(), L"paused");
    vt_test::PumpUntil([] { return false; }, 150ms);  // a frame on its way lands
    const std::vector<uint32_t> paused = Picture(driver());
    EXPECT_FALSE(PictureChanges(driver(), paused, 600ms)) << "the picture moved while paused";
    EXPECT_EQ(flash->GetVariable(L"flv.skinHolder.playButton._currentframe"), L"1");

    pause(false);
    EXPECT_EQ(state(), L"playing");
    EXPECT_TRUE(PictureChanges(driver(), paused)) << "the picture did not move again";

    ASSERT_TRUE(vt_test::PumpUntil([&] { return state() == L"ended"; }, 8s)) << "the video never ended";
    vt_test::PumpUntil([] { return false; }, 150ms);
    const std::vector<uint32_t> last = Picture(driver());
    EXPECT_FALSE(PictureChanges(driver(), last, 500ms)) << "the picture moved after the end";
    EXPECT_EQ(flash->GetVariable(L"flv.skinHolder.playButton._currentframe"), L"1");
    EXPECT_EQ(flash->GetVariable(L"flv.timeLabel"), L"0:03 / 0:03");
    EXPECT_NE(std::count(last.begin(), last.end(), last[120 * 320 + 160]), static_cast<long>(last.size()))
        << "the last picture is not blank";

    // Play again starts over.
    pause(false);
    EXPECT_TRUE(vt_test::PumpUntil([&] { return flash->GetVariable(L"flv.timeLabel").starts_with(L"0:00"); }));
    if (onForm) delete graphic;
  }
}

INSTANTIATE_TEST_SUITE_P(BothDrivers, FlvPlayerEndToEnd, ::testing::Values(vt::vtNetscape, vt::vtActiveX),
                         [](const auto& Info) {
                           return std::string(Info.param == vt::vtNetscape ? "Netscape" : "ActiveX");
                         });

}  // namespace
