// Buttons: the state each shows, and the mouse tracking that moves them.
//
// Push buttons (the default) react only to a press that starts on them:
// dragged off while held they go out-down (showing their over state, as the
// format's players do) and back to down when dragged on again; a release
// outside returns them to idle. Menu buttons also take a press that started
// elsewhere when it is dragged over them, and go idle when it leaves.
#include "renderers/engine/src/player/buttons.h"

#include <string>
#include <variant>

#include "renderers/engine/src/filter_list.h"
#include "renderers/engine/src/player/hit_test.h"

namespace swf::detail {

namespace {

bool InState(const ButtonRecord& R, ButtonShows S) {
  switch (S) {
    case ButtonShows::Up: return R.up;
    case ButtonShows::Over: return R.over;
    case ButtonShows::Down: return R.down;
  }
  return false;
}

ButtonShows ShowsFor(ButtonTracking T) {
  switch (T) {
    case ButtonTracking::Idle: return ButtonShows::Up;
    case ButtonTracking::OverUp: return ButtonShows::Over;
    case ButtonTracking::OverDown: return ButtonShows::Down;
    case ButtonTracking::OutDown: return ButtonShows::Over;
  }
  return ButtonShows::Up;
}

}  // namespace

void ShowButtonState(ButtonInstance& B, const Movie& M, ButtonShows State, InstanceBudget& Budget) {
  if (B.built && B.shows == State) return;
  B.built = true;
  B.shows = State;
  // The record shown at each depth in State; a later record at a depth wins.
  std::map<uint16_t, size_t> want;
  for (size_t i = 0; i < B.button->records.size(); ++i)
    if (InState(B.button->records[i], State)) want[B.button->records[i].depth] = i;
  for (auto it = B.childRecord.begin(); it != B.childRecord.end();) {
    const auto w = want.find(it->first);
    if (w != want.end() && w->second == it->second) {
      ++it;
    } else {
      B.children.erase(it->first);
      it = B.childRecord.erase(it);
    }
  }
  for (const auto& [depth, index] : want) {
    if (B.childRecord.count(depth)) continue;
    if (Budget.live >= Budget.max) break;  // an absurd movie: stop building
    const ButtonRecord& r = B.button->records[index];
    Placement p;
    p.characterId = r.characterId;
    p.matrix = r.matrix;
    p.cxform = r.cxform;
    p.blendMode = r.blendMode ? BlendModeOf(*r.blendMode) : BlendMode::Normal;
    if (!r.filters.empty()) p.filters = std::make_shared<const std::vector<Filter>>(ParseFilterList(r.filters));
    B.children.emplace(depth, std::make_unique<Instance>(M, std::move(p), B.childLevel, Budget));
    B.childRecord.emplace(depth, index);
  }
}

void StepButton(ButtonInstance& B, const Movie& M, InstanceBudget& Budget) {
  for (auto& [depth, inst] : B.children) {
    if (inst->sprite) inst->sprite->Step(true, Budget);
    if (inst->button) StepButton(*inst->button, M, Budget);
  }
}

TimelineState* FindClip(TimelineState& Root, const std::vector<uint16_t>& Depths) {
  TimelineState* t = &Root;
  for (uint16_t d : Depths) {
    const auto it = t->list.find(d);
    if (it == t->list.end() || !it->second->sprite) return nullptr;
    t = it->second->sprite.get();
  }
  return t;
}

namespace {

// A mask over a button: the button takes the mouse only where it covers.
struct MaskRef {
  const Instance* mask;
  Matrix toPixels;  // its placement included
};

// A button on the stage and the timeline that placed it.
struct Site {
  Instance* instance;
  Matrix toPixels;  // its placement included
  uint16_t depth;
  uint64_t clip;
  std::vector<uint16_t> clipDepths;
  std::string clipPath;
  std::vector<MaskRef> masks;
  const Movie* movie;  // whose dictionary the button comes from
};

std::string InstanceName(const Instance& I) {
  return I.ScriptName();
}

// Every button of the timelines from T down, in drawing order (the topmost
// last). Buttons inside masks or inside a button's own states do not take
// input.
void Collect(TimelineState& T, const Matrix& M, uint64_t Clip, std::vector<uint16_t>& Depths,
             const std::string& Path, const std::vector<MaskRef>& Masks, std::vector<Site>& Out) {
  std::vector<std::pair<uint16_t, MaskRef>> local;  // masks of this list and the depth they reach
  for (auto& [depth, inst] : T.list) {
    std::erase_if(local, [d = depth](const auto& l) { return l.first < d; });
    const Matrix m = M * inst->placement.matrix;
    if (inst->placement.clipDepth) {
      local.push_back({inst->placement.clipDepth, {inst.get(), m}});
      continue;
    }
    if (!inst->button && !inst->sprite) continue;
    std::vector<MaskRef> masks = Masks;
    for (const auto& l : local) masks.push_back(l.second);
    if (inst->button) {
      const Movie* from = inst->library ? inst->library : T.movie;
      Out.push_back({inst.get(), m, depth, Clip, Depths, Path, std::move(masks), from});
    } else {
      Depths.push_back(depth);
      Collect(*inst->sprite, m, inst->serial, Depths, Path + "." + InstanceName(*inst), masks, Out);
      Depths.pop_back();
    }
  }
}

std::vector<Site> Sites(TimelineState& Root, const Matrix& StageToPixels) {
  std::vector<Site> out;
  std::vector<uint16_t> depths;
  Collect(Root, StageToPixels, 0, depths, "_level0", {}, out);
  return out;
}

bool Hit(const Site& S, Point P) {
  const uint16_t id = S.instance->library ? S.instance->libraryId : S.instance->placement.characterId;
  if (!HitCharacter(*S.movie, id, S.toPixels, P)) return false;
  for (const MaskRef& mask : S.masks)
    if (!HitInstance(*mask.mask, mask.toPixels, P)) return false;
  return true;
}

// The index of the topmost button under P, or -1.
int Target(const std::vector<Site>& Sites, Point P) {
  for (size_t i = Sites.size(); i-- > 0;)
    if (Hit(Sites[i], P)) return static_cast<int>(i);
  return -1;
}

void Queue(const Site& S, uint16_t Condition, uint8_t Key, InputState& In) {
  for (const ButtonAction& a : S.instance->button->button->actions) {
    const bool fires = Condition ? (a.conditions & Condition) != 0 : a.keyCode == Key;
    if (!fires) continue;
    PendingActions p;
    p.bytes = a.actions;
    p.clip = S.clip;
    p.clipDepths = S.clipDepths;
    p.clipPath = S.clipPath;
    p.button = S.instance->serial;
    p.buttonDepth = S.depth;
    p.buttonName = S.instance->placement.name;
    p.condition = Condition;
    p.keyCode = Key;
    In.queue.push_back(std::move(p));
  }
}

class Tracker {
 public:
  Tracker(TimelineState& Root, const Matrix& StageToPixels, Point P, InputState& In, InstanceBudget& Budget)
      : in_(In), budget_(Budget), sites_(Sites(Root, StageToPixels)), target_(Target(sites_, P)) {}

