// What the file operation engine needs from the window: the log, the two progress bars,
// servicing pending events between steps, enabling the main window and its caption. The
// window implements it; tests fake it. Questions go through platform::UserQuestions.
#pragma once

#include <cstdint>
#include <string_view>

namespace velkoran::fileops {

enum class ProgressBar {
  Main,  // PB_Main: the whole transfer, in units of 1024 bytes
  Sub,   // PB_Sub: the file being copied, in bytes
};

class OperationHost {
 public:
  virtual ~OperationHost() = default;

  // AppendLog: one line at the end of the log, selected so that it is visible.
  virtual void AppendLog(std::string_view line) = 0;

  // Progress values are 64-bit: a file of several GiB is counted in bytes on PB_Sub. A
  // window whose bars are int-ranged scales maximum and position by the same factor; see
  // ScaleProgress (progress_scale.h). Setting the maximum does not move the position.
  virtual void SetProgressMaximum(ProgressBar bar, std::uint64_t maximum) = 0;
  virtual void SetProgressPosition(ProgressBar bar, std::uint64_t position) = 0;

  // Let the window process its pending events; this is where the break command (Esc)
  // reaches the engine during long work.
  virtual void ProcessPendingEvents() = 0;

  // Disables (false) or enables (true) user input to the main window.
  virtual void SetMainWindowEnabled(bool enabled) = 0;
  virtual void SetMainWindowCaption(std::string_view caption) = 0;

  // A transfer's course, for speed and time left: its planned total, the bytes of the
  // entries handled so far (after each entry; the file in hand shows on PB_Sub), and its
  // end, after the final log line.
  virtual void TransferStarted(std::uint64_t /*totalBytes*/) {}
  virtual void TransferEntriesDone(std::uint64_t /*bytesDone*/) {}
  virtual void TransferEnded(bool /*succeeded*/) {}
};

}  // namespace velkoran::fileops
