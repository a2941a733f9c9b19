#include "platform/qt/sources/session_choice.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace vellicor::qt {
namespace {

// What the program chooses, and what it says of SWAYSOCK, when sway's socket
// is found to be `swayIs` ("" for a live sway of this user's and session's).
struct Chosen {
  SessionChoice choice;
  std::string passedOver;
  bool askedSway = false;
};

Chosen choose(const std::string& desktop, bool wayland, const std::string& socket,
              const std::string& swayIs = {}) {
  Chosen chosen{SessionChoice::None, {}};
  chosen.choice = chooseSession(
      {desktop, wayland, socket},
      [&](const std::string& path) {
        chosen.askedSway = true;
        EXPECT_EQ(path, socket);
        return swayIs;
      },
      chosen.passedOver);
  return chosen;
}

const std::string kSocket = "/run/user/1000/sway-ipc.1000.4242.sock";

// The session's own desktop comes first: a sway socket kept in the
// environment, live or not, is not even looked at, and is said to be passed
// over.
TEST(SessionChoice, APlasmaOrGnomeSessionIsFollowedThroughItsOwnServiceWhateverSwaysockSays) {
  const std::pair<const char*, SessionChoice> sessions[] = {
      {"KDE", SessionChoice::KWin},
      {"kde", SessionChoice::KWin},
      {"GNOME", SessionChoice::Gnome},
      {"ubuntu:GNOME", SessionChoice::Gnome},
      {"GNOME-Classic:GNOME", SessionChoice::Gnome}};
  for (const auto& [desktop, expected] : sessions) {
    const Chosen chosen = choose(desktop, true, kSocket);
    EXPECT_EQ(chosen.choice, expected) << desktop;
    EXPECT_FALSE(chosen.askedSway) << desktop;
    EXPECT_EQ(chosen.passedOver, "this session is " + std::string(desktop) + "'s");
  }
  EXPECT_EQ(choose("KDE", true, "").choice, SessionChoice::KWin);
  EXPECT_EQ(choose("KDE", true, "").passedOver, "");
}

// On X11, Plasma and GNOME are followed through the X keyboard; another
// desktop's session is no sway's either.
TEST(SessionChoice, AnX11SessionOrOneOfAnotherDesktopFollowsNoSway) {
  for (const char* desktop : {"KDE", "GNOME", "XFCE", "X-Cinnamon"}) {
    const Chosen chosen = choose(desktop, false, kSocket);
    EXPECT_EQ(chosen.choice, SessionChoice::None) << desktop;
    EXPECT_FALSE(chosen.askedSway) << desktop;
    EXPECT_EQ(chosen.passedOver, "this session is " + std::string(desktop) + "'s");
  }
  EXPECT_EQ(choose("Hyprland", true, kSocket).choice, SessionChoice::None);
  EXPECT_EQ(choose("", false, "").choice, SessionChoice::None);
  EXPECT_EQ(choose("", false, "").passedOver, "");
}

// A session that names sway, or nothing, follows the socket when it is this
// session's live sway, and says why not otherwise.
TEST(SessionChoice, SwaysSocketIsFollowedOnlyWhenItIsTheSessionsLiveSway) {
  for (const char* desktop : {"", "sway", "sway:wlroots", "SWAY"}) {
    const Chosen live = choose(desktop, true, kSocket);
    EXPECT_EQ(live.choice, SessionChoice::Sway) << desktop;
    EXPECT_TRUE(live.askedSway);
    EXPECT_EQ(live.passedOver, "");
    const Chosen stale = choose(desktop, false, kSocket, "nothing listens there");
    EXPECT_EQ(stale.choice, SessionChoice::None) << desktop;
    EXPECT_EQ(stale.passedOver, "nothing listens there");
  }
}

}  // namespace
}  // namespace vellicor::qt
