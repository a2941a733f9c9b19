#include "platform/qt/sources/sway/sway_socket.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "support/local_listener.h"

extern char** environ;

namespace vellicor::qt {
namespace {

class SwaySocket : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/vellicor-sway-socket-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }
  std::string path(const std::string& name) const { return folder_ + "/" + name; }

  std::string folder_;
};

TEST_F(SwaySocket, ALiveSocketOfTheUsersOwnIsTaken) {
  const LocalListener sway({false, path("sway-ipc.sock")});
  ASSERT_TRUE(sway.listening());
  EXPECT_EQ(whyNotSwaySocket(path("sway-ipc.sock"), ""), "");
  // Served by the very process that serves the session's display.
  const LocalListener display({false, path("wayland-1")});
  ASSERT_TRUE(display.listening());
  EXPECT_EQ(whyNotSwaySocket(path("sway-ipc.sock"), path("wayland-1")), "");
  // A display that does not answer says nothing against it.
  EXPECT_EQ(whyNotSwaySocket(path("sway-ipc.sock"), path("wayland-9")), "");
}

TEST_F(SwaySocket, AStaleSocketOrWhatIsNoSocketIsPassedOver) {
  ASSERT_TRUE(makeStaleSocket(path("stale.sock")));
  EXPECT_EQ(whyNotSwaySocket(path("stale.sock"), ""),
            "nothing listens there: the sway that made it has ended");
  std::ofstream(path("file")) << "not a socket";
  EXPECT_EQ(whyNotSwaySocket(path("file"), ""), "it is not a socket");
  EXPECT_EQ(whyNotSwaySocket(path("missing"), ""), "it is not there");
  EXPECT_EQ(whyNotSwaySocket("sway-ipc.sock", ""), "it is not a path");
  EXPECT_EQ(whyNotSwaySocket("", ""), "it is not a path");
}

TEST_F(SwaySocket, AnotherUsersSocketIsPassedOver) {
  if (getuid() != 0) {
    GTEST_SKIP() << "only root can give a socket to another user";
  }
  const LocalListener sway({false, path("theirs.sock")});
  ASSERT_TRUE(sway.listening());
  ASSERT_EQ(chown(path("theirs.sock").c_str(), 65534, 65534), 0);
  EXPECT_EQ(whyNotSwaySocket(path("theirs.sock"), ""), "it belongs to user 65534");
}

// The session's display served by another process than the one at the sway
// socket: that sway is another session's.
TEST_F(SwaySocket, ASwayOfAnotherSessionIsPassedOver) {
  const LocalListener sway({false, path("sway-ipc.sock")});
  ASSERT_TRUE(sway.listening());
  const std::string display = path("wayland-1");
  const std::string script = "import socket,time\ns=socket.socket(socket.AF_UNIX)\ns.bind('" +
                             display + "')\ns.listen(4)\ntime.sleep(30)\n";
  const char* argv[] = {"python3", "-c", script.c_str(), nullptr};
  pid_t other = -1;
  ASSERT_EQ(posix_spawnp(&other, "python3", nullptr, nullptr, const_cast<char**>(argv), environ),
            0);
  for (int i = 0; i < 500 && !std::filesystem::exists(display); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  const std::string why = whyNotSwaySocket(path("sway-ipc.sock"), display);
  kill(other, SIGKILL);
  waitpid(other, nullptr, 0);
  EXPECT_EQ(why, "it is the sway of another session (process " + std::to_string(getpid()) +
                     "; this session's compositor is process " + std::to_string(other) + ")");
}

}  // namespace
}  // namespace vellicor::qt
