#pragma once
// A host that records every call a MovieInstance makes, and helpers that
// build movies with swfc.

#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "renderers/engine/movie.h"
#include "renderers/engine/writer.h"
#include "tools/swfc/compile.h"

namespace movie_test {

class RecordingHost : public swf::MovieHost {
 public:
  void RequestUrl(int Id, const std::string& Url, const std::string& Post) override {
    calls.push_back("request " + std::to_string(Id) + " " + Url + (Post.empty() ? "" : " post " + Post));
    lastRequest = Id;
    if (onRequest) onRequest(Id, Url);
  }
  void FSCommand(const std::string& Command, const std::string& Args) override {
    calls.push_back("fscommand " + Command + " " + Args);
    if (onFSCommand) onFSCommand(Command, Args);
  }
  std::string CallExternal(const std::string& Name, const std::vector<swf::ExternalValue>& Args) override {
    std::string s = "external " + Name;
    for (const auto& a : Args) s += " " + swf::EncodeExternalValue(a);
    calls.push_back(s);
    if (onExternal) return onExternal(Name);
    return answer;
  }
  void Invalidate(const swf::IntRect& R) override { rects.push_back(R); }
  void Log(const std::string& Text) override { logs.push_back(Text); }

  // Calls other than Invalidate and Log, in order.
  std::vector<std::string> calls;
  std::vector<std::string> logs;
  std::vector<swf::IntRect> rects;
  std::string answer;
  int lastRequest = 0;
  std::function<void(int, const std::string&)> onRequest;
  std::function<void(const std::string&, const std::string&)> onFSCommand;
  std::function<std::string(const std::string&)> onExternal;
};

inline std::shared_ptr<const swf::Movie> Compile(const std::string& Text) {
  return std::make_shared<const swf::Movie>(swfc::Parse(Text));
}

inline std::vector<uint8_t> Bytes(const std::string& Text) {
  return swf::WriteMovie(swfc::Parse(Text), false);
}

// The instructions assembled, as hex for a button's `on ... action HEX`.
inline std::string ActionHex(const std::string& Instructions) {
  const swf::Movie m = swfc::Parse("actions\n" + Instructions + "\nend\n");
  std::string hex;
  for (uint8_t b : m.timeline.frames.at(0).actions.at(0)) {
    char buf[4];
    std::snprintf(buf, sizeof buf, "%02x ", b);
    hex += buf;
  }
  return hex;
}

// A movie with a running instance and its recording host.
struct Rig {
  explicit Rig(const std::string& Text) : movie(Compile(Text)), instance(movie, host) {}
  std::shared_ptr<const swf::Movie> movie;
  RecordingHost host;
  swf::MovieInstance instance;
  bool LogHas(const std::string& Part) const {
    for (const auto& l : host.logs)
      if (l.find(Part) != std::string::npos) return true;
    return false;
  }
};

// The movie's trace lines, in order.
inline std::vector<std::string> Traces(const RecordingHost& H) {
  std::vector<std::string> out;
  for (const auto& l : H.logs)
    if (l.rfind("trace: ", 0) == 0) out.push_back(l.substr(7));
  return out;
}

}  // namespace movie_test
