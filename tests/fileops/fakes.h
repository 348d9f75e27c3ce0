// Test doubles for the file operation engine: a host that records everything, questions
// answered from a script, and a scratch directory removed after each test.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "fileops/engine.h"
#include "platform/questions.h"

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

struct AskedQuestion {
  std::string caption;
  std::string text;
};

class ScriptedQuestions : public platform::UserQuestions {
 public:
  platform::Answer AskYesNo(std::string_view caption, std::string_view text) override { return Next(caption, text); }
  platform::Answer AskYesNoCancel(std::string_view caption, std::string_view text) override {
    return Next(caption, text);
  }
  void Alert(std::string_view, std::string_view) override { ADD_FAILURE() << "unexpected alert"; }
  bool Confirm(std::string_view, std::string_view) override { return false; }
  std::optional<std::string> InputText(std::string_view, std::string_view, std::string_view) override { return {}; }
  std::optional<std::string> Prompt(std::string_view, std::string_view, std::string_view) override { return {}; }
  std::optional<std::string> TextArea(std::string_view, std::string_view, std::string_view) override { return {}; }
  bool CanShowDialogs() const override { return false; }
  std::optional<std::string> OpenFile(std::string_view, std::string_view) override { return {}; }
  std::vector<std::string> OpenFiles(std::string_view, std::string_view) override { return {}; }
  std::optional<std::string> SaveFile(std::string_view, std::string_view) override { return {}; }
  std::optional<std::string> OpenFolder(std::string_view, std::string_view) override { return {}; }

  std::deque<platform::Answer> answers;  // a question with no answer left fails the test
  std::vector<AskedQuestion> asked;

 private:
  platform::Answer Next(std::string_view caption, std::string_view text) {
    asked.push_back({std::string(caption), std::string(text)});
    if (answers.empty()) {
      ADD_FAILURE() << "unexpected question: " << text;
      return platform::Answer::No;
    }
    const platform::Answer a = answers.front();
    answers.pop_front();
    return a;
  }
};

// A fresh directory per test under the build's test area; removed afterwards, read-only
// entries included.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::string& path() const { return path_; }  // ends in "/"
  std::string operator/(std::string_view relative) const { return path_ + std::string(relative); }

 private:
  std::string path_;
};

// Removes a tree, restoring write permission on the way; links are removed, not followed.
void RemoveTree(const std::string& path);

void WriteFile(const std::string& path, std::string_view content);
std::string ReadFile(const std::string& path);
// A file of size bytes with a byte pattern that shows misplaced blocks.
void WritePatternFile(const std::string& path, std::uint64_t size);
bool Exists(const std::string& path);  // the entry itself, links not followed
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
  ScriptedQuestions questions;
  ScratchDir dir;
};

}  // namespace velkoran::fileops::testing
