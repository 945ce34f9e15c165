// Application streams and query pairs with the real stand-in module: a
// movie handed over as a stream plays, and a movie requested with a query
// sees its variables.
#include <gtest/gtest.h>
#include <windows.h>

#include "end_to_end_support.h"
#include "framework/Forms.h"
#include "netscape_stream_helpers.h"
#include "tools/swfc/compile.h"
#include "vt_d7/Vt_driver_netscape.h"

namespace {

constexpr const char* kMovie = R"(
size 80 60
rate 30
background white
shape red
  fill f solid #ff0000
  rect 0 0 80 60 fill f
end
place red 1 at 0 0
show
)";

class NetscapeStreamEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(vt_test::LoadStandInModule()) << "the stand-in module did not load";
    player.SetPlugin(vt::vtNetscape);
    player.SetWidth(80);
    player.SetHeight(60);
  }
  void TearDown() override { vt::FinalizeNetscapeDriverUnit(); }
  bool Red() { return player.GetScanline(30)[40] == 0xFFFF0000u; }

  const std::vector<uint8_t> bytes = swfc::Compile(kMovie);
  vt::TvtFlashPlayerComp player{nullptr};
};

TEST_F(NetscapeStreamEndToEnd, AMovieHandedOverAsAStreamPlays) {
  vcl::TMemoryStream stream;
  stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  player.LoadMovieFromStream(&stream);
  EXPECT_TRUE(vt_test::PumpMessagesUntil([&] { return Red(); }, 3)) << std::hex << player.GetScanline(30)[40];
  auto* driver = dynamic_cast<vt::TvtFlashDriverNS*>(player.Driver());
  ASSERT_NE(driver, nullptr);
  EXPECT_EQ(driver->PendingStreamCount(), 0);
  EXPECT_EQ(player.GetTotalFrames(), 1);
}

TEST_F(NetscapeStreamEndToEnd, AMovieRequestedWithAQuerySeesItsVariables) {
  const vt_test::TTestFile file(vt_test::TempFolder() + L"vt_ns_query_e2e.swf",
                                std::string(bytes.begin(), bytes.end()));
  player.LoadMovie(file.Path() + L"?answer=42&name= two words ");
  EXPECT_TRUE(vt_test::PumpMessagesUntil([&] { return Red(); }, 3));
  EXPECT_EQ(player.GetVariable(L"answer"), L"42");
  EXPECT_EQ(player.GetVariable(L"name"), L"two words");
}

}  // namespace
