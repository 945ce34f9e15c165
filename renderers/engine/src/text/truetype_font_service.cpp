// The host tools' device fonts: face names resolved to TrueType files in one
// folder, each file opened once and each glyph outlined once.
#include <algorithm>
#include <cctype>
#include <map>
#include <tuple>

#include "renderers/engine/truetype_fonts.h"

namespace swf {
namespace {

struct Family {
  const char* regular;
  const char* bold;
  const char* italic;
  const char* boldItalic;
};

const Family kSans{"DejaVuSans", "DejaVuSans-Bold", "DejaVuSans-Oblique", "DejaVuSans-BoldOblique"};
const Family kSerif{"DejaVuSerif", "DejaVuSerif-Bold", "DejaVuSerif-Italic", "DejaVuSerif-BoldItalic"};
const Family kMono{"DejaVuSansMono", "DejaVuSansMono-Bold", "DejaVuSansMono-Oblique", "DejaVuSansMono-BoldOblique"};

// A family name as a file name: letters, digits and '-' only, so that a
// movie's face name can never reach outside the folder.
std::string FileStem(const std::string& Face) {
  std::string stem;
  for (char c : Face) {
    if (std::isalnum(static_cast<unsigned char>(c)) || c == '-') stem.push_back(c);
    else if (c != ' ') return {};
  }
  return stem.size() <= 64 ? stem : std::string{};
}

class TrueTypeFontService : public FontService {
 public:
  explicit TrueTypeFontService(std::string Folder) : folder_(std::move(Folder)) {}

  const DeviceGlyph* Glyph(const std::string& Face, bool Bold, bool Italic, char32_t Code) override {
    try {
      const TrueTypeFace* face = Resolve(Face, Bold, Italic);
      if (!face) return nullptr;
      const auto key = std::make_tuple(face, Code);
      if (const auto it = glyphs_.find(key); it != glyphs_.end()) return &it->second;
      auto glyph = face->Glyph(Code, kDeviceEm);
      if (!glyph) {
        // The sans font stands in for a glyph the chosen font lacks.
        const TrueTypeFace* sans = Open(Pick(kSans, Bold, Italic));
        if (sans && sans != face) glyph = sans->Glyph(Code, kDeviceEm);
      }
      if (!glyph) return nullptr;
      return &glyphs_.emplace(key, std::move(*glyph)).first->second;
    } catch (...) {
      return nullptr;
    }
  }

  DeviceFontMetrics Metrics(const std::string& Face, bool Bold, bool Italic) override {
    try {
      const TrueTypeFace* face = Resolve(Face, Bold, Italic);
      return face ? face->Metrics(kDeviceEm) : DeviceFontMetrics{};
    } catch (...) {
      return {};
    }
  }

 private:
  static const char* Pick(const Family& F, bool Bold, bool Italic) {
    return Bold && Italic ? F.boldItalic : Bold ? F.bold : Italic ? F.italic : F.regular;
  }

  // The face for a name the movie gives, falling back from the styled cut
  // to the regular one, and from an unknown family to the sans font.
  const TrueTypeFace* Resolve(const std::string& Face, bool Bold, bool Italic) {
    const Family* generic = Face == "_serif" ? &kSerif : Face == "_typewriter" ? &kMono : Face == "_sans" ? &kSans : nullptr;
    if (!generic) {
      const std::string stem = FileStem(Face);
      if (!stem.empty()) {
        if (Bold || Italic) {
          const std::string styled = stem + (Bold && Italic ? "-BoldItalic" : Bold ? "-Bold" : "-Italic");
          if (const TrueTypeFace* f = Open(styled)) return f;
        }
        if (const TrueTypeFace* f = Open(stem)) return f;
      }
      generic = &kSans;
    }
    if (const TrueTypeFace* f = Open(Pick(*generic, Bold, Italic))) return f;
    if (const TrueTypeFace* f = Open(generic->regular)) return f;
    return Open(kSans.regular);
  }

  // The file Stem.ttf in the folder, opened once; nullptr when it is not there.
  const TrueTypeFace* Open(const std::string& Stem) {
    const auto it = faces_.find(Stem);
    if (it != faces_.end()) return it->second.get();
    // Every name the movie tries is remembered, missing ones too: bound them.
    constexpr size_t kMaxNames = 256;
    if (faces_.size() >= kMaxNames) return nullptr;
    return (faces_[Stem] = TrueTypeFace::Open(folder_ + "/" + Stem + ".ttf")).get();
  }

  std::string folder_;
  std::map<std::string, std::unique_ptr<TrueTypeFace>> faces_;
  std::map<std::tuple<const TrueTypeFace*, char32_t>, DeviceGlyph> glyphs_;
};

}  // namespace

std::unique_ptr<FontService> MakeTrueTypeFontService(std::string Folder) {
  return std::make_unique<TrueTypeFontService>(std::move(Folder));
}

}  // namespace swf
