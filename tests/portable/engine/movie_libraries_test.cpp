// Shared libraries: a main movie and a library made with swfc, the library
// served late, never, failed or as garbage; imported characters drawn with
// the library's dictionary, sprites playing its timelines, instances keeping
// their identity, and characters by linkage name.
#include <gtest/gtest.h>

#include "renderers/engine/player.h"
#include "renderers/engine/src/player/display_list.h"
#include "renderers/engine/src/player/imports.h"
#include "tests/portable/engine/movie_fakes.h"

namespace {

using movie_test::Bytes;
using movie_test::Compile;
using movie_test::Rig;

// Character 1 of the library is a magenta bitmap its dot fills with; the
// walker steps its square right by 10 pixels a frame; the button's release
// sets a variable in the clip that placed it.
const std::string kLibrary = R"(
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
end
button go
  up+hit sq
  on release action )" + movie_test::ActionHex("push \"hit\" \"yes\"\nsetvariable") + R"(
end
export dot as "Dot"
export walker as "Walker"
export go as "Go"
)";

// Character 1 here is a green bitmap: the imported dot must not use it.
const char* kMain = R"(
size 100 100
bitmap own solid 4 4 #00ff00
import "lib.swf" dot as "Dot"
import "lib.swf" walker as "Walker"
import "lib.swf" go as "Go"
sprite holder
  place dot 1
end
place dot 1 at 10 10
place holder 2 at 10 50
place walker 3 at 50 10
place go 4 at 50 50
show
show
)";

uint32_t PixelAt(const swf::MovieInstance& I, int X, int Y) {
  std::vector<uint32_t> px(100 * 100);
  I.Render({px.data(), 100, 100, 400}, {0, 0, 100, 100}, false);
  return px[static_cast<size_t>(Y * 100 + X)];
}

constexpr uint32_t kWhite = 0xffffffffu, kMagenta = 0xffff00ffu, kGreen = 0xff00ff00u;

void Serve(swf::MovieInstance& I, int Id, const std::vector<uint8_t>& Data, bool Ok = true) {
  I.DeliverData(Id, Data.data(), Data.size());
  I.FinishRequest(Id, Ok);
}

TEST(MovieLibraries, ServedLateShowsThePlacedCharactersOnceTheyArrive) {
  Rig r(kMain);
  for (int i = 0; i < 3; ++i) r.instance.Step();
  ASSERT_EQ(r.host.calls, std::vector<std::string>{"request 1 lib.swf"});  // once for every import
  EXPECT_EQ(PixelAt(r.instance, 12, 12), kWhite);
  Serve(r.instance, 1, Bytes(kLibrary));
  // Placed in earlier frames, in the root and in a sprite, and shown now with
  // the library's bitmap.
  EXPECT_EQ(PixelAt(r.instance, 12, 12), kMagenta);
  EXPECT_EQ(PixelAt(r.instance, 12, 52), kMagenta);
  // The imported sprite plays its own timeline from its first frame.
  EXPECT_EQ(PixelAt(r.instance, 52, 12), kGreen);
  r.instance.Step();
  EXPECT_EQ(PixelAt(r.instance, 52, 12), kWhite);
  EXPECT_EQ(PixelAt(r.instance, 62, 12), kGreen);
  // The imported button takes the mouse where its library's hit shape is.
  r.instance.MouseDown(55, 55);
  r.instance.MouseUp(55, 55);
  EXPECT_EQ(r.instance.GetVariable("hit"), "yes");
  EXPECT_TRUE(r.host.logs.empty());
}

TEST(MovieLibraries, NeverServedFailedOrGarbageLeavesThemEmpty) {
  const struct {
    std::vector<uint8_t> data;  // empty: never answered
    bool ok;
    const char* log;  // the one line logged; nullptr: none
  } cases[] = {
      {{}, true, nullptr},
      {Bytes(kLibrary), false, "library lib.swf: not loaded"},
      {{'n', 'o', 'p', 'e', '!', '!', '!', '!', '!'}, true, "library lib.swf: not a SWF movie"},
      {Bytes("size 100 100\n"), true, nullptr},  // a movie without the exports
  };
  for (const auto& c : cases) {
    Rig r(kMain);
    r.instance.Step();
    if (!c.data.empty()) Serve(r.instance, 1, c.data, c.ok);
    for (int i = 0; i < 3; ++i) r.instance.Step();
    EXPECT_EQ(PixelAt(r.instance, 12, 12), kWhite);
    EXPECT_EQ(PixelAt(r.instance, 52, 12), kWhite);
    ASSERT_EQ(r.host.logs.size(), c.log ? 1u : 0u);
    if (c.log) {
      EXPECT_EQ(r.host.logs[0].rfind(c.log, 0), 0u) << r.host.logs[0];
    }
  }
}

