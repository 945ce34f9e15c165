// The players with the plug-in driver and the real stand-in module: a movie
// built with swfc plays, its pixels come out of the alpha recovery, its
// FSCommand and ExternalInterface calls reach the application's handlers,
// and a click reaches its button; the windowed player shows it in its
// window and the layer hands it to its form with per-pixel alpha.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "end_to_end_support.h"
#include "framework/Forms.h"
#include "vt_d7/Vt_driver_netscape.h"
#include "vt_d7/Vt_layer.h"

namespace {

// 80x60: an opaque red button at (10,10)-(30,30) that sends an FSCommand when
// clicked, and half-transparent blue at (40,10)-(60,30). The first frame
// sends an FSCommand, asks the page a question through ExternalInterface and
// keeps the answer.
constexpr const char* kMovie = R"(
size 80 60
rate 30
background white
shape red
  fill f solid #ff0000
  rect 0 0 20 20 fill f
end
shape glass
  fill g solid #0000ff80
  rect 0 0 20 20 fill g
end
button go
  up+over+down+hit red
  on release action 83 19 00 46 53 43 6f 6d 6d 61 6e 64 3a 63 6c 69 63 6b 65 64 00 62 75 74 74 6f 6e 00 00
end
place go 1 at 10 10 name go
place glass 2 at 40 10
actions
  fscommand "hello" "world"
  push "answer"
  externalcall "page.ask" "question" 42
  setvariable
  stop
end
show
)";

std::wstring StandInFolder() {
  const std::string folder = NPSWF_STANDIN_DIR;
  return std::wstring(folder.begin(), folder.end());
}

class NetscapeEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    vt::TvtPluginLocation location;
    location.AppFolder = StandInFolder();
    location.RegistryRoot = HKEY_CURRENT_USER;
    location.KeyPath = L"Software\\vt_d7_tests\\no such key";
    vt::InitializeNetscapeDriverUnit(location);
    ASSERT_TRUE(vt::TvtFlashDriverNS::PluginExists()) << "the stand-in module did not load";
  }
  void TearDown() override { vt::FinalizeNetscapeDriverUnit(); }

  struct FSCommand {
    vcl::TObject* sender;
    std::wstring command, args;
  };
  std::vector<FSCommand> commands;
  std::vector<std::wstring> requests;
  std::vector<vcl::TObject*> callSenders;
  vt_test::TMovieFile movie{kMovie, L"vt_ns_end_to_end"};
};

