#pragma once
// Characters movies import from shared libraries: the libraries that have
// arrived, and finding an imported id's character in them. A movie's own
// model never changes; what has been resolved lives here, per player.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "renderers/engine/model.h"

namespace swf::detail {

// A character and the movie whose dictionary holds it (and so its bitmaps
// and its sprites' children).
struct FoundCharacter {
  const Character* character = nullptr;
  const Movie* movie = nullptr;
  uint16_t id = 0;  // its id in movie
};

// Url named relative to Base, the URL of the movie that names it: Url itself
// when Base is unknown (empty) or Url is absolute (a scheme, a leading slash
// or backslash); otherwise Base's folder followed by Url.
std::string ResolveUrl(const std::string& Base, const std::string& Url);

// The distinct library URLs M imports from, resolved against Base.
std::vector<std::string> LibraryUrls(const Movie& M, const std::string& Base);

class ImportTable {
 public:
  // How many libraries one player takes; more are refused.
  static constexpr size_t kMaxLibraries = 64;

  // M imports characters; its import URLs are named relative to Base. A
  // movie added again is named relative to the new Base. Movies without
  // imports are not kept.
  void AddImporter(std::shared_ptr<const Movie> M, const std::string& Base);
  // Library arrived from Url (resolved). The first library of a URL stays;
  // false when it is refused (a second one, or too many).
  bool AddLibrary(const std::string& Url, std::shared_ptr<const Movie> Library);

  // Id as M names it: M's own character, or the character it imports, found
  // through the library's exports (and the libraries that library imports
  // from); nothing while the library has not arrived.
  std::optional<FoundCharacter> Find(const Movie& M, uint16_t Id) const;
  // The character M exports under Name, or imports under it; M's id for it
  // in Id.
  std::optional<FoundCharacter> FindLinkage(const Movie& M, const std::string& Name, uint16_t& Id) const;

 private:
  struct Source {
    std::string url;   // resolved
    std::string name;  // the name the library exports it under
  };
  struct Importer {
    std::shared_ptr<const Movie> movie;
    std::map<uint16_t, Source> ids;
  };
  std::optional<FoundCharacter> Find(const Movie& M, uint16_t Id, int Hops) const;

  std::map<const Movie*, Importer> importers_;
  std::map<std::string, std::shared_ptr<const Movie>> libraries_;
};

}  // namespace swf::detail

namespace swf::detail {

struct TimelineState;
struct InstanceBudget;

// After a library arrived: every instance under T whose character was not
// there is looked up again and, when found now, shows it; the others keep
// what they show and their identity.
void ResolveArrived(TimelineState& T, InstanceBudget& Budget);

}  // namespace swf::detail
