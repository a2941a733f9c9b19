#include "platform/qt/sources/xkb/agreed_reading.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace vellicor::qt {
namespace {

// Hands out the given readings in turn and counts the reads.
struct Script {
  std::vector<std::string> readings;
  int reads = 0;
  std::string operator()() {
    const auto& next = readings[std::min<std::size_t>(reads, readings.size() - 1)];
    ++reads;
    return next;
  }
};

TEST(AgreedReading, AStillKeyboardIsReadTwice) {
  Script script{{"us,kr"}};
  EXPECT_EQ(agreedReading(std::ref(script)), "us,kr");
  EXPECT_EQ(script.reads, 2);
}

TEST(AgreedReading, AReadingTornByAChangeIsReadAgainUntilTwoAgree) {
  // The first reading straddled a change: half old, half new.
  Script script{{"4 groups, us named", "1 group, us named", "1 group, us named"}};
  EXPECT_EQ(agreedReading(std::ref(script)), "1 group, us named");
  EXPECT_EQ(script.reads, 3);
}

TEST(AgreedReading, AKeyboardThatNeverHoldsStillIsReadABoundedNumberOfTimes) {
  Script script{{"a", "b", "a", "b", "a", "b", "a"}};
  EXPECT_EQ(agreedReading(std::ref(script)), "b");
  EXPECT_EQ(script.reads, kMaxReadings);
}

}  // namespace
}  // namespace vellicor::qt
