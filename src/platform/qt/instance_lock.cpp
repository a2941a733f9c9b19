#include "platform/qt/instance_lock.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "platform/common/private_paths.h"

namespace vellicor::qt {
namespace {

// Longer names are shortened to a digest, well inside any file system's limit.
constexpr std::size_t kLongestName = 120;

std::string failure(const std::string& what, const std::string& path) {
  return what + " " + path + ": " + std::strerror(errno);
}

// The directory the lock lives in: the runtime directory when it is the
// user's own and private, else a private one under /tmp; empty with `error`
// set when there is neither.
std::string lockDirectory(std::string_view runtimeDir, std::string& error) {
  if (!runtimeDir.empty() && runtimeDir.front() == '/' &&
      isPrivateDirectory(std::string(runtimeDir))) {
    return std::string(runtimeDir);
  }
  const std::string dir = "/tmp/vellicor-" + std::to_string(getuid());
  if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
    error = failure("cannot make", dir);
    return {};
  }
  if (!isPrivateDirectory(dir)) {
    error = dir + " is not a private directory of this user";
    return {};
  }
  return dir;
}

struct FileDescriptor {
  int fd;
  ~FileDescriptor() {
    if (fd >= 0) {
      close(fd);
    }
  }
  int release() {
    const int kept = fd;
    fd = -1;
    return kept;
  }
};

}  // namespace

std::string instanceLockName(std::string_view display) {
  // "host:display.screen": every screen of a display is the same session, and
  // "unix:N" is the local display ":N".
  if (const auto colon = display.rfind(':'); colon != std::string_view::npos) {
    if (const auto dot = display.find('.', colon); dot != std::string_view::npos) {
      display = display.substr(0, dot);
    }
    if (display.substr(0, colon) == "unix") {
      display.remove_prefix(colon);
    }
  }
  std::string key;
  for (const char c : display) {
    key += c == '/' || c == '\0' ? '_' : c;
  }
  if (key.size() > kLongestName) {
    std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (const unsigned char c : display) {
      hash = (hash ^ c) * 1099511628211ull;
    }
    char digest[17];
    std::snprintf(digest, sizeof digest, "%016llx", static_cast<unsigned long long>(hash));
    key = digest;
  }
  return "vellicor-" + key + ".lock";
}

InstanceLock::Attempt InstanceLock::take(std::string_view runtimeDir, std::string_view display) {
  Attempt attempt;
  const std::string dir = lockDirectory(runtimeDir, attempt.error);
  if (dir.empty()) {
    return attempt;
  }
  const std::string path = dir + "/" + instanceLockName(display);
  FileDescriptor file{open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600)};
  if (file.fd < 0) {
    attempt.error = failure("cannot open", path);
    return attempt;
  }
  // Another user's file there could be held to keep this user's program from
  // starting.
  struct stat st {};
  if (fstat(file.fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != getuid()) {
    attempt.error = path + " is not a file of this user's own";
    return attempt;
  }
  struct flock whole {};
  whole.l_type = F_WRLCK;
  whole.l_whence = SEEK_SET;
  // The holder may end between the failed lock and the question who holds
  // it; then the lock is free and is tried again.
  for (int tries = 0; tries < 3; ++tries) {
    if (fcntl(file.fd, F_SETLK, &whole) == 0) {
      attempt.lock.reset(new InstanceLock(file.release()));
      return attempt;
    }
    if (errno != EACCES && errno != EAGAIN) {
      attempt.error = failure("cannot lock", path);
      return attempt;
    }
    struct flock probe = whole;
    if (fcntl(file.fd, F_GETLK, &probe) == 0 && probe.l_type != F_UNLCK) {
      attempt.heldElsewhere = true;
      attempt.holder = probe.l_pid;
      return attempt;
    }
  }
  attempt.error = "cannot lock " + path + ": it was taken and released repeatedly";
  return attempt;
}

InstanceLock::~InstanceLock() {
  close(fd_);
}

}  // namespace vellicor::qt
