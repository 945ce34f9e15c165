// Loads through the host: movies into levels and variables into clips. The
// host answers later (or never), in pieces; completed loads are applied when
// the instance settles, never while a script runs.
#include <cctype>
#include <cstddef>
#include <optional>
#include <stdexcept>

#include "renderers/engine/movie.h"
#include "renderers/engine/reader.h"
#include "renderers/engine/src/movie/movie_state.h"
#include "renderers/engine/src/movie/net_stream.h"

namespace swf {

using movie::Entry;

namespace movie {
namespace {

int HexValue(char C) {
  if (C >= '0' && C <= '9') return C - '0';
  if (C >= 'a' && C <= 'f') return C - 'a' + 10;
  if (C >= 'A' && C <= 'F') return C - 'A' + 10;
  return -1;
}

std::string Unescape(const std::string& S) {
  std::string out;
  for (size_t i = 0; i < S.size(); ++i) {
    if (S[i] == '+') {
      out += ' ';
    } else if (S[i] == '%' && i + 2 < S.size() && HexValue(S[i + 1]) >= 0 && HexValue(S[i + 2]) >= 0) {
      out += static_cast<char>(HexValue(S[i + 1]) * 16 + HexValue(S[i + 2]));
      i += 2;
    } else {
      out += S[i];
    }
  }
  return out;
}

std::string Escape(const std::string& S) {
  static const char* kHex = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : S) {
    if (std::isalnum(c) || c == '-' || c == '_' || c == '.' || c == '*') {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

}  // namespace

std::vector<std::pair<std::string, std::string>> DecodeUrlVariables(const std::string& Text) {
  std::vector<std::pair<std::string, std::string>> out;
  size_t at = 0;
  while (at <= Text.size()) {
    size_t end = Text.find('&', at);
    if (end == std::string::npos) end = Text.size();
    std::string pair = Text.substr(at, end - at);
    // Line ends some servers append are not part of the last value.
    while (!pair.empty() && (pair.back() == '\n' || pair.back() == '\r')) pair.pop_back();
    const size_t eq = pair.find('=');
    if (!pair.empty()) {
      std::string name = Unescape(pair.substr(0, eq));
      if (!name.empty())
        out.emplace_back(std::move(name), eq == std::string::npos ? "" : Unescape(pair.substr(eq + 1)));
    }
    at = end + 1;
  }
  return out;
}

std::string EncodeUrlVariables(const Object& Variables) {
  std::string out;
  for (const auto& [name, value] : SortedValues(Variables)) {
    if (value.IsObject() || value.IsClip()) continue;
    if (!out.empty()) out += '&';
    out += Escape(name) + "=" + Escape(value.ToString());
  }
  return out;
}

}  // namespace movie

int MovieInstance::State::StartRequest(const std::string& Url, const std::string& PostData,
                                       movie::Request R) {
  const int id = nextRequest++;
  R.url = Url;
  requests.emplace(id, std::move(R));
  host.RequestUrl(id, Url, PostData);
  return id;
}

bool MovieInstance::State::ApplyLoads() {
  // Take the finished requests out first: applying one may start others.
  // MovieClipLoader loads apply as a frame step begins, all those finished
  // together, so their listeners hear of each before any loaded movie's
  // first frame runs.
  const bool loaderDue = loaderLoadsDue;
  loaderLoadsDue = false;
  std::vector<movie::Request> done;
  for (auto it = requests.begin(); it != requests.end();) {
    if (it->second.finished && (!it->second.loader.get() || loaderDue)) {
      done.push_back(std::move(it->second));
      it = requests.erase(it);
    } else {
      ++it;
    }
  }
  for (movie::Request& r : done) {
    if (r.kind == movie::Request::Kind::Library) {
      ApplyLibrary(r);
      continue;
    }
    if (r.kind == movie::Request::Kind::Data) {
      ApplyDataLoad(r);
      continue;
    }
    if (r.loader.get()) {
      ApplyLoaderLoad(r);
      continue;
    }
    if (!r.ok) continue;  // a failed load changes nothing
    if (r.kind == movie::Request::Kind::Unload) {
      RemoveLevel(r.level);
    } else if (r.kind == movie::Request::Kind::ClipUnload) {
      LoadIntoClip(r.target, EmptyMovie());
    } else if (r.kind == movie::Request::Kind::Movie || r.kind == movie::Request::Kind::ClipMovie) {
      std::shared_ptr<const Movie> m;
      try {
        m = swf::LoadMovie(r.data.data(), r.data.size());
      } catch (const FormatError& e) {
        host.Log("loadMovie: " + std::string(e.what()));
        continue;
      }
      PlaceLoadedMovie(r, std::move(m));
    } else {
      ScriptClip* clip = runtime.ResolveTarget(Clip0(), r.target);
      if (!clip) continue;
      const std::string text(r.data.begin(), r.data.end());
      for (const auto& [name, value] : movie::DecodeUrlVariables(text))
        clip->Variables()->Set(name, Value::String(value));
    }
  }
  return !done.empty();
}

void MovieInstance::State::PlaceLoadedMovie(const movie::Request& R, std::shared_ptr<const Movie> M) {
  if (R.kind == movie::Request::Kind::Movie) {
    SetLevel(R.level, std::move(M));
    StartLibraries(R.level, R.url);
    SetQueryVariables("_level" + std::to_string(R.level), R.url);
  } else {
    LoadIntoClip(R.target, std::move(M));
    SetQueryVariables(R.target, R.url);
  }
}

void MovieInstance::State::SetQueryVariables(const std::string& Target, const std::string& Url) {
  const size_t query = Url.find('?');
  if (query == std::string::npos) return;
  ScriptClip* clip = runtime.ResolveTarget(Clip0(), Target);
  if (!clip) return;
  const std::string text = Url.substr(query + 1, Url.find('#', query) - query - 1);
  for (const auto& [name, value] : movie::DecodeUrlVariables(text)) clip->Variables()->Set(name, Value::String(value));
}

std::shared_ptr<const Movie> MovieInstance::State::EmptyMovie() {
  auto m = std::make_shared<Movie>();
  m->version = static_cast<uint8_t>(runtime.SwfVersion());
  m->timeline.frames.resize(1);
  return m;
}

// ---- MovieClipLoader loads ----

bool movie::Bridge::LoadClip(const std::string& Url, const std::string& Target, Object* Loader) {
  if (!Loader || Url.empty()) return false;
  Request q;
  q.loader = RootedObject(state_.runtime, Loader);
  q.level = LevelOf(Target);
  q.kind = q.level >= 0 ? Request::Kind::Movie : Request::Kind::ClipMovie;
  q.target = Target;
  state_.StartRequest(Url, "", std::move(q));
  return true;
}

bool movie::Bridge::UnloadClip(const std::string& Target) {
  MovieInstance::State& s = state_;
  const int level = LevelOf(Target);
  // Loads into the clip still in flight go: a loader's hears it started, no more.
  for (auto it = s.requests.begin(); it != s.requests.end();) {
    Request& r = it->second;
    const bool into = (r.kind == Request::Kind::Movie && level >= 0 && r.level == level) ||
                      (r.kind == Request::Kind::ClipMovie && r.target == Target);
    if (!into || r.finished) {
      ++it;
    } else if (r.loader.get()) {
      r.finished = r.cancelled = true;
      r.ok = false;
      r.data.clear();
      ++it;
    } else {
      it = s.requests.erase(it);
    }
  }
  Request q;
  q.finished = q.ok = true;
  if (level >= 0) {
    if (level == 0) return true;  // level 0 stays: it is the host's movie
    q.kind = Request::Kind::Unload;
    q.level = level;
  } else {
    q.kind = Request::Kind::ClipUnload;
    q.target = Target;
  }
  s.requests.emplace(s.nextRequest++, std::move(q));
  return true;
}

void MovieInstance::State::StepLoaderLoads() {
  for (const auto& [id, r] : requests)
    if (r.finished && r.loader.get()) {
      loaderLoadsDue = true;
      Settle();
      return;
    }
}

void MovieInstance::State::BroadcastLoad(Object* Loader, const std::string& Event, std::vector<Value> Args) {
  if (!Loader) return;
  const std::optional<Value> broadcast = Loader->Find("broadcastMessage");
  if (!broadcast || !broadcast->IsFunction()) return;
  Args.insert(Args.begin(), Value::String(Event));
  runtime.CallFunction(*broadcast, Value::Obj(Loader), Args, Clip0(), bridge, self.budget);
}

void MovieInstance::State::ApplyLoaderLoad(movie::Request& R) {
  Object* loader = R.loader.get();
  const std::string target = R.kind == movie::Request::Kind::Movie ? "_level" + std::to_string(R.level) : R.target;
  const Value clip = Value::ClipPath(target);
  if (R.cancelled) {
    BroadcastLoad(loader, "onLoadStart", {clip});
    return;
  }
  if (!R.ok) {
    BroadcastLoad(loader, "onLoadError", {clip, Value::String("URLNotFound"), Value::Number(0)});
    return;
  }
  std::shared_ptr<const Movie> m;
  try {
    m = swf::LoadMovie(R.data.data(), R.data.size());
  } catch (const FormatError& e) {
    host.Log("loadClip: " + std::string(e.what()));
  }
  // Data that is no movie loads nothing, and counts no bytes.
  const Value bytes = Value::Number(m ? static_cast<double>(R.data.size()) : 0);
  if (m) PlaceLoadedMovie(R, std::move(m));
  BroadcastLoad(loader, "onLoadStart", {clip});
  BroadcastLoad(loader, "onLoadProgress", {clip, bytes, bytes});
  BroadcastLoad(loader, "onLoadComplete", {clip, Value::Number(0)});
  loadInits.push_back({std::move(R.loader), target});
}

bool MovieInstance::State::LoadInitEvents() {
  std::vector<movie::LoadInit> due;
  due.swap(loadInits);
  for (auto it = due.rbegin(); it != due.rend(); ++it)
    BroadcastLoad(it->loader.get(), "onLoadInit", {Value::ClipPath(it->target)});
  return !due.empty();
}

// ---- data loads (XML.load, LoadVars.load, sendAndLoad) ----

void movie::Bridge::LoadData(const std::string& Url, const std::string& Method, const std::string& Body,
                             Object* Receiver) {
  if (!Receiver) return;
  Request q;
  q.kind = Request::Kind::Data;
  q.receiver = RootedObject(state_.runtime, Receiver);
  state_.StartRequest(Url, Method == "POST" ? Body : "", std::move(q));
}

void MovieInstance::State::ApplyDataLoad(movie::Request& R) {
  Object* receiver = R.receiver.get();
  if (!receiver) return;
  Value text;
  if (R.ok) {
    const auto size = Value::Number(static_cast<double>(R.data.size()));
    receiver->Define("_bytesLoaded", size, kDontEnum);
    receiver->Define("_bytesTotal", size, kDontEnum);
    size_t skip = R.data.size() >= 3 && R.data[0] == 0xEF && R.data[1] == 0xBB && R.data[2] == 0xBF ? 3 : 0;
    text = Value::String(std::string(R.data.begin() + static_cast<std::ptrdiff_t>(skip), R.data.end()));
  }
  const std::optional<Value> onData = receiver->Find("onData");
  if (onData && onData->IsFunction())
    runtime.CallFunction(*onData, Value::Obj(receiver), {text}, Clip0(), bridge, self.budget);
}

void MovieInstance::State::LoadIntoClip(const std::string& Target, std::shared_ptr<const Movie> M) {
  auto* clip = dynamic_cast<movie::Clip*>(runtime.ResolveTarget(Clip0(), Target));
  if (!clip) {
    host.Log("loadMovie: no clip " + Target);  // gone while the movie was on its way
    return;
  }
  const int level = clip->level;
  if (clip->depths.empty()) {
    SetLevel(level, std::move(M));
    StartLibraries(level, "");
    return;
  }
  const std::shared_ptr<const Movie> loaded = M;
  if (!levels.at(level)->LoadIntoSprite(clip->depths, clip->serial, std::move(M))) return;
  RequestLibraries(level, *loaded, "", Target);
  // The clip keeps its instance; its variables start afresh (its children's
  // clips go as their instances did), and the new movie's frames have run no
  // initialising actions.
  initActionsRun.erase({level, clip->serial});
  // _lockroot set before the load holds for the movie loaded.
  const std::optional<Value> locked = clip->DisplayProperty("_lockroot");
  const std::vector<uint16_t> depths = clip->depths;
  const uint64_t serial = clip->serial;
  clips.erase({level, serial});
  if (locked && locked->ToBoolean())
    if (movie::Clip* fresh = ClipAt(level, depths, serial)) fresh->SetDisplayProperty("_lockroot", *locked);
}

void MovieInstance::LoadMovie(int Layer, const std::string& Url) {
  Entry e(*state_);
  if (Layer < 0) return;
  movie::Request r;
  r.level = Layer;
  state_->StartRequest(Url, "", std::move(r));
}

void MovieInstance::DeliverData(int RequestId, const uint8_t* Data, size_t Size) {
  Entry e(*state_);
  if (state_->netStreams->Deliver(RequestId, Data, Size)) return;  // played as it arrives
  const auto it = state_->requests.find(RequestId);
  if (it == state_->requests.end() || it->second.finished || !Data) return;
  movie::Request& r = it->second;
  if (Size > maxRequestBytes || r.data.size() > maxRequestBytes - Size) {
    state_->host.Log("request " + std::to_string(RequestId) + ": more data than allowed; failed");
    r.finished = true;
    r.ok = false;
    r.data.clear();
    return;
  }
  r.data.insert(r.data.end(), Data, Data + Size);
}

void MovieInstance::FinishRequest(int RequestId, bool Ok) {
  Entry e(*state_);
  if (state_->netStreams->Finish(RequestId, Ok)) return;
  const auto it = state_->requests.find(RequestId);
  if (it == state_->requests.end() || it->second.finished) return;
  it->second.finished = true;
  it->second.ok = Ok;
}

void MovieInstance::SetRequestSize(int RequestId, uint64_t Total) {
  Entry e(*state_);
  state_->netStreams->SetSize(RequestId, Total);
}

}  // namespace swf
