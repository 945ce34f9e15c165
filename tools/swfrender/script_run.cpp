// swfrender's run mode: a MovieHost that prints what the movie asks of it
// and answers requests from files, driven by the events of the command line.
#include "tools/swfrender/script_run.h"

#include <algorithm>
#include <cstdint>
#include <deque>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>

#include "renderers/engine/movie.h"
#include "renderers/engine/reader.h"
#include "renderers/engine/truetype_fonts.h"

namespace swfrender {
namespace {

bool ParsePoint(const std::string& S, double& X, double& Y) {
  const size_t comma = S.find(',');
  if (comma == std::string::npos) return false;
  try {
    size_t a = 0, b = 0;
    X = std::stod(S.substr(0, comma), &a);
    Y = std::stod(S.substr(comma + 1), &b);
    return a == comma && b == S.size() - comma - 1;
  } catch (const std::exception&) {
    return false;
  }
}

bool SplitPair(const std::string& S, std::map<std::string, std::string>& Into) {
  const size_t eq = S.find('=');
  if (eq == std::string::npos || eq == 0) return false;
  Into[S.substr(0, eq)] = S.substr(eq + 1);
  return true;
}

// The file beside the movie a relative URL names ("data.xml", "sub/a.swf?x=1"),
// or "" for anything else: absolute paths, schemes and ".." stay unanswered.
std::string NeighbourFile(const std::string& Folder, const std::string& Url) {
  std::string path = Url.substr(0, Url.find_first_of("?#"));
  if (Folder.empty() || path.empty() || path[0] == '/' || path.find_first_of(":\\") != std::string::npos) return "";
  for (size_t at = 0; at != std::string::npos;) {
    const size_t slash = path.find('/', at);
    if (path.compare(at, slash == std::string::npos ? std::string::npos : slash - at, "..") == 0) return "";
    at = slash == std::string::npos ? slash : slash + 1;
  }
  return Folder + "/" + path;
}

class PrintingHost : public swf::MovieHost {
 public:
  PrintingHost(const RunOptions& O, std::ostream& Out) : options_(O), out_(Out) {}

  void RequestUrl(int Id, const std::string& Url, const std::string& Post) override {
    out_ << "request " << Id << " " << Url << (Post.empty() ? "" : " post " + Post) << "\n";
    pending.push_back({Id, Url});
  }
  void FSCommand(const std::string& Command, const std::string& Args) override {
    out_ << "fscommand " << Command << " " << Args << "\n";
  }
  std::string CallExternal(const std::string& Name, const std::vector<swf::ExternalValue>& Args) override {
    out_ << "external " << Name;
    for (const auto& a : Args) out_ << " " << swf::EncodeExternalValue(a);
    out_ << "\n";
    const auto it = options_.answers.find(Name);
    return it == options_.answers.end() ? std::string() : it->second;
  }
  void Invalidate(const swf::IntRect&) override {}
  // A carriage return in a trace breaks the line, as the player's log shows it.
  void Log(const std::string& Text) override {
    std::string line = Text;
    std::replace(line.begin(), line.end(), '\r', '\n');
    out_ << "log " << line << "\n";
  }
  // Device fonts come from the DejaVu files where the system has them.
  swf::FontService* Fonts() override { return fonts_.get(); }

