#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vellicor::e2e {

// A stand-in for sway's IPC at a socket path: it answers SUBSCRIBE, GET_INPUTS
// (with the inputs it is given) and GET_OUTPUTS (none), and sends the input
// events it is told to every client that subscribed, as sway sends them.
class FakeSway {
 public:
  FakeSway(std::string path, std::string inputs);
  ~FakeSway();
  FakeSway(const FakeSway&) = delete;
  FakeSway& operator=(const FakeSway&) = delete;

  bool listening() const { return listener_ >= 0; }
  const std::string& path() const { return path_; }
  int clients() const { return clients_; }
  // An input event, {"change": ..., "input": ...}, to every subscriber.
  void sendInputEvent(const std::string& json);

 private:
  struct Client {
    int fd;
    std::string pending;
  };
  void serve();
  void answer(Client& client);

  std::string path_;
  std::string inputs_;
  int listener_ = -1;
  int wake_[2] = {-1, -1};
  std::atomic<int> clients_{0};
  std::mutex mutex_;
  std::vector<std::string> events_;  // guarded by mutex_
  std::vector<int> subscribers_;     // the serving thread's own
  std::thread thread_;
};

// One keyboard of a GET_INPUTS answer, or the input of an event.
std::string swayKeyboardJson(const std::string& identifier, const std::string& layout);

}  // namespace vellicor::e2e
