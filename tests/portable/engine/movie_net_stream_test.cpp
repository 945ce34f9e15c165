// NetConnection and NetStream in a running movie: FLV streams requested
// through the host, played by the movie's ticks while they arrive, and what
// the stream object reports.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "renderers/engine/src/video/flv.h"
#include "renderers/engine/src/video/video_feed.h"
#include "tests/portable/engine/movie_fakes.h"

namespace {

using Bytes = std::vector<uint8_t>;
using movie_test::Rig;
using movie_test::Traces;

Bytes ReadFile(const std::string& Name) {
  std::ifstream in(std::string(VT_TEST_VIDEOS) + "/" + Name, std::ios::binary | std::ios::ate);
  Bytes b(in ? static_cast<size_t>(in.tellg()) : 0);
  in.seekg(0);
  in.read(reinterpret_cast<char*>(b.data()), static_cast<std::streamsize>(b.size()));
  return b;
}

// Frame N of the 320 x 240 test video as ffmpeg decodes it (B, G, R, A bytes), as pixels.
std::vector<uint32_t> ReferenceFrame(int N) {
  static const Bytes all = ReadFile("screen_320x240.bgra");  // read once: megabytes
  const size_t size = 320 * 240, at = size * 4 * static_cast<size_t>(N);
  std::vector<uint32_t> px(size);
  for (size_t i = 0; i < size && at + 4 * i + 3 < all.size(); ++i)
    px[i] = all[at + 4 * i] | all[at + 4 * i + 1] << 8 | all[at + 4 * i + 2] << 16 | 0xFF000000u;
  return px;
}

// An FLV stream written tag by tag.
struct FlvWriter {
  Bytes bytes = {'F', 'L', 'V', 1, 5, 0, 0, 0, 9, 0, 0, 0, 0};
  void Tag(uint8_t Type, uint32_t Ms, const Bytes& Payload) {
    const uint32_t n = static_cast<uint32_t>(Payload.size());
    Bytes h = {Type, uint8_t(n >> 16), uint8_t(n >> 8), uint8_t(n), uint8_t(Ms >> 16), uint8_t(Ms >> 8), uint8_t(Ms),
               uint8_t(Ms >> 24), 0, 0, 0};
    bytes.insert(bytes.end(), h.begin(), h.end());
    bytes.insert(bytes.end(), Payload.begin(), Payload.end());
    const uint32_t back = n + 11;
    for (int s = 24; s >= 0; s -= 8) bytes.push_back(uint8_t(back >> s));
  }
};

// The tags of a test video, to build changed streams from.
std::vector<swf::video::FlvTag> TagsOf(const std::string& Name) {
  const Bytes b = ReadFile(Name);
  swf::video::FlvReader r;
  return r.Append(b.data(), b.size());
}

// A stream's methods and properties reached through ExternalInterface
// callbacks. One handler traces "CODE LEVEL" (and keeps details) for both
// the connection, which tries a server first, and the stream.
const char* kPlayer = R"(
size 320 240
rate 20
actions
  function2 "st" registers 2 args e=1
    push "details" r1 "details"
    getmember
    setvariable
    push r1 "code"
    getmember
    push " "
    add2
    push r1 "level"
    getmember
    add2
    trace
  end
  push "nc" 0 "NetConnection"
  newobject
  setvariable
  push "nc"
  getvariable
  push "onStatus" "st"
  getvariable
  setmember
  push "rtmp://host/app" 1 "nc"
  getvariable
  push "connect"
  callmethod
  trace
  push null 1 "nc"
  getvariable
  push "connect"
  callmethod
  trace
  push "ns" "nc"
  getvariable
  push 1 "NetStream"
  newobject
  setvariable
  push "ns"
  getvariable
  push "onStatus" "st"
  getvariable
  setmember
  push "ns"
  getvariable
  push "onMetaData"
  function2 "" registers 2 args info=1
    push "meta" r1
    setvariable
  end
  setmember
  function2 "nsCall" registers 3 args m=1 a=2
    push r2 1 "ns"
    getvariable
    push r1
    callmethod
    return
  end
  addcallback "call" "this" "nsCall"
  pop
  stop
end
show
)";

