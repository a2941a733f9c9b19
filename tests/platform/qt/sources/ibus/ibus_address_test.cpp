#include "platform/qt/sources/ibus/ibus_address.h"

#include <gtest/gtest.h>

namespace vellicor::qt {
namespace {

TEST(IbusAddressFile, IsNamedAfterMachineHostAndDisplayNumber) {
  const std::string id = "3d1219c7c4c5404aaa1f6d2a48adfda4";
  EXPECT_EQ(ibusAddressFileName(":0", "", id), id + "-unix-0");
  EXPECT_EQ(ibusAddressFileName(":20.1", "", id), id + "-unix-20");
  EXPECT_EQ(ibusAddressFileName("localhost:10.0", "", id + "\n"), id + "-localhost-10");
  EXPECT_EQ(ibusAddressFileName("", "", id), std::nullopt);
  EXPECT_EQ(ibusAddressFileName(":x", "", id), std::nullopt);
  EXPECT_EQ(ibusAddressFileName(":", "", id), std::nullopt);
  EXPECT_EQ(ibusAddressFileName(":0", "", " \n"), std::nullopt);
}

TEST(IbusAddressFile, AWaylandDisplayComesBeforeTheXDisplay) {
  const std::string id = "3d1219c7c4c5404aaa1f6d2a48adfda4";
  // As ibus-daemon names it with WAYLAND_DISPLAY=wayland-7 (XWayland sets DISPLAY too).
  EXPECT_EQ(ibusAddressFileName(":0", "wayland-7", id), id + "-unix-wayland-7");
  EXPECT_EQ(ibusAddressFileName("", "wayland-0", id), id + "-unix-wayland-0");
  EXPECT_EQ(ibusAddressFileName(":0", "wayland-0", ""), std::nullopt);
}

TEST(IbusAddressFile, TheAddressLineIsFoundAmongComments) {
  const std::string file =
      "# This file is created by ibus-daemon, please do not modify it.\n"
      "# If the IBUS_ADDRESS environment variable is set, it will\n"
      "IBUS_ADDRESS=unix:abstract=/root/.cache/ibus/dbus-hP0gTpwI,guid=1f38d4\n"
      "IBUS_DAEMON_PID=14290\n";
  EXPECT_EQ(ibusAddressFromFile(file), "unix:abstract=/root/.cache/ibus/dbus-hP0gTpwI,guid=1f38d4");
  EXPECT_EQ(ibusAddressFromFile("IBUS_ADDRESS=unix:path=/tmp/x"), "unix:path=/tmp/x");
  EXPECT_EQ(ibusAddressFromFile("IBUS_ADDRESS=\n"), std::nullopt);
  EXPECT_EQ(ibusAddressFromFile("# IBUS_ADDRESS=unix:path=/tmp/x\n"), std::nullopt);
  EXPECT_EQ(ibusAddressFromFile(""), std::nullopt);
}

}  // namespace
}  // namespace vellicor::qt
