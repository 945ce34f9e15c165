// swfc's export and import statements: what the movie holds after writing
// and loading, which tags carry it, and the mistakes they report.
#include <gtest/gtest.h>

#include <string>

#include "renderers/engine/reader.h"
#include "tools/swfc/compile.h"

namespace {

// The codes of the root timeline's tags in an uncompressed movie.
std::vector<uint16_t> TagCodes(const std::vector<uint8_t>& B) {
  std::vector<uint16_t> codes;
  size_t at = 8 + ((B[8] >> 3) * 4 + 5 + 7) / 8 + 4;
  while (at + 2 <= B.size()) {
    const uint16_t head = static_cast<uint16_t>(B[at] | B[at + 1] << 8);
    size_t length = head & 0x3F;
    at += 2;
    if (length == 0x3F) {
      length = B[at] | B[at + 1] << 8 | B[at + 2] << 16 | static_cast<size_t>(B[at + 3]) << 24;
      at += 4;
    }
    codes.push_back(head >> 6);
    at += length;
  }
  return codes;
}

TEST(SwfcAssets, ImportsAndExportsAsLoaded) {
  const std::string body = R"(
import "a.swf" one as "One"
import "b.swf" two as "Two"
import "a.swf" three as "Three"
shape s
  rect 0 0 1 1
end
sprite holder
  place one 1
end
button b
  up+hit two
end
export s as "Shape"
export one as "Again"
place holder 1
place three 2
)";
  struct Case {
    int version;
    uint16_t importCode;
  };
  for (const Case& c : {Case{8, 71}, Case{7, 57}}) {
    SCOPED_TRACE(c.version);
    const std::vector<uint8_t> bytes =
        swfc::Compile("version " + std::to_string(c.version) + "\ncompress off\n" + body);
    const auto m = swf::LoadMovie(bytes.data(), bytes.size());
    // Ids in order of definition, imports included; one tag per URL.
    const std::vector<swf::Import> imports = {{"a.swf", {{1, "One"}, {3, "Three"}}}, {"b.swf", {{2, "Two"}}}};
    EXPECT_EQ(m->imports, imports);
    EXPECT_EQ(m->exports, (std::map<std::string, uint16_t>{{"Again", 1}, {"Shape", 4}}));
    EXPECT_TRUE(m->loadNotes.empty());
    const auto& holder = std::get<swf::Sprite>(m->dictionary.at(5));
    EXPECT_EQ(holder.timeline.frames.at(0).tags.size(), 1u);  // its placement of the import is kept
    EXPECT_EQ(std::get<swf::Button>(m->dictionary.at(6)).records.at(0).characterId, 2);
    // Imports before every definition, the export after them, then the frame.
    const std::vector<uint16_t> codes = TagCodes(bytes);
    const std::vector<uint16_t> head(codes.begin(), codes.begin() + 3);
    EXPECT_EQ(head, (std::vector<uint16_t>{9, c.importCode, c.importCode}));
    const std::vector<uint16_t> tail(codes.end() - 5, codes.end());
    EXPECT_EQ(tail, (std::vector<uint16_t>{56, 26, 26, 1, 0}));
  }
}

TEST(SwfcAssets, MistakesNameTheLine) {
  const struct {
    std::string text;
    int line;
    const char* message;
  } cases[] = {
      {"import \"a.swf\" x\n", 1, "expected 'as'"},
      {"import \"a.swf\" x as\n", 1, "missing linkage name"},
      {"import \"a.swf\" x as \"X\" more\n", 1, "unexpected 'more'"},
      {"shape x\nend\nimport \"a.swf\" x as \"X\"\n", 3, "'x' is already defined"},
      {"export nope as \"N\"\n", 1, "'nope' is not defined"},
      {"shape x\nend\nexport x as \"X\"\nexport x as \"X\"\n", 4, "'X' is already exported"},
      {"import \"a.swf\" x as \"X\"\nshape s\n  fill f bitmap x\nend\n", 3, "'x' is not a bitmap"},
      {"sprite s\n  import \"a.swf\" x as \"X\"\nend\n", 2, "unknown statement 'import'"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    try {
      swfc::Parse(c.text);
      ADD_FAILURE() << "compiled";
    } catch (const swfc::CompileError& e) {
      EXPECT_EQ(e.line(), c.line);
      EXPECT_NE(e.message().find(c.message), std::string::npos) << e.message();
    }
  }
}

}  // namespace
