// swfc's `edittext` statement, and text fields written and read back.
#include <gtest/gtest.h>

#include <string>
#include <variant>

#include "renderers/engine/reader.h"
#include "renderers/engine/writer.h"
#include "tools/swfc/compile.h"

namespace {

swf::EditText FieldOf(const swf::Movie& M) {
  for (const auto& [id, c] : M.dictionary)
    if (const auto* e = std::get_if<swf::EditText>(&c)) return *e;
  throw std::runtime_error("no text field");
}

}  // namespace

TEST(SwfcEditText, OptionsBuildTheFieldAndSurviveWritingAndReading) {
  struct Case {
    const char* text;
    void (*check)(const swf::EditText&);
  };
  const Case cases[] = {
      {"edittext f 100 20", [](const swf::EditText& e) {
         EXPECT_EQ(e.bounds, (swf::Rect{0, 0, 2000, 400}));
         EXPECT_EQ(e.fontHeight, 240);
         EXPECT_FALSE(e.fontId);
       }},
      {"edittext f 10 10 color #336699 wrap multiline html border readonly password outlines",
       [](const swf::EditText& e) {
         EXPECT_EQ(e.color, (swf::RGBA{0x33, 0x66, 0x99, 255}));
         EXPECT_TRUE(e.wordWrap && e.multiline && e.html && e.border && e.readOnly && e.password && e.useOutlines);
       }},
      {"edittext f 10 10 align justify margins 1 2 indent 3 leading -4", [](const swf::EditText& e) {
         EXPECT_EQ(e.align, swf::TextAlign::Justify);
         EXPECT_EQ(e.leftMargin, 20);
         EXPECT_EQ(e.rightMargin, 40);
         EXPECT_EQ(e.indent, 60);
         EXPECT_EQ(e.leading, -80);
       }},
      {"edittext f 10 10 var _root.v text \"a\\nb \\\\ caf\xC3\xA9\"", [](const swf::EditText& e) {
         EXPECT_EQ(e.variableName, "_root.v");
         EXPECT_EQ(e.initialText, "a\nb \\ caf\xC3\xA9");
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const swf::Movie m = swfc::Parse(std::string(c.text) + "\nplace f 1\n");
    c.check(FieldOf(m));
    // Written and read, the field is the same; written again, so are the bytes.
    const auto bytes = swf::WriteMovie(m, false);
    const auto loaded = swf::LoadMovie(bytes.data(), bytes.size(), {});
    c.check(FieldOf(*loaded));
    EXPECT_EQ(swf::WriteMovie(*loaded, false), bytes);
  }
}

TEST(SwfcEditText, TextOfOldMoviesIsWrittenAsLatin1) {
  swf::Movie m = swfc::Parse("version 5\nedittext f 10 10 text \"caf\xC3\xA9 \xE2\x82\xAC\"\n");
  const auto bytes = swf::WriteMovie(m, false);
  EXPECT_EQ(FieldOf(*swf::LoadMovie(bytes.data(), bytes.size(), {})).initialText, "caf\xC3\xA9 ?");
}

TEST(SwfcEditText, MistakesAreReportedWithTheirLine) {
  for (const char* text : {"edittext f", "edittext f 10", "edittext f 10 10 align middle", "edittext f 10 10 bogus",
                           "edittext f 10 10 font nofont", "shape s\nend\nedittext f 10 10 font s",
                           "edittext f 10 10 size 16", "edittext f 10 10 margins 1",
                           "edittext f 10 10\nedittext f 10 10"}) {
    EXPECT_THROW(swfc::Parse(text), swfc::CompileError) << text;
  }
}
