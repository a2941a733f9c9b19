#include "platform/qt/sources/dbus/bus_connector.h"

#include <dirent.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QMetaObject>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>
#include <utility>

namespace vellicor::qt {
namespace {

// How often a connection past its patience is cut again, until Qt gives up.
constexpr std::chrono::milliseconds kRecut{50};
// More descriptors than the program ever has open: the walk ends there.
constexpr int kMostDescriptors = 65536;

// A socket by its descriptor and its inode, which tells a descriptor number
// used again for another socket apart.
using SocketId = std::pair<int, ino_t>;

std::set<SocketId> openSockets() {
  std::set<SocketId> sockets;
  DIR* dir = opendir("/proc/self/fd");
  if (dir == nullptr) {
    return sockets;
  }
  int seen = 0;
  while (const dirent* entry = readdir(dir)) {
    if (++seen > kMostDescriptors) {
      break;
    }
    char* end = nullptr;
    const long fd = std::strtol(entry->d_name, &end, 10);
    struct stat st {};
    if (end == entry->d_name || *end != '\0' || fstat(static_cast<int>(fd), &st) != 0 ||
        !S_ISSOCK(st.st_mode)) {
      continue;
    }
    sockets.emplace(static_cast<int>(fd), st.st_ino);
  }
  closedir(dir);
  return sockets;
}

bool connectedTo(int fd, const UnixSocketAddress& socket) {
  sockaddr_un peer{};
  socklen_t length = sizeof peer;
  if (getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &length) != 0 ||
      peer.sun_family != AF_UNIX) {
    return false;
  }
  const std::size_t pathBytes = length - offsetof(sockaddr_un, sun_path);
  const char* path = peer.sun_path;
  std::size_t size = pathBytes;
  if (socket.abstract) {
    if (size == 0 || path[0] != '\0') {
      return false;
    }
    ++path;
    --size;
  } else {
    size = strnlen(path, pathBytes);
  }
  return std::string_view(path, size) == socket.path;
}

// Shuts down, without closing, each socket opened since `before` that is
// connected to `socket`: whoever waits on it sees the bus hang up.
void shutDownNewSockets(const std::set<SocketId>& before, const UnixSocketAddress& socket) {
  for (const SocketId& id : openSockets()) {
    if (before.count(id) == 0 && connectedTo(id.first, socket)) {
      shutdown(id.first, SHUT_RDWR);
    }
  }
}

}  // namespace

struct BusConnector::Shared {
  std::function<void(bool)> done;
  bool cancelled = false;  // read and written on the main thread only
  std::mutex mutex;
  std::condition_variable wake;
  bool connectedOrFailed = false;  // guarded by `mutex`
  bool leaving = false;            // guarded by `mutex`
};

BusConnector::BusConnector(const std::string& address, UnixSocketAddress socket, QString name,
                           int patienceMs, std::function<void(bool)> done)
    : shared_(std::make_shared<Shared>()) {
  shared_->done = std::move(done);
  thread_ = std::thread([shared = shared_, address = QString::fromStdString(address),
                         socket = std::move(socket), name = std::move(name), patienceMs] {
    const std::set<SocketId> before = openSockets();
    bool connected = false;
    std::thread connecting([&] {
      connected = QDBusConnection::connectToBus(address, name).isConnected();
      const std::lock_guard lock(shared->mutex);
      shared->connectedOrFailed = true;
      shared->wake.notify_all();
    });
    {
      std::unique_lock lock(shared->mutex);
      shared->wake.wait_for(lock, std::chrono::milliseconds(patienceMs),
                            [&] { return shared->connectedOrFailed || shared->leaving; });
      // Past its patience, or once the connector goes, the connection is cut
      // until Qt gives up on it: Qt's thread may open its socket only later.
      while (!shared->connectedOrFailed) {
        lock.unlock();
        shutDownNewSockets(before, socket);
        lock.lock();
        shared->wake.wait_for(lock, kRecut, [&] { return shared->connectedOrFailed; });
      }
    }
    connecting.join();
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [shared, name, connected] {
          if (!connected || shared->cancelled) {
            QDBusConnection::disconnectFromBus(name);
          }
          if (!shared->cancelled) {
            shared->cancelled = true;
            shared->done(connected);
          }
        },
        Qt::QueuedConnection);
  });
}

BusConnector::~BusConnector() {
  shared_->cancelled = true;
  {
    const std::lock_guard lock(shared_->mutex);
    shared_->leaving = true;
    shared_->wake.notify_all();
  }
  thread_.join();
}

}  // namespace vellicor::qt
