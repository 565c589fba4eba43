#include "formats/text/save_target.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <vector>

namespace {

// Longest chain of links followed, as the kernel's own limit.
constexpr int kMaxLinks = 40;

// The text of the link at path; false when it cannot be read.
bool ReadLink(const std::string& path, off_t size_hint, std::string& out) {
  std::vector<char> buffer(static_cast<size_t>(size_hint > 0 ? size_hint : 255) + 1);
  for (;;) {
    const ssize_t got = ::readlink(path.c_str(), buffer.data(), buffer.size());
    if (got < 0) return false;
    if (static_cast<size_t>(got) < buffer.size()) {
      out.assign(buffer.data(), static_cast<size_t>(got));
      return true;
    }
    buffer.resize(buffer.size() * 2);
  }
}

// True when the real user may write the existing file at path.
bool RealUserMayWrite(const std::string& path, mode_t mode) {
  // access() checks with the real user and group IDs (ACLs and read-only
  // file systems included), but grants root everything.
  if (::access(path.c_str(), W_OK) != 0) return false;
  if (::getuid() == 0) return (mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
  return true;
}

} // namespace

bool PrepareSaveTarget(const char* fileName, SaveTarget& out) {
  out = SaveTarget{};
  if (!fileName || !*fileName) return false;
  std::string path = fileName;
  for (int hops = 0;; ++hops) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
      // A new file (or one behind a dangling link): the folder must exist
      // and take new files.
      if (errno != ENOENT) return false;
      out.path = path;
      const size_t slash = path.rfind('/');
      const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
      return ::access(folder.c_str(), W_OK | X_OK) == 0;
    }
    if (!S_ISLNK(info.st_mode)) {
      if (!S_ISREG(info.st_mode)) return false;
      out.path = path;
      out.exists = true;
      out.mode = info.st_mode & 07777;
      out.owner = info.st_uid;
      out.group = info.st_gid;
      return RealUserMayWrite(path, info.st_mode);
    }
    if (hops == kMaxLinks) return false;
    std::string link;
    if (!ReadLink(path, info.st_size, link) || link.empty()) return false;
    if (link[0] != '/') {
      // A relative link is relative to the folder that holds it.
      const size_t slash = path.rfind('/');
      link.insert(0, slash == std::string::npos ? std::string() : path.substr(0, slash + 1));
    }
    path = std::move(link);
  }
}

int CreateSaveTemporary(const SaveTarget& target, std::string& name) {
  static std::atomic<unsigned> counter{0};
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    name = target.path + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    // A new file gets the usual mode (0666 less the umask).
    fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) {
    name.clear();
    return -1;
  }
  if (target.exists) {
    // The owner first: changing it clears set-user-ID bits, which the mode
    // then puts back. Without the right to give the file away, the group
    // alone may still be kept.
    if (::fchown(fd, target.owner, target.group) != 0 &&
        ::fchown(fd, static_cast<uid_t>(-1), target.group) != 0) {
      // The new file stays the process's own.
    }
    if (::fchmod(fd, target.mode) != 0) {
      ::close(fd);
      ::unlink(name.c_str());
      name.clear();
      return -1;
    }
  }
  return fd;
}
