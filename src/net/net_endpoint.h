// TNetEndpoint: what every client of the library has, whether it speaks through our own
// socket (TNetSocket and the clients built on it) or through libcurl (TNetHTTPS): where it
// talks to, its limits, the trace it reports, the last reply, and the hook that runs
// between the slices of every wait.
//
// No wait of the library lasts longer than one slice (about 50 ms) without calling
// OnWaitSlice. A host that must stay responsive (the window's event loop, an abort key)
// does its work there; the hook may throw to end the wait, and the exception leaves the
// client in a state where Disconnect is safe.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace velkoran::net {

inline constexpr std::chrono::milliseconds kWaitSlice{50};

// Trace levels: operation begin and end, results and protocol lines, routine steps, byte
// counts and error names.
inline constexpr int kTraceOperation = 1;
inline constexpr int kTraceResult = 2;
inline constexpr int kTraceStep = 4;
inline constexpr int kTraceDetail = 8;

class TNetEndpoint {
 public:
  TNetEndpoint() = default;
  virtual ~TNetEndpoint() = default;
  TNetEndpoint(const TNetEndpoint&) = delete;
  TNetEndpoint& operator=(const TNetEndpoint&) = delete;

  std::string Host;
  std::uint16_t Port = 0;
  std::string Proxy;
  // Seconds each receive, send or connect may wait.
  std::int32_t Timeout = 30;
  // Highest trace level passed to OnStatus.
  std::int32_t TraceLevel = 2;
  std::int32_t LastError = 0;
  // Numeric code and text of the last protocol reply (HTTP status, mail reply).
  std::int16_t ReplyNumber = 0;
  std::string ReplyText;
  // The last response line or lines read by the protocol routines.
  std::string LastResponse;
  bool Cancelled = false;
  bool TimedOut = false;
  bool Connected = false;

  std::function<void(TNetEndpoint& sender, std::string_view text)> OnStatus;
  std::function<void(TNetEndpoint& sender, std::int32_t code, std::string_view name)> OnError;
  std::function<void(TNetEndpoint& sender)> OnConnect;
  std::function<void(TNetEndpoint& sender)> OnConnectionFailed;
  std::function<void(TNetEndpoint& sender)> OnDisconnect;
  // Runs between the slices of every wait; may throw to end the wait.
  std::function<void()> OnWaitSlice;

  // Passes text to OnStatus when TraceLevel is at least level; whatever the handler
  // raises is swallowed.
  virtual void Status(std::string_view text, int level);
  // The trace would reach a handler (callers skip building costly texts otherwise).
  bool Traces(int level) const noexcept { return OnStatus && TraceLevel >= level; }

  virtual void Connect() = 0;
  virtual void Disconnect() = 0;
  // Sets Cancelled, traces, disconnects and throws ESocketCancel.
  [[noreturn]] virtual void Cancel();
  [[noreturn]] void Abort();

 protected:
  void WaitSlice() {
    if (OnWaitSlice) OnWaitSlice();
  }
  // Records a failure: LastError, the traces ("err>" + what at level 2, the error name at
  // level 8) and OnError.
  void NoteError(std::int32_t code, std::string_view what);
};

// A protocol line as a trace shows it: the values of Authorization headers and the
// argument of PASS are masked.
std::string MaskSecrets(std::string_view line);

}  // namespace velkoran::net
