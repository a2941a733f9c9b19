#include "platform/qt/sources/unix_stream.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <utility>

namespace vellicor::qt {
namespace {

// A listener whose queue is full is tried again after this, this many times.
constexpr int kRetryBusyMs = 100;
constexpr int kBusyTries = 50;

std::string failure(const char* step, int error) {
  return std::string(step) + ": " + std::strerror(error);
}

}  // namespace

UnixConnectAttempt beginUnixConnect(const UnixSocketAddress& socket) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  // An abstract name starts with a NUL byte; a path needs room for its own.
  const std::size_t offset = socket.abstract ? 1 : 0;
  if (socket.path.size() + offset > sizeof address.sun_path - (socket.abstract ? 0 : 1)) {
    return {-1, ENAMETOOLONG};
  }
  std::memcpy(address.sun_path + offset, socket.path.data(), socket.path.size());
  const auto length =
      static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + offset + socket.path.size());
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    return {-1, errno};
  }
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0) {
    return {fd, 0};
  }
  const int error = errno;
  if (error == EINPROGRESS) {
    return {fd, error};
  }
  ::close(fd);
  return {-1, error};
}

struct UnixStream::State {
  UnixSocketAddress socket;
  Handlers handlers;
  int fd = -1;
  bool connecting = true;
  bool closed = false;  // by the owner: nothing starts again
  int busyTries = 0;
  std::string pending;
  // Timers and queued calls end with the stream.
  QObject context;
  std::unique_ptr<QSocketNotifier> reading;
  std::unique_ptr<QSocketNotifier> writing;

  ~State() { closeSocket(); }

  // Handlers never run inside the constructor: the owner is still being made.
  void start() {
    if (closed) {
      return;
    }
    const UnixConnectAttempt attempt = beginUnixConnect(socket);
    if (attempt.fd < 0) {
      if (attempt.error == EAGAIN && ++busyTries < kBusyTries) {
        QTimer::singleShot(kRetryBusyMs, &context, [this] { start(); });
      } else {
        QTimer::singleShot(0, &context,
                           [this, error = attempt.error] { fail(failure("connect", error)); });
      }
      return;
    }
    fd = attempt.fd;
    reading = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    reading->setEnabled(false);
    QObject::connect(reading.get(), &QSocketNotifier::activated, &context,
                     [this] { handlers.readable(); });
    writing = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Write);
    writing->setEnabled(attempt.error == EINPROGRESS);
    QObject::connect(writing.get(), &QSocketNotifier::activated, &context, [this] { writable(); });
    if (attempt.error == 0) {
      QTimer::singleShot(0, &context, [this] { connected(); });
    }
  }

  void writable() {
    if (!connecting) {
      flush();
      return;
    }
    int error = 0;
    socklen_t size = sizeof error;
    if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0) {
      error = errno;
    }
    if (error != 0) {
      fail(failure("connect", error));
      return;
    }
    connected();
  }

  void connected() {
    if (fd < 0) {
      return;
    }
    connecting = false;
    reading->setEnabled(true);
    writing->setEnabled(false);
    handlers.connected();
    flush();
  }

  void flush() {
    while (fd >= 0 && !connecting && !pending.empty()) {
      const ssize_t n = send(fd, pending.data(), pending.size(), MSG_NOSIGNAL);
      if (n > 0) {
        pending.erase(0, static_cast<std::size_t>(n));
      } else if (n < 0 && errno == EAGAIN) {
        writing->setEnabled(true);
        return;
      } else if (n < 0 && errno != EINTR) {
        fail(failure("send", errno));
        return;
      }
    }
    if (writing) {
      writing->setEnabled(false);
    }
  }

  void fail(const std::string& why) {
    if (fd < 0 && !connecting) {
      return;
    }
    closeSocket();
    handlers.lost(why);
  }

  void closeSocket() {
    reading.reset();
    writing.reset();
    if (fd >= 0) {
      ::close(fd);
      fd = -1;
    }
    connecting = false;
    pending.clear();
  }
};

UnixStream::UnixStream(UnixSocketAddress socket, Handlers handlers)
    : state_(std::make_unique<State>()) {
  state_->socket = std::move(socket);
  state_->handlers = std::move(handlers);
  state_->start();
}

UnixStream::~UnixStream() = default;

void UnixStream::write(std::string_view bytes) {
  if (state_->fd < 0 && !state_->connecting) {
    return;
  }
  state_->pending.append(bytes);
  state_->flush();
}

std::string UnixStream::read(std::size_t most) {
  State& s = *state_;
  if (s.fd < 0 || s.connecting) {
    return {};
  }
  std::string bytes(most, '\0');
  while (true) {
    const ssize_t n = recv(s.fd, bytes.data(), most, 0);
    if (n > 0) {
      bytes.resize(static_cast<std::size_t>(n));
      return bytes;
    }
    if (n == 0) {
      s.fail({});
      return {};
    }
    if (errno == EAGAIN) {
      return {};
    }
    if (errno != EINTR) {
      s.fail(failure("recv", errno));
      return {};
    }
  }
}

void UnixStream::close() {
  state_->closed = true;
  state_->closeSocket();
}

}  // namespace vellicor::qt
