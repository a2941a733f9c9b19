#include "platform/icu/icu_text.h"

#include <gtest/gtest.h>

#include <string>

namespace vellicor {
namespace {

const IcuTextServices text;

// 한 as one precomposed syllable and as three conjoining jamo.
const std::string kHanComposed = "\xED\x95\x9C";
const std::string kHanJamo = "\xE1\x84\x92\xE1\x85\xA1\xE1\x86\xAB";

TEST(TextCanonicalEquality, NormalizationFormsAreEqualButCaseAndSpaceAreNot) {
  EXPECT_TRUE(text.canonicallyEqual(kHanComposed + "국어", kHanJamo + "국어"));
  EXPECT_TRUE(text.canonicallyEqual("caf\xC3\xA9", "cafe\xCC\x81"));
  // Combining marks of different classes in either order are equivalent.
  EXPECT_TRUE(text.canonicallyEqual("a\xCC\x81\xCC\xA3", "a\xCC\xA3\xCC\x81"));
  EXPECT_FALSE(text.canonicallyEqual("ABC", "abc"));
  EXPECT_FALSE(text.canonicallyEqual("ABC", "ABC "));
  EXPECT_TRUE(text.canonicallyEqual("", ""));
  EXPECT_FALSE(text.canonicallyEqual("", "A"));
}

TEST(TextContains, MatchesWholeClustersUnderCanonicalEquivalence) {
  EXPECT_TRUE(text.contains("한국어", "한국"));
  EXPECT_TRUE(text.contains(kHanJamo + "국어", "한국"));
  EXPECT_TRUE(text.contains("한국어", kHanJamo));
  // 하 is the start of the cluster 한, never a match on its own.
  EXPECT_FALSE(text.contains("한", "하"));
  // e is only half of é.
  EXPECT_FALSE(text.contains("caf\xC3\xA9", "cafe"));
  EXPECT_FALSE(text.contains("cafe\xCC\x81", "cafe"));
  EXPECT_TRUE(text.contains("russian", "us"));
  EXPECT_FALSE(text.contains("Korean", "korean"));
  // CR LF is one cluster.
  EXPECT_FALSE(text.contains("a\r\nb", "\r"));
  EXPECT_TRUE(text.contains("a\r\nb", "\r\n"));
  // A man and a laptop joined by ZWJ form one cluster.
  EXPECT_FALSE(text.contains("\xF0\x9F\x91\xA8\xE2\x80\x8D\xF0\x9F\x92\xBB", "\xF0\x9F\x91\xA8"));
  EXPECT_FALSE(text.contains("abc", ""));
  EXPECT_FALSE(text.contains("", "a"));
  // A later occurrence still counts when an earlier one splits a cluster.
  EXPECT_TRUE(text.contains("e\xCC\x81n en", "en"));
}

TEST(TextCaseMapping, FullMappingsWithoutLocaleRules) {
  EXPECT_EQ(text.uppercased("\xC3\x9F"), "SS");
  EXPECT_EQ(text.lowercased("KOREAN"), "korean");
  EXPECT_EQ(text.uppercased("dvorak"), "DVORAK");
  // Root locale: I lower-cases to i, not to a dotless ı.
  EXPECT_EQ(text.lowercased("I"), "i");
  // İ has a full lower-case mapping of i and a combining dot.
  EXPECT_EQ(text.lowercased("\xC4\xB0"), "i\xCC\x87");
  EXPECT_EQ(text.uppercased("한"), "한");
  EXPECT_EQ(text.lowercased("ÉCOLE"), "école");
  EXPECT_EQ(text.uppercased(""), "");
}

TEST(TextTrimming, RemovesSeparatorsAndNewlinesAtBothEndsOnly) {
  EXPECT_EQ(text.trimmingWhitespaceAndNewlines("  Dvorak\t\n"), "Dvorak");
  // No-break space, ideographic space, NEL, line and paragraph separators.
  EXPECT_EQ(text.trimmingWhitespaceAndNewlines(
                "\xC2\xA0\xE3\x80\x80\xC2\x85x y\xE2\x80\xA8\xE2\x80\xA9\r\x0B\x0C"),
            "x y");
  // Zero-width space is a format character, not whitespace.
  EXPECT_EQ(text.trimmingWhitespaceAndNewlines("\xE2\x80\x8Bx"), "\xE2\x80\x8Bx");
  EXPECT_EQ(text.trimmingWhitespaceAndNewlines(" \n\t "), "");
  EXPECT_EQ(text.trimmingWhitespaceAndNewlines(""), "");
}

TEST(TextFirstCharacter, IsTheFirstExtendedGraphemeCluster) {
  EXPECT_EQ(text.firstCharacter("Dvorak"), "D");
  EXPECT_EQ(text.firstCharacter("e\xCC\x81tude"), "e\xCC\x81");
  EXPECT_EQ(text.firstCharacter(kHanJamo + "국"), kHanJamo);
  EXPECT_EQ(text.firstCharacter("\r\nx"), "\r\n");
  const std::string family =
      "\xF0\x9F\x91\xA8\xE2\x80\x8D\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x91\xA7";
  EXPECT_EQ(text.firstCharacter(family + "!"), family);
  // A regional-indicator pair is one flag.
  EXPECT_EQ(text.firstCharacter("\xF0\x9F\x87\xB0\xF0\x9F\x87\xB7x"),
            "\xF0\x9F\x87\xB0\xF0\x9F\x87\xB7");
  // Hebrew, right to left, is taken in logical order.
  EXPECT_EQ(text.firstCharacter("\xD7\xA2\xD7\x91"), "\xD7\xA2");
  EXPECT_EQ(text.firstCharacter(""), "");
}

TEST(TextIllFormedInput, ReadsEachBadSequenceAsOneReplacementCharacter) {
  const std::string fffd = "\xEF\xBF\xBD";
  EXPECT_EQ(text.validUTF8("ok"), "ok");
  EXPECT_EQ(text.validUTF8("a\xFF"
                           "b"),
            "a" + fffd + "b");
  // A truncated three-byte sequence is one maximal subpart.
  EXPECT_EQ(text.validUTF8("\xE2\x82"
                           "x"),
            fffd + "x");
  // Surrogates encoded in UTF-8 and overlong forms are ill-formed byte by byte.
  EXPECT_EQ(text.validUTF8("\xED\xA0\x80"), fffd + fffd + fffd);
  EXPECT_EQ(text.validUTF8("\xC0\xAF"), fffd + fffd);
  EXPECT_EQ(text.validUTF8(std::string("a\0b", 3)), std::string("a\0b", 3));

  EXPECT_EQ(text.firstCharacter("\xFF"
                                "abc"),
            fffd);
  EXPECT_EQ(text.uppercased("\x80z"), fffd + "Z");
  EXPECT_EQ(text.trimmingWhitespaceAndNewlines(" \xC3 "), fffd);
  EXPECT_TRUE(text.canonicallyEqual("\xFF", fffd));
  EXPECT_TRUE(text.contains("x\xFEy", fffd));
  EXPECT_FALSE(text.contains("한", "\xED"));
}

}  // namespace
}  // namespace vellicor
