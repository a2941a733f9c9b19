#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/qt/sources/dbus/dbus_address.h"

namespace vellicor::qt {

// A connection to `socket` begun on a new non-blocking stream socket: `fd`
// is the socket, or -1 when the attempt failed at once; `error` is 0 when
// connected, EINPROGRESS while connecting, else the errno of the failure
// (EAGAIN: the listener's queue is full for now).
struct UnixConnectAttempt {
  int fd = -1;
  int error = 0;
};
UnixConnectAttempt beginUnixConnect(const UnixSocketAddress& socket);

// A local stream connection, read and written as the main loop finds the
// socket ready: nothing waits on the other end. Each handler runs on the main
// thread; `lost` once, with what went wrong, after which the stream is closed.
class UnixStream {
 public:
  struct Handlers {
    std::function<void()> connected;
    std::function<void()> readable;
    std::function<void(const std::string&)> lost;
  };

  UnixStream(UnixSocketAddress socket, Handlers handlers);
  ~UnixStream();
  UnixStream(const UnixStream&) = delete;
  UnixStream& operator=(const UnixStream&) = delete;

  // Sent as the socket takes it; what it cannot take yet waits in order.
  void write(std::string_view bytes);
  // At most `most` of the bytes that have arrived; empty when none has.
  std::string read(std::size_t most);
  // Closes the connection without a word to the handlers.
  void close();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace vellicor::qt
