#pragma once
// Buttons on the display list: which state each shows, the mouse tracking
// that moves them between states, and the actions their transitions and key
// presses queue for the script engine.

#include <cstdint>
#include <map>
#include <vector>

#include "renderers/engine/player.h"
#include "renderers/engine/src/player/display_list.h"

namespace swf::detail {

enum class ButtonShows : uint8_t { Up, Over, Down };

// Where the mouse stands with a button: away from it (idle), over it, over it
// and pressed, or pressed on it and dragged away.
enum class ButtonTracking : uint8_t { Idle, OverUp, OverDown, OutDown };

struct ButtonInstance {
  ButtonInstance(const Button& B, uint32_t ChildLevel) : button(&B), childLevel(ChildLevel) {}

  const Button* button;
  uint32_t childLevel;  // the nesting level of the instances it shows
  ButtonTracking tracking = ButtonTracking::Idle;
  ButtonShows shows = ButtonShows::Up;
  bool built = false;                      // children hold the records of shows
  DisplayList children;                    // the records of the state shown, by depth
  std::map<uint16_t, size_t> childRecord;  // depth -> index of the record shown there
};

// Shows State: the records of that state become the children; a record shown
// in the old state as well keeps its instance (a sprite keeps playing).
void ShowButtonState(ButtonInstance& B, const Movie& M, ButtonShows State, InstanceBudget& Budget);

// One frame step of the sprites the button shows.
void StepButton(ButtonInstance& B, const Movie& M, InstanceBudget& Budget);

// The mouse as the player last saw it, and the actions waiting for scripts.
struct InputState {
  bool down = false;  // the mouse button is held
  std::vector<PendingActions> queue;
};

// The timeline at the end of Depths from Root (each a sprite instance's
// depth in its parent); nullptr when the path no longer leads to one.
TimelineState* FindClip(TimelineState& Root, const std::vector<uint16_t>& Depths);

// Input on the display list under Root: StageToPixels places the stage in
// the viewport, P is in viewport pixels.
// Whether a button takes the mouse at P.
bool ButtonAt(TimelineState& Root, const Matrix& StageToPixels, Point P);
void MouseMoveTo(TimelineState& Root, const Movie& M, const Matrix& StageToPixels, Point P, InputState& In,
                 InstanceBudget& Budget);
void MousePress(TimelineState& Root, const Movie& M, const Matrix& StageToPixels, Point P, InputState& In,
                InstanceBudget& Budget);
void MouseRelease(TimelineState& Root, const Movie& M, const Matrix& StageToPixels, Point P, InputState& In,
                  InstanceBudget& Budget);
void PressKey(TimelineState& Root, int Code, InputState& In);

}  // namespace swf::detail
