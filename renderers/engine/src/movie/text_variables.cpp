// Text fields bound to variables: a field shows its variable's value, read
// from the timeline that holds the field; a variable that does not exist
// when the field first looks is set to the field's initial text.
#include <functional>

#include "renderers/engine/src/movie/movie_state.h"
#include "renderers/engine/src/player/display_list.h"
#include "renderers/engine/src/player/text_field.h"

namespace swf {

void MovieInstance::State::BindTextFields() {
  std::function<void(int, detail::TimelineState&, std::vector<uint16_t>&, uint64_t)> walk =
      [&](int L, detail::TimelineState& T, std::vector<uint16_t>& Path, uint64_t Serial) {
        for (auto& [depth, inst] : T.list) {
          if (inst->sprite) {
            Path.push_back(depth);
            walk(L, *inst->sprite, Path, inst->serial);
            Path.pop_back();
            continue;
          }
          detail::TextField* field = inst->textField.get();
          if (!field || field->field.variableName.empty()) continue;
          movie::Clip* clip = Path.empty() ? RootClip(L) : ClipAt(L, Path, Serial);
          if (!clip) continue;
          const std::string& name = field->field.variableName;
          const Value v = runtime.GetVariablePath(*clip, name);
          if (v.IsUndefined()) {
            if (!field->variableBound) runtime.SetVariablePath(*clip, name, Value::String(field->field.initialText));
            field->variableBound = true;
            field->SetText(field->field.initialText);
            continue;
          }
          field->variableBound = true;
          field->SetText(v.ToString());
        }
      };
  for (auto& [level, p] : levels) {
    std::vector<uint16_t> path;
    walk(level, p->RootTimeline(), path, 0);
  }
  movie::PruneTextClips(*this);
  movie::PruneButtonClips(*this);
  movie::PruneVideoClips(*this);
}

}  // namespace swf
