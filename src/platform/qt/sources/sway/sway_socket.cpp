#include "platform/qt/sources/sway/sway_socket.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>

#include "platform/common/private_paths.h"

namespace vellicor::qt {
namespace {

// The credentials of the process listening at the socket file `path`; none
// when nothing listens there. `refused` tells that the file is there but no
// one listens.
std::optional<ucred> listener(const std::string& path, bool& refused) {
  refused = false;
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) {
    return std::nullopt;
  }
  std::memcpy(address.sun_path, path.data(), path.size());
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    return std::nullopt;
  }
  std::optional<ucred> credentials;
  // A local connection is made at once, or refused; a full queue still means
  // someone listens.
  if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 ||
      errno == EAGAIN || errno == EINPROGRESS) {
    ucred peer{};
    socklen_t length = sizeof peer;
    if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0 && peer.pid > 0) {
      credentials = peer;
    }
  } else {
    refused = errno == ECONNREFUSED || errno == ENOENT;
  }
  close(fd);
  return credentials;
}

}  // namespace

std::string whyNotSwaySocket(const std::string& path, const std::string& compositorSocket) {
  if (path.empty() || path.front() != '/') {
    return "it is not a path";
  }
  if (std::string why = whyNotUsersSocket(path); !why.empty()) {
    return why;
  }
  bool refused = false;
  const auto sway = listener(path, refused);
  if (!sway) {
    return refused ? "nothing listens there: the sway that made it has ended"
                   : "it does not take a connection";
  }
  if (sway->uid != getuid()) {
    return "the process listening there runs as user " + std::to_string(sway->uid);
  }
  if (compositorSocket.empty()) {
    return {};
  }
  const auto compositor = listener(compositorSocket, refused);
  if (compositor && compositor->pid != sway->pid) {
    return "it is the sway of another session (process " + std::to_string(sway->pid) +
           "; this session's compositor is process " + std::to_string(compositor->pid) + ")";
  }
  return {};
}

}  // namespace vellicor::qt
