#include "renderers/engine/src/player/imports.h"

#include <cctype>
#include <set>

namespace swf::detail {
namespace {

// Libraries that import from libraries: how many steps an id may take
// through them (which also ends chains that lead back to where they began).
constexpr int kMaxHops = 16;

bool Absolute(const std::string& Url) {
  if (!Url.empty() && (Url[0] == '/' || Url[0] == '\\')) return true;
  for (char c : Url) {
    if (c == ':') return true;
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.') return false;
  }
  return false;
}

}  // namespace

std::string ResolveUrl(const std::string& Base, const std::string& Url) {
  if (Base.empty() || Url.empty() || Absolute(Url)) return Url;
  const std::string path = Base.substr(0, Base.find_first_of("?#"));
  const size_t slash = path.find_last_of("/\\");
  if (slash == std::string::npos) return Url;
  return path.substr(0, slash + 1) + Url;
}

std::vector<std::string> LibraryUrls(const Movie& M, const std::string& Base) {
  std::vector<std::string> out;
  std::set<std::string> seen;
  for (const Import& i : M.imports) {
    std::string url = ResolveUrl(Base, i.url);
    if (seen.insert(url).second) out.push_back(std::move(url));
  }
  return out;
}

void ImportTable::AddImporter(std::shared_ptr<const Movie> M, const std::string& Base) {
  if (!M || M->imports.empty()) return;
  Importer im;
  for (const Import& i : M->imports) {
    const std::string url = ResolveUrl(Base, i.url);
    for (const ImportedCharacter& c : i.characters) im.ids[c.id] = {url, c.name};
  }
  const Movie* key = M.get();
  im.movie = std::move(M);
  importers_[key] = std::move(im);
}

bool ImportTable::AddLibrary(const std::string& Url, std::shared_ptr<const Movie> Library) {
  if (!Library || libraries_.size() >= kMaxLibraries || libraries_.count(Url)) return false;
  libraries_.emplace(Url, Library);
  AddImporter(std::move(Library), Url);
  return true;
}

std::optional<FoundCharacter> ImportTable::Find(const Movie& M, uint16_t Id) const { return Find(M, Id, 0); }

std::optional<FoundCharacter> ImportTable::Find(const Movie& M, uint16_t Id, int Hops) const {
  if (const auto it = M.dictionary.find(Id); it != M.dictionary.end()) return FoundCharacter{&it->second, &M, Id};
  if (Hops >= kMaxHops) return std::nullopt;
  const auto im = importers_.find(&M);
  if (im == importers_.end()) return std::nullopt;
  const auto source = im->second.ids.find(Id);
  if (source == im->second.ids.end()) return std::nullopt;
  const auto lib = libraries_.find(source->second.url);
  if (lib == libraries_.end()) return std::nullopt;
  const auto exported = lib->second->exports.find(source->second.name);
  if (exported == lib->second->exports.end()) return std::nullopt;
  return Find(*lib->second, exported->second, Hops + 1);
}

std::optional<FoundCharacter> ImportTable::FindLinkage(const Movie& M, const std::string& Name, uint16_t& Id) const {
  if (const auto it = M.exports.find(Name); it != M.exports.end()) {
    Id = it->second;
    return Find(M, Id);
  }
  for (const Import& i : M.imports)
    for (const ImportedCharacter& c : i.characters)
      if (c.name == Name) {
        Id = c.id;
        return Find(M, Id);
      }
  return std::nullopt;
}

}  // namespace swf::detail

// ---- instances placed before their library arrived ----

#include "renderers/engine/src/player/buttons.h"
#include "renderers/engine/src/player/display_list.h"

namespace swf::detail {
namespace {

void ResolveInstance(Instance& I, const Movie& M, uint32_t Level, InstanceBudget& Budget) {
  if (!I.character) {
    I.Resolve(M, Level);  // a sprite found now builds its first frame with the libraries there are
    return;
  }
  if (I.sprite) ResolveArrived(*I.sprite, Budget);
  if (I.button) {
    const Movie& own = I.library ? *I.library : M;
    for (auto& [depth, child] : I.button->children) ResolveInstance(*child, own, I.button->childLevel, Budget);
  }
}

}  // namespace

void ResolveArrived(TimelineState& T, InstanceBudget& Budget) {
  for (auto& [depth, inst] : T.list) ResolveInstance(*inst, *T.movie, T.level, Budget);
}

}  // namespace swf::detail