TEST_F(NetscapeEndToEnd, OffScreenPlayerPlaysTheMovieWithRecoveredAlphaAndAnswersItsCalls) {
  vt::TvtFlashPlayerComp player(nullptr);
  player.OnFSCommand = [&](vcl::TObject* s, const std::wstring& c, const std::wstring& a) {
    commands.push_back({s, c, a});
  };
  player.OnFlashCall = [&](vcl::TObject* s, const std::wstring& request) {
    callSenders.push_back(s);
    requests.push_back(request);
    player.SetReturnValue(L"<string>yes</string>");
    player.OnFlashCall = nullptr;  // a handler may let go of itself while it runs
    player.SetReturnValue(L"<string>" + request.substr(14, 8) + L"</string>");
  };
  int paints = 0;
  player.OnPaint = [&](vcl::TObject*, const vcl::TRect&) { ++paints; };
  // The handlers go to the driver the player makes for the plug-in.
  player.SetPlugin(vt::vtNetscape);
  player.SetWidth(80);
  player.SetHeight(60);
  ASSERT_EQ(player.Driver()->ClassName(), L"TvtFlashDriverNS");
  player.LoadMovie(movie.Path());

  ASSERT_TRUE(vt_test::PumpUntil([&] { return !requests.empty(); })) << "the first frame's scripts never ran";
  vcl::TObject* driver = player.Driver();
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_EQ(commands[0].sender, driver);
  EXPECT_EQ(commands[0].command, L"hello");
  EXPECT_EQ(commands[0].args, L"world");
  EXPECT_EQ(requests[0],
            L"<invoke name=\"page.ask\" returntype=\"XML\"><arguments><string>question</string>"
            L"<string>42</string></arguments></invoke>");
  EXPECT_EQ(callSenders[0], driver);
  EXPECT_EQ(player.GetVariable(L"answer"), L"page.ask") << "the application's answer reaches the movie";
  EXPECT_EQ(player.GetTotalFrames(), 1);
  EXPECT_GT(paints, 0);

  // Premultiplied pixels: opaque red, half-transparent blue, and nothing
  // (all zero) where the movie draws nothing.
  ASSERT_TRUE(vt_test::PumpUntil([&] { return player.GetScanline(20)[20] == 0xFFFF0000u; }))
      << std::hex << player.GetScanline(20)[20];
  const uint32_t glass = player.GetScanline(20)[50];
  EXPECT_NEAR(static_cast<int>(glass >> 24), 128, 1) << std::hex << glass;
  EXPECT_NEAR(static_cast<int>(glass & 0xFF), 128, 1) << std::hex << glass;
  EXPECT_EQ(glass & 0x00FFFF00u, 0u) << std::hex << glass;
  EXPECT_EQ(player.GetScanline(5)[5], 0u);
  EXPECT_EQ(player.GetScanline(45)[70], 0u);

  // A click on the button reaches the movie's button, which calls back.
  player.CallMouseMove({}, 20, 20);
  player.CallMouseDown(vcl::mbLeft, {vcl::ssLeft}, 20, 20);
  player.CallMouseUp(vcl::mbLeft, {}, 20, 20);
  ASSERT_TRUE(vt_test::PumpUntil([&] { return commands.size() == 2; }));
  EXPECT_EQ(commands[1].command, L"clicked");
  EXPECT_EQ(commands[1].args, L"button");
  EXPECT_EQ(commands[1].sender, driver);
  // A click beside it does nothing.
  player.CallMouseDown(vcl::mbLeft, {vcl::ssLeft}, 5, 50);
  player.CallMouseUp(vcl::mbLeft, {}, 5, 50);
  vcl::Application()->ProcessMessages();
  EXPECT_EQ(commands.size(), 2u);
}

TEST_F(NetscapeEndToEnd, GraphicPlayerShowsTheMovieOnItsForm) {
  vcl::TForm form(nullptr);
  form.SetBounds(0, 0, 200, 150);
  auto* player = new vt::TvtFlashPlayer(&form);
  player->SetParent(&form);
  player->SetTransparent(false);
  player->SetColor(RGB(0, 255, 0));
  player->SetPlugin(vt::vtNetscape);
  player->SetBounds(20, 30, 80, 60);
  // A handler assigned after the driver was made is called too.
  player->OnFSCommand = [&](vcl::TObject* s, const std::wstring& c, const std::wstring& a) {
    commands.push_back({s, c, a});
  };
  form.Handle();
  player->LoadMovie(movie.Path());
  ASSERT_TRUE(vt_test::PumpUntil([&] { return !commands.empty(); }));
  EXPECT_EQ(commands[0].sender, player->Driver());
  ASSERT_TRUE(vt_test::PumpUntil([&] { return player->Driver()->FBits[20 * 80 + 20] == 0xFFFF0000u; }));

  // The form, player included, rendered into a memory bitmap: the movie's
  // red over the player's green background, blue blended over it.
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), 200, -150, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bmp);
  form.PaintTo(dc, 0, 0);
  GdiFlush();
  auto at = [&](int x, int y) { return static_cast<uint32_t*>(bits)[y * 200 + x] & 0xFFFFFF; };
  EXPECT_EQ(at(20 + 20, 30 + 20), 0xFF0000u);
  EXPECT_EQ(at(20 + 5, 30 + 5), 0x00FF00u);
  const uint32_t blend = at(20 + 50, 30 + 20);
  EXPECT_NEAR(static_cast<int>(blend & 0xFF), 128, 2) << std::hex << blend;
  EXPECT_NEAR(static_cast<int>((blend >> 8) & 0xFF), 127, 2) << std::hex << blend;
  EXPECT_EQ((blend >> 16) & 0xFF, 0u) << std::hex << blend;
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(bmp);
}

