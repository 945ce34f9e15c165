// Streams: which request a stream answers, downloads in pieces, failures,
// malformed or oversized data, and refused requests.
#include <gtest/gtest.h>

#include "tests/win/npswf/fake_browser.h"
#include "tests/win/npswf/test_movies.h"

namespace npswf_test {
namespace {

class NpswfStreams : public ::testing::Test {
 protected:
  void SetUp() override { square_ = MovieBytes(kSquareMovie); }
  Browser browser_;
  std::vector<uint8_t> square_;
};

TEST_F(NpswfStreams, DataThatIsNoMovieLeavesTheInstanceEmptyAndACutOffMoviePlaysWhatItHolds) {
  Plugin p(browser_, {});
  browser_.files["text.swf"] = {'n', 'o', 't', ' ', 'a', ' ', 'm', 'o', 'v', 'i', 'e'};
  browser_.files["empty.swf"] = {};
  for (const char* name : {"text.swf", "empty.swf"}) {
    p.LoadMovie(name);
    EXPECT_EQ(p.Int("TotalFrames"), 0) << name;
  }
  browser_.files["half.swf"] = std::vector<uint8_t>(square_.begin(), square_.begin() + square_.size() / 2);
  p.LoadMovie("half.swf");
  EXPECT_GE(p.Int("TotalFrames"), 1);
  EXPECT_LT(p.Int("TotalFrames"), 3);
  browser_.files["square.swf"] = square_;
  p.LoadMovie("square.swf");
  EXPECT_EQ(p.Int("TotalFrames"), 3);
}

TEST_F(NpswfStreams, DownloadsInPiecesCompleteWhenTheStreamEnds) {
  Plugin p(browser_, {});
  p.LoadMovie("http://example.com/a.swf");  // nothing served at once
  ASSERT_EQ(browser_.requests.size(), 1u);
  EXPECT_EQ(p.Int("TotalFrames"), 0);
  browser_.Deliver(p.npp(), browser_.requests[0].notifyData, square_, NPRES_DONE, 7);
  EXPECT_EQ(p.Int("TotalFrames"), 3);
}

TEST_F(NpswfStreams, FailedStreamsStartNothing) {
  Plugin p(browser_, {});
  p.LoadMovie("http://example.com/a.swf");
  browser_.Deliver(p.npp(), browser_.requests[0].notifyData, square_, NPRES_NETWORK_ERR, 100);
  EXPECT_EQ(p.Int("TotalFrames"), 0);
  // A failure notice before the stream ends fails the request too.
  p.LoadMovie("http://example.com/b.swf");
  void* token = browser_.requests[1].notifyData;
  const NPPluginFuncs& f = TheModule().funcs;
  NPStream s{};
  s.notifyData = token;
  uint16_t type = 0;
  ASSERT_EQ(f.newstream(p.npp(), nullptr, &s, 1, &type), NPERR_NO_ERROR);
  EXPECT_EQ(type, NP_NORMAL);
  f.write(p.npp(), &s, 0, static_cast<int32_t>(square_.size()), square_.data());
  f.urlnotify(p.npp(), "b", NPRES_USER_BREAK, token);
  f.destroystream(p.npp(), &s, NPRES_DONE);
  EXPECT_EQ(p.Int("TotalFrames"), 0);
}

TEST_F(NpswfStreams, StreamsNobodyAskedForAreAcceptedAndDropped) {
  Plugin p(browser_, {});
  p.LoadMovie("http://example.com/old.swf");
  p.LoadMovie("http://example.com/new.swf");  // replaces the first request
  ASSERT_EQ(browser_.requests.size(), 2u);
  const NPPluginFuncs& f = TheModule().funcs;
  NPStream s{};
  s.notifyData = reinterpret_cast<void*>(0x1234);
  uint16_t type = 0;
  EXPECT_EQ(f.newstream(p.npp(), nullptr, &s, 1, &type), NPERR_NO_ERROR);
  EXPECT_EQ(f.write(p.npp(), &s, 0, static_cast<int32_t>(square_.size()), square_.data()),
            static_cast<int32_t>(square_.size()));
  EXPECT_EQ(f.destroystream(p.npp(), &s, NPRES_DONE), NPERR_NO_ERROR);
  browser_.Deliver(p.npp(), browser_.requests[0].notifyData, square_);  // the replaced request
  EXPECT_EQ(p.Int("TotalFrames"), 0);
  browser_.Deliver(p.npp(), browser_.requests[1].notifyData, square_);
  EXPECT_EQ(p.Int("TotalFrames"), 3);
}

TEST_F(NpswfStreams, AnOversizedStreamFails) {
  Plugin p(browser_, {});
  p.LoadMovie("http://example.com/huge.swf");
  void* token = browser_.requests[0].notifyData;
  const NPPluginFuncs& f = TheModule().funcs;
  NPStream s{};
  s.notifyData = token;
  uint16_t type = 0;
  f.newstream(p.npp(), nullptr, &s, 1, &type);
  EXPECT_EQ(f.write(p.npp(), &s, 0, static_cast<int32_t>(square_.size()), square_.data()),
            static_cast<int32_t>(square_.size()));
  // A piece beyond the limit is refused before a byte of it is read.
  EXPECT_EQ(f.write(p.npp(), &s, 0, 257 << 20, square_.data()), -1);
  EXPECT_EQ(f.write(p.npp(), &s, 0, -5, square_.data()), -1);
  f.urlnotify(p.npp(), "huge", NPRES_DONE, token);
  f.destroystream(p.npp(), &s, NPRES_DONE);
  EXPECT_EQ(p.Int("TotalFrames"), 0);
}

TEST_F(NpswfStreams, RefusedRequestsFailQuietly) {
  const std::string movie = R"(
size 100 80
rate 50
actions
  push "java/clip.swf" "_level1"
  geturl2
  push "missing.swf" "_level2"
  geturl2
end
show
)";
  browser_.files["loader.swf"] = MovieBytes(movie);
  Plugin p(browser_, {});
  p.LoadMovie("javascript:alert(1)");  // refused by the browser
  EXPECT_EQ(p.Int("TotalFrames"), 0);
  p.LoadMovie("loader.swf");
  EXPECT_EQ(p.Int("TotalFrames"), 1);
  // The script's loads: one refused, one never answered.
  ASSERT_TRUE(PumpUntil([&] { return browser_.requests.size() == 4; }));
  EXPECT_EQ(browser_.requests[2].url, "java/clip.swf");
  EXPECT_EQ(browser_.requests[3].url, "missing.swf");
  EXPECT_EQ(p.Int("TotalFrames"), 1);
}

}  // namespace
}  // namespace npswf_test
