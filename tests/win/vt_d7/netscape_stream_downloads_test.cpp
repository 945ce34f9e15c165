// http: requests become downloads from a server the test runs on
// 127.0.0.1: the module gets its stream at once and the data chunk by chunk
// through the message loop; a download stops delivering once its driver is
// destroyed or its instance re-created.
#include <gtest/gtest.h>

#include "netscape_fake_module.h"
#include "netscape_stream_helpers.h"
#include "test_http_server.h"

namespace {

using vt_test::PumpMessagesUntil;
using vt_test::THttpServer;
using Lines = std::vector<std::string>;

const std::string kPiece(300000, 'a');

class NetscapeStreamDownloads : public vt_test::NetscapeTest {
 protected:
  void SetUp() override {
    com_ = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    NetscapeTest::SetUp();
  }
  void TearDown() override {
    NetscapeTest::TearDown();
    if (SUCCEEDED(com_)) CoUninitialize();
  }
  // A path no cache has seen.
  static std::string FreshPath(const char* Name) {
    static int n = 0;
    return "/" + std::to_string(GetTickCount()) + "-" + std::to_string(++n) + "/" + Name;
  }
  bool Logged(const std::string& Prefix) const { return !fake->Lines(Prefix).empty(); }

  HRESULT com_ = E_FAIL;
};

TEST_F(NetscapeStreamDownloads, DataArrivesChunkByChunkEachFollowedByItsNotification) {
  // Wine's library reports what has come in blocks of its own: the pieces
  // are larger than one.
  THttpServer server({"FWS-first-" + kPiece, "second-" + kPiece, "third"});
  auto d = NewDriver();
  const std::string url = server.Url(FreshPath("movie.swf") + "?x=1");
  fake->ClearLog();
  EXPECT_EQ(fake->GetURLNotify(url.c_str(), nullptr), NPERR_NO_ERROR);
  EXPECT_EQ(fake->Lines(), (Lines{"NPP_NewStream application/x-shockwave-flash url=" + url +
                                  " end=0 seekable=1 stype=0 notify=99"}))
      << "the stream first, its data later";
  ASSERT_TRUE(PumpMessagesUntil([&] { return Logged("NPP_DestroyStream"); })) << fake->Lines().size();

  size_t total = 0;
  Lines order, data;
  for (const std::string& line : fake->Lines()) {
    if (line.starts_with("NPP_Write")) {
      EXPECT_TRUE(line.starts_with("NPP_Write url=" + url + " offset=0 len=")) << line;
      const size_t len = line.find(" len=") + 5;
      total += std::stoul(line.substr(len, line.find(' ', len) - len));
      data.push_back(line.substr(line.find(" data=") + 6));
      order.push_back("write");
    } else if (line.starts_with("NPP_URLNotify")) {
      EXPECT_EQ(line, "NPP_URLNotify url=" + url + " reason=0 notify=99");
      order.push_back("notify");
    } else if (line.starts_with("NPP_DestroyStream")) {
      EXPECT_EQ(line, "NPP_DestroyStream url=" + url + " reason=0");
      order.push_back("destroy");
    }
  }
  EXPECT_EQ(total, kPiece.size() * 2 + 22);
  ASSERT_FALSE(data.empty());
  EXPECT_EQ(data.front(), "FWS-first-" + std::string(14, 'a'));
  EXPECT_EQ(data.back(), "third");
  ASSERT_GE(order.size(), 6u);
  EXPECT_GE(fake->Lines("NPP_Write").size(), 2u) << "the pieces arrive as they come";
  for (size_t i = 0; i + 2 < order.size(); i += 2)
    EXPECT_EQ((Lines{order[i], order[i + 1]}), (Lines{"write", "notify"})) << i;
  EXPECT_EQ((Lines{order.end() - 2, order.end()}), (Lines{"notify", "destroy"}));
  EXPECT_FALSE(fake->Lines("NPP_SetWindow").empty()) << "each chunk refreshes the window";
  EXPECT_EQ(server.Requests(), 1);
}

TEST_F(NetscapeStreamDownloads, NothingIsDeliveredOnceTheDriverIsDestroyed) {
  THttpServer server({kPiece, "never-seen"}, true);
  auto d = NewDriver();
  fake->GetURLNotify(server.Url(FreshPath("gone.swf")).c_str(), nullptr);
  ASSERT_TRUE(PumpMessagesUntil([&] { return Logged("NPP_Write"); }));
  d.reset();
  fake->ClearLog();
  server.Release();
  PumpMessagesUntil([] { return false; }, 1);
  EXPECT_EQ(fake->Lines(), Lines{});
}

// Destroys the driver when the module is first handed a piece.
void KillOnWrite(const char* Event, void* Context) {
  if (std::string(Event) == "NPP_Write") static_cast<std::unique_ptr<vt::TvtFlashDriverNS>*>(Context)->reset();
}

TEST_F(NetscapeStreamDownloads, TheDriverMayBeDestroyedFromInsideADelivery) {
  THttpServer server({kPiece, "more"});
  auto d = NewDriver();
  fake->GetURLNotify(server.Url(FreshPath("inside.swf")).c_str(), nullptr);
  fake->SetHook(KillOnWrite, &d);
  fake->ClearLog();
  ASSERT_TRUE(PumpMessagesUntil([&] { return d == nullptr; }));
  fake->SetHook(nullptr, nullptr);
  PumpMessagesUntil([] { return false; }, 1);
  const Lines lines = fake->Lines();
  ASSERT_GE(lines.size(), 1u);
  EXPECT_TRUE(lines[0].starts_with("NPP_Write")) << lines[0];
  EXPECT_EQ(fake->Lines("NPP_Write").size(), 1u);
  EXPECT_EQ(fake->Lines("NPP_URLNotify"), Lines{});
  EXPECT_EQ(fake->Lines("NPP_DestroyStream"), Lines{});
}

TEST_F(NetscapeStreamDownloads, NothingIsDeliveredToAReCreatedInstance) {
  THttpServer server({kPiece, "never-seen"}, true);
  auto d = NewDriver();
  fake->GetURLNotify(server.Url(FreshPath("old.swf")).c_str(), nullptr);
  ASSERT_TRUE(PumpMessagesUntil([&] { return Logged("NPP_Write"); }));
  fake->Set("request", "0");
  d->LoadMovie(L"next.swf");
  fake->ClearLog();
  server.Release();
  PumpMessagesUntil([] { return false; }, 1);
  EXPECT_EQ(fake->Lines("NPP_Write"), Lines{});
  EXPECT_EQ(fake->Lines("NPP_URLNotify"), Lines{});
  EXPECT_EQ(fake->Lines("NPP_DestroyStream"), Lines{});
}

TEST_F(NetscapeStreamDownloads, ADownloadThatCannotStartLeavesTheStreamOpen) {
  auto d = NewDriver();
  fake->ClearLog();
  // Nothing listens on port 1.
  const std::string url = "http://127.0.0.1:1" + FreshPath("refused.swf");
  fake->GetURLNotify(url.c_str(), nullptr);
  PumpMessagesUntil([] { return false; }, 2);
  const Lines lines = fake->Lines();
  ASSERT_FALSE(lines.empty());
  EXPECT_TRUE(lines[0].starts_with("NPP_NewStream application/x-shockwave-flash url=" + url));
  EXPECT_EQ(fake->Lines("NPP_Write"), Lines{});
  EXPECT_EQ(fake->Lines("NPP_DestroyStream"), Lines{});
}

}  // namespace
