// Shared libraries: a main movie and a library made with swfc, the library
// served late, never, as garbage or not at all; imported characters drawn
// with the library's dictionary, sprites playing the library's timelines,
// and characters by linkage name.
#include <gtest/gtest.h>

#include "renderers/engine/player.h"
#include "renderers/engine/reader.h"
#include "renderers/engine/src/player/display_list.h"
#include "renderers/engine/src/player/imports.h"
#include "tests/portable/engine/movie_fakes.h"
#include "tests/portable/engine/reader_bytes.h"

namespace {

using movie_test::Bytes;
using movie_test::Compile;
using movie_test::Rig;

// Character 1 of the library is a magenta bitmap; its shape fills with it.
// The sprite steps its square right by 10 pixels a frame.
const char* kLibrary = R"(
size 100 100
bitmap pic solid 4 4 #ff00ff
shape dot
  fill f bitmap pic repeat
  rect 0 0 10 10 fill f
end
shape sq
  fill f solid #00ff00
  rect 0 0 10 10 fill f
end
sprite walker
  place sq 1
  show
  move 1 at 10 0
  show
  move 1 at 20 0
  show
end
export dot as "Dot"
export walker as "Walker"
)";

// Character 1 here is a green bitmap; the imported dot must not use it.
const char* kMain = R"(
size 100 100
bitmap own solid 4 4 #00ff00
import "lib.swf" dot as "Dot"
import "lib.swf" walker as "Walker"
sprite holder
  place dot 1
end
place dot 1 at 10 10
place holder 2 at 10 50
place walker 3 at 50 10
show
show
show
show
)";

uint32_t PixelAt(const swf::MovieInstance& I, int X, int Y) {
  std::vector<uint32_t> px(100 * 100);
  I.Render({px.data(), 100, 100, 400}, {0, 0, 100, 100}, false);
  return px[static_cast<size_t>(Y * 100 + X)];
}

constexpr uint32_t kWhite = 0xffffffffu, kMagenta = 0xffff00ffu, kGreen = 0xff00ff00u;

void Serve(swf::MovieInstance& I, int Id, const std::vector<uint8_t>& Data) {
  I.DeliverData(Id, Data.data(), Data.size());
  I.FinishRequest(Id, true);
}

TEST(MovieLibraries, ServedLateShowsThePlacedCharactersOnceTheyArrive) {
  Rig r(kMain);
  r.instance.Step();
  r.instance.Step();
  r.instance.Step();
  ASSERT_EQ(r.host.calls, std::vector<std::string>{"request 1 lib.swf"});  // once for both imports
  EXPECT_EQ(PixelAt(r.instance, 12, 12), kWhite);
  EXPECT_EQ(PixelAt(r.instance, 12, 52), kWhite);
  Serve(r.instance, 1, Bytes(kLibrary));
  // Placed in earlier frames and shown now, with the library's bitmap, in the
  // root and inside a sprite of the main movie.
  EXPECT_EQ(PixelAt(r.instance, 12, 12), kMagenta);
  EXPECT_EQ(PixelAt(r.instance, 12, 52), kMagenta);
  // The imported sprite plays its own timeline from its first frame.
  EXPECT_EQ(PixelAt(r.instance, 52, 12), kGreen);
  r.instance.Step();
  EXPECT_EQ(PixelAt(r.instance, 52, 12), kWhite);
  EXPECT_EQ(PixelAt(r.instance, 62, 12), kGreen);
  EXPECT_EQ(r.host.calls.size(), 1u);
  EXPECT_TRUE(r.host.logs.empty());
}

