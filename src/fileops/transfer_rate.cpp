#include "fileops/transfer_rate.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "fileops/format_size.h"
#include "fileops/messages.h"
#include "platform/ui_language.h"

namespace velkoran::fileops {
namespace {

// Samples closer together than this are not kept: the window needs a start, not every step.
constexpr std::chrono::milliseconds kSampleSpacing{50};
constexpr std::chrono::milliseconds kMinimumSpan{100};

double Seconds(TransferRate::Clock::duration d) { return std::chrono::duration<double>(d).count(); }

std::string Size(std::uint64_t bytes) { return FormatSize(bytes, SizeFormat::Decimal) + "B"; }


}  // namespace

TransferRate::TransferRate(std::uint64_t totalBytes, Clock::time_point start)
    : total_(totalBytes), start_(start), last_(start) {
  samples_.push_back({start, 0});
}

bool TransferRate::Update(std::uint64_t bytesDone, Clock::time_point now) {
  done_ = bytesDone;
  last_ = now;
  if (now - samples_.back().at >= kSampleSpacing) samples_.push_back({now, bytesDone});
  // Keep one sample at or before the window's start as its anchor.
  while (samples_.size() > 2 && samples_[1].at <= now - kWindow) samples_.pop_front();
  if (shown_ && now - *shown_ < kShowInterval) return false;
  shown_ = now;
  return true;
}

std::optional<double> TransferRate::BytesPerSecond() const {
  const Sample& anchor = samples_.front();
  if (last_ - anchor.at < kMinimumSpan || done_ < anchor.bytes) return std::nullopt;
  return static_cast<double>(done_ - anchor.bytes) / Seconds(last_ - anchor.at);
}

std::optional<std::chrono::seconds> TransferRate::TimeLeft() const {
  const std::optional<double> speed = BytesPerSecond();
  if (!speed || *speed <= 0) return std::nullopt;
  const std::uint64_t left = total_ > done_ ? total_ - done_ : 0;
  return std::chrono::seconds(static_cast<std::int64_t>(std::ceil(static_cast<double>(left) / *speed)));
}

std::string TransferRate::StatusText() const {
  std::string text = Size(done_) + " / " + Size(total_);
  if (const std::optional<double> speed = BytesPerSecond()) {
    text += "  " + Size(static_cast<std::uint64_t>(*speed)) + "/s";
  }
  if (const std::optional<std::chrono::seconds> left = TimeLeft()) {
    text += "  " + platform::FillPattern(messages::Local(messages::kTimeLeft), {FormatDuration(*left)});
  }
  return text;
}

std::string TransferRate::SummaryText() const {
  const double seconds = Seconds(Elapsed());
  const std::string speed =
      seconds > 0 ? Size(static_cast<std::uint64_t>(static_cast<double>(done_) / seconds)) + "/s" : std::string("-");
  const auto whole = std::chrono::duration_cast<std::chrono::seconds>(Elapsed());
  return platform::FillPattern(messages::Local(messages::kTransferSummary), {Size(done_), FormatDuration(whole), speed});
}

std::string FormatDuration(std::chrono::seconds duration) {
  const std::int64_t total = duration.count() < 0 ? 0 : duration.count();
  const std::int64_t hours = total / 3600;
  const std::int64_t minutes = total / 60 % 60;
  const std::int64_t seconds = total % 60;
  char text[32];
  if (hours > 0) {
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", static_cast<long long>(hours),
                  static_cast<long long>(minutes), static_cast<long long>(seconds));
  } else {
    std::snprintf(text, sizeof text, "%lld:%02lld", static_cast<long long>(minutes), static_cast<long long>(seconds));
  }
  return text;
}

}  // namespace velkoran::fileops
