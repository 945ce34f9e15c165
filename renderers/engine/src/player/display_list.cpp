#include "renderers/engine/src/player/display_list.h"

#include <algorithm>
#include <optional>
#include <variant>

#include "renderers/engine/src/player/buttons.h"
#include "renderers/engine/src/player/drawing.h"
#include "renderers/engine/src/player/text_field.h"
#include "renderers/engine/src/player/imports.h"
#include "renderers/engine/src/player/morph.h"
#include "renderers/engine/src/player/video_instance.h"

namespace swf::detail {
namespace {

using Placements = std::map<uint16_t, Placement>;

std::shared_ptr<const std::vector<Filter>> FiltersOf(const PlaceObject& P) {
  if (!P.filters || P.filters->empty()) return nullptr;
  return {std::shared_ptr<const void>(), &*P.filters};
}

// Applies one control tag to the placements by depth.
void Apply(Placements& P, const ControlTag& Tag, int32_t Frame) {
  if (const auto* r = std::get_if<RemoveObject>(&Tag)) {
    P.erase(r->depth);
    return;
  }
  const auto& po = std::get<PlaceObject>(Tag);
  const auto it = P.find(po.depth);
  if (it == P.end() || !po.move) {
    // A new character at the depth (one already there is replaced). A move of
    // an empty depth without a character changes nothing.
    if (!po.characterId) return;
    Placement p;
    p.characterId = *po.characterId;
    p.matrix = po.matrix.value_or(Matrix{});
    p.cxform = po.cxform.value_or(ColorTransform{});
    p.ratio = po.ratio.value_or(0);
    p.name = po.name.value_or(std::string());
    p.clipDepth = po.clipDepth.value_or(0);
    p.blendMode = po.blendMode.value_or(BlendMode::Normal);
    p.filters = FiltersOf(po);
    p.cacheAsBitmap = po.cacheAsBitmap.value_or(false);
    p.createdFrame = Frame;
    p.clipActions = po.clipActions;
    P[po.depth] = std::move(p);
    return;
  }
  Placement& p = it->second;
  if (po.characterId && *po.characterId != p.characterId) {
    // Replacing the character keeps the other properties unless given.
    p.characterId = *po.characterId;
    p.createdFrame = Frame;
  }
  if (po.matrix) p.matrix = *po.matrix;
  if (po.cxform) p.cxform = *po.cxform;
  if (po.ratio) p.ratio = *po.ratio;
  if (po.name) p.name = *po.name;
  if (po.clipDepth) p.clipDepth = *po.clipDepth;
  if (po.blendMode) p.blendMode = *po.blendMode;
  if (po.filters) p.filters = FiltersOf(po);
  if (po.cacheAsBitmap) p.cacheAsBitmap = *po.cacheAsBitmap;
}

}  // namespace

Instance::Instance(const Movie& M, Placement P, uint32_t Level, InstanceBudget& Budget)
    : placement(std::move(P)), serial(Budget.nextSerial++), budget(Budget) {
  ++budget.live;
  Resolve(M, Level);
}

static const Character& EmptySprite() {
  static const Character kEmpty = Sprite{1, Timeline{{Frame{}}}};
  return kEmpty;
}

void Instance::Resolve(const Movie& M, uint32_t Level) {
  const Movie* from = &M;
  if (placement.emptyClip) {
    character = &EmptySprite();
  } else if (const auto it = M.dictionary.find(placement.characterId); it != M.dictionary.end()) {
    character = &it->second;
  } else if (const auto found = budget.imports ? budget.imports->Find(M, placement.characterId) : std::nullopt) {
    character = found->character;
    library = from = found->movie;
    libraryId = found->id;
  } else {
    return;
  }
  if (nameNumber == 0 && (std::holds_alternative<EditText>(*character) || std::holds_alternative<Sprite>(*character) ||
                          std::holds_alternative<Button>(*character) || std::holds_alternative<VideoStream>(*character)))
    nameNumber = budget.nextName++;
  if (const auto* t = std::get_if<EditText>(character)) textField = std::make_unique<TextField>(*from, *t);
  if (const auto* v = std::get_if<VideoStream>(character))
    video = std::make_unique<VideoInstance>(*v, library ? libraryId : placement.characterId);
  UpdateMorph(*this);
  if (Level >= budget.maxLevels) return;
  if (const auto* s = std::get_if<Sprite>(character)) {
    sprite = std::make_unique<TimelineState>(*from, s->timeline, Level + 1);
    sprite->Seek(0, budget);
  } else if (const auto* b = std::get_if<Button>(character)) {
    button = std::make_unique<ButtonInstance>(*b, Level + 1);
    ShowButtonState(*button, *from, ButtonShows::Up, budget);
  }
}

Instance::~Instance() {
  --budget.live;
  if (loaded) budget.retired.push_back(std::move(loaded));
}

void LoadIntoSprite(Instance& I, std::shared_ptr<const Movie> M, InstanceBudget& Budget) {
  if (!I.sprite || !M) return;
  const uint32_t level = I.sprite->level;
  I.sprite.reset();  // its instances go before the movie they may come from
  if (I.loaded) Budget.retired.push_back(std::move(I.loaded));
  I.loaded = std::move(M);
  if (Budget.imports) Budget.imports->AddImporter(I.loaded, "");
  I.sprite = std::make_unique<TimelineState>(*I.loaded, I.loaded->timeline, level);
  I.sprite->Seek(0, Budget);
}

void TimelineState::Seek(int32_t Target, InstanceBudget& Budget) {
  const Movie& M = *movie;
  if (FrameCount() == 0) return;
  Target = std::clamp(Target, 0, FrameCount() - 1);
  if (Target == frame) return;
  // The placements as they stand at Target, without building the instances of
  // the frames in between.
  Placements want;
  int32_t from = 0;
  const bool rewind = Target < frame;
  if (!rewind) {
    for (const auto& [depth, inst] : list) want.emplace(depth, inst->placement);
    from = frame + 1;
  }
  for (int32_t f = from; f <= Target; ++f)
    for (const ControlTag& tag : timeline->frames[static_cast<size_t>(f)].tags) Apply(want, tag, f);
  frame = Target;
  entered = true;

  // Reconcile the live instances with the wanted placements.
  for (auto it = list.begin(); it != list.end();) {
    const auto w = want.find(it->first);
    // Depths from 0 up, as scripts number them, are the scripts' own: the
    // timeline never touches what is there (a timeline clip swapped there
    // included). A script's clip among the timeline's depths stays while the
    // timeline plays on, and goes when it starts over.
    if (it->first >= kScriptDepthBase || (it->second->placement.dynamic && !rewind)) {
      ++it;
      continue;
    }
    if (it->second->placement.dynamic) {
      it = list.erase(it);
      continue;
    }
    const bool keep = w != want.end() && w->second.characterId == it->second->placement.characterId &&
                      w->second.createdFrame == it->second->placement.createdFrame;
    if (keep) {
      Placement& p = it->second->placement;
      if (it->second->scripted) {
        w->second.matrix = p.matrix;
        w->second.cxform = p.cxform;
      }
      if (it->second->renamed) w->second.name = p.name;
      p = w->second;
      UpdateMorph(*it->second);
      ++it;
    } else {
      it = list.erase(it);
    }
  }
  for (auto& [depth, p] : want) {
    if (list.count(depth)) continue;  // still there, or a script's clip holds the depth
    if (Budget.live >= Budget.max) continue;  // an absurd timeline: stop placing
    list.emplace(depth, std::make_unique<Instance>(M, std::move(p), level, Budget));
  }
}

void TimelineState::Step(bool Loop, InstanceBudget& Budget) {
  const Movie& M = *movie;
  for (auto& [depth, inst] : list) {
    if (inst->sprite) inst->sprite->Step(true, Budget);
    if (inst->button) StepButton(*inst->button, M, Budget);
  }
  if (!playing) return;
  if (frame + 1 < FrameCount())
    Seek(frame + 1, Budget);
  else if (Loop)
    Seek(0, Budget);
}

}  // namespace swf::detail

