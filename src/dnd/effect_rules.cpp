#include "dnd/effect_rules.h"

namespace velkoran::dnd {

std::uint32_t FirstOperation(std::uint32_t effect) {
  for (const std::uint32_t op : {kEffectCopy, kEffectMove, kEffectLink}) {
    if ((effect & op) != 0) return op;
  }
  return kEffectNone;
}

std::uint32_t ChooseDropEffect(std::uint32_t sourceAllowed, TDragTypes accepted, ShiftState keys) {
  const std::uint32_t allowed = sourceAllowed & accepted & kEffectOperations;
  if (keys.shift && keys.ctrl && (allowed & kEffectLink) != 0) return kEffectLink;
  if (keys.shift && !keys.ctrl && (allowed & kEffectMove) != 0) return kEffectMove;
  return FirstOperation(allowed);
}

ScrollEdges EdgesNear(int x, int y, int width, int height, int margin, ScrollDirections directions) {
  ScrollEdges edges;
  if (margin <= 0) return edges;
  if (directions.horizontal) {
    edges.left = x < margin;
    edges.right = !edges.left && x >= width - margin;
  }
  if (directions.vertical) {
    edges.top = y < margin;
    edges.bottom = !edges.top && y >= height - margin;
  }
  return edges;
}

std::uint32_t WithScrollFlag(std::uint32_t effect, const ScrollEdges& edges) {
  return edges.Any() ? (effect | kEffectScroll) : effect;
}

std::optional<TDragType> DragTypeOfEffect(std::uint32_t effect) {
  switch (FirstOperation(effect)) {
    case kEffectCopy:
      return dtCopy;
    case kEffectMove:
      return dtMove;
    case kEffectLink:
      return dtLink;
    default:
      return std::nullopt;
  }
}

TDragResult MapDragResult(DragLoopEnd end, std::uint32_t returnedEffect, TDragTypes dragTypes) {
  switch (end) {
    case DragLoopEnd::OutOfMemory:
      return TDragResult::drOutOfMemory;
    case DragLoopEnd::Cancelled:
      return TDragResult::drCancel;
    case DragLoopEnd::Other:
      return TDragResult::drUnknown;
    case DragLoopEnd::Dropped:
      break;
  }
  if ((returnedEffect & dragTypes & kEffectOperations) == 0) return TDragResult::drCancel;
  switch (FirstOperation(returnedEffect)) {
    case kEffectCopy:
      return TDragResult::drCopy;
    case kEffectMove:
      return TDragResult::drMove;
    default:
      return TDragResult::drLink;
  }
}

}  // namespace velkoran::dnd
