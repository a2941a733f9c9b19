#include "platform/qt/sources/xkb/keymap_settle.h"

#include <gtest/gtest.h>

#include <vector>

namespace vellicor::qt {
namespace {

using std::chrono::milliseconds;
using Time = KeymapSettle::Clock::time_point;

const Time kStart{};

Time at(int ms) {
  return kStart + milliseconds(ms);
}

// The keyboard's events in time order, with the timer run as the event loop
// runs it: at each due time before the next event. Records when the keyboard
// is announced.
class Timeline {
 public:
  void keymap(int ms) {
    runUntil(at(ms));
    settle.keymapChanged(at(ms));
  }
  void groupSwitch(int ms) {
    runUntil(at(ms));
    if (settle.groupSwitched(at(ms))) {
      announced.push_back(at(ms));
    }
  }
  void runUntil(Time end) {
    while (const auto due = settle.due()) {
      if (*due > end) {
        return;
      }
      const auto what = settle.fire(*due);
      if (what == KeymapSettle::Due::kNothing) {
        ADD_FAILURE() << "nothing was due at the due time";
        return;
      }
      announced.push_back(*due);
      kinds.push_back(what);
    }
  }

  KeymapSettle settle;
  std::vector<Time> announced;           // switches announced at once among them
  std::vector<KeymapSettle::Due> kinds;  // what each firing of the timer read
};

TEST(KeymapSettle, ASwitchOnAQuietKeymapIsAnnouncedAtOnce) {
  KeymapSettle settle;
  EXPECT_TRUE(settle.groupSwitched(at(0)));
  EXPECT_FALSE(settle.due().has_value());
  EXPECT_EQ(settle.fire(at(1000)), KeymapSettle::Due::kNothing);
}

TEST(KeymapSettle, ABurstOfKeymapEventsIsReadOnceItHasSettled) {
  Timeline t;
  t.keymap(0);
  t.keymap(2);
  t.keymap(4);
  EXPECT_EQ(t.settle.due(), at(4) + KeymapSettle::kSettle);
  EXPECT_EQ(t.settle.fire(at(33)), KeymapSettle::Due::kNothing);
  t.runUntil(at(1000));
  EXPECT_EQ(t.announced, std::vector<Time>{at(34)});
  EXPECT_EQ(t.kinds, std::vector<KeymapSettle::Due>{KeymapSettle::Due::kSettled});
  EXPECT_FALSE(t.settle.due().has_value());
}

TEST(KeymapSettle, ASwitchAmidABurstWaitsForTheBurstToArriveButNoLongerThanItsBound) {
  Timeline t;
  t.keymap(0);
  t.groupSwitch(1);
  t.keymap(2);  // the rest of the burst, already on its way
  EXPECT_TRUE(t.announced.empty());
  EXPECT_EQ(t.settle.due(), at(1) + KeymapSettle::kSwitchWait);
  t.runUntil(at(1) + KeymapSettle::kSwitchWait);
  EXPECT_EQ(t.announced, std::vector<Time>{at(6)});
  // The keymap is read again once more when it settles.
  t.runUntil(at(1000));
  EXPECT_EQ(t.announced, (std::vector<Time>{at(6), at(32)}));
  EXPECT_EQ(t.kinds, (std::vector<KeymapSettle::Due>{KeymapSettle::Due::kHeldSwitch,
                                                     KeymapSettle::Due::kSettled}));
}

TEST(KeymapSettle, SwitchesHeldTogetherWaitNoLongerThanTheFirst) {
  Timeline t;
  t.keymap(0);
  t.groupSwitch(1);
  t.groupSwitch(3);
  EXPECT_EQ(t.settle.due(), at(1) + KeymapSettle::kSwitchWait);
}

TEST(KeymapSettle, AKeymapThatSettlesFirstServesTheSwitchHeld) {
  Timeline t;
  t.keymap(0);
  t.groupSwitch(28);
  t.runUntil(at(1000));
  EXPECT_EQ(t.announced, std::vector<Time>{at(30)});
  EXPECT_EQ(t.kinds, std::vector<KeymapSettle::Due>{KeymapSettle::Due::kSettled});
}

TEST(KeymapSettle, NothingIsDueBeforeItsTime) {
  KeymapSettle settle;
  settle.keymapChanged(at(0));
  ASSERT_FALSE(settle.groupSwitched(at(10)));
  EXPECT_EQ(settle.fire(at(14)), KeymapSettle::Due::kNothing);
  EXPECT_EQ(settle.fire(at(15)), KeymapSettle::Due::kHeldSwitch);
}

TEST(KeymapSettle, EverySwitchIsAnnouncedWithinItsBoundWhileGroupsAreRenamedWithoutPause) {
  // A group renamed, then a switch, every 20 ms: the keymap never settles.
  Timeline t;
  constexpr int kSwitches = 300;
  for (int i = 0; i < kSwitches; ++i) {
    t.keymap(20 * i);
    t.groupSwitch(20 * i + 1);
  }
  t.runUntil(at(20 * kSwitches - 1));
  ASSERT_EQ(t.announced.size(), static_cast<std::size_t>(kSwitches));
  for (int i = 0; i < kSwitches; ++i) {
    EXPECT_EQ(t.announced[static_cast<std::size_t>(i)], at(20 * i + 1) + KeymapSettle::kSwitchWait)
        << "switch " << i;
    EXPECT_EQ(t.kinds[static_cast<std::size_t>(i)], KeymapSettle::Due::kHeldSwitch);
  }
}

}  // namespace
}  // namespace vellicor::qt