namespace swf::detail {

Instance* PlaceDynamic(TimelineState& T, uint16_t Depth, Placement P, InstanceBudget& Budget) {
  if (Budget.live >= Budget.max) return nullptr;
  P.dynamic = true;
  P.createdFrame = T.frame;
  auto inst = std::make_unique<Instance>(*T.movie, std::move(P), T.level, Budget);
  Instance* out = inst.get();
  T.list[Depth] = std::move(inst);
  return out;
}

Instance* DuplicateDynamic(TimelineState& T, uint16_t From, uint16_t Depth, const std::string& Name,
                           InstanceBudget& Budget) {
  const auto it = T.list.find(From);
  if (it == T.list.end()) return nullptr;
  Placement p = it->second->placement;
  p.name = Name;
  const bool visible = it->second->visible;
  // The copy shows what scripts drew into the original as well.
  std::shared_ptr<ShapeDrawing> drawn = it->second->sprite ? it->second->sprite->drawing : nullptr;
  Instance* copy = PlaceDynamic(T, Depth, std::move(p), Budget);
  if (copy) {
    copy->visible = visible;
    copy->scripted = true;
    if (drawn && copy->sprite) copy->sprite->drawing = std::make_shared<ShapeDrawing>(*drawn);
  }
  return copy;
}

void SwapDepths(TimelineState& T, uint16_t A, uint16_t B) {
  if (A == B) return;
  auto a = T.list.extract(A);
  auto b = T.list.extract(B);
  if (a) {
    a.key() = B;
    a.mapped()->placement.dynamic = true;
    T.list.insert(std::move(a));
  }
  if (b) {
    b.key() = A;
    b.mapped()->placement.dynamic = true;
    T.list.insert(std::move(b));
  }
}

}  // namespace swf::detail
