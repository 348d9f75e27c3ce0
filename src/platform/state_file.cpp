#include "platform/state_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/fileio.h"

namespace velkoran::platform {
namespace {

// Closes a descriptor and removes the temporary file unless the write was committed.
struct PendingFile {
  int fd = -1;
  std::string path;
  bool committed = false;
  ~PendingFile() {
    if (fd >= 0) ::close(fd);
    if (!committed && !path.empty()) ::unlink(path.c_str());
  }
};

bool Fail(std::string* error, const char* what, int err) {
  if (error != nullptr) *error = std::string(what) + ": " + std::strerror(err);
  return false;
}

std::string DirectoryOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

mode_t CurrentUmask() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return mask;
}

}  // namespace

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find('\n', pos);
    const bool last = end == std::string_view::npos;
    if (last) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.emplace_back(line);
    pos = last ? text.size() : end + 1;
  }
  return lines;
}

std::optional<std::vector<std::string>> ReadTextLines(const std::string& path, int* error) {
  const std::optional<std::string> data = ReadRegularFile(path, error);
  if (!data) return std::nullopt;
  return SplitLines(*data);
}

bool WriteFileAtomically(const std::string& path, std::string_view data, std::string* error) {
  PendingFile tmp;
  tmp.path = path + ".tmp-XXXXXX";
  std::vector<char> name(tmp.path.begin(), tmp.path.end());
  name.push_back('\0');
  tmp.fd = ::mkostemp(name.data(), O_CLOEXEC);
  if (tmp.fd < 0) {
    tmp.path.clear();
    return Fail(error, "create", errno);
  }
  tmp.path.assign(name.data());
  // mkostemp creates the file private; state files get the usual permissions.
  ::fchmod(tmp.fd, 0666 & ~CurrentUmask());
  std::size_t done = 0;
  while (done < data.size()) {
    const ssize_t n = ::write(tmp.fd, data.data() + done, data.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return Fail(error, "write", errno);
    }
    done += static_cast<std::size_t>(n);
  }
  if (::fsync(tmp.fd) != 0) return Fail(error, "flush", errno);
  const int fd = tmp.fd;
  tmp.fd = -1;
  if (::close(fd) != 0) return Fail(error, "close", errno);
  if (::rename(tmp.path.c_str(), path.c_str()) != 0) return Fail(error, "rename", errno);
  tmp.committed = true;
  // Make the rename itself durable.
  const int dirFd = ::open(DirectoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd >= 0) {
    ::fsync(dirFd);
    ::close(dirFd);
  }
  return true;
}

}  // namespace velkoran::platform
