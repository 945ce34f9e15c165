// ExportAssets, ImportAssets and ImportAssets2: the linkage names a movie
// offers to others and the characters it takes from libraries. A body cut
// off early keeps the pairs it holds whole.
#include <cstring>
#include <string>

#include "renderers/engine/src/reader/loader.h"

namespace swf::detail {
namespace {

bool TakeU16(Stream& S, uint16_t& Out) {
  if (S.Remaining() < 2) return false;
  Out = S.U16();
  return true;
}

bool TakeString(Stream& S, std::string& Out) {
  if (S.AtEnd() || !std::memchr(S.Here(), 0, S.Remaining())) return false;
  Out = S.String();
  return true;
}

std::string CutOff(const char* What, size_t At) {
  return std::string(What) + " is cut off at offset " + std::to_string(At) + ": the names it holds whole are kept";
}

}  // namespace

std::string ReadExports(Stream& S, LoadState& L, size_t At) {
  uint16_t count = 0;
  if (!TakeU16(S, count)) return CutOff("ExportAssets", At);
  for (uint16_t i = 0; i < count; ++i) {
    uint16_t id = 0;
    std::string name;
    if (!TakeU16(S, id) || !TakeString(S, name)) return CutOff("ExportAssets", At);
    L.Charge(sizeof(std::pair<const std::string, uint16_t>) + 32 + name.size(), At);
    L.movie->exports[std::move(name)] = id;
  }
  return {};
}

std::string ReadImports(Stream& S, int Version, LoadState& L, size_t At) {
  const char* what = Version == 1 ? "ImportAssets" : "ImportAssets2";
  Import import;
  uint16_t count = 0;
  if (!TakeString(S, import.url)) return CutOff(what, At);
  if (Version == 2) {
    if (S.Remaining() < 2) return CutOff(what, At);
    S.Skip(2);  // reserved
  }
  L.Charge(sizeof(Import) + import.url.size(), At);
  std::string note;
  if (!TakeU16(S, count)) note = CutOff(what, At);
  for (uint16_t i = 0; i < count && note.empty(); ++i) {
    ImportedCharacter c;
    if (!TakeU16(S, c.id) || !TakeString(S, c.name)) {
      note = CutOff(what, At);
      break;
    }
    L.Charge(sizeof(ImportedCharacter) + c.name.size(), At);
    L.imported.insert(c.id);
    import.characters.push_back(std::move(c));
  }
  L.movie->imports.push_back(std::move(import));
  return note;
}

}  // namespace swf::detail
