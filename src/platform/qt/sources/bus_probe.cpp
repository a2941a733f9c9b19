#include "platform/qt/sources/bus_probe.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QMetaObject>
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <utility>

#include "platform/qt/sources/unix_stream.h"

namespace vellicor::qt {
namespace {

// A full listen queue refuses a connection for now; it is tried again after this.
constexpr int kRetryBusyMs = 100;
// An answer line longer than this is an answer all the same.
constexpr std::size_t kEnoughBytes = 256;

struct Descriptor {
  int fd = -1;
  explicit Descriptor(int f) : fd(f) {}
  ~Descriptor() {
    if (fd >= 0) {
      close(fd);
    }
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
};

// The first line a D-Bus client sends: a NUL byte, then AUTH EXTERNAL with
// its user id in hex.
std::string authLine() {
  std::string line(1, '\0');
  line += "AUTH EXTERNAL ";
  char hex[3];
  for (const char digit : std::to_string(getuid())) {
    std::snprintf(hex, sizeof hex, "%02x", static_cast<unsigned char>(digit));
    line += hex;
  }
  line += "\r\n";
  return line;
}

}  // namespace

struct BusProbe::Shared {
  UnixSocketAddress socket;
  std::function<void(Outcome)> done;
  bool cancelled = false;  // read and written on the main thread only
  int wake[2] = {-1, -1};  // written to when the probe goes

  // Waits for `fd` to be ready for `events`, or the probe to go; false then.
  bool waitFor(int fd, short events, int timeoutMs = -1) const {
    pollfd fds[2] = {{fd, events, 0}, {wake[0], POLLIN, 0}};
    while (true) {
      const int n = poll(fds, 2, timeoutMs);
      if (n < 0 && errno == EINTR) {
        continue;
      }
      return n >= 0 && fds[1].revents == 0;
    }
  }

  bool stopped() const {
    pollfd wakeFd{wake[0], POLLIN, 0};
    return poll(&wakeFd, 1, 0) > 0;
  }

  // None once the probe goes.
  std::optional<Outcome> probe() const {
    while (!stopped()) {
      const UnixConnectAttempt attempt = beginUnixConnect(socket);
      if (attempt.fd < 0 && attempt.error == EAGAIN) {
        if (!waitFor(-1, 0, kRetryBusyMs)) {
          return std::nullopt;
        }
        continue;
      }
      if (attempt.fd < 0) {
        return Outcome::Absent;
      }
      const Descriptor fd(attempt.fd);
      if (attempt.error == EINPROGRESS && !waitFor(fd.fd, POLLOUT)) {
        return std::nullopt;
      }
      const std::string line = authLine();
      std::size_t sent = 0;
      while (sent < line.size()) {
        const ssize_t n = send(fd.fd, line.data() + sent, line.size() - sent, MSG_NOSIGNAL);
        if (n > 0) {
          sent += static_cast<std::size_t>(n);
        } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
          if (!waitFor(fd.fd, POLLOUT)) {
            return std::nullopt;
          }
        } else {
          return Outcome::Absent;
        }
      }
      char reply[kEnoughBytes];
      std::size_t got = 0;
      while (got < sizeof reply) {
        if (!waitFor(fd.fd, POLLIN)) {
          return std::nullopt;
        }
        const ssize_t n = recv(fd.fd, reply + got, sizeof reply - got, 0);
        if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) {
          return Outcome::Absent;
        }
        if (n > 0) {
          got += static_cast<std::size_t>(n);
          if (std::memchr(reply, '\n', got) != nullptr) {
            break;
          }
        }
      }
      return Outcome::Answers;
    }
    return std::nullopt;
  }
};

BusProbe::BusProbe(UnixSocketAddress socket, std::function<void(Outcome)> done)
    : shared_(std::make_shared<Shared>()) {
  shared_->socket = std::move(socket);
  shared_->done = std::move(done);
  const bool canWake = pipe2(shared_->wake, O_CLOEXEC) == 0;
  thread_ = std::thread([shared = shared_, canWake] {
    // A thread that could not be woken might keep the program from ending:
    // without a pipe the server is taken as there, as a plain connection would.
    const auto outcome = canWake ? shared->probe() : std::optional<Outcome>(Outcome::Answers);
    if (!outcome) {
      return;
    }
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [shared, outcome = *outcome] {
          if (!shared->cancelled) {
            shared->cancelled = true;
            shared->done(outcome);
          }
        },
        Qt::QueuedConnection);
  });
}

std::optional<BusProbe::Outcome> BusProbe::within(const UnixSocketAddress& socket, int timeoutMs) {
  auto shared = std::make_shared<Shared>();
  shared->socket = socket;
  if (pipe2(shared->wake, O_CLOEXEC) != 0) {
    return std::nullopt;
  }
  int result[2] = {-1, -1};
  if (pipe2(result, O_CLOEXEC) != 0) {
    close(shared->wake[0]);
    close(shared->wake[1]);
    return std::nullopt;
  }
  std::optional<Outcome> outcome;
  std::thread thread([shared, &outcome, done = result[1]] {
    outcome = shared->probe();
    const char byte = 0;
    [[maybe_unused]] const ssize_t n = write(done, &byte, 1);
  });
  pollfd finished{result[0], POLLIN, 0};
  int n = 0;
  do {
    n = poll(&finished, 1, timeoutMs);
  } while (n < 0 && errno == EINTR);
  if (n <= 0) {
    // Woken, the probe returns at once without an outcome.
    const char byte = 0;
    [[maybe_unused]] const ssize_t w = write(shared->wake[1], &byte, 1);
  }
  thread.join();
  for (const int fd : {shared->wake[0], shared->wake[1], result[0], result[1]}) {
    close(fd);
  }
  return outcome;
}

BusProbe::~BusProbe() {
  shared_->cancelled = true;
  if (shared_->wake[1] >= 0) {
    const char byte = 0;
    [[maybe_unused]] const ssize_t n = write(shared_->wake[1], &byte, 1);
  }
  thread_.join();
  for (int& fd : shared_->wake) {
    if (fd >= 0) {
      close(fd);
      fd = -1;
    }
  }
}

}  // namespace vellicor::qt
