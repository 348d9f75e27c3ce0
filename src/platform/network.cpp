#include "platform/network.h"

namespace velkoran::platform {
namespace {

class EmptyLevel : public NetworkLevel {
 public:
  Status Next(std::vector<NetResource>& batch) override {
    batch.clear();
    return Status::NoMore;
  }
};

class NoNetwork : public NetworkEnumeration {
 public:
  std::unique_ptr<NetworkLevel> Open(const NetResource*) override { return std::make_unique<EmptyLevel>(); }
};

}  // namespace

std::unique_ptr<NetworkEnumeration> CreateHostNetworkEnumeration() { return std::make_unique<NoNetwork>(); }

}  // namespace velkoran::platform
