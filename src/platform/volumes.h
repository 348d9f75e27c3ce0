// The roots the directory tree starts from: "/", the user's home directory, then every
// mounted file system whose mount point lies below /media, /mnt or /run/media, in path order.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velkoran::platform {

// Mount points below /media, /mnt or /run/media found in the text of /proc/self/mounts,
// with the kernel's octal escapes decoded, sorted by path and without duplicates.
std::vector<std::string> RemovableMountPoints(std::string_view mountsText);

// "/", then home (when it is set and not "/"), then the mount points; no path twice.
// Paths carry no trailing "/" (except "/" itself).
std::vector<std::string> VolumeRootsFrom(std::string_view mountsText, std::string_view home);

// The seam the tree asks for its roots; tests give their own list.
class VolumeList {
 public:
  virtual ~VolumeList() = default;
  virtual std::vector<std::string> Roots() = 0;
};

// Reads /proc/self/mounts and $HOME on every call, so a newly mounted medium shows at the
// next rebuild.
class HostVolumeList : public VolumeList {
 public:
  std::vector<std::string> Roots() override;
};

}  // namespace velkoran::platform
