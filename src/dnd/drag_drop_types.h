// The vocabulary of drag and drop shared by sources, targets and the window: drop effects
// (the same numbers as the file operations' copy, move and link), the drag types a
// component allows, the keys held during a drag and the result of a drag.
#pragma once

#include <cstdint>

namespace velkoran::dnd {

// Drop effects are bit masks: a source offers several, a target answers with one.
inline constexpr std::uint32_t kEffectNone = 0;
inline constexpr std::uint32_t kEffectCopy = 1;
inline constexpr std::uint32_t kEffectMove = 2;
inline constexpr std::uint32_t kEffectLink = 4;
// Set beside the effect while the pointer rests near an edge the target scrolls over; it
// is no operation of its own.
inline constexpr std::uint32_t kEffectScroll = 0x80000000u;
inline constexpr std::uint32_t kEffectOperations = kEffectCopy | kEffectMove | kEffectLink;

enum TDragType : std::uint32_t { dtCopy = kEffectCopy, dtMove = kEffectMove, dtLink = kEffectLink };

// A set of TDragType values, as the effect mask of those drag types.
using TDragTypes = std::uint32_t;
inline constexpr TDragTypes kAllDragTypes = dtCopy | dtMove | dtLink;

// The modifier keys held while dragging.
struct ShiftState {
  bool shift = false;
  bool ctrl = false;
};

// What StartDrag reports, in this order.
enum class TDragResult { drCopy, drMove, drLink, drCancel, drOutOfMemory, drUnknown };

// How the platform's modal drag loop ended.
enum class DragLoopEnd { Dropped, Cancelled, OutOfMemory, Other };

}  // namespace velkoran::dnd
