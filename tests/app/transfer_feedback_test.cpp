// Feedback of a transfer in the window: status with speed and time left while it runs, the
// main bar moving within one large file, the summary as the log's last line.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

#include "app_fakes.h"

namespace velkoran::app::testing {
namespace {

using namespace std::chrono_literals;

class TransferFeedbackTest : public LogicFixture {};

TEST_F(TransferFeedbackTest, StatusMainBarAndSummaryOfACopy) {
  MakeDirs(dir / "dst");
  WriteFile(dir / "big", std::string(3 << 20, 'b'));
  Start();
  rig.Select(dir / "dst");
  logic.Buffers().Toggle(dir / "big");
  rig.clockStep = 150ms;  // every reading is a new status
  logic.CopyFromBuffer();

  const std::vector<std::string>& status = rig.view.transferStatus;
  ASSERT_GE(status.size(), 4u);
  EXPECT_TRUE(status.front().starts_with("0B / 3MB")) << status.front();
  EXPECT_TRUE(std::any_of(status.begin(), status.end(), [](const std::string& s) {
    return std::regex_match(s, std::regex("1MB / 3MB  [0-9.]+MB/s  残り 0:0[0-9]"));
  }));
  EXPECT_EQ(status.back(), "");  // over: the view shows its info line again
  // Within the one file the bar goes 1 MiB, 2 MiB, 3 MiB (in units of 1024 bytes).
  std::vector<std::uint64_t> steps = rig.view.mainPositions;
  steps.erase(std::unique(steps.begin(), steps.end()), steps.end());
  ASSERT_GE(steps.size(), 4u);  // (the bars may be reset when the transfer is over)
  EXPECT_EQ(std::vector<std::uint64_t>(steps.begin(), steps.begin() + 4), (std::vector<std::uint64_t>{0, 1024, 2048, 3072}));
  EXPECT_TRUE(std::regex_match(rig.view.log.back(), std::regex("3MB を 0:0[0-9] で転送しました \\([0-9.]+[KM]B/s\\)")))
      << rig.view.log.back();
  EXPECT_EQ(rig.view.log[rig.view.log.size() - 2], "コピー完了。");
}

}  // namespace
}  // namespace velkoran::app::testing
