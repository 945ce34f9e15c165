// Loading ExportAssets, ImportAssets and ImportAssets2: whole bodies, every
// cut-off prefix of them, and sprites placing imported characters.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "reader_bytes.h"
#include "renderers/engine/reader.h"

using namespace swftest;

namespace {

std::shared_ptr<const swf::Movie> Load(const Bytes& B) { return swf::LoadMovie(B.data(), B.size()); }

Bytes Place2(uint16_t Depth, uint16_t Id) { return Tag(26, Bits().U8(0x02).U16(Depth).U16(Id)); }
Bytes Sprite(uint16_t Id, const Bytes& Body) { return Tag(39, Cat({Bits().U16(Id).U16(1), Body, Tag(0, {})})); }

struct AssetsCase {
  const char* what;
  uint16_t code;
  Bytes body;
  std::map<std::string, uint16_t> exports;
  std::vector<swf::Import> imports;
};

TEST(ReaderAssets, BodiesAndEveryCutOffPrefix) {
  const std::vector<AssetsCase> cases = {
      {"two exports, a name exported twice keeps the later id", 56,
       Bits().U16(3).U16(4).Str("a").U16(7).Str("b\xc3\xa9").U16(9).Str("a"),
       {{"a", 9}, {"b\xc3\xa9", 7}},
       {}},
      {"no exports", 56, Bits().U16(0), {}, {}},
      {"ImportAssets", 57, Bits().Str("lib.swf").U16(2).U16(10).Str("x").U16(11).Str("y"),
       {},
       {{"lib.swf", {{10, "x"}, {11, "y"}}}}},
      {"ImportAssets2 with its reserved bytes", 71, Bits().Str("dir/l.swf").U8(1).U8(0).U16(1).U16(300).Str("z"),
       {},
       {{"dir/l.swf", {{300, "z"}}}}},
      {"an import of nothing", 57, Bits().Str("").U16(0), {}, {{"", {}}}},
  };
  for (const AssetsCase& c : cases) {
    SCOPED_TRACE(c.what);
    const auto whole = Load(Movie(Tag(c.code, c.body)));
    EXPECT_EQ(whole->exports, c.exports);
    EXPECT_EQ(whole->imports, c.imports);
    EXPECT_TRUE(whole->loadNotes.empty());
    for (size_t n = 0; n < c.body.size(); ++n) {
      SCOPED_TRACE("prefix of " + std::to_string(n) + " bytes");
      const Bytes cut(c.body.begin(), c.body.begin() + static_cast<std::ptrdiff_t>(n));
      std::shared_ptr<const swf::Movie> m;
      ASSERT_NO_THROW(m = Load(Movie(Tag(c.code, cut))));
      ASSERT_EQ(m->loadNotes.size(), 1u);
      EXPECT_NE(m->loadNotes[0].find("is cut off"), std::string::npos);
      // What is kept is whole pairs of the full body.
      for (const auto& [name, id] : m->exports) EXPECT_EQ(c.exports.count(name), 1u) << name;
      ASSERT_LE(m->imports.size(), c.imports.size());
      if (!m->imports.empty()) {
        EXPECT_EQ(m->imports[0].url, c.imports[0].url);
        const auto& got = m->imports[0].characters;
        const auto& all = c.imports[0].characters;
        ASSERT_LE(got.size(), all.size());
        EXPECT_TRUE(std::equal(got.begin(), got.end(), all.begin()));
      }
    }
  }
}

TEST(ReaderAssets, SpritesPlaceCharactersImportedBeforeThem) {
  const Bytes import = Tag(71, Bits().Str("lib.swf").U8(1).U8(0).U16(1).U16(5).Str("five"));
  // Imported before the sprite: placed, even inside a sprite inside a sprite.
  const auto m = Load(Movie(Cat({import, Sprite(6, Place2(1, 5)), Sprite(7, Place2(1, 6)), Place2(1, 7)})));
  EXPECT_TRUE(m->loadNotes.empty());
  for (uint16_t id : {6, 7})
    EXPECT_EQ(std::get<swf::Sprite>(m->dictionary.at(id)).timeline.frames.at(0).tags.size(), 1u) << id;
  // Imported after it: dropped with a note, as any character defined later.
  const auto late = Load(Movie(Cat({Sprite(6, Place2(1, 5)), import})));
  EXPECT_TRUE(std::get<swf::Sprite>(late->dictionary.at(6)).timeline.frames.at(0).tags.empty());
  ASSERT_EQ(late->loadNotes.size(), 1u);
  EXPECT_NE(late->loadNotes[0].find("not defined before"), std::string::npos);
  // Inside a sprite the asset tags are not definitions: skipped.
  const auto inner = Load(Movie(Sprite(6, Cat({import, Tag(56, Bits().U16(1).U16(6).Str("s"))}))));
  EXPECT_TRUE(inner->imports.empty());
  EXPECT_TRUE(inner->exports.empty());
}

}  // namespace
