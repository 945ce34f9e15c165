// MovieInstance loads: movies into levels and variables into clips, answered
// in pieces, failing, never answered, several in flight.
#include <gtest/gtest.h>

#include "tests/portable/engine/movie_fakes.h"

namespace {

using movie_test::Bytes;
using movie_test::Rig;

const char* kMain = R"(
size 100 100
shape dot
  fill f solid #0000ff
  rect 0 0 5 5 fill f
end
sprite box
  place dot 1
  show
end
place box 1 name b
actions
  push "mark" "main"
  setvariable
  push "vars.txt" "b"
  geturl2 loadvariables loadtarget
  push "other.swf" "_level1"
  geturl2
end
show
)";

const char* kOther = R"(
size 100 100
actions
  push "mark" "other"
  setvariable
  push "loaded"
  trace
end
show
)";

void Deliver(swf::MovieInstance& I, int Id, const std::string& Text) {
  I.DeliverData(Id, reinterpret_cast<const uint8_t*>(Text.data()), Text.size());
}

void Deliver(swf::MovieInstance& I, int Id, const std::vector<uint8_t>& Data, size_t Pieces) {
  const size_t step = Data.size() / Pieces + 1;
  for (size_t at = 0; at < Data.size(); at += step)
    I.DeliverData(Id, Data.data() + at, std::min(step, Data.size() - at));
}

TEST(MovieLoads, SeveralInFlightCompleteInAnyOrder) {
  Rig r(kMain);
  r.instance.Step();
  ASSERT_EQ(r.host.calls, (std::vector<std::string>{"request 1 vars.txt", "request 2 other.swf"}));
  // The movie first, in pieces; the variables after.
  Deliver(r.instance, 2, Bytes(kOther), 5);
  EXPECT_EQ(r.instance.GetVariable("_level1.mark"), "");  // not finished yet
  r.instance.FinishRequest(2, true);
  EXPECT_EQ(r.instance.GetVariable("_level1.mark"), "other");
  EXPECT_TRUE(r.LogHas("trace: loaded"));
  EXPECT_EQ(r.instance.GetVariable("mark"), "main");
  Deliver(r.instance, 1, "a=1&b=two+words&c=%41%26\r\n");
  r.instance.FinishRequest(1, true);
  EXPECT_EQ(r.instance.GetVariable("b.a"), "1");
  EXPECT_EQ(r.instance.GetVariable("b.b"), "two words");
  EXPECT_EQ(r.instance.GetVariable("b.c"), "A&");
  r.instance.FinishRequest(1, true);  // a second finish is ignored
}

TEST(MovieLoads, FailedUnansweredAndBrokenLoadsChangeNothing) {
  Rig r(kMain);
  r.instance.Step();
  Deliver(r.instance, 1, "a=1");
  r.instance.FinishRequest(1, false);
  EXPECT_EQ(r.instance.GetVariable("b.a"), "");
  Deliver(r.instance, 2, "not a movie");
  r.instance.FinishRequest(2, true);
  EXPECT_EQ(r.instance.GetVariable("_level1.mark"), "");
  EXPECT_TRUE(r.LogHas("loadMovie:"));
  // A request never answered: the movie plays on.
  r.instance.LoadMovie(3, "never.swf");
  for (int i = 0; i < 3; ++i) r.instance.Step();
  EXPECT_EQ(r.instance.GetVariable("mark"), "main");
  r.instance.FinishRequest(42, true);  // unknown ids are ignored
  // Too much data fails the request.
  r.instance.maxRequestBytes = 4;
  r.instance.LoadMovie(2, "big.swf");
  Deliver(r.instance, r.host.lastRequest, std::string("12345"));
  r.instance.FinishRequest(r.host.lastRequest, true);
  EXPECT_TRUE(r.LogHas("more data than allowed"));
}

TEST(MovieLoads, LevelZeroIsReplaced) {
  Rig r(kMain);
  r.instance.Step();
  r.instance.LoadMovie(0, "other.swf");
  const int id = r.host.lastRequest;
  Deliver(r.instance, id, Bytes(kOther), 1);
  r.host.rects.clear();
  r.instance.FinishRequest(id, true);
  EXPECT_EQ(r.instance.GetVariable("mark"), "other");
  EXPECT_EQ(r.instance.GetVariable("b._name"), "");  // the old clips are gone
  EXPECT_FALSE(r.host.rects.empty());
  // The old movie's pending variables load finds no clip b.
  Deliver(r.instance, 1, "a=1");
  r.instance.FinishRequest(1, true);
  EXPECT_EQ(r.instance.GetVariable("b.a"), "");
}

TEST(MovieLoads, UnloadRemovesALevel) {
  Rig r(R"(
size 100 100
show
actions
  geturl "" "_level1"
  stop
end
show
)");
  r.instance.LoadMovie(1, "other.swf");
  Deliver(r.instance, r.host.lastRequest, Bytes(kOther), 3);
  r.instance.FinishRequest(r.host.lastRequest, true);
  r.instance.Step();
  EXPECT_EQ(r.instance.GetVariable("_level1.mark"), "other");
  r.instance.Step();  // frame 1 unloads level 1
  EXPECT_EQ(r.instance.GetVariable("_level1.mark"), "");
  EXPECT_EQ(r.host.calls.size(), 1u);  // no request for the empty URL
}

}  // namespace
