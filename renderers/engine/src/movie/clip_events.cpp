// Clip events: the actions a placement attaches to a sprite instance's
// events (initialize, construct, load, enterFrame, unload) and the methods
// scripts give clips for them (onLoad, onEnterFrame, onUnload), in the order
// the reference player runs them around the frames' scripts.
#include <algorithm>
#include <functional>

#include "renderers/engine/src/movie/movie_state.h"
#include "renderers/engine/src/player/display_list.h"
#include "renderers/engine/src/script/internal.h"

namespace swf {

void MovieInstance::State::ClipEvent(movie::Clip& C, uint32_t Event, const char* Method) {
  // A copy: the actions may remove the clip and with it the placement.
  const auto actions = C.clipActions;
  if (actions)
    for (const ClipAction& a : *actions)
      if (a.events & Event) runtime.RunActions(a.actions.data(), a.actions.size(), C, bridge, self.budget);
  if (!Method) return;
  const auto f = C.Variables()->Find(Method);
  if (f && f->IsFunction())
    runtime.CallFunction(*f, Value::ClipPath(C.TargetPath()), {}, C, bridge, self.budget);
}

void MovieInstance::State::EnterFrameEvents() {
  struct Entry {
    int level;
    std::vector<uint16_t> depths;
    uint64_t serial;
  };
  std::vector<Entry> order;
  std::function<void(int, detail::TimelineState&, std::vector<uint16_t>&)> walk =
      [&](int L, detail::TimelineState& T, std::vector<uint16_t>& Path) {
        for (auto& [depth, inst] : T.list) {
          if (!inst->sprite) continue;
          Path.push_back(depth);
          if (inst->loadEventRun && (inst->placement.clipActions || clips.count({L, inst->serial})))
            order.push_back({L, Path, inst->serial});
          walk(L, *inst->sprite, Path);
          Path.pop_back();
        }
      };
  for (auto& [level, p] : levels) {
    order.push_back({level, {}, 0});
    std::vector<uint16_t> path;
    walk(level, p->RootTimeline(), path);
  }
  // The reference player keeps its clips newest first.
  for (auto it = order.rbegin(); it != order.rend(); ++it) {
    movie::Clip* clip = it->depths.empty() ? RootClip(it->level) : ClipAt(it->level, it->depths, it->serial);
    if (clip) ClipEvent(*clip, kClipEnterFrame, "onEnterFrame");
  }
}

bool MovieInstance::State::UnloadEvents() {
  std::vector<movie::Clip*> gone;
  for (auto& [key, clip] : clips)
    if (key.second != 0 && !clip->unloaded && !clip->Alive()) gone.push_back(clip.get());
  // Children before their parents.
  std::stable_sort(gone.begin(), gone.end(),
                   [](movie::Clip* A, movie::Clip* B) { return A->depths.size() > B->depths.size(); });
  for (movie::Clip* c : gone) {
    c->unloaded = true;
    ClipEvent(*c, kClipUnload, "onUnload");
  }
  return !gone.empty();
}

void MovieInstance::State::InitializeChildren(int Level, detail::TimelineState& T,
                                              const std::vector<uint16_t>& Path) {
  std::vector<std::pair<std::vector<uint16_t>, uint64_t>> fresh;
  std::function<void(detail::TimelineState&, std::vector<uint16_t>&)> walk =
      [&](detail::TimelineState& Tl, std::vector<uint16_t>& P) {
        for (auto& [depth, inst] : Tl.list) {
          if (!inst->sprite || inst->initialized) continue;
          inst->initialized = true;
          P.push_back(depth);
          fresh.emplace_back(P, inst->serial);
          walk(*inst->sprite, P);
          P.pop_back();
        }
      };
  std::vector<uint16_t> path = Path;
  walk(T, path);
  if (fresh.empty()) return;
  // Clips that have events or may take a class get their script side now.
  std::vector<movie::Clip*> made;
  for (const auto& [depths, serial] : fresh) {
    movie::Clip* clip = ClipAt(Level, depths, serial);
    if (clip) made.push_back(clip);
  }
  for (movie::Clip* c : made)
    if (c->Alive()) ClipEvent(*c, kClipInitialize, nullptr);
  for (movie::Clip* c : made) {
    if (!c->Alive()) continue;
    ApplyRegisteredClass(runtime, *c, [&](const Value& Ctor, const Value& This) {
      runtime.CallFunction(Ctor, This, {}, *c, bridge, self.budget);
    });
    ClipEvent(*c, kClipConstruct, nullptr);
  }
}

bool MovieInstance::State::LoadEvent(movie::Clip& C) {
  detail::Instance* i = C.Instance();
  if (!i || i->loadEventRun) return false;
  i->loadEventRun = true;
  ClipEvent(C, kClipLoad, "onLoad");
  return true;
}

}  // namespace swf
