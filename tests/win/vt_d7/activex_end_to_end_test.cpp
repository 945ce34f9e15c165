// The ActiveX driver with the real stand-in control, registered on this
// machine by the build: a movie loaded through the control plays, its frames,
// loop and variables agree with the movie, a call returns the movie's
// answer, and its FSCommand and ExternalInterface calls reach the
// application with the same texts the plug-in driver gives for the same
// movie.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "activex_fake_control.h"
#include "end_to_end_support.h"
#include "framework/Forms.h"
#include "framework/SysUtils.h"
#include "vt_d7/Vt_driver_activex.h"
#include "vt_d7/Vt_driver_netscape.h"

namespace {

// Two frames: the first registers "add", sends an FSCommand and asks the page
// a question through ExternalInterface, keeping the answer; the second stops.
constexpr const char* kMovie = R"(
size 80 60
rate 30
background white
shape red
  fill f solid #ff0000
  rect 0 0 20 20 fill f
end
place red 1 at 10 10
actions
  function "add" "a" "b"
    push "a"
    getvariable
    push "b"
    getvariable
    add2
    return
  end
  addcallback "add" "this" "add"
  pop
  fscommand "hello" "world, and more"
  push "answer"
  externalcall "page.ask" "question, with <markup>" 42 true
  setvariable
end
show
actions
  stop
end
show
)";

// What the application hears from a driver, answering every call "yes".
struct THeard {
  std::vector<std::wstring> lines;
  std::vector<vcl::TObject*> senders;

  void Listen(vt::TvtFlashDriver& Driver) {
    Driver.FOnFSCommand = [this](vcl::TObject* s, const std::wstring& c, const std::wstring& a) {
      senders.push_back(s);
      lines.push_back(L"fscommand " + c + L"|" + a);
    };
    Driver.FOnFlashCall = [this, &Driver](vcl::TObject* s, const std::wstring& r) {
      senders.push_back(s);
      lines.push_back(L"flashcall " + r);
      Driver.SetReturnValue(L"<string>yes</string>");
    };
  }
};

class ActiveXEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    vt::InitializeActiveXDriverUnit(vt::CLASS_vtFlashPlayer);
    vt::CheckFlashActiveX();
    ASSERT_TRUE(vt::FlashActiveXAvailable) << "the stand-in control is not registered";
  }
  void TearDown() override {
    vt::InitializeActiveXDriverUnit(vt_test::CLSID_NoFlashControl);
    CoUninitialize();
  }

  // A driver of the control playing the movie, heard by Heard.
  std::unique_ptr<vt::TvtFlashDriverActiveX> Play(THeard& Heard) {
    auto driver = vt::TvtFlashDriverActiveX::Create(80, 60, 0);
    Heard.Listen(*driver);
    driver->LoadMovie(movie.Path());
    return driver;
  }


  vt_test::TMovieFile movie{kMovie, L"vt_ax_end_to_end"};
};

TEST_F(ActiveXEndToEnd, AMoviePlaysAndItsStateAgreesWithTheMovie) {
  THeard heard;
  auto driver = Play(heard);
  ASSERT_TRUE(driver->GetIsFlashAvailable());
  ASSERT_TRUE(vt_test::PumpUntil([&] { return driver->GetCurrentFrame() == 1 && !driver->GetIsPlaying(); }))
      << "the movie did not reach its stop";
  EXPECT_EQ(driver->GetTotalFrames(), 2);
  EXPECT_EQ(driver->GetVariable(L"answer"), L"yes") << "the application's answer reaches the movie";
  for (vcl::TObject* s : heard.senders) EXPECT_EQ(s, driver.get());

  EXPECT_TRUE(driver->GetLoop());
  driver->SetLoop(false);
  EXPECT_FALSE(driver->GetLoop());
  driver->SetVariable(L"shade", L"deep blue");
  EXPECT_EQ(driver->GetVariable(L"shade"), L"deep blue");
  EXPECT_EQ(driver->CallFunction(L"<invoke name=\"add\" returntype=\"xml\"><arguments><number>2</number>"
                                 L"<number>3</number></arguments></invoke>"),
            L"<number>5</number>");

  driver->Rewind();
  EXPECT_EQ(driver->GetCurrentFrame(), 0);
  driver->SetCurrentFrame(1);
  EXPECT_EQ(driver->GetCurrentFrame(), 1);
  driver->Play();
  EXPECT_TRUE(driver->GetIsPlaying());
  driver->StopPlay();
  EXPECT_FALSE(driver->GetIsPlaying());
}

