#include "app/logic/transfer_feedback.h"

#include <utility>

namespace velkoran::app {

TransferFeedback::TransferFeedback(Output output, std::function<Clock::time_point()> clock)
    : output_(std::move(output)), clock_(clock ? std::move(clock) : [] { return Clock::now(); }) {}

void TransferFeedback::Started(std::uint64_t totalBytes) {
  rate_.emplace(totalBytes, clock_());
  entriesDone_ = 0;
  inFile_ = 0;
}

void TransferFeedback::EntriesDone(std::uint64_t bytesDone) {
  if (!rate_) return;
  entriesDone_ = bytesDone;
  inFile_ = 0;
  Progress();
}

void TransferFeedback::FilePosition(std::uint64_t bytes) {
  if (!rate_) return;
  inFile_ = bytes;
  Progress();
}

void TransferFeedback::Progress() {
  const std::uint64_t done = entriesDone_ + inFile_;
  output_.setMainPosition(done / 1024);
  if (rate_->Update(done, clock_())) output_.showStatus(rate_->StatusText());
}

void TransferFeedback::Ended() {
  if (!rate_) return;
  rate_->Update(entriesDone_, clock_());
  output_.appendLog(rate_->SummaryText());
  output_.showStatus({});
  rate_.reset();
}

}  // namespace velkoran::app
