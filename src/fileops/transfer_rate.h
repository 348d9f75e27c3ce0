// Speed and time left of a running transfer. The speed is measured over a moving window of
// the last few seconds, so it follows a change of pace (a slow disk, a burst of small files)
// instead of averaging over the whole run; the status is offered at most ten times a
// second, which is as often as anyone can read it and rarely enough not to slow the copy.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>

namespace velkoran::fileops {

class TransferRate {
 public:
  using Clock = std::chrono::steady_clock;

  static constexpr std::chrono::milliseconds kWindow{3000};
  static constexpr std::chrono::milliseconds kShowInterval{100};

  TransferRate(std::uint64_t totalBytes, Clock::time_point start);

  // Records that bytesDone bytes of the total are done at now. True when a new status
  // should be shown: the first time, then no sooner than kShowInterval after the last.
  bool Update(std::uint64_t bytesDone, Clock::time_point now);

  std::uint64_t BytesDone() const { return done_; }
  std::uint64_t TotalBytes() const { return total_; }
  // Bytes per second over the window; nothing until a tenth of a second has been seen.
  std::optional<double> BytesPerSecond() const;
  // Time left at that speed, rounded up to whole seconds; nothing while the speed is
  // unknown or zero.
  std::optional<std::chrono::seconds> TimeLeft() const;
  Clock::duration Elapsed() const { return last_ - start_; }

  // "1.25GB / 3.40GB  52.1MB/s  残り 0:45" in the system code page (speed and time left
  // only once they are known).
  std::string StatusText() const;
  // The summary for the log: "3.40GB を 1:05 で転送しました (52.1MB/s)".
  std::string SummaryText() const;

 private:
  struct Sample {
    Clock::time_point at;
    std::uint64_t bytes;
  };

  std::uint64_t total_;
  std::uint64_t done_ = 0;
  Clock::time_point start_;
  Clock::time_point last_;
  std::optional<Clock::time_point> shown_;
  std::deque<Sample> samples_;  // oldest first; the first one lies at or before the window's start
};

// "0:05", "12:34", "1:02:03".
std::string FormatDuration(std::chrono::seconds duration);

}  // namespace velkoran::fileops
