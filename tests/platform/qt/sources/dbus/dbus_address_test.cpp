#include "platform/qt/sources/dbus/dbus_address.h"

#include <gtest/gtest.h>

namespace vellicor::qt {
namespace {

TEST(DBusAddress, LocalSocketsAsServersReportThemAreUsed) {
  // As ibus-daemon writes its address, and as a session's bus is named.
  const auto abstract =
      localSocketAddress("unix:abstract=/root/.cache/ibus/dbus-hP0gTpwI,guid=1f38d4");
  ASSERT_TRUE(abstract);
  EXPECT_TRUE(abstract->abstract);
  EXPECT_EQ(abstract->path, "/root/.cache/ibus/dbus-hP0gTpwI");
  const auto path = localSocketAddress("unix:path=/run/user/1000/bus");
  ASSERT_TRUE(path);
  EXPECT_FALSE(path->abstract);
  EXPECT_EQ(path->path, "/run/user/1000/bus");
  // Escaped bytes are decoded; the first of several entries is the one tried.
  EXPECT_EQ(localSocketAddress("unix:path=/tmp/a%2cb%20c;unix:path=/tmp/d")->path, "/tmp/a,b c");
  EXPECT_EQ(localSocketAddress("unix:path=/tmp/x;")->path, "/tmp/x");
}

TEST(DBusAddress, AnythingThatCouldRunAProgramOrGoElsewhereIsRefused) {
  for (const char* address : {
           "unixexec:path=/usr/bin/touch,argv1=/tmp/x",
           "unix:path=/tmp/x;unixexec:path=/usr/bin/touch",
           "autolaunch:",
           "tcp:host=example.org,port=4000",
           "nonce-tcp:host=localhost,port=4000",
           "unix:dir=/tmp",
           "unix:tmpdir=/tmp",
           "unix:runtime=yes",
           "unix:path=/tmp/x,abstract=/y",
           "unix:path=/tmp/x,argv0=touch",
           "unix:path=",
           "unix:path",
           "unix:path=/tmp/%00x",
           "unix:path=/tmp/%2",
           "unix:path=/tmp/%zz",
           "unix:",
           "",
           ";",
       }) {
    EXPECT_EQ(localSocketAddress(address), std::nullopt) << address;
  }
  EXPECT_EQ(localSocketAddress("unix:path=/" + std::string(5000, 'a')), std::nullopt);
}

// A folder name with the address's own separators in it names that folder,
// and what it names is read back to the very same path.
TEST(DBusAddress, APathIsEscapedSoThatItNamesItselfAndNothingElse) {
  for (const std::string path : {"/run/user/1000/bus", "/tmp/a,b=c;d/bus", "/tmp/100%/bus",
                                 "/tmp/ 한글/bus", "/tmp/unix:path=/x/bus", "/tmp/a\\b*c/bus"}) {
    const std::string address = socketPathAddress(path);
    EXPECT_EQ(address.find_first_of(",;= \x80", 10), std::string::npos) << address;
    const auto socket = localSocketAddress(address);
    ASSERT_TRUE(socket) << address;
    EXPECT_FALSE(socket->abstract);
    EXPECT_EQ(socket->path, path);
  }
  EXPECT_EQ(socketPathAddress("/run/user/1000/bus"), "unix:path=/run/user/1000/bus");
  EXPECT_EQ(escapedAddressValue("a,b%"), "a%2cb%25");
}

}  // namespace
}  // namespace vellicor::qt
