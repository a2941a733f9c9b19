#include <gtest/gtest.h>

#include <string>

#include "support/app_world.h"

namespace vellicor::testing {
namespace {

struct BadgeCase {
  std::string name;
  std::string badge;
};

class Badge : public ::testing::TestWithParam<BadgeCase> {
 protected:
  AppWorld w;
};

TEST_P(Badge, ComesFromTheNeedlesOrTheFirstCharacter) {
  EXPECT_EQ(w.delegate->shortBadge(GetParam().name), GetParam().badge) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    Names, Badge,
    ::testing::Values(
        // Korean needles, in any capitalisation and before any English one.
        BadgeCase{"한국어", "한"}, BadgeCase{"2-Set Korean", "한"}, BadgeCase{"KOREAN US", "한"},
        BadgeCase{"Hangul", "한"}, BadgeCase{"한글 입력기", "한"},
        BadgeCase{"\xE1\x84\x92\xE1\x85\xA1\xE1\x86\xAB국", "한"},
        // English needles, also inside longer words.
        BadgeCase{"ABC", "A"}, BadgeCase{"Russian", "A"}, BadgeCase{"French", "A"},
        BadgeCase{"U.S. International", "A"}, BadgeCase{"x u.s.", "A"},
        // Empty or blank names.
        BadgeCase{"", "A"}, BadgeCase{" \t\n\xC2\xA0", "A"},
        // First character of the trimmed name, upper-cased.
        BadgeCase{"영어", "영"}, BadgeCase{"알 수 없음", "알"}, BadgeCase{"Dvorak", "D"},
        BadgeCase{"   Dvorak", "D"}, BadgeCase{"dvorak", "D"}, BadgeCase{"3-Set", "3"},
        BadgeCase{"\xC3\x9F"
                  "x",
                  "SS"},
        BadgeCase{"\xC3\xA9tude", "\xC3\x89"},
        BadgeCase{"\xEF\xAC\x81"
                  "x",
                  "FI"},  // the fi ligature expands
        BadgeCase{"\xF0\x9F\x87\xB0\xF0\x9F\x87\xB7 flag", "\xF0\x9F\x87\xB0\xF0\x9F\x87\xB7"},
        // Not a needle: "e" and a combining acute is not "e".
        BadgeCase{"Pe\xCC\x81n", "P"}));

TEST(BadgeLimits, AVeryLongNameWithoutNeedlesGivesItsFirstCharacter) {
  AppWorld w;
  EXPECT_EQ(w.delegate->shortBadge(std::string(10000, 'q')), "Q");
  EXPECT_EQ(w.delegate->shortBadge(std::string(9999, 'q') + "us"), "A");
}

}  // namespace
}  // namespace vellicor::testing
