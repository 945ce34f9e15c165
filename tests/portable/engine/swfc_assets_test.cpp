// swfc's export and import statements: what the movie holds after writing
// and loading, and the tag that carries imports by version.
#include <gtest/gtest.h>

#include <algorithm>

#include "renderers/engine/reader.h"
#include "tools/swfc/compile.h"

namespace {

TEST(SwfcAssets, ImportsAndExportsAsLoaded) {
  const std::string body = R"(
import "a.swf" one as "One"
import "b.swf" two as "Two"
import "a.swf" three as "Three"
shape s
end
sprite holder
  place one 1
end
export s as "Shape"
export one as "Again"
)";
  for (int version : {7, 8}) {
    const std::vector<uint8_t> bytes = swfc::Compile("version " + std::to_string(version) + "\ncompress off\n" + body);
    const auto m = swf::LoadMovie(bytes.data(), bytes.size());
    // Ids in order of definition, imports included; one tag per URL.
    const std::vector<swf::Import> imports = {{"a.swf", {{1, "One"}, {3, "Three"}}}, {"b.swf", {{2, "Two"}}}};
    EXPECT_EQ(m->imports, imports);
    EXPECT_EQ(m->exports, (std::map<std::string, uint16_t>{{"Again", 1}, {"Shape", 4}}));
    EXPECT_EQ(std::get<swf::Sprite>(m->dictionary.at(5)).timeline.frames.at(0).tags.size(), 1u);
    // The tag header just before the first URL: ImportAssets2 from version 8.
    const std::string url = "a.swf";
    const auto at = std::search(bytes.begin(), bytes.end(), url.begin(), url.end()) - bytes.begin();
    EXPECT_EQ((bytes[static_cast<size_t>(at) - 2] | bytes[static_cast<size_t>(at) - 1] << 8) >> 6,
              version >= 8 ? 71 : 57);
  }
}

}  // namespace
