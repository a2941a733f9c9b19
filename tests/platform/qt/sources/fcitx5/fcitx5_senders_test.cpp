#include "platform/qt/sources/fcitx5/fcitx5_senders.h"

#include <gtest/gtest.h>

#include <string>

namespace vellicor::qt {
namespace {

using Verdict = Fcitx5Senders::Verdict;

TEST(Fcitx5Senders, EachSenderIsAskedAboutOnceAndRemembered) {
  Fcitx5Senders senders;
  EXPECT_EQ(senders.verdict(":1.7"), Verdict::Ask);
  EXPECT_EQ(senders.verdict(":1.7"), Verdict::Asking);
  senders.answered(":1.7", true);
  EXPECT_EQ(senders.verdict(":1.7"), Verdict::Fcitx5);
  EXPECT_EQ(senders.verdict(":1.9"), Verdict::Ask);
  senders.answered(":1.9", false);
  EXPECT_EQ(senders.verdict(":1.9"), Verdict::Other);
  senders.clear();
  EXPECT_EQ(senders.verdict(":1.7"), Verdict::Ask);
  // An answer to a question asked before the clear says nothing.
  senders.clear();
  senders.answered(":1.7", true);
  EXPECT_EQ(senders.known(), 0u);
}

// A flood from ever new senders: a few questions at a time, and a bounded
// memory in which Fcitx5's own item stays.
TEST(Fcitx5Senders, AFloodOfNewSendersAsksABoundedNumberAndKeepsFcitx5Known) {
  Fcitx5Senders senders(8, 2);
  EXPECT_EQ(senders.verdict("fcitx5"), Verdict::Ask);
  senders.answered("fcitx5", true);
  int asked = 0;
  int refused = 0;
  for (int i = 0; i < 10000; ++i) {
    const std::string sender = ":2." + std::to_string(i);
    switch (senders.verdict(sender)) {
      case Verdict::Ask:
        ++asked;
        if (i % 2 == 0) {
          senders.answered(sender, false);  // every other question is answered
        }
        break;
      case Verdict::TooMany:
        ++refused;
        break;
      default:
        ADD_FAILURE() << "a new sender is " << static_cast<int>(senders.verdict(sender));
    }
    ASSERT_LE(senders.known(), 8u);
  }
  // Two at a time: the two never answered keep their places.
  EXPECT_EQ(asked, 4);
  EXPECT_EQ(refused, 10000 - 4);
  EXPECT_EQ(senders.verdict("fcitx5"), Verdict::Fcitx5);
  // Questions that got no answer free their place when forgotten.
  for (int i = 0; i < 10000; ++i) {
    senders.forget(":2." + std::to_string(i));
  }
  EXPECT_EQ(senders.verdict(":3.1"), Verdict::Ask);
}

}  // namespace
}  // namespace vellicor::qt