TEST_F(ActiveXEndToEnd, TheMoviesCallsReadAsThePlugInDriverGivesThem) {
  THeard viaControl;
  auto control = Play(viaControl);
  ASSERT_TRUE(vt_test::PumpUntil([&] { return viaControl.lines.size() == 2; }));
  control.reset();

  ASSERT_TRUE(vt_test::LoadStandInModule());
  THeard viaModule;
  {
    auto module = vt::TvtFlashDriverNS::Create(80, 60, 0);
    viaModule.Listen(*module);
    module->LoadMovie(movie.Path());
    ASSERT_TRUE(vt_test::PumpUntil([&] { return viaModule.lines.size() == 2; }));
  }
  vt::FinalizeNetscapeDriverUnit();

  EXPECT_EQ(viaControl.lines, viaModule.lines);
  ASSERT_EQ(viaControl.lines.size(), 2u);
  EXPECT_EQ(viaControl.lines[0], L"fscommand hello|world, and more");
  EXPECT_EQ(viaControl.lines[1],
            L"flashcall <invoke name=\"page.ask\" returntype=\"XML\"><arguments><string>question, with "
            L"&lt;markup&gt;</string><string>42</string><string>true</string></arguments></invoke>");
}

// A still picture with what tells renderers apart: anti-aliased edges, a
// translucent gradient and a translucent fill over it.
constexpr const char* kPicture = R"(
size 96 72
rate 30
background #204060
shape ball
  fill shade radial 30 30 30 stops 0 white 160 #ff8000c0 255 #0000ff40
  circle 30 30 30 fill shade
end
shape veil
  fill f solid #00ff0080
  line edge 1.5 #000000a0
  circle 20 20 17 fill f line edge
end
place ball 1 at 4 5
place veil 2 at 40 24
actions
  stop
end
show
)";

TEST_F(ActiveXEndToEnd, BothDriversGiveTheSameFrameBufferOpaqueAndWithAlpha) {
  const vt_test::TMovieFile picture(kPicture, L"vt_ax_agreement");
  ASSERT_TRUE(vt_test::LoadStandInModule());
  // Opaque over the player's colour, and transparent.
  for (const uint32_t background : {0xFF336699u, 0u}) {
    SCOPED_TRACE(background);
    std::vector<uint32_t> frames[2];
    std::unique_ptr<vt::TvtFlashDriver> drivers[2] = {vt::TvtFlashDriverActiveX::Create(96, 72, background),
                                                      vt::TvtFlashDriverNS::Create(96, 72, background)};
    for (int i = 0; i < 2; ++i) {
      vt::TvtFlashDriver& d = *drivers[i];
      d.FOnEraseBackground = [&d](vcl::TObject*, const vcl::TRect& R) {
        vt::FillLongwordRect(d.FBits, d.FWidth, d.FHeight, R.Left, R.Top, R.Right, R.Bottom, d.FBackground);
      };
      int painted = 0;
      d.FOnPaint = [&painted](vcl::TObject*, const vcl::TRect&) { ++painted; };
      d.LoadMovie(picture.Path());
      ASSERT_TRUE(vt_test::PumpUntil([&] { return painted > 0 && d.GetTotalFrames() == 1 && !d.GetIsPlaying(); }));
      d.ForceUpdate();
      frames[i].assign(d.FBits, d.FBits + 96 * 72);
      d.FOnPaint = nullptr;
    }
    drivers[0].reset();
    drivers[1].reset();
    EXPECT_NE(frames[0][30 * 96 + 30], frames[0][0]) << "the movie was drawn";
    if (background == 0) {
      EXPECT_TRUE(std::any_of(frames[0].begin(), frames[0].end(), [](uint32_t P) { return P >> 24 && P >> 24 < 255; }))
          << "translucent pixels were compared";
    }
    int different = 0;
    for (size_t p = 0; p < frames[0].size(); ++p) different += frames[0][p] != frames[1][p];
    EXPECT_EQ(different, 0);
  }
  vt::FinalizeNetscapeDriverUnit();
}

