// Runs script texts through the host component and collects what they print.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "script/kestrin.h"

namespace kestrin::testing {

struct ScriptRun {
  bool compiled = false;
  std::string output;  // everything printed, CR LF kept
  std::int32_t result = 0;
  TJRunOutcome outcome = TJRunOutcome::Normal;
};

inline ScriptRun RunScript(TKestrin& host, std::string_view text, const std::vector<TKestrinArgument>& args = {}) {
  ScriptRun run;
  host.OnStdout = [&run](TKestrin&, std::string_view s) { run.output += s; };
  run.compiled = host.Compile(text);
  run.result = host.Run(args);
  run.outcome = host.Engine().LastOutcome;
  return run;
}

inline ScriptRun RunScript(std::string_view text, const std::vector<TKestrinArgument>& args = {}) {
  TKestrin host;
  return RunScript(host, text, args);
}

// The output with CR LF line ends turned into "\n", for readable expectations.
inline std::string Lines(const std::string& s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n') continue;
    out.push_back(s[i]);
  }
  return out;
}

inline std::string Output(std::string_view text) { return Lines(RunScript(text).output); }

}  // namespace kestrin::testing
