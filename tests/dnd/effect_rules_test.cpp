// The rules of a drag without a window: keys to effect, the scroll margin, feedback to
// drag type, the end of the drag loop to StartDrag's result, and trailing separators.
#include <gtest/gtest.h>

#include "dnd/drag_paths.h"
#include "dnd/effect_rules.h"

namespace velkoran::dnd {
namespace {

constexpr ShiftState kNoKey{};
constexpr ShiftState kShift{true, false};
constexpr ShiftState kCtrl{false, true};
constexpr ShiftState kShiftCtrl{true, true};

TEST(DropEffectTest, KeysChooseTheEffectWhenEverythingIsAllowed) {
  EXPECT_EQ(ChooseDropEffect(kAllDragTypes, kAllDragTypes, kNoKey), kEffectCopy);
  EXPECT_EQ(ChooseDropEffect(kAllDragTypes, kAllDragTypes, kShift), kEffectMove);
  EXPECT_EQ(ChooseDropEffect(kAllDragTypes, kAllDragTypes, kShiftCtrl), kEffectLink);
  EXPECT_EQ(ChooseDropEffect(kAllDragTypes, kAllDragTypes, kCtrl), kEffectCopy);
}

TEST(DropEffectTest, OnlyWhatSourceAndTargetBothAllowIsChosen) {
  // A source that cannot copy moves when no key is held.
  EXPECT_EQ(ChooseDropEffect(dtMove | dtLink, kAllDragTypes, kNoKey), kEffectMove);
  EXPECT_EQ(ChooseDropEffect(dtLink, kAllDragTypes, kNoKey), kEffectLink);
  // A target that takes moves only (the buffer list) moves whatever the keys.
  for (const ShiftState keys : {kNoKey, kShift, kCtrl, kShiftCtrl}) {
    EXPECT_EQ(ChooseDropEffect(kAllDragTypes, dtMove, keys), kEffectMove);
  }
  // A key whose effect is not allowed falls back to the order copy, move, link.
  EXPECT_EQ(ChooseDropEffect(dtCopy | dtMove, kAllDragTypes, kShiftCtrl), kEffectCopy);
  EXPECT_EQ(ChooseDropEffect(dtMove | dtLink, kAllDragTypes, kShiftCtrl), kEffectLink);
  EXPECT_EQ(ChooseDropEffect(dtCopy | dtLink, kAllDragTypes, kShift), kEffectCopy);
  // Nothing in common: none.
  EXPECT_EQ(ChooseDropEffect(dtCopy, dtMove, kNoKey), kEffectNone);
  EXPECT_EQ(ChooseDropEffect(kAllDragTypes, 0, kShift), kEffectNone);
  // The scroll flag offered by a source is no operation.
  EXPECT_EQ(ChooseDropEffect(kEffectScroll, kAllDragTypes | kEffectScroll, kNoKey), kEffectNone);
}

TEST(ScrollEdgeTest, TheMarginIsOneFontHeightInsideEachScrolledEdge) {
  const ScrollDirections vertical{false, true};
  const ScrollDirections horizontal{true, false};
  const int w = 200, h = 100, margin = 12;
  EXPECT_TRUE(EdgesNear(100, 0, w, h, margin, vertical).top);
  EXPECT_TRUE(EdgesNear(100, 11, w, h, margin, vertical).top);
  EXPECT_FALSE(EdgesNear(100, 12, w, h, margin, vertical).Any());
  EXPECT_FALSE(EdgesNear(100, 87, w, h, margin, vertical).Any());
  EXPECT_TRUE(EdgesNear(100, 88, w, h, margin, vertical).bottom);
  EXPECT_TRUE(EdgesNear(100, 99, w, h, margin, vertical).bottom);
  // A direction the control does not scroll in never counts.
  EXPECT_FALSE(EdgesNear(3, 50, w, h, margin, vertical).Any());
  EXPECT_FALSE(EdgesNear(100, 3, w, h, margin, horizontal).Any());
  EXPECT_TRUE(EdgesNear(3, 50, w, h, margin, horizontal).left);
  EXPECT_TRUE(EdgesNear(195, 50, w, h, margin, horizontal).right);
  EXPECT_FALSE(EdgesNear(3, 50, w, h, margin, ScrollDirections{}).Any());
  // A corner scrolls both ways; a margin of nothing scrolls none.
  const ScrollEdges corner = EdgesNear(2, 98, w, h, margin, ScrollDirections{true, true});
  EXPECT_EQ(corner.ColumnStep(), -1);
  EXPECT_EQ(corner.LineStep(), 1);
  EXPECT_FALSE(EdgesNear(0, 0, w, h, 0, ScrollDirections{true, true}).Any());
  // A control lower than two margins takes the top first.
  EXPECT_EQ(EdgesNear(10, 10, 20, 20, margin, vertical).LineStep(), -1);
}

TEST(ScrollEdgeTest, TheFlagJoinsTheEffectOnlyNearAnEdge) {
  const ScrollDirections vertical{false, true};
  EXPECT_EQ(WithScrollFlag(kEffectCopy, EdgesNear(5, 95, 100, 100, 12, vertical)), kEffectCopy | kEffectScroll);
  EXPECT_EQ(WithScrollFlag(kEffectMove, EdgesNear(5, 50, 100, 100, 12, vertical)), kEffectMove);
  EXPECT_EQ(WithScrollFlag(kEffectNone, EdgesNear(5, 1, 100, 100, 12, vertical)), kEffectScroll);
}

TEST(DragResultTest, FeedbackEffectsGiveTheDragTypeAtTheRelease) {
  EXPECT_EQ(DragTypeOfEffect(kEffectCopy | kEffectMove), dtCopy);
  EXPECT_EQ(DragTypeOfEffect(kEffectMove | kEffectLink | kEffectScroll), dtMove);
  EXPECT_EQ(DragTypeOfEffect(kEffectLink), dtLink);
  EXPECT_FALSE(DragTypeOfEffect(kEffectNone).has_value());
  EXPECT_FALSE(DragTypeOfEffect(kEffectScroll).has_value());
}

TEST(DragResultTest, TheEndOfTheLoopMapsToTheResult) {
  using enum TDragResult;
  EXPECT_EQ(MapDragResult(DragLoopEnd::Dropped, kEffectCopy, kAllDragTypes), drCopy);
  EXPECT_EQ(MapDragResult(DragLoopEnd::Dropped, kEffectMove | kEffectScroll, kAllDragTypes), drMove);
  EXPECT_EQ(MapDragResult(DragLoopEnd::Dropped, kEffectLink, kAllDragTypes), drLink);
  EXPECT_EQ(MapDragResult(DragLoopEnd::Dropped, kEffectCopy | kEffectLink, kAllDragTypes), drCopy);
  // A drop whose effect the source does not allow, or no effect at all, is a cancel.
  EXPECT_EQ(MapDragResult(DragLoopEnd::Dropped, kEffectLink, dtCopy | dtMove), drCancel);
  EXPECT_EQ(MapDragResult(DragLoopEnd::Dropped, kEffectNone, kAllDragTypes), drCancel);
  EXPECT_EQ(MapDragResult(DragLoopEnd::Cancelled, kEffectCopy, kAllDragTypes), drCancel);
  EXPECT_EQ(MapDragResult(DragLoopEnd::OutOfMemory, kEffectCopy, kAllDragTypes), drOutOfMemory);
  EXPECT_EQ(MapDragResult(DragLoopEnd::Other, kEffectCopy, kAllDragTypes), drUnknown);
}

TEST(DragPathsTest, OneTrailingSeparatorGoesAndRootsStay) {
  std::vector<std::string> paths{"/a/b/", "/a/file", "/", "/x//", ""};
  RemoveTrailingSeparators(paths, platform::PathRules(platform::PathStyle::Posix, platform::CodePage::Utf8));
  EXPECT_EQ(paths, (std::vector<std::string>{"/a/b", "/a/file", "/", "/x/", ""}));

  // Under CP932 a trail byte 0x5C is no separator on the Windows rule set.
  std::vector<std::string> windows{"C:\\Data\\", "C:\\", "C:\\\x95\x5c"};
  RemoveTrailingSeparators(windows, platform::PathRules(platform::PathStyle::Windows, platform::CodePage::Cp932));
  EXPECT_EQ(windows, (std::vector<std::string>{"C:\\Data", "C:\\", "C:\\\x95\x5c"}));
}

}  // namespace
}  // namespace velkoran::dnd
