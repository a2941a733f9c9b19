#include "platform/common/private_paths.h"

#include <sys/stat.h>
#include <unistd.h>

namespace vellicor {

bool isPrivateDirectory(const std::string& dir) {
  struct stat st {};
  return lstat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == getuid() &&
         (st.st_mode & 077) == 0;
}

std::string whyNotUsersSocket(const std::string& path) {
  struct stat st {};
  if (lstat(path.c_str(), &st) != 0) {
    return "it is not there";
  }
  if (!S_ISSOCK(st.st_mode)) {
    return "it is not a socket";
  }
  if (st.st_uid != getuid()) {
    return "it belongs to user " + std::to_string(st.st_uid);
  }
  return {};
}

std::string whyNotPrivateSocket(const std::string& path) {
  if (std::string why = whyNotUsersSocket(path); !why.empty()) {
    return why;
  }
  const auto slash = path.rfind('/');
  const std::string folder = slash == 0 ? "/" : path.substr(0, slash);
  if (slash == std::string::npos || !isPrivateDirectory(folder)) {
    return "its folder " + folder + " is not private to this user";
  }
  return {};
}

}  // namespace vellicor