TEST(MovieLibraries, NeverServedFailedOrGarbageLeavesThemEmpty) {
  struct Case {
    const char* what;
    std::vector<uint8_t> data;  // empty: never answered
    bool ok;
    const char* log;            // the one line logged; nullptr: none
  };
  const std::vector<Case> cases = {
      {"never served", {}, true, nullptr},
      {"failed", Bytes(kLibrary), false, "library lib.swf: not loaded"},
      {"garbage", {'n', 'o', 'p', 'e', '!', '!', '!', '!', '!'}, true, "library lib.swf: not a SWF movie"},
      {"a movie without the exports", Bytes("size 100 100\n"), true, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Rig r(kMain);
    r.instance.Step();
    if (!c.data.empty()) {
      r.instance.DeliverData(1, c.data.data(), c.data.size());
      r.instance.FinishRequest(1, c.ok);
    }
    for (int i = 0; i < 3; ++i) r.instance.Step();
    EXPECT_EQ(PixelAt(r.instance, 12, 12), kWhite);
    EXPECT_EQ(PixelAt(r.instance, 52, 12), kWhite);
    EXPECT_EQ(r.host.calls.size(), 1u);
    if (c.log) {
      ASSERT_EQ(r.host.logs.size(), 1u);
      EXPECT_EQ(r.host.logs[0].rfind(c.log, 0), 0u) << r.host.logs[0];
    } else {
      EXPECT_TRUE(r.host.logs.empty());
    }
  }
}

TEST(MovieLibraries, LibrariesAreNamedRelativeToTheMovieThatImports) {
  // A level loaded from sub/main.swf asks for sub/lib.swf; the library's own
  // import of "deep/more.swf" is relative to the library.
  Rig r("size 100 100\nactions\n  push \"sub/main.swf\" \"_level1\"\n  geturl2\nend\nshow\n");
  r.instance.Step();
  Serve(r.instance, 1, Bytes(kMain));
  ASSERT_EQ(r.host.calls.back(), "request 2 sub/lib.swf");
  Serve(r.instance, 2, Bytes(std::string(kLibrary) + "import \"deep/more.swf\" other as \"Other\"\n"));
  EXPECT_EQ(r.host.calls.back(), "request 3 sub/deep/more.swf");

  const std::vector<std::tuple<std::string, std::string, std::string>> urls = {
      {"", "lib.swf", "lib.swf"},
      {"main.swf", "lib.swf", "lib.swf"},
      {"http://h/a/main.swf?x=1/2", "lib.swf", "http://h/a/lib.swf"},
      {"C:\\movies\\main.swf", "lib.swf", "C:\\movies\\lib.swf"},
      {"http://h/a/main.swf", "http://o/lib.swf", "http://o/lib.swf"},
      {"http://h/a/main.swf", "/lib.swf", "/lib.swf"},
      {"a/main.swf", "", ""},
  };
  for (const auto& [base, url, want] : urls) EXPECT_EQ(swf::detail::ResolveUrl(base, url), want) << base << " " << url;
}

TEST(MovieLibraries, InstancesKeepTheirIdentityWhenTheirLibraryArrives) {
  swf::MoviePlayer player(Compile(kMain));
  player.NextFrame();
  auto& list = player.RootTimeline().list;
  const swf::detail::Instance* walker = list.at(3).get();
  const uint64_t serial = walker->serial;
  EXPECT_EQ(walker->character, nullptr);
  const auto library = Compile(kLibrary);
  ASSERT_TRUE(player.AddLibrary("lib.swf", library));
  EXPECT_FALSE(player.AddLibrary("lib.swf", Compile(kLibrary)));  // the first one stays
  player.Refresh();
  EXPECT_EQ(list.at(3).get(), walker);
  EXPECT_EQ(walker->serial, serial);
  EXPECT_EQ(walker->library, library.get());
  ASSERT_NE(walker->sprite, nullptr);
  EXPECT_EQ(walker->sprite->frame, 0);
  EXPECT_EQ(walker->sprite->movie, library.get());
  player.NextFrame();
  EXPECT_EQ(walker->sprite->frame, 1);
  // Going back in the root rebuilds nothing that stays: the imported sprite
  // placed in frame 0 keeps playing.
  player.GotoFrame(0);
  EXPECT_EQ(list.at(3).get(), walker);
}

TEST(MovieLibraries, LinkageNamesFindOwnAndImportedCharacters) {
  swf::MoviePlayer player(Compile(std::string(kMain) + "shape mine\n  rect 0 0 1 1\nend\nexport mine as \"Mine\"\n"));
  const auto library = Compile(kLibrary);
  struct Case {
    const char* name;
    bool afterLibrary;
    bool found;
    bool fromLibrary;
  };
  const std::vector<Case> cases = {
      {"Mine", false, true, false},   {"Dot", false, false, false}, {"Nothing", false, false, false},
      {"Mine", true, true, false},    {"Dot", true, true, true},    {"Walker", true, true, true},
      {"Nothing", true, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name) + (c.afterLibrary ? " after" : " before"));
    if (c.afterLibrary) player.AddLibrary("lib.swf", library);
    const auto found = player.FindLinkage(c.name);
    ASSERT_EQ(found.has_value(), c.found);
    if (!found) continue;
    const swf::Movie& from = c.fromLibrary ? *library : player.movie();
    EXPECT_EQ(found->movie, &from);
    // The id is the one the main movie places it by; the character is the
    // one the exporting movie holds under that name.
    EXPECT_EQ(found->character, &from.dictionary.at(from.exports.at(c.name)));
    if (!c.fromLibrary) {
      EXPECT_EQ(found->id, from.exports.at(c.name));
    }
    for (const swf::Import& i : player.movie().imports)
      for (const swf::ImportedCharacter& ic : i.characters)
        if (ic.name == c.name) {
          EXPECT_EQ(found->id, ic.id);
        }
  }
}

}  // namespace