TEST_F(NetscapeEndToEnd, WindowedPlayerShowsTheMovieInItsWindowAndPassesClicks) {
  vcl::TForm form(nullptr);
  form.SetBounds(0, 0, 200, 150);
  auto* player = new vt::TvtFlashPlayerWnd(&form);
  player->SetParent(&form);
  player->SetColor(RGB(0, 255, 0));
  player->SetPlugin(vt::vtNetscape);
  player->SetBounds(20, 30, 80, 60);
  player->OnFSCommand = [&](vcl::TObject* s, const std::wstring& c, const std::wstring& a) {
    commands.push_back({s, c, a});
  };
  form.Handle();
  player->LoadMovie(movie.Path());
  ASSERT_TRUE(vt_test::PumpUntil([&] { return !commands.empty(); }));
  ASSERT_TRUE(vt_test::PumpUntil([&] { return player->Driver()->FBits[20 * 80 + 20] == 0xFFFF0000u; }));

  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), 80, -60, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bmp);
  player->PaintTo(dc, 0, 0);
  GdiFlush();
  auto at = [&](int x, int y) { return static_cast<uint32_t*>(bits)[y * 80 + x] & 0xFFFFFF; };
  EXPECT_EQ(at(20, 20), 0xFF0000u);
  EXPECT_EQ(at(5, 5), 0x00FF00u);
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(bmp);

  // A click on the button, as the window receives it.
  HWND window = player->Handle();
  SendMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(20, 20));
  SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
  SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(20, 20));
  ASSERT_TRUE(vt_test::PumpUntil([&] { return commands.size() == 2; }));
  EXPECT_EQ(commands[1].command, L"clicked");
}

// Stands in for the layered-window update: counts the updates and keeps the
// source DC of the last.
HDC lastLayerSource = nullptr;
int layerUpdates = 0;
BOOL WINAPI CountUpdate(HWND, HDC, POINT*, SIZE*, HDC Source, POINT*, COLORREF, BLENDFUNCTION*, DWORD) {
  lastLayerSource = Source;
  ++layerUpdates;
  return TRUE;
}

TEST_F(NetscapeEndToEnd, LayerHandsItsFormTheMovieWithPerPixelAlpha) {
  vt::InitializeLayerUnit();
  const vt::TUpdateLayeredWindowFunc saved = vt::UpdateLayeredWindowFunc;
  vt::UpdateLayeredWindowFunc = CountUpdate;
  layerUpdates = 0;
  {
    vcl::TForm form(nullptr);
    form.SetBounds(0, 0, 80, 60);
    auto* layer = new vt::TvtFlashLayer(&form);
    layer->SetAlign(vcl::alNone);
    layer->SetParent(&form);
    layer->SetPlugin(vt::vtNetscape);
    layer->SetBounds(0, 0, 80, 60);
    form.Handle();
    EXPECT_TRUE(GetWindowLongA(form.Handle(), GWL_EXSTYLE) & WS_EX_LAYERED);
    layer->LoadMovie(movie.Path());
    vt::TvtFlashDriver* d = layer->Driver();
    ASSERT_TRUE(vt_test::PumpUntil([&] { return d->FBits[20 * 80 + 20] == 0xFFFF0000u; }))
        << std::hex << d->FBits[20 * 80 + 20];
    EXPECT_GT(layerUpdates, 1);
    EXPECT_EQ(lastLayerSource, d->FDC);
    // Premultiplied: half-transparent blue, and nothing where the movie draws
    // nothing.
    const uint32_t glass = d->FBits[20 * 80 + 50];
    EXPECT_NEAR(static_cast<int>(glass >> 24), 128, 1) << std::hex << glass;
    EXPECT_NEAR(static_cast<int>(glass & 0xFF), 128, 1) << std::hex << glass;
    EXPECT_EQ(d->FBits[5 * 80 + 5], 0u);
  }
  vt::UpdateLayeredWindowFunc = saved;
}

}  // namespace
