#include "platform/cocoa/cocoa_utf16.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/common/utf8.h"

namespace vellicor::cocoa {
namespace {

std::string convert(std::vector<std::uint16_t> units) {
  return utf8FromUtf16(units);
}

const std::string kReplacement = "\xEF\xBF\xBD";

TEST(CocoaUtf16, EncodesEachLengthAtItsBoundaries) {
  EXPECT_EQ(convert({}), "");
  EXPECT_EQ(convert({'A', 'B', 'C'}), "ABC");
  EXPECT_EQ(convert({0x7F, 0x80}), "\x7F\xC2\x80");
  EXPECT_EQ(convert({0x7FF, 0x800}), "\xDF\xBF\xE0\xA0\x80");
  EXPECT_EQ(convert({0xD55C, 0xAE00}), "\xED\x95\x9C\xEA\xB8\x80");  // 한글
  EXPECT_EQ(convert({0xFFFF}), "\xEF\xBF\xBF");
  EXPECT_EQ(convert({0xD800, 0xDC00}), "\xF0\x90\x80\x80");
  EXPECT_EQ(convert({0xD83D, 0xDC68}), "\xF0\x9F\x91\xA8");  // 👨
  EXPECT_EQ(convert({0xDBFF, 0xDFFF}), "\xF4\x8F\xBF\xBF");
}

TEST(CocoaUtf16, AnUnpairedSurrogateBecomesOneReplacementAndTheRestIsKept) {
  EXPECT_EQ(convert({'a', 0xD800, 'b'}), "a" + kReplacement + "b");
  EXPECT_EQ(convert({'a', 0xDC00, 'b'}), "a" + kReplacement + "b");
  EXPECT_EQ(convert({'a', 0xD83D}), "a" + kReplacement);
  EXPECT_EQ(convert({0xDC68, 0xD83D}), kReplacement + kReplacement);
  // A high surrogate before a whole pair: only the first is unpaired.
  EXPECT_EQ(convert({0xD83D, 0xD83D, 0xDC68}), kReplacement + "\xF0\x9F\x91\xA8");
  EXPECT_EQ(convert({0xD83D, 0xD83D}), kReplacement + kReplacement);
}

TEST(CocoaUtf16, ANulIsKeptWhereItStands) {
  EXPECT_EQ(convert({'D', 0, 'v', 'o', 'r', 'a', 'k'}), std::string("D\0vorak", 7));
  EXPECT_EQ(convert({0, 0}), std::string(2, '\0'));
}

TEST(CocoaUtf16, EveryUnitAndEveryHighLowPairGivesWellFormedUtf8) {
  for (std::uint32_t unit = 0; unit <= 0xFFFF; ++unit) {
    const std::string one = convert({static_cast<std::uint16_t>(unit), 'x'});
    ASSERT_TRUE(isWellFormedUtf8(one)) << std::hex << unit;
    ASSERT_EQ(one.back(), 'x') << std::hex << unit;
  }
  for (std::uint32_t high = 0xD800; high <= 0xDBFF; high += 0x3F) {
    for (std::uint32_t low = 0xDC00; low <= 0xDFFF; low += 0x3F) {
      const std::string pair =
          convert({static_cast<std::uint16_t>(high), static_cast<std::uint16_t>(low)});
      ASSERT_EQ(pair.size(), 4u) << std::hex << high << ' ' << low;
      ASSERT_TRUE(isWellFormedUtf8(pair)) << std::hex << high << ' ' << low;
    }
  }
}

}  // namespace
}  // namespace vellicor::cocoa
