// Test doubles for the file operation engine: a host that records everything and strict
// scripted questions, with the shared scratch directory and file helpers.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "fileops/engine.h"
#include "support/files.h"
#include "support/scratch_dir.h"
#include "support/scripted_questions.h"

namespace velkoran::fileops::testing {

class FakeHost : public OperationHost {
 public:
  void AppendLog(std::string_view line) override { log.emplace_back(line); }
  void SetProgressMaximum(ProgressBar bar, std::uint64_t maximum) override {
    (bar == ProgressBar::Main ? mainMaximum : subMaximum) = maximum;
  }
  void SetProgressPosition(ProgressBar bar, std::uint64_t position) override {
    (bar == ProgressBar::Main ? mainPosition : subPosition) = position;
    if (bar == ProgressBar::Sub) subPositions.push_back(position);
  }
  void ProcessPendingEvents() override {
    ++eventRounds;
    if (onEvents) onEvents();
  }
  void SetMainWindowEnabled(bool enabled) override { enabledStates.push_back(enabled); }
  void SetMainWindowCaption(std::string_view text) override { caption = text; }

  std::vector<std::string> log;
  std::uint64_t mainMaximum = 0, mainPosition = 0, subMaximum = 0, subPosition = 0;
  std::vector<std::uint64_t> subPositions;
  int eventRounds = 0;
  std::function<void()> onEvents;
  std::vector<bool> enabledStates;
  std::string caption;
};

using velkoran::testing::Exists;
using velkoran::testing::ReadFile;
using velkoran::testing::RemoveTree;
using velkoran::testing::ScratchDir;
using velkoran::testing::WriteFile;

// Fails the test on a question it did not queue an answer for, and on any alert.
class StrictQuestions : public velkoran::testing::ScriptedQuestions {
 public:
  void Alert(std::string_view caption, std::string_view text) override {
    ScriptedQuestions::Alert(caption, text);
    ADD_FAILURE() << "unexpected alert";
  }

 protected:
  platform::Answer Unanswered(const velkoran::testing::AskedQuestion& question) override {
    ADD_FAILURE() << "unexpected question: " << question.text;
    return platform::Answer::No;
  }
};

// A file of size bytes with a byte pattern that shows misplaced blocks.
void WritePatternFile(const std::string& path, std::uint64_t size);
// Names in a directory, sorted.
std::vector<std::string> Names(const std::string& dir);
void MakeReadOnly(const std::string& path);
// A file that reports size bytes without holding data.
void MakeSparseFile(const std::string& path, std::uint64_t size);

// The text in the active code page (the tests run with UTF-8 unless they switch).
std::string L(std::string_view utf8);

// An engine wired to a fake host and scripted questions.
struct EngineFixture : ::testing::Test {
  FakeHost host;
  StrictQuestions questions;
  ScratchDir dir;
};

}  // namespace velkoran::fileops::testing
