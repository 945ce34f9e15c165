#include "renderers/engine/src/writer/assets.h"

#include "renderers/engine/src/writer/bit_writer.h"

namespace swf::writer {
namespace {

void Count(BitWriter& W, size_t N, const char* What) {
  if (N > 0xFFFF) throw FormatError(std::string("more than 65535 ") + What);
  W.U16(static_cast<uint16_t>(N));
}

}  // namespace

std::vector<uint8_t> ExportAssetsBody(const std::map<std::string, uint16_t>& Exports) {
  BitWriter w;
  Count(w, Exports.size(), "exported names");
  for (const auto& [name, id] : Exports) {
    w.U16(id);
    w.String(name, "an exported name");
  }
  return std::move(w.bytes());
}

std::vector<uint8_t> ImportAssetsBody(const Import& I, bool Version2) {
  BitWriter w;
  w.String(I.url, "a library URL");
  if (Version2) {
    w.U8(1);  // reserved: as written by authoring tools
    w.U8(0);
  }
  Count(w, I.characters.size(), "imported names");
  for (const ImportedCharacter& c : I.characters) {
    w.U16(c.id);
    w.String(c.name, "an imported name");
  }
  return std::move(w.bytes());
}

}  // namespace swf::writer
