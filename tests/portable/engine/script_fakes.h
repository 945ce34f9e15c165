#pragma once
// A small clip tree and a host that records what scripts ask of them, and a
// helper that assembles an `actions` block with swfc.

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "renderers/engine/script.h"
#include "tools/swfc/compile.h"

namespace script_test {

class FakeClip : public swf::ScriptClip {
 public:
  FakeClip(swf::ScriptRuntime& R, std::string Name, FakeClip* Parent, std::map<int, FakeClip*>* Levels, int Level = 0)
      : runtime_(R), vars_(R.NewClipObject()), name_(std::move(Name)), parent_(Parent), levels_(Levels), level_(Level) {}

  FakeClip& Add(const std::string& Name) {
    auto c = std::make_unique<FakeClip>(runtime_, Name, this, levels_);
    FakeClip& ref = *c;
    children_[Name] = std::move(c);
    return ref;
  }
  void RemoveChild(const std::string& Name) { children_.erase(Name); }
  // removeMovieClip: the clip leaves its parent but lives on, as a removed
  // clip a script still runs on does.
  bool Remove() override {
    if (!parent_) return false;
    auto it = parent_->children_.find(name_);
    if (it == parent_->children_.end() || it->second.get() != this) return false;
    removed_ = true;
    parent_->gone_.push_back(std::move(it->second));
    parent_->children_.erase(it);
    return true;
  }
  bool Removed() override { return removed_; }

  ScriptClip* Parent() override { return parent_; }
  ScriptClip* Child(const std::string& Name) override {
    auto it = children_.find(Name);
    return it == children_.end() ? nullptr : it->second.get();
  }
  ScriptClip* Level(int N) override {
    auto it = levels_->find(N);
    return it == levels_->end() ? nullptr : it->second;
  }
  int LevelNumber() override { return level_; }
  std::string Name() override { return name_; }
  swf::Object* Variables() override { return vars_.get(); }

  void Play() override { calls.push_back("play"); }
  void Stop() override { calls.push_back("stop"); }
  void NextFrame() override { calls.push_back("next"); }
  void PrevFrame() override { calls.push_back("prev"); }
  static std::string AfterText(After A) { return A == After::Play ? " play" : A == After::Stop ? " stop" : ""; }
  void GotoFrame(int Index, After Then) override {
    calls.push_back("goto " + std::to_string(Index) + AfterText(Then));
    frame = Index + 1;
  }
  bool GotoLabel(const std::string& Label, After Then) override {
    calls.push_back("label " + Label + AfterText(Then));
    return true;
  }
  int CurrentFrame() override { return frame; }
  int TotalFrames() override { return 10; }
  swf::Value GetProperty(int Index) override { return props.count(Index) ? props[Index] : swf::Value::Number(0); }
  void SetProperty(int Index, const swf::Value& V) override { props[Index] = V; }
  std::vector<std::vector<uint8_t>> FrameActions(const swf::Value& Frame) override {
    auto it = frameActions.find(Frame.ToString());
    if (it == frameActions.end()) return {};
    return {it->second};
  }

  std::vector<std::string> calls;
  std::map<int, swf::Value> props;
  std::map<std::string, std::vector<uint8_t>> frameActions;
  int frame = 1;

 private:
  swf::ScriptRuntime& runtime_;
  swf::RootedObject vars_;
  std::string name_;
  FakeClip* parent_;
  std::map<int, FakeClip*>* levels_;
  int level_;
  std::map<std::string, std::unique_ptr<FakeClip>> children_;
  std::vector<std::unique_ptr<FakeClip>> gone_;
  bool removed_ = false;
};

class RecordingHost : public swf::ScriptHost {
 public:
  void GetURL(const swf::UrlRequest& R) override {
    urls.push_back(R.url + "|" + R.target + "|" + std::to_string(R.method) + (R.loadTarget ? "|target" : "") +
                   (R.loadVariables ? "|vars" : ""));
  }
  swf::Value CallExternal(const std::string& Name, const std::vector<swf::Value>& Args) override {
    std::string s = Name + "(";
    for (size_t i = 0; i < Args.size(); ++i) s += (i ? "," : "") + Args[i].TypeOf() + ":" + Args[i].ToString();
    externals.push_back(s + ")");
    return answer;
  }
  void AddCallback(const std::string& Name, const swf::Value&, const swf::Value& F) override {
    callbacks.push_back(Name + ":" + F.TypeOf());
  }
  void Trace(const std::string& T) override { traces.push_back(T); }
  void Log(const std::string& T) override { logs.push_back(T); }

  std::vector<std::string> urls, externals, callbacks, traces, logs;
  swf::Value answer;
};

// A runtime with _level0 (children a, a.b, flv) and _level1.
struct World {
  swf::ScriptRuntime runtime;  // first: the clips' variables live in it
  std::map<int, FakeClip*> levels;
  FakeClip root{runtime, "", nullptr, &levels, 0};
  FakeClip level1{runtime, "", nullptr, &levels, 1};
  FakeClip& a = root.Add("a");
  FakeClip& b = a.Add("b");
  FakeClip& flv = root.Add("flv");
  RecordingHost host;

  explicit World(int SwfVersion = 8) : runtime(SwfVersion) {
    levels[0] = &root;
    levels[1] = &level1;
  }

  // Assembles the instructions with swfc and runs them on Clip.
  bool Run(const std::vector<uint8_t>& Block, FakeClip* Clip = nullptr, const swf::Budget& Limits = {}) {
    return runtime.RunActions(Block.data(), Block.size(), Clip ? *Clip : root, host, Limits);
  }
  bool Run(const std::string& Instructions, FakeClip* Clip = nullptr, const swf::Budget& Limits = {}) {
    return Run(Bytes(Instructions), Clip, Limits);
  }
  static std::vector<uint8_t> Bytes(const std::string& Instructions) {
    swf::Movie m = swfc::Parse("actions\n" + Instructions + "\nend\n");
    return m.timeline.frames.at(0).actions.at(0);
  }
  // Runs the instructions on _level0 and gives what they traced, a line each.
  std::string Traces(const std::string& Instructions) {
    host.traces.clear();
    Run(Instructions);
    std::string out;
    for (const std::string& t : host.traces) out += (out.empty() ? "" : "\n") + t;
    return out;
  }
  swf::Value Var(const std::string& Path) { return runtime.GetVariablePath(root, Path); }
  std::string Str(const std::string& Path) { return Var(Path).ToString(); }
};

}  // namespace script_test
