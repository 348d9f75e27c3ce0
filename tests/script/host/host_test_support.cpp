#include "host_test_support.h"

#include <dirent.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

#include "script/host/host_classes.h"

namespace kestrin::host_testing {

ScratchDir::ScratchDir() {
  const char* base = std::getenv("VELKORAN_TEST_TMP");
  const std::string root = base != nullptr && *base != '\0' ? base : "/tmp";
  ::mkdir(root.c_str(), 0777);
  std::string pattern = root + "/hostobj-XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed in " + root);
  path_ = pattern + "/";
}

ScratchDir::~ScratchDir() { RemoveTree(path_.substr(0, path_.size() - 1)); }

void RemoveTree(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return;
  if (!S_ISDIR(st.st_mode)) {
    ::unlink(path.c_str());
    return;
  }
  ::chmod(path.c_str(), 0700);
  std::vector<std::string> children;
  if (DIR* d = ::opendir(path.c_str())) {
    while (const dirent* e = ::readdir(d)) {
      const std::string name = e->d_name;
      if (name != "." && name != "..") children.push_back(path + "/" + name);
    }
    ::closedir(d);
  }
  for (const std::string& child : children) RemoveTree(child);
  ::rmdir(path.c_str());
}

void WriteBytes(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

bool Exists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

std::optional<std::string> FakeQuestions::Answer(const char* kind, std::string_view title, std::string_view initial) {
  asked.push_back({kind, std::string(title), std::string(initial)});
  if (fileAnswers.empty()) return std::nullopt;
  auto answer = fileAnswers.front();
  fileAnswers.pop_front();
  return answer;
}

ScriptHost::ScriptHost(std::string scratch) : host_(&questions_, &RegisterHostClasses), scratch_(std::move(scratch)) {
  host_.OnStdout = [this](TKestrin&, std::string_view text) { output_ += text; };
}

std::string ScriptHost::Run(std::string_view script) {
  std::string text(script);
  for (std::size_t pos = 0; (pos = text.find("$D", pos)) != std::string::npos;) {
    text.replace(pos, 2, scratch_);
    pos += scratch_.size();
  }
  output_.clear();
  result_ = host_.Compile(text) ? host_.Run() : -1;
  std::string out;
  for (std::size_t i = 0; i < output_.size(); ++i) {
    if (output_[i] == '\r' && i + 1 < output_.size() && output_[i + 1] == '\n') continue;
    out += output_[i];
  }
  return out;
}

std::string Uncaught(std::string_view name, std::string_view text) {
  return "Exception: " + std::string(name) + " => " + std::string(text) + "\n";
}

}  // namespace kestrin::host_testing
