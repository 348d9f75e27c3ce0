// What the window shows while a transfer runs: bytes done of the total with speed and time
// left in the status line, the main bar moving with every block (so it moves for a single
// large file too), and after the transfer a log line with how much went in how long.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

#include "fileops/transfer_rate.h"

namespace velkoran::app {

class TransferFeedback {
 public:
  using Clock = fileops::TransferRate::Clock;

  struct Output {
    std::function<void(std::string_view)> showStatus;  // empty text: the transfer is over
    std::function<void(std::uint64_t)> setMainPosition;  // in units of 1024 bytes, as PB_Main counts
    std::function<void(std::string_view)> appendLog;
  };

  // clock may be empty: the steady clock.
  TransferFeedback(Output output, std::function<Clock::time_point()> clock);

  void Started(std::uint64_t totalBytes);
  void EntriesDone(std::uint64_t bytesDone);
  // PB_Sub's position: the bytes done of the file in hand.
  void FilePosition(std::uint64_t bytes);
  void Ended();

  bool Running() const { return rate_.has_value(); }

 private:
  void Progress();

  Output output_;
  std::function<Clock::time_point()> clock_;
  std::optional<fileops::TransferRate> rate_;
  std::uint64_t entriesDone_ = 0;
  std::uint64_t inFile_ = 0;
};

}  // namespace velkoran::app
