#include "platform/icu/bounded_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace vellicor {
namespace {

const std::string kEllipsis = "\u2026";

// `head`, then `piece` `times` over. Built in place: GCC 12 at -O3 takes a
// literal added to a temporary string for an overlapping copy (-Wrestrict).
std::string repeated(const std::string& piece, std::size_t times, const std::string& head = {}) {
  std::string out = head;
  for (std::size_t i = 0; i < times; ++i) {
    out += piece;
  }
  return out;
}

TEST(BoundedText, ANameWithinTheBoundIsItselfEvenIllFormed) {
  for (const std::string& name :
       {std::string(), std::string("English (US)"), repeated("가", kMostNameClusters),
        repeated("a", kMostNameClusters - 1, "\xFF"), repeated("e\u0301", kMostNameClusters)}) {
    EXPECT_TRUE(boundedName(name) == name) << name.size() << " bytes";
  }
}

// Whole clusters are kept, the last place taken by the ellipsis: a
// precomposed syllable, a decomposed one, a flag and a family alike.
TEST(BoundedText, ALongerNameKeepsItsFirstWholeClustersAndAnEllipsis) {
  for (const std::string& cluster :
       {std::string("가"), std::string("\u1100\u1161"), std::string("\U0001F1F0\U0001F1F7"),
        std::string("\U0001F468\u200D\U0001F469\u200D\U0001F467")}) {
    const std::string bounded = boundedName(repeated(cluster, 100000));
    const std::size_t kept = (bounded.size() - kEllipsis.size()) / cluster.size();
    // Compared whole, the texts would fill the screen when they differ.
    EXPECT_TRUE(bounded == repeated(cluster, kept) + kEllipsis) << cluster;
    EXPECT_EQ(kept, std::min(kMostNameClusters - 1,
                             (kMostNameBytes - kEllipsis.size()) / cluster.size()));
    EXPECT_LE(bounded.size(), kMostNameBytes);
  }
  EXPECT_TRUE(boundedName(repeated("가", kMostNameClusters + 1)) ==
              repeated("가", kMostNameClusters - 1) + kEllipsis);
}

TEST(BoundedText, ClustersOfEndlessMarksAreBoundedByTheirBytes) {
  // One letter under a million combining marks: a single cluster.
  const std::string zalgo = repeated("\u0301", 1000000, "a");
  const std::string bounded = boundedName(zalgo);
  EXPECT_LE(bounded.size(), kMostNameBytes);
  EXPECT_EQ(bounded.substr(bounded.size() - kEllipsis.size()), kEllipsis);
  EXPECT_TRUE(bounded.substr(0, bounded.size() - kEllipsis.size()) ==
              zalgo.substr(0, bounded.size() - kEllipsis.size()));
  // Several shorter ones: only whole ones are kept.
  const std::string cluster = repeated("\u0301", 100, "b");
  const std::size_t fit = (kMostNameBytes - kEllipsis.size()) / cluster.size();
  ASSERT_GE(fit, 2u);
  EXPECT_TRUE(boundedName(repeated(cluster, 10)) == repeated(cluster, fit) + kEllipsis);
}

TEST(BoundedText, IllFormedBytesInACutNameAreReadAsReplacementCharacters) {
  const std::string bounded = boundedName(repeated("a", 300, "\xC3"));
  EXPECT_TRUE(bounded == repeated("a", kMostNameClusters - 2, "\uFFFD") + kEllipsis);
  // Cut in the middle of a sequence, the name ends before it.
  const std::string cut = boundedText(repeated("가", 10), 100, 10);
  EXPECT_EQ(cut, "가가" + kEllipsis);
}

}  // namespace
}  // namespace vellicor
