#include "platform/qt/sources/source_selection.h"

#include <gtest/gtest.h>

#include <string>

namespace vellicor::qt {
namespace {

// The trackers in the desktop's order: Fcitx5, IBus, the session's, XKB.
enum Tracker { kFcitx5, kIBus, kSession, kXkb };

NamedSource named(const std::string& name) {
  return {name, name};
}

class Selection : public ::testing::Test {
 protected:
  Selection() { input.trackers.resize(4); }
  void says(Tracker tracker, const std::string& name, bool yields = false) {
    input.trackers[tracker] = {named(name), yields};
    input.sessionSpeaks = input.trackers[kSession].source.has_value();
  }
  void quiet(Tracker tracker) {
    input.trackers[tracker] = {};
    input.sessionSpeaks = input.trackers[kSession].source.has_value();
  }
  std::string at(SourceSelection::Millis now) {
    return selection.select(input, now).localizedName.value_or("(none)");
  }

  SourceSelection selection{3000, 1000};
  SelectionInput input;
};

TEST_F(Selection, TheFirstTrackerInPrecedenceThatNamesASourceIsTheSource) {
  EXPECT_EQ(at(0), "(none)");
  says(kXkb, "us");
  EXPECT_EQ(at(0), "us");
  says(kSession, "kr");
  EXPECT_EQ(at(0), "kr");
  says(kIBus, "Hangul");
  EXPECT_EQ(at(0), "Hangul");
  says(kFcitx5, "한글");
  EXPECT_EQ(at(0), "한글");
  EXPECT_EQ(selection.deadline(), std::nullopt);
}

// IBus kept on a plain layout engine while the session names its layout.
TEST_F(Selection, APlainLayoutEngineYieldsWhileTheSessionSpeaks) {
  says(kXkb, "us");
  says(kIBus, "xkb:us::eng", true);
  EXPECT_EQ(at(0), "xkb:us::eng");
  says(kSession, "kr");
  EXPECT_EQ(at(10), "kr");
  // Switching to it let go of nothing: no grace, no deadline.
  says(kIBus, "Hangul");
  EXPECT_EQ(at(20), "Hangul");
  says(kIBus, "xkb:us::eng", true);
  EXPECT_EQ(at(30), "kr");
  EXPECT_EQ(selection.deadline(), std::nullopt);
}

// ibus restart: away and back within the grace naming the same, nothing
// changed; away past it, the keyboard's group speaks when the grace ends.
TEST_F(Selection, AFrameworkThatLetsGoIsHeldForTheGraceOnly) {
  says(kXkb, "kr");
  says(kIBus, "Hangul");
  EXPECT_EQ(at(0), "Hangul");
  quiet(kIBus);
  EXPECT_EQ(at(100), "Hangul");
  EXPECT_EQ(selection.deadline(), 3100);
  says(kIBus, "Hangul");
  EXPECT_EQ(at(2000), "Hangul");
  EXPECT_EQ(selection.deadline(), std::nullopt);

  quiet(kIBus);
  EXPECT_EQ(at(5000), "Hangul");
  EXPECT_EQ(at(7999), "Hangul");
  EXPECT_EQ(at(8000), "kr");
  EXPECT_EQ(selection.deadline(), std::nullopt);
  // Back later, it speaks again at once.
  says(kIBus, "Hangul");
  EXPECT_EQ(at(9000), "Hangul");
}

// The keyboard's group, last in line, has nobody to hand over to.
TEST_F(Selection, TheLastTrackerIsNotHeld) {
  says(kXkb, "us");
  EXPECT_EQ(at(0), "us");
  quiet(kXkb);
  EXPECT_EQ(at(1), "(none)");
  EXPECT_EQ(selection.deadline(), std::nullopt);
}

// GNOME sets the session's source and IBus's engine one after the other:
// between the two, the source stays as it was, for a second at most.
TEST_F(Selection, BetweenTheStepsOfOneSwitchTheSourceStaysForASecondAtMost) {
  says(kXkb, "us");
  says(kSession, "English (US)");
  EXPECT_EQ(at(0), "English (US)");
  input.betweenSteps = true;
  says(kSession, "Hangul");
  EXPECT_EQ(at(100), "English (US)");
  EXPECT_EQ(selection.deadline(), 1100);
  input.betweenSteps = false;
  says(kIBus, "Hangul");
  EXPECT_EQ(at(150), "Hangul");
  EXPECT_EQ(selection.deadline(), std::nullopt);

  // The second step never comes (IBus stays on its layout engine): after the
  // second, the session's name stands.
  input.betweenSteps = false;
  says(kIBus, "xkb:us::eng", true);
  says(kSession, "English (US)");
  EXPECT_EQ(at(1000), "English (US)");
  input.betweenSteps = true;
  says(kSession, "Hangul");
  EXPECT_EQ(at(1100), "English (US)");
  EXPECT_EQ(at(2099), "English (US)");
  EXPECT_EQ(at(2100), "Hangul");
  EXPECT_EQ(at(2500), "Hangul");
  EXPECT_EQ(selection.deadline(), std::nullopt);
}

}  // namespace
}  // namespace vellicor::qt
