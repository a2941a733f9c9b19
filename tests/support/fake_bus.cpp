#include "support/fake_bus.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace vellicor::qt {
namespace {

// The fixed header of a method return, with no fields and no body: all a
// client needs to see that the bus answered.
const std::string kReply("l\x02\x00\x01\x00\x00\x00\x00\x02\x00\x00\x00\x00\x00\x00\x00", 16);

}  // namespace

FakeBus::FakeBus(const UnixSocketAddress& socket, Behaviour behaviour)
    : listener_(socket), behaviour_(behaviour) {
  if (pipe2(stop_, O_CLOEXEC) != 0 || !listener_.listening()) {
    return;
  }
  thread_ = std::thread([this] {
    std::vector<int> peers;
    while (true) {
      pollfd fds[2] = {{listener_.descriptor(), POLLIN, 0}, {stop_[0], POLLIN, 0}};
      if (poll(fds, 2, -1) < 0 || fds[1].revents != 0) {
        break;
      }
      const int peer = listener_.accept();
      if (peer >= 0) {
        ++clients_;
        peers.push_back(peer);
        serve(peer);
      }
    }
    for (const int peer : peers) {
      close(peer);
    }
  });
}

std::string FakeBus::address() const {
  const UnixSocketAddress socket = listener_.address();
  return socket.abstract ? "unix:abstract=" + socket.path : socketPathAddress(socket.path);
}

FakeBus::~FakeBus() {
  if (thread_.joinable()) {
    const char byte = 0;
    [[maybe_unused]] const ssize_t n = write(stop_[1], &byte, 1);
    thread_.join();
  }
  for (const int fd : stop_) {
    if (fd >= 0) {
      close(fd);
    }
  }
}

// Reads what the client sends up to its first line, answers as the bus would,
// and leaves the connection open.
void FakeBus::serve(int peer) const {
  if (behaviour_ == Behaviour::Silent) {
    return;
  }
  std::string got;
  char buffer[512];
  while (got.find('\n') == std::string::npos) {
    const ssize_t n = read(peer, buffer, sizeof buffer);
    if (n <= 0) {
      return;
    }
    got.append(buffer, static_cast<std::size_t>(n));
  }
  const std::string line = behaviour_ == Behaviour::Refuses
                               ? "REJECTED EXTERNAL\r\n"
                               : "OK 0123456789abcdef0123456789abcdef\r\n";
  [[maybe_unused]] ssize_t n = write(peer, line.data(), line.size());
  if (behaviour_ == Behaviour::Answers) {
    // BEGIN and the Hello come next; the answer may go before they are read.
    n = write(peer, kReply.data(), kReply.size());
  }
}

}  // namespace vellicor::qt