  // The mouse is where it is: buttons it left and the one it is over change
  // state, the ones it left first.
  void Move() {
    for (size_t i = 0; i < sites_.size(); ++i) {
      if (static_cast<int>(i) == target_) continue;
      Site& s = sites_[i];
      switch (s.instance->button->tracking) {
        case ButtonTracking::OverUp: To(s, ButtonTracking::Idle, kOverUpToIdle); break;
        case ButtonTracking::OverDown:
          if (Menu(s))
            To(s, ButtonTracking::Idle, kOverDownToIdle);
          else
            To(s, ButtonTracking::OutDown, kOverDownToOutDown);
          break;
        default: break;
      }
    }
    if (target_ < 0) return;
    Site& t = sites_[static_cast<size_t>(target_)];
    switch (t.instance->button->tracking) {
      case ButtonTracking::Idle:
        if (!in_.down)
          To(t, ButtonTracking::OverUp, kIdleToOverUp);
        else if (Menu(t))
          To(t, ButtonTracking::OverDown, kIdleToOverDown);
        break;
      case ButtonTracking::OutDown:
        if (in_.down) To(t, ButtonTracking::OverDown, kOutDownToOverDown);
        break;
      default: break;
    }
  }

  void Press() {
    if (target_ < 0) return;
    Site& t = sites_[static_cast<size_t>(target_)];
    if (t.instance->button->tracking == ButtonTracking::OverUp)
      To(t, ButtonTracking::OverDown, kOverUpToOverDown);
  }

  void Release() {
    for (Site& s : sites_) {
      if (s.instance->button->tracking == ButtonTracking::OverDown)
        To(s, ButtonTracking::OverUp, kOverDownToOverUp);
      else if (s.instance->button->tracking == ButtonTracking::OutDown)
        To(s, ButtonTracking::Idle, kOutDownToIdle);
    }
  }

 private:
  static bool Menu(const Site& S) { return S.instance->button->button->trackAsMenu; }

  void To(Site& S, ButtonTracking T, uint16_t Condition) {
    ButtonInstance& b = *S.instance->button;
    b.tracking = T;
    ShowButtonState(b, *S.movie, ShowsFor(T), budget_);
    Queue(S, Condition, 0, in_);
  }

  InputState& in_;
  InstanceBudget& budget_;
  std::vector<Site> sites_;
  int target_;
};

}  // namespace

void MouseMoveTo(TimelineState& Root, const Movie&, const Matrix& StageToPixels, Point P, InputState& In,
                 InstanceBudget& Budget) {
  Tracker(Root, StageToPixels, P, In, Budget).Move();
}

void MousePress(TimelineState& Root, const Movie&, const Matrix& StageToPixels, Point P, InputState& In,
                InstanceBudget& Budget) {
  Tracker t(Root, StageToPixels, P, In, Budget);
  t.Move();
  if (In.down) return;  // a second press without a release
  In.down = true;
  t.Press();
}

void MouseRelease(TimelineState& Root, const Movie&, const Matrix& StageToPixels, Point P, InputState& In,
                  InstanceBudget& Budget) {
  Tracker t(Root, StageToPixels, P, In, Budget);
  t.Move();
  if (!In.down) return;
  In.down = false;
  t.Release();
  t.Move();  // the button under the mouse once it is up
}

bool ButtonAt(TimelineState& Root, const Matrix& StageToPixels, Point P) {
  return Target(Sites(Root, StageToPixels), P) >= 0;
}

void PressKey(TimelineState& Root, int Code, InputState& In) {
  if (Code < 1 || Code > 127) return;
  for (const Site& s : Sites(Root, Matrix{})) Queue(s, 0, static_cast<uint8_t>(Code), In);
}

}  // namespace swf::detail
