#include "platform/qt/instance_lock.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace vellicor::qt {
namespace {

TEST(InstanceLockName, IsOneFileNamePerDisplayWhateverTheScreen) {
  EXPECT_EQ(instanceLockName(":0"), "vellicor-:0.lock");
  EXPECT_EQ(instanceLockName(":0.1"), instanceLockName(":0"));
  EXPECT_EQ(instanceLockName("unix:0"), instanceLockName(":0"));
  EXPECT_EQ(instanceLockName("unix:0.0"), instanceLockName(":0"));
  // Over TCP, "localhost:10" may be a forwarded display, not the local ":10".
  EXPECT_NE(instanceLockName("localhost:0"), instanceLockName(":0"));
  EXPECT_EQ(instanceLockName("host.example:1.0"), "vellicor-host.example:1.lock");
  EXPECT_NE(instanceLockName(":1"), instanceLockName(":0"));
  // A display given as a socket path stays inside the directory.
  EXPECT_EQ(instanceLockName("/tmp/launch-x/org.xquartz:0").find('/'), std::string::npos);
  const std::string longer(400, 'h');
  EXPECT_LE(instanceLockName(longer + ":0").size(), 140u);
  EXPECT_NE(instanceLockName(longer + ":0"), instanceLockName(longer + ":1"));
}

class InstanceLockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/vellicor-lock-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  // Runs `take` in another process: 0 if it took the lock, 1 if it found it
  // held by `holder`, 2 otherwise.
  int takeInChild(long holder) const {
    const pid_t child = fork();
    if (child == 0) {
      const auto attempt = InstanceLock::take(dir_, ":5");
      _exit(attempt.lock ? 0 : attempt.heldElsewhere && attempt.holder == holder ? 1 : 2);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  std::string dir_;
};

TEST_F(InstanceLockTest, IsRefusedWithTheHoldersPidWhileHeldAndFreeOnceReleased) {
  auto first = InstanceLock::take(dir_, ":5");
  ASSERT_TRUE(first.lock) << first.error;
  EXPECT_EQ(takeInChild(getpid()), 1);
  // Another display is another session.
  const pid_t child = fork();
  if (child == 0) {
    _exit(InstanceLock::take(dir_, ":6").lock ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

  first.lock.reset();
  EXPECT_EQ(takeInChild(0), 0);
}

// A runtime directory that is missing, another user's or open to others is
// passed over for the private one under /tmp.
TEST_F(InstanceLockTest, ARuntimeDirectoryThatIsNotPrivateIsPassedOver) {
  const std::string display = ":lock-test-" + std::to_string(getpid());
  const std::string fallback =
      "/tmp/vellicor-" + std::to_string(getuid()) + "/" + instanceLockName(display);
  const std::string open = dir_ + "/open";
  ASSERT_EQ(mkdir(open.c_str(), 0700), 0);
  ASSERT_EQ(chmod(open.c_str(), 0777), 0);
  const std::string foreign = dir_ + "/foreign";
  ASSERT_EQ(mkdir(foreign.c_str(), 0700), 0);
  const bool root = getuid() == 0;
  if (root) {
    ASSERT_EQ(chown(foreign.c_str(), 65534, 65534), 0);
  }
  for (const std::string& runtime : {dir_ + "/gone", open, root ? foreign : open}) {
    auto attempt = InstanceLock::take(runtime, display);
    ASSERT_TRUE(attempt.lock) << runtime << ": " << attempt.error;
    EXPECT_TRUE(std::filesystem::exists(fallback)) << runtime;
    EXPECT_FALSE(std::filesystem::exists(runtime + "/" + instanceLockName(display))) << runtime;
  }
  std::filesystem::remove(fallback);
}

// Someone else's file in the lock's place is not taken for an instance.
TEST_F(InstanceLockTest, ALockFileThatIsNotTheUsersOwnIsAnErrorNotAnotherInstance) {
  if (getuid() != 0) {
    GTEST_SKIP() << "only root can make a file of another user's here";
  }
  const std::string path = dir_ + "/" + instanceLockName(":5");
  ASSERT_TRUE(std::ofstream(path).good());
  ASSERT_EQ(chown(path.c_str(), 65534, 65534), 0);
  const auto attempt = InstanceLock::take(dir_, ":5");
  EXPECT_FALSE(attempt.lock);
  EXPECT_FALSE(attempt.heldElsewhere);
  EXPECT_NE(attempt.error.find("not a file of this user's own"), std::string::npos)
      << attempt.error;
}

}  // namespace
}  // namespace vellicor::qt
