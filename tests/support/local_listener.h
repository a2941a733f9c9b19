#pragma once

#include <string>

#include "platform/qt/sources/dbus/dbus_address.h"

namespace vellicor::qt {

// A listening stream socket: at an abstract name of this process's own (the
// name given, then the process id), or at a file path; the backlog takes
// connections whether or not anyone accepts them.
class LocalListener {
 public:
  explicit LocalListener(const std::string& name) : LocalListener({true, name}) {}
  explicit LocalListener(const UnixSocketAddress& socket);
  ~LocalListener();
  LocalListener(const LocalListener&) = delete;
  LocalListener& operator=(const LocalListener&) = delete;

  bool listening() const { return listening_; }
  UnixSocketAddress address() const { return socket_; }
  // The next connection, waited for; -1 on failure.
  int accept() const;
  int descriptor() const { return fd_; }

 private:
  UnixSocketAddress socket_;
  int fd_ = -1;
  bool listening_ = false;
};

// Makes a socket file at `path` whose listener has gone, as a server that
// ended leaves it behind; false when it cannot.
bool makeStaleSocket(const std::string& path);

}  // namespace vellicor::qt
