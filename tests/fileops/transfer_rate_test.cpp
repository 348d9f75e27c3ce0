// Speed over a moving window, time left, at most ten status updates a second, and the texts.
#include "fileops/transfer_rate.h"

#include <gtest/gtest.h>

#include "fakes.h"

namespace velkoran::fileops::testing {
namespace {

using namespace std::chrono_literals;
using Clock = TransferRate::Clock;

const Clock::time_point t0{};
constexpr std::uint64_t MiB = 1 << 20;

TEST(TransferRate, SpeedFollowsTheLastSecondsNotTheWholeRun) {
  TransferRate rate(1000 * MiB, t0);
  EXPECT_EQ(rate.BytesPerSecond(), std::nullopt);
  EXPECT_EQ(rate.TimeLeft(), std::nullopt);
  // Ten seconds at 10 MiB/s, then five at 40 MiB/s, in 100 ms steps.
  std::uint64_t done = 0;
  Clock::time_point now = t0;
  for (int step = 1; step <= 150; ++step) {
    done += (step <= 100 ? 1 : 4) * MiB;
    now += 100ms;
    rate.Update(done, now);
    if (step == 100) {
      EXPECT_NEAR(*rate.BytesPerSecond(), 10.0 * MiB, 0.5 * MiB);
    }
  }
  EXPECT_NEAR(*rate.BytesPerSecond(), 40.0 * MiB, 0.5 * MiB);  // the whole run averages 16
  EXPECT_EQ(rate.BytesDone(), 300 * MiB);
  // 700 MiB left at 40 MiB/s: 17.5 s, rounded up.
  EXPECT_EQ(rate.TimeLeft(), 18s);
}

TEST(TransferRate, AtMostTenUpdatesASecond) {
  TransferRate rate(100 * MiB, t0);
  int shown = 0;
  // A block every millisecond for two seconds.
  for (int ms = 1; ms <= 2000; ++ms) shown += rate.Update(static_cast<std::uint64_t>(ms) * 1024, t0 + ms * 1ms);
  EXPECT_EQ(shown, 20);
}

TEST(TransferRate, StalledOrFinishedTransfers) {
  TransferRate stalled(10 * MiB, t0);
  stalled.Update(MiB, t0 + 1s);
  stalled.Update(MiB, t0 + 5s);
  EXPECT_EQ(stalled.BytesPerSecond(), 0.0);
  EXPECT_EQ(stalled.TimeLeft(), std::nullopt);  // no speed, no estimate

  // More done than planned (a file grew while it was copied): nothing is left.
  TransferRate grown(MiB, t0);
  grown.Update(2 * MiB, t0 + 1s);
  EXPECT_EQ(grown.TimeLeft(), 0s);
}

TEST(TransferRate, Texts) {
  TransferRate rate(4 * MiB, t0);
  EXPECT_EQ(rate.StatusText(), "0B / 4MB");
  rate.Update(MiB, t0 + 500ms);
  EXPECT_EQ(rate.StatusText(), L("1MB / 4MB  2MB/s  残り 0:02"));
  rate.Update(4 * MiB, t0 + 65s);
  EXPECT_EQ(rate.SummaryText(), L("4MB を 1:05 で転送しました (63.01KB/s)"));

  struct Case {
    std::chrono::seconds duration;
    const char* text;
  };
  for (const Case& c : {Case{0s, "0:00"}, Case{59s, "0:59"}, Case{754s, "12:34"}, Case{3723s, "1:02:03"}}) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(FormatDuration(c.duration), c.text);
  }
}

}  // namespace
}  // namespace velkoran::fileops::testing
