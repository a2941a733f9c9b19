#include "platform/qt/sources/xkb/xkb_names.h"

#include <gtest/gtest.h>

#include <string>

namespace vellicor::qt {
namespace {

std::string property(const char* const (&fields)[5]) {
  std::string out;
  for (const char* field : fields) {
    out += field;
    out += '\0';
  }
  return out;
}

TEST(XkbRulesNames, ParsesTheFiveFieldsAndSplitsTheLists) {
  const auto names = parseRulesNames(property({"evdev", "pc105", "us,kr", ",kr104", "grp:alt"}));
  EXPECT_EQ(names.rules, "evdev");
  EXPECT_EQ(names.model, "pc105");
  EXPECT_EQ(names.layouts, (std::vector<std::string>{"us", "kr"}));
  EXPECT_EQ(names.variants, (std::vector<std::string>{"", "kr104"}));
  EXPECT_EQ(names.options, "grp:alt");
}

TEST(XkbRulesNames, ToleratesTruncatedAndEmptyProperties) {
  EXPECT_TRUE(parseRulesNames("").layouts.empty());
  // Cut off inside the layouts, without its terminator.
  const auto cut = parseRulesNames(std::string("evdev\0pc105\0us,k", 16));
  EXPECT_EQ(cut.layouts, (std::vector<std::string>{"us", "k"}));
  EXPECT_TRUE(cut.variants.empty());
  EXPECT_EQ(cut.options, "");
}

TEST(XkbLayoutIdentifier, IsLayoutWithVariantInParentheses) {
  const auto names = parseRulesNames(property({"evdev", "pc105", "us,kr, de", ",kr104", ""}));
  EXPECT_EQ(layoutIdentifier(names, 0), "us");
  EXPECT_EQ(layoutIdentifier(names, 1), "kr(kr104)");
  EXPECT_EQ(layoutIdentifier(names, 2), "de");
  EXPECT_EQ(layoutIdentifier(names, 3), std::nullopt);
  EXPECT_EQ(layoutIdentifier(parseRulesNames(property({"", "", ",us", "", ""})), 0), std::nullopt);
}

TEST(XkbGroupSource, NamesComeFromTheGroupAndTheRules) {
  const auto rules = parseRulesNames(property({"evdev", "pc105", "us,kr", ",kr104", ""}));
  const std::vector<std::string> groups{"English (US)", ""};
  const auto english = groupSource(groups, rules, 0);
  EXPECT_EQ(english.localizedName, "English (US)");
  EXPECT_EQ(english.identifier, "us");
  // An empty group name is no name; the identifier still stands.
  const auto korean = groupSource(groups, rules, 1);
  EXPECT_EQ(korean.localizedName, std::nullopt);
  EXPECT_EQ(korean.identifier, "kr(kr104)");
  // A group beyond both lists has neither.
  const auto beyond = groupSource(groups, rules, 3);
  EXPECT_FALSE(beyond.localizedName || beyond.identifier);
  // Names are passed on as they are, bytes and all.
  const std::string odd = std::string("\xFF%n%s", 5) + std::string(10000, 'x');
  EXPECT_EQ(groupSource({odd}, rules, 0).localizedName, odd);
}

TEST(XkbGroups, AGroupOutsideTheKeyboardsGroupsIsBroughtIntoRangeAsXkbDoes) {
  const GroupsWrap wrap{4, 0x00};
  EXPECT_EQ(effectiveGroup(2, wrap), 2u);
  EXPECT_EQ(effectiveGroup(5, wrap), 1u);
  EXPECT_EQ(effectiveGroup(-1, wrap), 3u);
  // The keymap lost groups: group 3 of 4 wraps to the only one left.
  EXPECT_EQ(effectiveGroup(2, GroupsWrap{1, 0x00}), 0u);
  EXPECT_EQ(effectiveGroup(3, GroupsWrap{2, 0x00}), 1u);

  const GroupsWrap clamp{3, 0x40};
  EXPECT_EQ(effectiveGroup(7, clamp), 2u);
  EXPECT_EQ(effectiveGroup(-2, clamp), 0u);
  EXPECT_EQ(effectiveGroup(1, clamp), 1u);

  // Redirect to the group in the low bits, or to the first if that one is gone.
  EXPECT_EQ(effectiveGroup(5, GroupsWrap{3, 0x80 | 1}), 1u);
  EXPECT_EQ(effectiveGroup(-1, GroupsWrap{3, 0x80 | 1}), 1u);
  EXPECT_EQ(effectiveGroup(5, GroupsWrap{2, 0x80 | 3}), 0u);

  // A keyboard that reports no groups has only the first.
  EXPECT_EQ(effectiveGroup(2, GroupsWrap{0, 0x00}), 0u);
}

}  // namespace
}  // namespace vellicor::qt
