// Text fields a script makes (createTextField): an instance with no
// character behind it, whose text field holds its own definition.
#include "renderers/engine/src/player/player_state.h"
#include "renderers/engine/src/player/text_field.h"

namespace swf {

namespace {
// A placement no control tag makes, so seeking forward keeps the instance.
constexpr int32_t kMadeByScript = -2;
}  // namespace

detail::Instance* MoviePlayer::PlaceTextField(detail::TimelineState& Timeline, uint16_t Depth, const std::string& Name,
                                              const EditText& Field, double X, double Y) {
  detail::InstanceBudget& budget = state_->budget;
  if (budget.live >= budget.max) return nullptr;
  Timeline.list.erase(Depth);  // what was there goes first, and gives back its budget
  detail::Placement p;
  p.characterId = 0;
  p.name = Name;
  p.matrix.tx = X;
  p.matrix.ty = Y;
  p.createdFrame = kMadeByScript;
  auto inst = std::make_unique<detail::Instance>(*Timeline.movie, std::move(p), Timeline.level, budget);
  inst->character = nullptr;  // whatever id 0 names in the dictionary is not this field
  inst->sprite.reset();
  inst->button.reset();
  inst->morphed.reset();
  inst->textField = std::make_unique<detail::TextField>(*Timeline.movie, Field);
  inst->scripted = true;
  detail::Instance* out = inst.get();
  Timeline.list[Depth] = std::move(inst);
  return out;
}

}  // namespace swf
