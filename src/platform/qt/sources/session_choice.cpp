#include "platform/qt/sources/session_choice.h"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace vellicor::qt {
namespace {

// At most this many names are looked at: the list comes from the environment.
constexpr int kMostDesktopNames = 16;

bool sameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

// XDG_CURRENT_DESKTOP is a list: "KDE", "GNOME", "ubuntu:GNOME", "sway".
bool desktopNames(std::string_view list, std::string_view name) {
  for (int i = 0; i < kMostDesktopNames; ++i) {
    const auto colon = list.find(':');
    if (sameName(list.substr(0, colon), name)) {
      return true;
    }
    if (colon == std::string_view::npos) {
      break;
    }
    list.remove_prefix(colon + 1);
  }
  return false;
}

}  // namespace

SessionChoice chooseSession(const SessionFacts& facts,
                            const std::function<std::string(const std::string&)>& whyNotSway,
                            std::string& passedOver) {
  passedOver.clear();
  const auto desktop = [&](std::string_view name) {
    return desktopNames(facts.currentDesktop, name);
  };
  SessionChoice choice = SessionChoice::None;
  if (facts.wayland && desktop("KDE")) {
    choice = SessionChoice::KWin;
  } else if (facts.wayland && desktop("GNOME")) {
    choice = SessionChoice::Gnome;
  }
  if (facts.swaySocket.empty()) {
    return choice;
  }
  // A session that names another desktop is not sway's, whatever its
  // environment kept from one.
  if (choice != SessionChoice::None || (!facts.currentDesktop.empty() && !desktop("sway"))) {
    passedOver = "this session is " + facts.currentDesktop + "'s";
    return choice;
  }
  passedOver = whyNotSway(facts.swaySocket);
  return passedOver.empty() ? SessionChoice::Sway : SessionChoice::None;
}

}  // namespace vellicor::qt
