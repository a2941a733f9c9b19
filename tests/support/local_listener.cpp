#include "support/local_listener.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstddef>
#include <cstring>

namespace vellicor::qt {

LocalListener::LocalListener(const UnixSocketAddress& socket)
    : socket_(socket), fd_(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
  if (socket_.abstract) {
    socket_.path += std::to_string(getpid());
  }
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::size_t at = socket_.abstract ? 1 : 0;
  if (socket_.path.size() + at >= sizeof address.sun_path) {
    return;
  }
  std::memcpy(address.sun_path + at, socket_.path.data(), socket_.path.size());
  const auto length =
      static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + at + socket_.path.size());
  listening_ = fd_ >= 0 && bind(fd_, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
               listen(fd_, 4) == 0;
}

LocalListener::~LocalListener() {
  if (fd_ >= 0) {
    close(fd_);
  }
  if (!socket_.abstract && listening_) {
    unlink(socket_.path.c_str());
  }
}

int LocalListener::accept() const {
  return ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
}

bool makeStaleSocket(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) {
    return false;
  }
  std::memcpy(address.sun_path, path.data(), path.size());
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const bool made = fd >= 0 && bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  if (fd >= 0) {
    close(fd);
  }
  return made;
}

}  // namespace vellicor::qt
