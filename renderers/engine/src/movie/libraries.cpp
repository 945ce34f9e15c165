// Shared libraries of a level: each library a movie imports from is requested
// once through the host, loaded when it arrives and handed to the level's
// player, which resolves the imported characters. A library that fails or is
// not a movie is logged once; one that never arrives leaves its characters
// empty.
#include "renderers/engine/movie.h"
#include "renderers/engine/reader.h"
#include "renderers/engine/src/movie/movie_state.h"
#include "renderers/engine/src/player/imports.h"

namespace swf {

void MovieInstance::State::StartLibraries(int Level, const std::string& Url) {
  const auto it = levels.find(Level);
  if (it == levels.end()) return;
  it->second->SetMovieUrl(Url);
  levelUrls[Level] = Url;
  RequestLibraries(Level, it->second->movie(), Url);
}

void MovieInstance::State::RequestLibraries(int Level, const Movie& M, const std::string& Base,
                                            const std::string& Importer) {
  std::set<std::string>& asked = libraryUrls[Level];
  for (const std::string& url : detail::LibraryUrls(M, Base)) {
    if (asked.count(url)) continue;
    if (asked.size() >= detail::ImportTable::kMaxLibraries) {
      host.Log("library " + url + ": more libraries than a movie may use; not loaded");
      continue;
    }
    asked.insert(url);
    movie::Request r;
    r.kind = movie::Request::Kind::Library;
    r.level = Level;
    r.target = Importer;
    StartRequest(url, "", std::move(r));
  }
}

void MovieInstance::State::ApplyLibrary(const movie::Request& R) {
  const std::string what = "library " + R.url + ": ";
  if (!R.ok) {
    host.Log(what + "not loaded; the characters imported from it stay empty");
    return;
  }
  std::shared_ptr<const Movie> library;
  try {
    library = swf::LoadMovie(R.data.data(), R.data.size());
  } catch (const FormatError& e) {
    host.Log(what + e.what() + "; the characters imported from it stay empty");
    return;
  }
  const auto level = levels.find(R.level);
  if (level == levels.end()) return;  // the level went while the library was on its way
  for (const std::string& note : library->loadNotes) host.Log(what + note);
  if (!level->second->AddLibrary(R.url, library)) return;
  RequestLibraries(R.level, *library, R.url, R.target);
  RunLibraryInitActions(R, *library);
}

void MovieInstance::State::RunLibraryInitActions(const movie::Request& R, const Movie& Library) {
  // Every block of the library runs, whether its sprite is imported or not,
  // with the importing movie's clip as this.
  movie::Clip* clip = R.target.empty() ? RootClip(R.level)
                                       : dynamic_cast<movie::Clip*>(runtime.ResolveTarget(Clip0(), R.target));
  if (!clip) return;  // the importer went while the library was on its way
  for (const Frame& f : Library.timeline.frames)
    for (const InitAction& a : f.initActions) {
      if (!clip->Alive()) return;
      runtime.RunActions(a.actions.data(), a.actions.size(), *clip, bridge, self.budget);
    }
}

}  // namespace swf
