// ExportAssets, ImportAssets and ImportAssets2: whole bodies, every cut-off
// prefix of them, and sprites placing imported characters.
#include <gtest/gtest.h>

#include "reader_bytes.h"
#include "renderers/engine/reader.h"

using namespace swftest;

namespace {

std::shared_ptr<const swf::Movie> Load(const Bytes& B) { return swf::LoadMovie(B.data(), B.size()); }
Bytes Place2(uint16_t Id) { return Tag(26, Bits().U8(0x02).U16(1).U16(Id)); }
Bytes Sprite(uint16_t Id, const Bytes& Body) { return Tag(39, Cat({Bits().U16(Id).U16(1), Body, Tag(0, {})})); }

TEST(ReaderAssets, BodiesAndEveryCutOffPrefix) {
  const struct {
    uint16_t code;
    Bytes body;
    std::map<std::string, uint16_t> exports;
    std::vector<swf::Import> imports;
  } cases[] = {
      // A name exported twice keeps the later id.
      {56, Bits().U16(3).U16(4).Str("a").U16(7).Str("b\xc3\xa9").U16(9).Str("a"), {{"a", 9}, {"b\xc3\xa9", 7}}, {}},
      {57, Bits().Str("lib.swf").U16(2).U16(10).Str("x").U16(11).Str("y"), {}, {{"lib.swf", {{10, "x"}, {11, "y"}}}}},
      {71, Bits().Str("l.swf").U8(1).U8(0).U16(1).U16(300).Str("z"), {}, {{"l.swf", {{300, "z"}}}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code);
    const auto whole = Load(Movie(Tag(c.code, c.body)));
    EXPECT_EQ(whole->exports, c.exports);
    EXPECT_EQ(whole->imports, c.imports);
    EXPECT_TRUE(whole->loadNotes.empty());
    for (size_t n = 0; n < c.body.size(); ++n) {
      std::shared_ptr<const swf::Movie> m;
      ASSERT_NO_THROW(m = Load(Movie(Tag(c.code, Bytes(c.body.begin(), c.body.begin() + static_cast<long>(n))))));
      ASSERT_EQ(m->loadNotes.size(), 1u) << n;
      EXPECT_NE(m->loadNotes[0].find("is cut off"), std::string::npos);
      // Only whole pairs of the full body are kept.
      for (const auto& [name, id] : m->exports) EXPECT_EQ(c.exports.count(name), 1u) << n;
      ASSERT_LE(m->imports.size(), c.imports.size()) << n;
      for (const swf::Import& i : m->imports) {
        const auto& all = c.imports[0].characters;
        EXPECT_TRUE(i.characters.size() <= all.size() && std::equal(i.characters.begin(), i.characters.end(), all.begin()));
      }
    }
  }
}

TEST(ReaderAssets, SpritesPlaceCharactersImportedBeforeThem) {
  const Bytes import = Tag(71, Bits().Str("lib.swf").U8(1).U8(0).U16(1).U16(5).Str("five"));
  const auto m = Load(Movie(Cat({import, Sprite(6, Place2(5)), Sprite(7, Place2(6))})));
  EXPECT_TRUE(m->loadNotes.empty());
  EXPECT_EQ(std::get<swf::Sprite>(m->dictionary.at(6)).timeline.frames.at(0).tags.size(), 1u);
  // Imported after the sprite: dropped with a note, as a character defined later.
  const auto late = Load(Movie(Cat({Sprite(6, Place2(5)), import})));
  EXPECT_TRUE(std::get<swf::Sprite>(late->dictionary.at(6)).timeline.frames.at(0).tags.empty());
  ASSERT_EQ(late->loadNotes.size(), 1u);
  // Inside a sprite the asset tags are skipped.
  EXPECT_TRUE(Load(Movie(Sprite(6, import)))->imports.empty());
}

}  // namespace
