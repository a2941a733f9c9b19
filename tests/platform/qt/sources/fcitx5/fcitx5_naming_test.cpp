#include "platform/qt/sources/fcitx5/fcitx5_naming.h"

#include <gtest/gtest.h>

#include <vector>

namespace vellicor::qt {
namespace {

const std::vector<Fcitx5InputMethod> kAvailable{
    {"keyboard-us", "Keyboard - English (US)", ""},
    {"keyboard-kr-kr104", "Keyboard - Korean - Korean (101/104-key compatible)", ""},
    {"hangul", "Hangul", "한글"},
    {"mozc", "Mozc", ""},
};

TEST(Fcitx5Naming, AnActiveInputMethodIsNamedNativelyWhereItCanBe) {
  EXPECT_EQ(fcitx5Source(kAvailable, "hangul", kFcitx5Active, "us"),
            (NamedSource{"한글", std::string("hangul")}));
  EXPECT_EQ(fcitx5Source(kAvailable, "mozc", kFcitx5Active, "us"),
            (NamedSource{"Mozc", std::string("mozc")}));
  // One Fcitx5 does not list: its unique name only, for the identifier rules.
  EXPECT_EQ(fcitx5Source(kAvailable, "anthy", kFcitx5Active, "us"),
            (NamedSource{std::nullopt, std::string("anthy")}));
  EXPECT_TRUE(fcitx5Knows(kAvailable, "hangul", kFcitx5Active, "us"));
  EXPECT_FALSE(fcitx5Knows(kAvailable, "anthy", kFcitx5Active, "us"));
}

TEST(Fcitx5Naming, InactiveItIsTheGroupsKeyboardLayout) {
  EXPECT_EQ(fcitx5Source(kAvailable, "keyboard-us", 1, "us"),
            (NamedSource{"Keyboard - English (US)", std::string("keyboard-us")}));
  // The current input method does not matter while inactive.
  EXPECT_EQ(fcitx5Source(kAvailable, "hangul", 1, "kr-kr104").identifier, "keyboard-kr-kr104");
  // A layout without an input method of its own: named as spelt.
  EXPECT_EQ(fcitx5Source(kAvailable, "keyboard-us", 1, "de"),
            (NamedSource{"de", std::string("keyboard-de")}));
  EXPECT_FALSE(fcitx5Knows(kAvailable, "keyboard-us", 1, "de"));
  // Nothing to name by.
  EXPECT_EQ(fcitx5Source(kAvailable, "", 0, ""), NamedSource{});
  EXPECT_TRUE(fcitx5Knows({}, "", 0, ""));
}

}  // namespace
}  // namespace vellicor::qt