struct Player {
  Player() : rig(kPlayer) { rig.instance.Step(); }
  Rig rig;
  std::string Call(const std::string& Method, const std::string& ArgXml = "<undefined/>") {
    return rig.instance.CallFunction("<invoke name=\"call\" returntype=\"xml\"><arguments><string>" + Method +
                                     "</string>" + ArgXml + "</arguments></invoke>");
  }
  std::string Get(const std::string& Property) { return rig.instance.GetVariable("ns." + Property); }
  int Play(const std::string& Url = "v.flv") {
    Call("play", "<string>" + Url + "</string>");
    return rig.host.lastRequest;
  }
  void Deliver(int Id, const Bytes& B, size_t From = 0, size_t To = SIZE_MAX) {
    To = std::min(To, B.size());
    if (From < To) rig.instance.DeliverData(Id, B.data() + From, To - From);
  }
  void Ticks(int N) {
    for (int i = 0; i < N; ++i) rig.instance.Step();
  }
  // The picture of the stream's feed, through its native data.
  const swf::Bitmap& Picture() {
    auto* source = dynamic_cast<swf::video::VideoFeedSource*>(rig.instance.NativeDataAt("ns"));
    static const swf::Bitmap none;
    if (!source) return none;
    feed = source->Feed();
    return feed->picture;
  }
  // The stream's status traces.
  std::vector<std::string> Statuses() const {
    std::vector<std::string> out;
    for (const std::string& t : Traces(rig.host))
      if (t.rfind("NetStream.", 0) == 0) out.push_back(t);
    return out;
  }
  // Whether the feed shows frame N of the 320 x 240 test video, exactly.
  bool Shows(int N) {
    const swf::Bitmap& pic = Picture();
    return pic.width == 320 && pic.height == 240 && pic.pixels == ReferenceFrame(N);
  }
  int LogCount(const std::string& Part) const {
    int n = 0;
    for (const std::string& l : rig.host.logs) n += l.find(Part) != std::string::npos;
    return n;
  }
  std::shared_ptr<swf::video::VideoFeed> feed;
};

std::string Num(double N) { return "<number>" + swf::NumberToString(N) + "</number>"; }
std::string Text(double N) { return swf::NumberToString(N); }

