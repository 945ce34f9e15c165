// swfc's `bitmap NAME jpeg FILE`: the file is written as it is
// (DefineBitsJPEG2) and loads as the reference decoder decodes it; files that
// cannot be read or decoded are errors on their line.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>

#include "image_codecs.h"
#include "renderers/engine/reader.h"
#include "tools/swfc/compile.h"

using swftest::Bytes;

namespace {

const std::map<std::string, Bytes>& Files() {
  static const std::map<std::string, Bytes> files = {
      {"photo.jpg", swftest::EncodeJpeg(6, 5, swftest::TestPattern(6, 5))},
      {"logo.png", swftest::EncodePng(4, 3, swftest::TestPattern(4, 3))},
      {"dots.gif", swftest::TinyGif()},
      {"notes.txt", Bytes{'h', 'i'}},
  };
  return files;
}

std::optional<std::vector<uint8_t>> Read(const std::string& Path) {
  const auto it = Files().find(Path);
  if (it == Files().end()) return std::nullopt;
  return it->second;
}

}  // namespace

TEST(SwfcImages, ImageFilesAreWrittenAsTheyAreAndDecode) {
  const std::string text =
      "bitmap a jpeg photo.jpg\nbitmap b jpeg logo.png\nbitmap c jpeg dots.gif\n"
      "shape s\n  fill f bitmap b\n  rect 0 0 10 10 fill f\nend\nplace s 1\n";
  const std::vector<uint8_t> swf = swfc::Compile(text, Read);
  const auto m = swf::LoadMovie(swf.data(), swf.size());
  const char* names[] = {"photo.jpg", "logo.png", "dots.gif"};
  for (uint16_t id = 1; id <= 3; ++id) {
    SCOPED_TRACE(names[id - 1]);
    const Bytes& file = Files().at(names[id - 1]);
    EXPECT_EQ(std::get<swf::Bitmap>(m->dictionary.at(id)).pixels, swftest::ReferencePixels(file));
  }
  EXPECT_TRUE(m->loadNotes.empty());
  // Uncompressed, the files appear verbatim.
  const std::vector<uint8_t> plain = swfc::Compile("compress off\n" + text, Read);
  for (const char* name : names) {
    const Bytes& file = Files().at(name);
    EXPECT_NE(std::search(plain.begin(), plain.end(), file.begin(), file.end()), plain.end()) << name;
  }
}

TEST(SwfcImages, UnreadableOrUndecodableFilesAreErrors) {
  struct Case {
    std::string text;
    bool withReader;
    const char* message;
  } cases[] = {
      {"bitmap a jpeg photo.jpg", false, "image files cannot be read here"},
      {"bitmap a jpeg missing.jpg", true, "cannot read 'missing.jpg'"},
      {"bitmap a jpeg notes.txt", true, "'notes.txt' is not a JPEG, PNG or GIF image"},
      {"bitmap a jpeg", true, "image file"},
      {"bitmap a jpeg photo.jpg extra", true, "extra"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    try {
      swfc::Compile("size 10 10\n" + c.text + "\n", c.withReader ? swfc::FileReader(Read) : swfc::FileReader());
      ADD_FAILURE() << "compiled";
    } catch (const swfc::CompileError& e) {
      EXPECT_EQ(e.line(), 2);
      EXPECT_NE(e.message().find(c.message), std::string::npos) << e.message();
    }
  }
}
