#pragma once

#include <string>

#include "platform/qt/sources/dbus_address.h"

namespace vellicor::qt {

// A listening stream socket at an abstract name of this process's own; the
// backlog takes connections whether or not anyone accepts them.
class LocalListener {
 public:
  explicit LocalListener(const std::string& name);
  ~LocalListener();
  LocalListener(const LocalListener&) = delete;
  LocalListener& operator=(const LocalListener&) = delete;

  bool listening() const { return listening_; }
  UnixSocketAddress address() const { return {true, name_}; }
  // The next connection, waited for; -1 on failure.
  int accept() const;

 private:
  std::string name_;
  int fd_ = -1;
  bool listening_ = false;
};

}  // namespace vellicor::qt
