#include "app_fakes.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace velkoran::app::testing {

namespace fs = std::filesystem;

ScratchDir::ScratchDir() {
  const char* base = std::getenv("VELKORAN_TEST_TMP");
  const std::string root = base != nullptr && *base != '\0' ? base : "/tmp";
  fs::create_directories(root);
  std::string pattern = root + "/window-XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern + "/";
}

ScratchDir::~ScratchDir() {
  std::error_code ec;
  // Make everything writable again so that read-only test folders go too.
  for (auto it = fs::recursive_directory_iterator(path_, fs::directory_options::skip_permission_denied, ec);
       it != fs::recursive_directory_iterator(); it.increment(ec)) {
    if (!it->is_symlink(ec)) ::chmod(it->path().c_str(), 0700);
  }
  fs::remove_all(path_, ec);
}

void MakeDirs(const std::string& path) { fs::create_directories(path); }

void WriteFile(const std::string& path, std::string_view content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

bool Exists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

platform::Answer FakeQuestions::Next() {
  if (onAsk) onAsk();
  if (answers.empty()) return platform::Answer::No;
  const platform::Answer a = answers.front();
  answers.pop_front();
  return a;
}

platform::Answer FakeQuestions::AskYesNo(std::string_view caption, std::string_view text) {
  asked.push_back({"yesno", std::string(caption), std::string(text)});
  return Next();
}

platform::Answer FakeQuestions::AskYesNoCancel(std::string_view caption, std::string_view text) {
  asked.push_back({"yesnocancel", std::string(caption), std::string(text)});
  return Next();
}

void FakeQuestions::Alert(std::string_view caption, std::string_view text) {
  asked.push_back({"alert", std::string(caption), std::string(text)});
}

bool FakeQuestions::Confirm(std::string_view caption, std::string_view text) {
  asked.push_back({"confirm", std::string(caption), std::string(text)});
  return Next() == platform::Answer::Yes;
}

std::optional<std::string> FakeQuestions::Prompt(std::string_view caption, std::string_view text, std::string_view) {
  asked.push_back({"prompt", std::string(caption), std::string(text)});
  if (prompts.empty()) return std::nullopt;
  auto v = prompts.front();
  prompts.pop_front();
  return v;
}

std::optional<std::string> FakeQuestions::InputText(std::string_view caption, std::string_view prompt, std::string_view) {
  asked.push_back({"input", std::string(caption), std::string(prompt)});
  if (inputs.empty()) return std::nullopt;
  auto v = inputs.front();
  inputs.pop_front();
  return v;
}

namespace {

class FakeLevel final : public platform::NetworkLevel {
 public:
  FakeLevel(std::vector<platform::NetResource> items, std::size_t batch) : items_(std::move(items)), batch_(batch) {}
  Status Next(std::vector<platform::NetResource>& batch) override {
    batch.clear();
    if (pos_ >= items_.size()) return Status::NoMore;
    for (std::size_t i = 0; i < batch_ && pos_ < items_.size(); ++i) batch.push_back(items_[pos_++]);
    return Status::Batch;
  }

 private:
  std::vector<platform::NetResource> items_;
  std::size_t batch_;
  std::size_t pos_ = 0;
};

}  // namespace

std::unique_ptr<platform::NetworkLevel> FakeNetwork::Open(const platform::NetResource* container) {
  const std::string key = container == nullptr ? std::string() : container->remoteName;
  for (const std::string& f : failing) {
    if (f == key) return nullptr;
  }
  const auto it = inside.find(key);
  return std::make_unique<FakeLevel>(it == inside.end() ? std::vector<platform::NetResource>{} : it->second, batchSize);
}

platform::NetResource FakeNetwork::Server(std::string name) {
  return {std::move(name), platform::NetResourceType::Any, platform::NetDisplayType::Server, true};
}

platform::NetResource FakeNetwork::Share(std::string name) {
  return {std::move(name), platform::NetResourceType::Disk, platform::NetDisplayType::Share, false};
}

platform::NetResource FakeNetwork::Domain(std::string name) {
  return {std::move(name), platform::NetResourceType::Any, platform::NetDisplayType::Domain, true};
}

void CountingSource::ForEachSubdirectory(std::string_view dir, const Visit& visit) {
  ++enumerations;
  host_.ForEachSubdirectory(dir, [&](std::string_view name, bool isLink) {
    ++entriesDelivered;
    ++deliveredFrom[std::string(dir)];
    return visit(name, isLink);
  });
}

LogicRig::LogicRig(std::vector<std::string> roots)
    : logic(WindowServices{platform::HostPaths(), directories, volumes, network, questions, shell}, view) {
  volumes.roots = std::move(roots);
}

DirNode* LogicRig::Select(const std::string& path) {
  DirNode* node = logic.Tree().FindNodeFromPath(path, false);
  if (node != nullptr) logic.SelectTreeNode(node);
  return node;
}

int LogicRig::RowOf(std::string_view name) const {
  auto& list = const_cast<WindowLogic&>(logic).List();
  for (int i = 0; i < list.RowCount(); ++i) {
    if (list.Row(i).name == name) return i;
  }
  return -1;
}

}  // namespace velkoran::app::testing
