#include "platform/qt/sources/dbus/bus_probe.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QMetaObject>
#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "platform/qt/sources/dbus/dbus_hello.h"
#include "platform/qt/sources/unix_stream.h"

namespace vellicor::qt {
namespace {

// A full listen queue refuses a connection for now; it is tried again after this.
constexpr int kRetryBusyMs = 100;
// The most a server may send before its authentication line ends, and before
// its answer to the Hello: a bus says far less.
constexpr std::size_t kAuthLineBytes = 512;
constexpr std::size_t kHelloBytes = 64 * 1024;

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

  // Sends all of `bytes`: false when the server hung up, none once the probe goes.
  std::optional<bool> sendAll(int fd, std::string_view bytes) const {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
      const ssize_t n = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
      if (n > 0) {
        sent += static_cast<std::size_t>(n);
      } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
        if (!waitFor(fd, POLLOUT)) {
          return std::nullopt;
        }
      } else {
        return false;
      }
    }
    return true;
  }

  // Reads into `got` until `enough` says so, or `most` bytes have come: false
  // when the server hung up first or sent more, none once the probe goes.
  template <class Enough>
  std::optional<bool> receiveUntil(int fd, std::string& got, std::size_t most,
                                   const Enough& enough) const {
    char buffer[4096];
    while (!enough(got)) {
      if (got.size() >= most) {
        return false;
      }
      if (!waitFor(fd, POLLIN)) {
        return std::nullopt;
      }
      const ssize_t n = recv(fd, buffer, std::min(sizeof buffer, most - got.size()), 0);
      if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) {
        return false;
      }
      if (n > 0) {
        got.append(buffer, static_cast<std::size_t>(n));
      }
    }
    return true;
  }

  // What the server at `fd`, connected, does with a client: it must accept
  // the authentication and answer the Hello that opens every bus connection.
  // None once the probe goes.
  std::optional<Outcome> handshake(int fd) const {
    auto sent = sendAll(fd, authLine());
    if (!sent || !*sent) {
      return sent ? std::optional(Outcome::Absent) : std::nullopt;
    }
    std::string line;
    auto got = receiveUntil(fd, line, kAuthLineBytes, [](const std::string& bytes) {
      return bytes.find('\n') != std::string::npos;
    });
    if (!got || !*got) {
      return got ? std::optional(Outcome::Absent) : std::nullopt;
    }
    if (line.rfind("OK ", 0) != 0) {
      return Outcome::Absent;  // refused us: not a bus this user can use
    }
    sent = sendAll(fd, "BEGIN\r\n" + dbusHelloMessage());
    if (!sent || !*sent) {
      return sent ? std::optional(Outcome::Absent) : std::nullopt;
    }
    // What came after the line is the start of the answer.
    std::string reply = line.substr(line.find('\n') + 1);
    HelloAnswer answer = HelloAnswer::Incomplete;
    got = receiveUntil(fd, reply, kHelloBytes, [&](const std::string& bytes) {
      answer = dbusHelloAnswer(bytes, kHelloBytes);
      return answer != HelloAnswer::Incomplete;
    });
    if (!got) {
      return std::nullopt;
    }
    return *got && answer == HelloAnswer::Answered ? Outcome::Answers : Outcome::Absent;
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
      return handshake(fd.fd);
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