namespace {

using swftest::Bits;

TEST(MovieLibraries, ForwardReferencesAndCyclesThroughLibrariesEnd) {
  // The root places character 1 before the tag that defines it: the whole
  // dictionary is there before the first frame, so it shows at once.
  Bits shape;
  shape.U16(1).Rect(0, 400, 0, 400, 10).U8(1).U8(0x00).Rgb(255, 0, 0).U8(0).UB(1, 4).UB(0, 4);
  shape.UB(0, 1).UB(0b00101, 5).UB(10, 5).SB(0, 10).SB(0, 10).UB(1, 1);
  for (const auto& [vertical, d] : std::vector<std::pair<int, int>>{{0, 400}, {1, 400}, {0, -400}, {1, -400}})
    shape.UB(1, 1).UB(1, 1).UB(10, 4).UB(0, 1).UB(static_cast<uint32_t>(vertical), 1).SB(d, 12);
  shape.UB(0, 1).UB(0, 5);
  const std::vector<uint8_t> forward = swftest::Movie(swftest::Cat(
      {swftest::Tag(26, Bits().U8(0x02).U16(1).U16(1)), swftest::Tag(2, shape), swftest::ShowFrame()}));
  movie_test::RecordingHost host;
  swf::MovieInstance first(swf::LoadMovie(forward.data(), forward.size()), host);
  first.Step();
  std::vector<uint32_t> px(100 * 100);
  first.Render({px.data(), 100, 100, 400}, {0, 0, 100, 100}, false);
  EXPECT_EQ(px[5 * 100 + 5], 0xffff0000u);

  // A movie that is its own library, whose sprite places the import that
  // resolves to that sprite again: the nesting ends at the player's levels.
  const std::string self = R"(
size 100 100
import "self.swf" other as "Holder"
shape s
  fill f solid red
  rect 0 0 10 10 fill f
end
sprite holder
  place s 1
  place other 2 at 1 1
end
export holder as "Holder"
place holder 1
place other 2 at 50 50
)";
  Rig r(self);
  r.host.onRequest = [&](int Id, const std::string&) { Serve(r.instance, Id, Bytes(self)); };
  for (int i = 0; i < 3; ++i) r.instance.Step();
  EXPECT_EQ(r.host.calls, std::vector<std::string>{"request 1 self.swf"});
  EXPECT_EQ(PixelAt(r.instance, 5, 5), 0xffff0000u);
  EXPECT_EQ(PixelAt(r.instance, 55, 55), 0xffff0000u);  // the imported holder
}

}  // namespace