// The picture above, whose veil moves away in frame 1.
const std::string kMovingPicture = std::string(kPicture) + "move 2 at 55 30\nshow\n";

// How often the stand-in loaded as Module has rendered its movie.
uint64_t StandInRenders(const wchar_t* Module) {
  using Count = uint64_t(__stdcall*)();
  const HMODULE module = GetModuleHandleW(Module);
  const auto count =
      module ? reinterpret_cast<Count>(reinterpret_cast<void*>(GetProcAddress(module, "StandInRenderCount"))) : nullptr;
  return count ? count() : 0;
}

TEST_F(ActiveXEndToEnd, EachDriverPaintOfAnAlphaFrameRendersTheMovieOnce) {
  const vt_test::TMovieFile picture(kMovingPicture.c_str(), L"vt_ax_render_once");
  ASSERT_TRUE(vt_test::LoadStandInModule());
  std::unique_ptr<vt::TvtFlashDriver> drivers[2] = {vt::TvtFlashDriverActiveX::Create(96, 72, 0),
                                                    vt::TvtFlashDriverNS::Create(96, 72, 0)};
  const wchar_t* modules[2] = {L"flashctl.ocx", L"npswf32.dll"};
  for (int i = 0; i < 2; ++i) {
    SCOPED_TRACE(i ? "plug-in driver" : "ActiveX driver");
    vt::TvtFlashDriver& d = *drivers[i];
    int painted = 0;
    d.FOnPaint = [&painted](vcl::TObject*, const vcl::TRect&) { ++painted; };
    d.LoadMovie(picture.Path());
    ASSERT_TRUE(vt_test::PumpUntil([&] { return painted > 0 && d.GetTotalFrames() == 2 && !d.GetIsPlaying(); }));
    // The veil moves: each change is painted twice (over black and white) at once.
    painted = 0;
    const uint64_t before = StandInRenders(modules[i]);
    d.SetCurrentFrame(1);
    ASSERT_GT(painted, 0);
    EXPECT_EQ(StandInRenders(modules[i]) - before, uint64_t(painted));
    // Painted piece by piece, the frame is what a whole repaint gives; that
    // repaint renders nothing: nothing changed since.
    const std::vector<uint32_t> changed(d.FBits, d.FBits + 96 * 72);
    const uint64_t afterChange = StandInRenders(modules[i]);
    d.ForceUpdate();
    EXPECT_EQ(StandInRenders(modules[i]), afterChange);
    EXPECT_TRUE(std::equal(changed.begin(), changed.end(), d.FBits));
    EXPECT_NE(d.FBits[40 * 96 + 50], d.FBits[70 * 96 + 90]) << "the veil was drawn";
    d.FOnPaint = nullptr;
  }
  drivers[0].reset();
  drivers[1].reset();
  vt::FinalizeNetscapeDriverUnit();
}

TEST_F(ActiveXEndToEnd, TheControlsTypeInformationDescribesItsEnumeratedProperties) {
  auto driver = vt::TvtFlashDriverActiveX::Create(10, 10, 0);
  driver->CreateEnumPropDescs();
  ASSERT_TRUE(vt::FlashControlData.EnumPropDescs);
  EXPECT_EQ(vt::FlashControlData.EnumPropDescs->size(), 2u);
  // The control names its predefined values through property browsing.
  std::vector<vt::TPropDisplayString> strings;
  driver->GetPropDisplayStrings(0x78, strings);
  EXPECT_EQ(strings.size(), 3u);
  driver->SetPropDisplayString(0x78, strings.empty() ? "" : strings.back().Text);
  EXPECT_EQ(driver->GetIntegerProp(0x78), 2);
  EXPECT_EQ(driver->GetWideStringProp(133), L"Transparent") << "set before activation";
}

}  // namespace