TEST(MovieNetStream, StatusSequences) {
  const Bytes video = ReadFile("screen_320x240.flv");
  ASSERT_GT(video.size(), 1000u);
  FlvWriter garbage;
  garbage.bytes.insert(garbage.bytes.end(), {0x77, 0x01, 0x02, 0x03, 0, 0, 0, 0, 0, 0, 0, 1, 2, 3});
  const Bytes html = {'<', 'h', 't', 'm', 'l', '>'};
  struct Case {
    const char* name;
    std::function<void(Player&, int)> run;
    std::vector<std::string> want;
  } cases[] = {
      {"whole file, played to its end",
       [&](Player& p, int id) {
         p.Deliver(id, video);
         p.rig.instance.FinishRequest(id, true);
         p.Ticks(70);
       },
       {"NetStream.Play.Start status", "NetStream.Buffer.Full status", "NetStream.Buffer.Flush status",
        "NetStream.Play.Stop status"}},
      {"the request fails", [&](Player& p, int id) { p.rig.instance.FinishRequest(id, false); },
       {"NetStream.Play.StreamNotFound error"}},
      {"not FLV", [&](Player& p, int id) { p.Deliver(id, html); }, {"NetStream.Play.StreamNotFound error"}},
      {"garbage after the header", [&](Player& p, int id) { p.Deliver(id, garbage.bytes); },
       {"NetStream.Play.Start status", "NetStream.Play.StreamNotFound error"}},
      {"pause toggles, and set to what it is says nothing",
       [&](Player& p, int id) {
         p.Deliver(id, video);
         p.Call("pause");
         p.Call("pause", "<true/>");
         p.Call("pause", "<false/>");
         p.Call("pause", "<false/>");
       },
       {"NetStream.Play.Start status", "NetStream.Buffer.Full status", "NetStream.Pause.Notify status",
        "NetStream.Unpause.Notify status"}},
      {"seek past what arrived",
       [&](Player& p, int id) {
         p.Deliver(id, video, 0, video.size() / 2);
         p.Call("seek", Num(2.5));
         p.Call("seek", Num(0.5));
       },
       {"NetStream.Play.Start status", "NetStream.Buffer.Full status", "NetStream.Seek.InvalidTime error",
        "NetStream.Seek.Notify status", "NetStream.Buffer.Full status"}},
      {"cut inside a tag",
       [&](Player& p, int id) {
         const Bytes cut = ReadFile("sorenson_cut.flv");
         p.Deliver(id, cut);
         p.rig.instance.FinishRequest(id, true);
         p.Ticks(100);
       },
       {"NetStream.Play.Start status", "NetStream.Buffer.Full status", "NetStream.Buffer.Flush status",
        "NetStream.Play.Stop status"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Player p;
    const int id = p.Play();
    c.run(p, id);
    EXPECT_EQ(p.Statuses(), c.want);
  }
}

TEST(MovieNetStream, PictureFollowsTheVideoClockAndSeeksToKeyframes) {
  // 10 frames a second shown by a movie of 20: a new frame every two ticks.
  const Bytes video = ReadFile("screen_320x240.flv");
  Player p;
  const int id = p.Play();
  p.Deliver(id, video);
  p.rig.instance.FinishRequest(id, true);
  int ticks = 0;
  for (int frame : {0, 1, 2, 9, 10, 17, 28}) {
    SCOPED_TRACE(frame);
    p.Ticks(2 * frame - ticks);
    ticks = 2 * frame;
    EXPECT_TRUE(p.Shows(frame));
    EXPECT_EQ(p.Get("time"), Text(frame / 10.0));
  }
  EXPECT_EQ(p.Get("currentFps"), Text(10));
  p.Ticks(12);  // the end: the last frame stays
  EXPECT_TRUE(p.Shows(29));
  EXPECT_EQ(p.Get("currentFps"), Text(0));
  // A seek shows the keyframe at or before the time (one every 10 frames).
  const std::pair<double, int> seeks[] = {{1.5, 10}, {0, 0}, {2.95, 20}, {0.99, 0}, {-3, 0}, {1.0, 10}};
  for (const auto& [to, frame] : seeks) {
    SCOPED_TRACE(to);
    p.Call("seek", Num(to));
    EXPECT_EQ(p.Get("time"), Text(frame / 10.0));
    EXPECT_TRUE(p.Shows(frame));
  }
  p.Call("seek", Num(1.2));  // and decodes on forward from it
  p.Ticks(6);
  EXPECT_TRUE(p.Shows(13));
}

TEST(MovieNetStream, SmallPiecesStopAndRestartTheClock) {
  const Bytes video = ReadFile("screen_320x240.flv");
  Player p;
  const int id = p.Play();
  double lastTime = 0;
  int empties = 0;
  for (size_t at = 0; at < video.size(); at += 100) {
    p.Deliver(id, video, at, at + 100);
    p.Ticks(1);
    const double t = std::stod(p.Get("time"));
    EXPECT_GE(t, lastTime);
    lastTime = t;
    EXPECT_EQ(p.Get("bytesLoaded"), Text(static_cast<double>(std::min(at + 100, video.size()))));
    EXPECT_EQ(p.Get("bytesTotal"), p.Get("bytesLoaded"));  // no size known
  }
  for (const std::string& s : p.Statuses()) empties += s == "NetStream.Buffer.Empty status";
  EXPECT_GT(empties, 1);
  p.rig.instance.FinishRequest(id, true);
  p.Ticks(80);
  const std::vector<std::string> st = p.Statuses();
  ASSERT_GE(st.size(), 2u);
  EXPECT_EQ(st[st.size() - 2], "NetStream.Buffer.Flush status");
  EXPECT_EQ(st.back(), "NetStream.Play.Stop status");
  EXPECT_TRUE(p.Shows(29));
}

TEST(MovieNetStream, CodecsNotDecodedAndDamagedFramesKeepThePicture) {
  const auto tags = TagsOf("screen_320x240.flv");
  struct Case {
    const char* name;
    size_t from, to;  // the video tags changed: to codec 7 (Codec) or cut to Cut bytes
    uint8_t codec;
    size_t cut;
    int frameShown;  // at the end
    const char* log;  // once
  } cases[] = {
      {"a codec not decoded from frame 5 on", 5, 99, 7, 0, 4, "codec 7 is not decoded"},
      {"frame 12 damaged: skipped up to the keyframe at 20", 12, 12, 0, 7, 29, "damaged frame at 1200 ms"},
      {"keyframe 20 damaged: no keyframe follows", 20, 20, 0, 3, 19, "damaged frame at 2000 ms"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FlvWriter w;
    size_t index = 0;
    for (swf::video::FlvTag t : tags) {
      const bool video = t.Is(swf::video::FlvTag::Kind::Video), change = video && index >= c.from && index <= c.to;
      index += video;
      if (change && c.codec) t.data[0] = static_cast<uint8_t>((t.data[0] & 0xF0) | c.codec);
      if (change && c.cut) t.data.resize(c.cut);
      w.Tag(t.type, t.timestamp, t.data);
    }
    Player p;
    const int id = p.Play();
    p.Deliver(id, w.bytes);
    p.rig.instance.FinishRequest(id, true);
    p.Ticks(70);
    EXPECT_EQ(p.LogCount(c.log), 1);
    EXPECT_TRUE(p.Shows(c.frameShown));
    EXPECT_EQ(p.Statuses().back(), "NetStream.Play.Stop status");
  }
}

TEST(MovieNetStream, MetaDataBecomesScriptValues) {
  Player real;
  const int id = real.Play();
  real.Deliver(id, ReadFile("screen_320x240.flv"));
  EXPECT_EQ(real.rig.instance.GetVariable("meta.width"), "320");
  EXPECT_EQ(real.rig.instance.GetVariable("meta.height"), "240");
  EXPECT_EQ(real.rig.instance.GetVariable("meta.framerate"), "10");
  EXPECT_EQ(real.rig.instance.GetVariable("meta.duration"), "3");

  // onMetaData with every kind of value: an ECMA array of a number, a
  // string, a boolean, a nested object, a strict array and a date.
  const std::string hex =
      "02000a6f6e4d65746144617461080000000600016e0040040000000000000001730200026869000162010100016f030004646565"
      "7000401c00000000000000000900046c6973740a000000020040100000000000000200017800047768656e0b4194997000000000"
      "0000000009";
  Bytes amf;
  for (size_t i = 0; i < hex.size(); i += 2) amf.push_back(static_cast<uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  FlvWriter w;
  w.Tag(18, 0, amf);
  Player p;
  const int id2 = p.Play();
  p.Deliver(id2, w.bytes);
  p.rig.instance.FinishRequest(id2, true);
  struct Want {
    const char* path;
    const char* value;
  } wants[] = {{"meta.n", "2.5"}, {"meta.s", "hi"},   {"meta.b", "true"},
               {"meta.o.deep", "7"}, {"meta.list", "4,x"}, {"meta.list.length", "2"}};
  for (const Want& v : wants) EXPECT_EQ(p.rig.instance.GetVariable(v.path), v.value) << v.path;
  EXPECT_EQ(p.rig.instance.GetVariable("meta.when.getTime"), "[type Function]");  // a Date
}

TEST(MovieNetStream, BytesTotalFromTheHostsSizeAndBufferTime) {
  const Bytes video = ReadFile("screen_320x240.flv");
  Player p;
  EXPECT_EQ(p.Get("bufferTime"), Text(0.1));
  p.Call("setBufferTime", Num(2));
  const int id = p.Play();
  p.rig.instance.SetRequestSize(id, video.size());
  p.Deliver(id, video, 0, 5000);
  EXPECT_EQ(p.Get("bytesLoaded"), Text(5000));
  EXPECT_EQ(p.Get("bytesTotal"), Text(static_cast<double>(video.size())));
  EXPECT_EQ(p.Get("bufferTime"), Text(2));
  // Two seconds are needed before the clock starts.
  EXPECT_EQ(p.Statuses(), std::vector<std::string>{"NetStream.Play.Start status"});
  p.Deliver(id, video, 5000);
  EXPECT_EQ(p.Statuses().back(), "NetStream.Buffer.Full status");
  EXPECT_EQ(p.Get("bufferLength"), Text(2.9));
  p.Call("seek", Num(5));
  EXPECT_EQ(p.Statuses().back(), "NetStream.Seek.InvalidTime error");
  EXPECT_EQ(p.rig.instance.GetVariable("details"), "2.9");  // the latest time there is
  p.rig.instance.FinishRequest(id, true);
  EXPECT_EQ(p.Get("bytesTotal"), Text(static_cast<double>(video.size())));
}

TEST(MovieNetStream, PlayAgainStartsOverAndCloseKeepsThePicture) {
  const Bytes video = ReadFile("screen_320x240.flv");
  Player p;
  const int first = p.Play();
  p.Deliver(first, video);
  p.Ticks(6);
  const int second = p.Play("other.flv");
  EXPECT_NE(second, first);
  EXPECT_EQ(p.rig.host.calls.back(), "request " + std::to_string(second) + " other.flv");
  p.Deliver(first, video);  // the old download is no longer heard
  EXPECT_EQ(p.Get("bytesLoaded"), Text(0));
  EXPECT_TRUE(p.Shows(3));  // kept until new frames
  p.Deliver(second, video);
  EXPECT_TRUE(p.Shows(0));
  p.Ticks(4);
  p.Call("close");
  p.Ticks(10);
  EXPECT_TRUE(p.Shows(2));
}

TEST(MovieNetStream, AHostMayAnswerInsideTheRequest) {
  const Bytes video = ReadFile("screen_320x240.flv");
  Player p;
  p.rig.host.onRequest = [&](int Id, const std::string&) {
    p.Deliver(Id, video);
    p.rig.instance.FinishRequest(Id, true);
  };
  p.Play();
  p.Ticks(60);
  EXPECT_EQ(p.Statuses(), (std::vector<std::string>{"NetStream.Play.Start status", "NetStream.Buffer.Full status",
                                                    "NetStream.Buffer.Flush status", "NetStream.Play.Stop status"}));
  EXPECT_TRUE(p.Shows(29));
}

// A remote connection is never made and, as in the player, nothing reports
// it: connect answers false and onStatus stays silent.
TEST(MovieNetStream, NetConnectionConnectsLocallyOnly) {
  Player p;
  EXPECT_EQ(Traces(p.rig.host), (std::vector<std::string>{"false",
                                                          "NetConnection.Connect.Success status", "true"}));
  EXPECT_EQ(p.rig.instance.GetVariable("nc.uri"), "null");
  EXPECT_EQ(p.rig.instance.GetVariable("nc.isConnected"), "true");
}

}  // namespace
