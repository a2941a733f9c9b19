#include "local_listener.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstddef>
#include <cstring>

namespace vellicor::qt {

LocalListener::LocalListener(const std::string& name)
    : name_(name + std::to_string(getpid())), fd_(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path + 1, name_.data(), name_.size());
  const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name_.size());
  listening_ = fd_ >= 0 && bind(fd_, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
               listen(fd_, 4) == 0;
}

LocalListener::~LocalListener() {
  if (fd_ >= 0) {
    close(fd_);
  }
}

int LocalListener::accept() const {
  return ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
}

}  // namespace vellicor::qt