TEST(MovieLibraries, LibrariesAreNamedRelativeToTheMovieThatImports) {
  // A level loaded from sub/main.swf asks for sub/lib.swf, and that
  // library's own import of deep/more.swf for sub/deep/more.swf.
  Rig r("size 100 100\nactions\n  push \"sub/main.swf\" \"_level1\"\n  geturl2\nend\nshow\n");
  r.instance.Step();
  Serve(r.instance, 1, Bytes(kMain));
  ASSERT_EQ(r.host.calls.back(), "request 2 sub/lib.swf");
  Serve(r.instance, 2, Bytes(kLibrary + "import \"deep/more.swf\" other as \"Other\"\n"));
  EXPECT_EQ(r.host.calls.back(), "request 3 sub/deep/more.swf");
  EXPECT_EQ(swf::detail::ResolveUrl("http://h/a/m.swf?x=1/2", "l.swf"), "http://h/a/l.swf");
  EXPECT_EQ(swf::detail::ResolveUrl("a/m.swf", "http://o/l.swf"), "http://o/l.swf");
}

TEST(MovieLibraries, InstancesKeepTheirIdentityAndLinkageNamesFindImports) {
  swf::MoviePlayer player(Compile(std::string(kMain) + "shape mine\nend\nexport mine as \"Mine\"\n"));
  player.NextFrame();
  const swf::detail::Instance* walker = player.RootTimeline().list.at(3).get();
  EXPECT_EQ(walker->character, nullptr);
  EXPECT_FALSE(player.FindLinkage("Walker"));
  const auto library = Compile(kLibrary);
  ASSERT_TRUE(player.AddLibrary("lib.swf", library));
  EXPECT_FALSE(player.AddLibrary("lib.swf", Compile(kLibrary)));  // the first one stays
  EXPECT_EQ(player.RootTimeline().list.at(3).get(), walker);
  ASSERT_NE(walker->sprite, nullptr);
  EXPECT_EQ(walker->sprite->movie, library.get());
  player.NextFrame();
  EXPECT_EQ(walker->sprite->frame, 1);
  player.GotoFrame(0);  // placed in frame 0: kept
  EXPECT_EQ(player.RootTimeline().list.at(3).get(), walker);

  // By linkage name: the id the main movie places it by, and the character
  // the exporting movie holds.
  const auto linked = player.FindLinkage("Walker");
  ASSERT_TRUE(linked);
  EXPECT_EQ(linked->id, 3);
  EXPECT_EQ(linked->character, &library->dictionary.at(library->exports.at("Walker")));
  EXPECT_EQ(linked->movie, library.get());
  EXPECT_EQ(player.FindLinkage("Mine")->movie, &player.movie());
  EXPECT_FALSE(player.FindLinkage("Nothing"));
}

TEST(MovieLibraries, CyclesThroughLibrariesEnd) {
  // A movie that is its own library, whose sprite places the import that
  // resolves to that sprite again: the nesting ends at the player's levels.
  const std::string self =
      "size 100 100\nimport \"self.swf\" other as \"Holder\"\nshape s\n  fill f solid red\n  rect 0 0 10 10 fill f\n"
      "end\nsprite holder\n  place s 1\n  place other 2 at 1 1\nend\nexport holder as \"Holder\"\n"
      "place other 2 at 50 50\n";
  Rig r(self);
  r.host.onRequest = [&](int Id, const std::string&) { Serve(r.instance, Id, Bytes(self)); };
  for (int i = 0; i < 3; ++i) r.instance.Step();
  EXPECT_EQ(r.host.calls, std::vector<std::string>{"request 1 self.swf"});
  EXPECT_EQ(PixelAt(r.instance, 55, 55), 0xffff0000u);
}

}  // namespace

TEST(MovieLibraries, ALibrarysInitActionsRunInTheClipThatImports) {
  // Every block of the library runs when it arrives, for the sprite imported
  // or not, with the importing movie's clip as this.
  const std::string library = R"(
size 100 100
sprite a
end
sprite b
end
export b as "B"
initactions a
  push "a " "this"
  getvariable
  add2
  trace
end
initactions b
  push "b"
  trace
end
show
)";
  Rig r("size 100 100\nimport \"lib.swf\" b as \"B\"\nshow\n");
  r.instance.Step();
  Serve(r.instance, 1, Bytes(library));
  EXPECT_EQ(movie_test::Traces(r.host), (std::vector<std::string>{"a _level0", "b"}));
}
