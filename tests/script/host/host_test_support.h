// A host component for the host object tests that runs a script text and returns
// everything it printed, a fixture of scripts over a scratch folder, and the shared file
// access and questions.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "script/kestrin.h"
#include "support/files.h"
#include "support/scratch_dir.h"
#include "support/scripted_questions.h"

namespace kestrin::host_testing {

using velkoran::testing::Exists;
using velkoran::testing::ReadFile;
using velkoran::testing::ScratchDir;
using velkoran::testing::ScriptedQuestions;
using velkoran::testing::WriteFile;

// A host component with the host classes; Run compiles and runs a script and returns its
// output, each CR LF shortened to LF. Every "$D" in the script becomes the scratch folder's path (with its "/").
class ScriptHost {
 public:
  explicit ScriptHost(std::string scratch = {});
  std::string Run(std::string_view script);
  std::int32_t LastResult() const { return result_; }
  TKestrin& Host() { return host_; }
  // Shows file and folder dialogs unless a test says otherwise.
  ScriptedQuestions& Questions() { return questions_; }

 private:
  ScriptedQuestions questions_;
  TKestrin host_;
  std::string scratch_;
  std::string output_;
  std::int32_t result_ = 0;
};

// Scripts over a scratch folder ("$D"), each run by a fresh host, so that no object of an
// earlier script still holds a file open.
class ScratchScriptTest : public ::testing::Test {
 protected:
  std::string Run(std::string_view script) { return ScriptHost(dir.Path()).Run(script); }
  ScratchDir dir;
};

// The line a run prints for an uncaught script error.
std::string Uncaught(std::string_view name, std::string_view text);

}  // namespace kestrin::host_testing
