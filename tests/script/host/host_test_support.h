// Shared pieces of the host object tests: a scratch folder, byte-exact file access, user
// questions that answer from a script of answers, and a host component that runs a script
// text and returns everything it printed.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/questions.h"
#include "script/kestrin.h"

namespace kestrin::host_testing {

class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  // The folder, with a trailing "/".
  const std::string& Path() const { return path_; }
  std::string operator/(std::string_view name) const { return path_ + std::string(name); }

 private:
  std::string path_;
};

void RemoveTree(const std::string& path);
void WriteBytes(const std::string& path, std::string_view bytes);
std::string ReadBytes(const std::string& path);
bool Exists(const std::string& path);

// Answers file and folder dialogs from queued answers and records what was asked.
class FakeQuestions : public velkoran::platform::UserQuestions {
 public:
  bool dialogs = true;
  std::deque<std::optional<std::string>> fileAnswers;
  std::vector<std::string> filesAnswer;
  struct Asked {
    std::string kind, title, initial;
  };
  std::vector<Asked> asked;

  velkoran::platform::Answer AskYesNo(std::string_view, std::string_view) override {
    return velkoran::platform::Answer::No;
  }
  velkoran::platform::Answer AskYesNoCancel(std::string_view, std::string_view) override {
    return velkoran::platform::Answer::Cancel;
  }
  void Alert(std::string_view, std::string_view) override {}
  bool Confirm(std::string_view, std::string_view) override { return false; }
  std::optional<std::string> InputText(std::string_view, std::string_view, std::string_view) override {
    return std::nullopt;
  }
  std::optional<std::string> Prompt(std::string_view, std::string_view, std::string_view) override {
    return std::nullopt;
  }
  std::optional<std::string> TextArea(std::string_view, std::string_view, std::string_view) override {
    return std::nullopt;
  }
  bool CanShowDialogs() const override { return dialogs; }
  std::optional<std::string> OpenFile(std::string_view title, std::string_view initial) override {
    return Answer("openFile", title, initial);
  }
  std::vector<std::string> OpenFiles(std::string_view title, std::string_view initial) override {
    asked.push_back({"openFiles", std::string(title), std::string(initial)});
    return filesAnswer;
  }
  std::optional<std::string> SaveFile(std::string_view title, std::string_view initial) override {
    return Answer("saveFile", title, initial);
  }
  std::optional<std::string> OpenFolder(std::string_view title, std::string_view initial) override {
    return Answer("openFolder", title, initial);
  }

 private:
  std::optional<std::string> Answer(const char* kind, std::string_view title, std::string_view initial);
};

// A host component with the host classes; Run compiles and runs a script and returns its
// output, each CR LF shortened to LF. Every "$D" in the script becomes the scratch folder's path (with its "/").
class ScriptHost {
 public:
  explicit ScriptHost(std::string scratch = {});
  std::string Run(std::string_view script);
  std::int32_t LastResult() const { return result_; }
  TKestrin& Host() { return host_; }
  FakeQuestions& Questions() { return questions_; }

 private:
  FakeQuestions questions_;
  TKestrin host_;
  std::string scratch_;
  std::string output_;
  std::int32_t result_ = 0;
};

// The line a run prints for an uncaught script error.
std::string Uncaught(std::string_view name, std::string_view text);

}  // namespace kestrin::host_testing
