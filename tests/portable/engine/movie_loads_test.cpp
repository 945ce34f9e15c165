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


// ---- MovieClipLoader ----

// A main movie with clip c and loader l whose listener functions trace
// each event with its arguments; Script follows.
std::string LoaderMovie(const std::string& Script) {
  auto listener = [](const std::string& Event, const std::string& Args, const std::string& Body) {
    return "  push \"l\"\n  getvariable\n  push \"" + Event + "\"\n  function \"\" " + Args + "\n" + Body +
           "    trace\n  end\n  setmember\n";
  };
  const std::string mc = "    push \"mc\"\n    getvariable\n    add2\n";
  return "size 100 100\nactions\n  push 1 \"c\" 2 \"this\"\n  getvariable\n  push \"createEmptyMovieClip\"\n"
         "  callmethod\n  pop\n  push \"c\"\n  getvariable\n  push \"x\" 1\n  setmember\n"
         "  push \"l\" 0 \"MovieClipLoader\"\n  newobject\n  definelocal\n" +
         listener("onLoadStart", "\"mc\"", "    push \"start \"\n" + mc) +
         listener("onLoadProgress", "\"mc\" \"a\" \"b\"",
                  "    push \"progress \"\n" + mc +
                      "    push \" \"\n    add2\n    push \"a\"\n    getvariable\n    add2\n"
                      "    push \" \"\n    add2\n    push \"b\"\n    getvariable\n    add2\n") +
         listener("onLoadComplete", "\"mc\"", "    push \"complete \"\n" + mc) +
         listener("onLoadInit", "\"mc\"",
                  "    push \"init \"\n" + mc + "    push \" \"\n    add2\n    push \"mc\"\n    getvariable\n"
                  "    push \"v\"\n    getmember\n    add2\n") +
         listener("onLoadError", "\"mc\" \"code\"",
                  "    push \"error \"\n" + mc + "    push \" \"\n    add2\n    push \"code\"\n    getvariable\n"
                  "    add2\n") +
         Script + "  stop\nend\nshow\n";
}

// l.loadClip(Args...) with its result traced; Args as push values, last first.
std::string LoadClip(const std::string& Args, int Count, const std::string& Method = "loadClip") {
  return "  push " + Args + " " + std::to_string(Count) + " \"l\"\n  getvariable\n  push \"" + Method +
         "\"\n  callmethod\n  trace\n";
}

const char* kChildTrace = R"(
size 100 100
actions
  push "child "
  push "v"
  getvariable
  add2
  trace
end
show
)";

using movie_test::Traces;

TEST(MovieClipLoader, TellsListenersHowEachLoadGoesAsTheNextFrameBegins) {
  Rig r(LoaderMovie(LoadClip("\"c\" \"child.swf?v=q\"", 2) + LoadClip("5 \"missing.swf\"", 2) +
                    LoadClip("\"nowhere\" \"a.swf\"", 2) + LoadClip("\"c\" 7", 2) + LoadClip("\"a.swf\"", 1)));
  r.instance.Step();
  EXPECT_EQ(Traces(r.host), (std::vector<std::string>{"true", "true", "false", "false", "undefined"}));
  ASSERT_EQ(r.host.calls, (std::vector<std::string>{"request 1 child.swf?v=q", "request 2 missing.swf"}));
  const std::vector<uint8_t> child = Bytes(kChildTrace);
  Deliver(r.instance, 1, child, 3);
  r.instance.FinishRequest(1, true);
  r.instance.FinishRequest(2, false);
  EXPECT_EQ(Traces(r.host).size(), 5u);  // nothing until the next frame
  r.host.logs.clear();
  r.instance.Step();
  const std::string size = std::to_string(child.size());
  // Every finished load's listeners first, then the loaded movie's first
  // frame (its root holds the URL's query variables), then onLoadInit. The
  // level that never came is a reference to no clip, and reads as "".
  EXPECT_EQ(Traces(r.host), (std::vector<std::string>{"start _level0.c", "progress _level0.c " + size + " " + size,
                                                      "complete _level0.c", "error  URLNotFound", "child q",
                                                      "init _level0.c q"}));
  EXPECT_EQ(r.instance.GetVariable("c.x"), "");  // the clip's variables started afresh
}

TEST(MovieClipLoader, UnloadClipCancelsTheLoadAndEmptiesTheClip) {
  Rig r(LoaderMovie(LoadClip("\"c\" \"child.swf\"", 2) + LoadClip("\"c\"", 1, "unloadClip") +
                    LoadClip("\"nowhere\"", 1, "unloadClip")));
  r.instance.Step();
  EXPECT_EQ(Traces(r.host), (std::vector<std::string>{"true", "true", "false"}));
  EXPECT_EQ(r.instance.GetVariable("c.x"), "");
  EXPECT_EQ(r.instance.GetVariable("c._name"), "c");  // the clip stays, empty
  Deliver(r.instance, 1, Bytes(kChildTrace), 1);  // too late: ignored
  r.instance.FinishRequest(1, true);
  r.host.logs.clear();
  r.instance.Step();
  r.instance.Step();
  EXPECT_EQ(Traces(r.host), std::vector<std::string>{"start _level0.c"});
}

TEST(MovieLoads, UnloadMovieEmptiesAClipAndLoadMovieSetsTheQueryVariables) {
  Rig r(R"(
size 100 100
actions
  push 1 "c" 2 "this"
  getvariable
  push "createEmptyMovieClip"
  callmethod
  pop
  push "child.swf?v=w" "c"
  geturl2 loadtarget
end
show
actions
  push 0 "c"
  getvariable
  push "unloadMovie"
  callmethod
  pop
  stop
end
show
)");
  r.instance.Step();
  Deliver(r.instance, 1, Bytes(kChildTrace), 2);
  r.instance.FinishRequest(1, true);
  EXPECT_EQ(Traces(r.host), std::vector<std::string>{"child w"});
  EXPECT_EQ(r.instance.GetVariable("c.v"), "w");
  r.instance.Step();
  EXPECT_EQ(r.instance.GetVariable("c.v"), "");
  EXPECT_EQ(r.instance.GetVariable("c._totalframes"), "1");
}

}  // namespace