  // Answers the requests made so far: from the served files, in pieces; the others fail.
  void Serve(swf::MovieInstance& M) {
    while (!pending.empty()) {
      const auto [id, url] = pending.front();
      pending.pop_front();
      const auto it = options_.serve.find(url);
      std::ifstream file;
      if (it != options_.serve.end()) file.open(it->second, std::ios::binary);
      else if (const std::string near = NeighbourFile(options_.folder, url); !near.empty())
        file.open(near, std::ios::binary);
      if (!file.is_open()) {
        out_ << "failed " << id << "\n";
        M.FinishRequest(id, false);
        continue;
      }
      std::vector<uint8_t> data((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
      constexpr size_t kPiece = 4096;
      for (size_t at = 0; at < data.size(); at += kPiece)
        M.DeliverData(id, data.data() + at, std::min(kPiece, data.size() - at));
      out_ << "served " << id << " " << data.size() << " bytes\n";
      M.FinishRequest(id, true);
    }
  }

  std::deque<std::pair<int, std::string>> pending;

 private:
  const RunOptions& options_;
  std::ostream& out_;
  std::unique_ptr<swf::FontService> fonts_ = swf::MakeTrueTypeFontService();
};

}  // namespace

bool ParseRunOption(int Argc, char** Argv, int& I, RunOptions& O, std::string& Error) {
  const std::string a = Argv[I];
  static const std::map<std::string, RunEvent::Kind> kinds = {
      {"--frames", RunEvent::Kind::Frames}, {"--move", RunEvent::Kind::Move},
      {"--click", RunEvent::Kind::Click},   {"--key", RunEvent::Kind::Key},
      {"--set", RunEvent::Kind::Set},       {"--get", RunEvent::Kind::Get},
      {"--call", RunEvent::Kind::Call}};
  const bool isEvent = kinds.count(a) != 0;
  if (!isEvent && a != "--serve" && a != "--answer") return false;
  if (I + 1 >= Argc) {
    Error = a + " needs a value";
    return true;
  }
  const std::string v = Argv[++I];
  if (a == "--serve" || a == "--answer") {
    if (!SplitPair(v, a == "--serve" ? O.serve : O.answers)) Error = a + " needs NAME=VALUE";
    return true;
  }
  RunEvent e{kinds.at(a), v};
  switch (e.kind) {
    case RunEvent::Kind::Frames:
    case RunEvent::Kind::Key: {
      try {
        size_t used = 0;
        e.number = std::stoi(v, &used);
        if (used != v.size() || e.number < 0 || e.number > 100000) throw std::out_of_range(v);
      } catch (const std::exception&) {
        Error = a + " needs a number 0..100000";
      }
      break;
    }
    case RunEvent::Kind::Move:
    case RunEvent::Kind::Click:
      if (!ParsePoint(v, e.x, e.y)) Error = a + " needs X,Y";
      break;
    case RunEvent::Kind::Set:
      if (v.find('=') == std::string::npos) Error = "--set needs PATH=VALUE";
      break;
    default: break;
  }
  O.events.push_back(std::move(e));
  return true;
}

void RunMovie(const std::vector<uint8_t>& Bytes, const RunOptions& O, std::ostream& Out, int Width,
              int Height, bool Transparent, std::vector<uint32_t>& Pixels) {
  PrintingHost host(O, Out);
  swf::MovieInstance movie(swf::LoadMovie(Bytes.data(), Bytes.size()), host);
  if (Width > 0 && Height > 0) movie.SetViewport(Width, Height);
  host.Serve(movie);
  for (const RunEvent& e : O.events) {
    switch (e.kind) {
      case RunEvent::Kind::Frames:
        for (int i = 0; i < e.number; ++i) {
          movie.Step();
          host.Serve(movie);
        }
        break;
      case RunEvent::Kind::Move: movie.MouseMove(e.x, e.y); break;
      case RunEvent::Kind::Click:
        movie.MouseMove(e.x, e.y);
        movie.MouseDown(e.x, e.y);
        movie.MouseUp(e.x, e.y);
        break;
      case RunEvent::Kind::Key: movie.KeyPress(e.number); break;
      case RunEvent::Kind::Set: {
        const size_t eq = e.text.find('=');
        movie.SetVariable(e.text.substr(0, eq), e.text.substr(eq + 1));
        break;
      }
      case RunEvent::Kind::Get: Out << "get " << e.text << "=" << movie.GetVariable(e.text) << "\n"; break;
      case RunEvent::Kind::Call: Out << "result " << movie.CallFunction(e.text) << "\n"; break;
    }
    host.Serve(movie);
  }
  Out << "frame " << movie.CurrentFrame() << (movie.IsPlaying() ? " playing" : " stopped") << "\n";
  if (Width > 0 && Height > 0) {
    Pixels.assign(static_cast<size_t>(Width) * static_cast<size_t>(Height), 0);
    swf::RenderTarget target{Pixels.data(), Width, Height, Width * 4};
    movie.Render(target, swf::IntRect{0, 0, Width, Height}, Transparent);
  }
}

}  // namespace swfrender
