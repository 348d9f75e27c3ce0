// The rules of a drag that need no window: which effect the keys choose, when a target
// wants to scroll, which drag type a feedback effect stands for, and how the end of the
// drag loop becomes StartDrag's result.
#pragma once

#include <cstdint>
#include <optional>

#include "dnd/drag_drop_types.h"

namespace velkoran::dnd {

// The effect of a drop: the source's allowed effects limited to those the target accepts;
// Shift and Ctrl choose link, Shift alone move, anything else the first allowed of copy,
// move and link. A key that names an effect not allowed falls back to that order, so a
// drag with no key held copies whenever copying is allowed. None when nothing is left.
std::uint32_t ChooseDropEffect(std::uint32_t sourceAllowed, TDragTypes accepted, ShiftState keys);

// The one operation an effect mask stands for: the first of copy, move and link present.
std::uint32_t FirstOperation(std::uint32_t effect);

// Which ways a target scrolls (from its scroll bars).
struct ScrollDirections {
  bool horizontal = false;
  bool vertical = false;
  bool Any() const { return horizontal || vertical; }
};

// The edges a point lies near, counted only in the directions the target scrolls. A point
// is near an edge when it lies less than margin pixels inside it.
struct ScrollEdges {
  bool left = false;
  bool right = false;
  bool top = false;
  bool bottom = false;
  bool Any() const { return left || right || top || bottom; }
  // One step per direction: -1 towards the start, +1 towards the end, 0 none.
  int ColumnStep() const { return left ? -1 : (right ? 1 : 0); }
  int LineStep() const { return top ? -1 : (bottom ? 1 : 0); }
};

ScrollEdges EdgesNear(int x, int y, int width, int height, int margin, ScrollDirections directions);

// The effect with the scroll flag added when the point lies near an edge it scrolls over.
std::uint32_t WithScrollFlag(std::uint32_t effect, const ScrollEdges& edges);

// The drag type a feedback effect stands for when the buttons are released: copy, move or
// link by the first of the bits 1, 2 and 4; none when none is set.
std::optional<TDragType> DragTypeOfEffect(std::uint32_t effect);

// StartDrag's result from the end of the drag loop and the effect it returned: a drop
// gives copy, move or link for the first of the effects present, provided the effect
// shares a bit with the source's drag types, else cancel.
TDragResult MapDragResult(DragLoopEnd end, std::uint32_t returnedEffect, TDragTypes dragTypes);

}  // namespace velkoran::dnd
