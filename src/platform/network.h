// Enumeration of the network's servers and shares for the directory tree. The tree walks
// the levels depth first; each level is read in batches until it reports no more items.
// The Linux implementation reports nothing; tests give a fake network.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace velkoran::platform {

enum class NetResourceType { Any, Disk, Print };
enum class NetDisplayType { Generic, Domain, Server, Share, Other };

struct NetResource {
  std::string remoteName;  // a server: separator, separator, host; a share: host path, separator, share
  NetResourceType type = NetResourceType::Any;
  NetDisplayType displayType = NetDisplayType::Generic;
  bool container = false;  // holds further resources (a domain, a server)
};

// One open level of the enumeration.
class NetworkLevel {
 public:
  enum class Status { Batch, NoMore, Error };
  virtual ~NetworkLevel() = default;
  // Replaces batch with the next resources of the level.
  virtual Status Next(std::vector<NetResource>& batch) = 0;
};

class NetworkEnumeration {
 public:
  virtual ~NetworkEnumeration() = default;
  // Opens the top of the network (container null) or the inside of a container; null when
  // the level cannot be opened.
  virtual std::unique_ptr<NetworkLevel> Open(const NetResource* container) = 0;
};

// The host's network browsing: Linux has no such service, so it reports no resources.
std::unique_ptr<NetworkEnumeration> CreateHostNetworkEnumeration();

}  // namespace velkoran::platform
