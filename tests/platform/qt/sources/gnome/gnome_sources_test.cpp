#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/qt/sources/gnome/gnome_sources.h"

namespace vellicor::qt {
namespace {

const GnomeSource kUs{"xkb", "us"};
const GnomeSource kKorean{"xkb", "kr+kr104"};
const GnomeSource kHangul{"ibus", "hangul"};

TEST(GnomeSources, TheCurrentSourceLeadsTheMostRecentlyUsed) {
  const std::vector<GnomeSource> sources{kUs, kKorean, kHangul};
  EXPECT_EQ(currentGnomeSource({kKorean, kUs, kHangul}, sources), kKorean);
  EXPECT_EQ(currentGnomeSource({kHangul, kKorean, kUs}, sources), kHangul);
}

TEST(GnomeSources, BeforeTheFirstSwitchTheFirstSourceIsCurrent) {
  EXPECT_EQ(currentGnomeSource({}, {kKorean, kUs}), kKorean);
}

// mru-sources keeps sources the user has since removed: the first one still
// listed is current, as the shell takes it.
TEST(GnomeSources, RemovedSourcesInTheHistoryAreSkipped) {
  EXPECT_EQ(currentGnomeSource({kHangul, kKorean, kUs}, {kUs, kKorean}), kKorean);
  EXPECT_EQ(currentGnomeSource({kHangul}, {kUs, kKorean}), kUs);
}

TEST(GnomeSources, NoSourcesLeaveTheKeyboardToTheSystem) {
  EXPECT_FALSE(currentGnomeSource({kUs}, {}));
}

TEST(GnomeSources, OnlyLayoutsAndIBusEnginesOfBoundedLengthAreSources) {
  EXPECT_TRUE(isGnomeSource(kUs));
  EXPECT_TRUE(isGnomeSource(kHangul));
  EXPECT_FALSE(isGnomeSource({"xkb", ""}));
  EXPECT_FALSE(isGnomeSource({"fcitx", "hangul"}));
  EXPECT_TRUE(isGnomeSource({"ibus", std::string(kMaxGnomeSourceText, 'a')}));
  EXPECT_FALSE(isGnomeSource({"ibus", std::string(kMaxGnomeSourceText + 1, 'a')}));
}

TEST(GnomeSources, ALayoutIdNamesLayoutAndVariantAsTheKeyboardsGroupsDo) {
  const auto korean = gnomeXkbLayout("kr+kr104");
  ASSERT_TRUE(korean);
  EXPECT_EQ(korean->layout, "kr");
  EXPECT_EQ(korean->variant, "kr104");
  EXPECT_EQ(xkbIdentifier(*korean), "kr(kr104)");

  const auto us = gnomeXkbLayout("us");
  ASSERT_TRUE(us);
  EXPECT_EQ(us->variant, "");
  EXPECT_EQ(xkbIdentifier(*us), "us");

  EXPECT_EQ(xkbIdentifier(*gnomeXkbLayout("de+dvorak-l_x")), "de(dvorak-l_x)");
}

TEST(GnomeSources, AnIdThatIsNoLayoutNameIsRefused) {
  for (const char* id : {"", "+", "kr+", "+kr104", "kr+kr104+x", "kr(kr104)", "kr kr104",
                         "../../etc", "kr+\n", "한"}) {
    EXPECT_FALSE(gnomeXkbLayout(id)) << id;
  }
}

}  // namespace
}  // namespace vellicor::qt
