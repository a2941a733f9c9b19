#include "fake_sway.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <utility>

namespace vellicor::e2e {
namespace {

constexpr char kMagic[] = "i3-ipc";
constexpr std::size_t kHeader = 14;
constexpr std::uint32_t kSubscribe = 2;
constexpr std::uint32_t kGetOutputs = 3;
constexpr std::uint32_t kGetInputs = 100;
constexpr std::uint32_t kInputEvent = 0x80000015u;

std::string message(std::uint32_t type, const std::string& payload) {
  std::string out(kMagic, 6);
  const auto length = static_cast<std::uint32_t>(payload.size());
  out.append(reinterpret_cast<const char*>(&length), 4);
  out.append(reinterpret_cast<const char*>(&type), 4);
  return out + payload;
}

void writeAll(int fd, const std::string& bytes) {
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t n = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) {
      return;
    }
    sent += static_cast<std::size_t>(n);
  }
}

}  // namespace

std::string swayKeyboardJson(const std::string& identifier, const std::string& layout) {
  return R"({"identifier": ")" + identifier + R"(", "name": ")" + identifier +
         R"(", "type": "keyboard", "xkb_active_layout_name": ")" + layout + R"("})";
}

FakeSway::FakeSway(std::string path, std::string inputs)
    : path_(std::move(path)), inputs_(std::move(inputs)) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path_.size() >= sizeof address.sun_path || pipe2(wake_, O_CLOEXEC) != 0) {
    return;
  }
  std::memcpy(address.sun_path, path_.data(), path_.size());
  listener_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(listener_, 8) != 0) {
    close(listener_);
    listener_ = -1;
    return;
  }
  thread_ = std::thread([this] { serve(); });
}

FakeSway::~FakeSway() {
  if (thread_.joinable()) {
    const char stop = 's';
    [[maybe_unused]] const ssize_t n = write(wake_[1], &stop, 1);
    thread_.join();
  }
  for (const int fd : {listener_, wake_[0], wake_[1]}) {
    if (fd >= 0) {
      close(fd);
    }
  }
  if (listener_ >= 0) {
    unlink(path_.c_str());
  }
}

void FakeSway::sendInputEvent(const std::string& json) {
  {
    const std::lock_guard lock(mutex_);
    events_.push_back(json);
  }
  const char event = 'e';
  [[maybe_unused]] const ssize_t n = write(wake_[1], &event, 1);
}

void FakeSway::serve() {
  std::vector<Client> clients;
  while (true) {
    std::vector<pollfd> fds = {{wake_[0], POLLIN, 0}, {listener_, POLLIN, 0}};
    for (const Client& client : clients) {
      fds.push_back({client.fd, POLLIN, 0});
    }
    if (poll(fds.data(), fds.size(), -1) < 0) {
      continue;
    }
    if (fds[0].revents != 0) {
      char why = 0;
      if (read(wake_[0], &why, 1) == 1 && why == 's') {
        break;
      }
      std::vector<std::string> events;
      {
        const std::lock_guard lock(mutex_);
        events.swap(events_);
      }
      for (const std::string& event : events) {
        for (const int fd : subscribers_) {
          writeAll(fd, message(kInputEvent, event));
        }
      }
    }
    if (fds[1].revents != 0) {
      const int fd = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
      if (fd >= 0) {
        ++clients_;
        clients.push_back({fd, {}});
      }
    }
    for (std::size_t i = 2; i < fds.size(); ++i) {
      if (fds[i].revents == 0) {
        continue;
      }
      Client& client = clients[i - 2];
      char buffer[4096];
      const ssize_t n = read(client.fd, buffer, sizeof buffer);
      if (n <= 0) {
        continue;  // closed: left as it is until the stand-in goes
      }
      client.pending.append(buffer, static_cast<std::size_t>(n));
      answer(client);
    }
  }
  for (const Client& client : clients) {
    close(client.fd);
  }
}

void FakeSway::answer(Client& client) {
  while (client.pending.size() >= kHeader) {
    std::uint32_t length = 0;
    std::uint32_t type = 0;
    std::memcpy(&length, client.pending.data() + 6, 4);
    std::memcpy(&type, client.pending.data() + 10, 4);
    if (client.pending.size() < kHeader + length) {
      return;
    }
    client.pending.erase(0, kHeader + length);
    if (type == kSubscribe) {
      subscribers_.push_back(client.fd);
      writeAll(client.fd, message(kSubscribe, R"({"success": true})"));
    } else if (type == kGetInputs) {
      writeAll(client.fd, message(kGetInputs, inputs_));
    } else if (type == kGetOutputs) {
      writeAll(client.fd, message(kGetOutputs, "[]"));
    }
  }
}

}  // namespace vellicor::e2e
