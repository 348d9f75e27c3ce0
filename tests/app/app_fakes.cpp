#include "app_fakes.h"

namespace velkoran::app::testing {

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
    : logic(WindowServices{platform::HostPaths(), directories, volumes, network, questions, shell,
                           [this] { return now += clockStep; }},
            view) {
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
