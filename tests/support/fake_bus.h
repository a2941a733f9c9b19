#pragma once

#include <atomic>
#include <string>
#include <thread>

#include "support/local_listener.h"

namespace vellicor::qt {

// A server at an abstract socket that treats every client one way: as a bus
// that answers, as one stopped before it authenticates, as one whose main
// loop hangs after it has authenticated, or as one that refuses the client.
class FakeBus {
 public:
  enum class Behaviour { Answers, Silent, AuthenticatesThenStalls, Refuses };

  // At an abstract name of this process's own, or at `socket`.
  FakeBus(const std::string& name, Behaviour behaviour) : FakeBus({true, name}, behaviour) {}
  FakeBus(const UnixSocketAddress& socket, Behaviour behaviour);
  // Hangs up on every client.
  ~FakeBus();
  FakeBus(const FakeBus&) = delete;
  FakeBus& operator=(const FakeBus&) = delete;

  bool listening() const { return listener_.listening(); }
  UnixSocketAddress socket() const { return listener_.address(); }
  std::string address() const;
  int clients() const { return clients_; }

 private:
  void serve(int peer) const;

  LocalListener listener_;
  Behaviour behaviour_;
  int stop_[2] = {-1, -1};
  std::atomic<int> clients_{0};
  std::thread thread_;
};

}  // namespace vellicor::qt
