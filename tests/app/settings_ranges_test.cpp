// Numbers from setting.ini brought into range, the window fitted to the screens, and the
// cap on what a list item shows.
#include <gtest/gtest.h>

#include <climits>

#include "app/logic/settings.h"
#include "app/logic/ui_text.h"
#include "platform/codepage.h"

namespace velkoran::app {
namespace {

TEST(SettingsRanges, ExtremeValuesComeBackWithinRange) {
  WindowSettings s;
  s.window = Geometry{INT_MAX, INT_MIN, INT_MAX, INT_MAX};
  s.treeWidth = INT_MIN;
  s.infoHeight = INT_MAX;
  s.logWidth = -5;
  s.timerInterval = INT_MAX;
  s.mouseTabChangingTime = INT_MIN;
  s.gridWidths = {INT_MAX, -1, -2, INT_MIN, 80};
  ClampSettings(s);
  EXPECT_EQ(s.window, (Geometry{100000, -100000, 100000, 100000}));
  EXPECT_EQ(s.treeWidth, 0);
  EXPECT_EQ(s.infoHeight, 100000);
  EXPECT_EQ(s.logWidth, 0);
  EXPECT_EQ(s.timerInterval, 600000);
  EXPECT_EQ(s.mouseTabChangingTime, 0);
  // -1 and -2 keep their meaning; what is below stays, to be ignored as before.
  EXPECT_EQ(s.gridWidths, (std::vector<int>{100000, -1, -2, INT_MIN, 80}));
  // Sums the window forms from them cannot overflow.
  EXPECT_GT(s.window.width - s.treeWidth - 3, 0);
}

struct FitCase {
  const char* name;
  Geometry wanted;
  Geometry fitted;
};

TEST(SettingsRanges, TheWindowFitsOnAScreenThatIsThere) {
  // Two screens side by side: 1920x1040 (a panel below) and 1280x1024 to its right.
  const std::vector<Geometry> screens{{0, 0, 1920, 1040}, {1920, 0, 1280, 1024}};
  const FitCase cases[] = {
      {"fits as it is", {267, 133, 633, 550}, {267, 133, 633, 550}},
      {"on the second screen", {2000, 100, 800, 600}, {2000, 100, 800, 600}},
      {"huge", {0, 0, 100000, 100000}, {0, 0, 1920, 1040}},
      {"off to the left", {-5000, 10, 640, 480}, {0, 10, 640, 480}},
      {"beyond the bottom", {100, 900, 640, 480}, {100, 560, 640, 480}},
      {"a screen that is gone", {50000, 50000, 640, 480}, {1280, 560, 640, 480}},
      {"too small", {10, 10, 0, 5}, {10, 10, 320, 240}},
      {"larger than the second", {1920, 0, 1500, 1100}, {1920, 0, 1280, 1024}},
  };
  for (const FitCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(FitOnScreens(c.wanted, screens, 320, 240), c.fitted);
  }
  EXPECT_EQ(FitOnScreens(Geometry{1, 2, 3, 4}, {}, 320, 240), (Geometry{1, 2, 3, 4}));  // nothing to fit to
}

TEST(ShownText, LongTextsAreCutOnAWholeCharacter) {
  platform::SetActiveCodePage(platform::CodePage::Utf8);
  EXPECT_EQ(ShownText("short"), "short");
  EXPECT_EQ(ShownText(std::string(kShownTextLimit, 'a')), std::string(kShownTextLimit, 'a'));
  const std::string longText = std::string(kShownTextLimit - 1, 'a') + "\xE3\x81\x82" + std::string(100, 'b');
  const std::string shown = ShownText(longText);
  EXPECT_EQ(shown, std::string(kShownTextLimit - 1, 'a') + "…");  // "あ" would cross the limit
  EXPECT_EQ(ShownText(std::string(100'000'000, 'x')).size(), kShownTextLimit + std::string("…").size());
}

}  // namespace
}  // namespace velkoran::app
