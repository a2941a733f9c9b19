// What a screen reader is told: each change once it has settled, the name a
// burst ends with, nothing at start-up, for a name unchanged, or after quit.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "input/change_announcer.h"
#include "support/app_world.h"

namespace vellicor::testing {
namespace {

using sim::namedSource;

class ChangeAnnouncement : public ::testing::Test {
 protected:
  void SetUp() override {
    w.desktop.inputSources.setCurrent(namedSource("2-Set Korean", "k"));
    w.launch();
  }
  std::vector<std::string> told() const {
    std::vector<std::string> texts;
    for (const auto& announcement : w.desktop.accessibility.announcements()) {
      texts.push_back(announcement.text);
    }
    return texts;
  }
  double toldAt(std::size_t i) const { return w.desktop.accessibility.announcements().at(i).at; }
  void advance(double seconds) { w.desktop.threads.advance(seconds); }

  AppWorld w;
};

TEST_F(ChangeAnnouncement, AChangeIsToldOnceWhenItHasSettledAndTheStartNever) {
  advance(5);
  EXPECT_TRUE(told().empty()) << "the name read at start-up was told";
  w.switchTo(namedSource("ABC", "a"));
  advance(ChangeAnnouncer::kSettleSeconds - 0.01);
  EXPECT_TRUE(told().empty());
  advance(0.02);
  EXPECT_EQ(told(), std::vector<std::string>{"ABC"});
  EXPECT_DOUBLE_EQ(toldAt(0), 5 + ChangeAnnouncer::kSettleSeconds);
  // A repeated notification, or another source of the same name, is no change.
  w.desktop.repostSourceChanged();
  w.switchTo(namedSource("ABC", "another.source"));
  advance(1);
  EXPECT_EQ(told().size(), 1u);
}

// Switching quickly leaves one message: the name the switching ended on.
TEST_F(ChangeAnnouncement, ABurstIsToldOnceWithTheNameItEndedOn) {
  for (const char* name : {"ABC", "Dvorak", "日本語", "ABC", "Hangul"}) {
    w.switchTo(namedSource(name, name));
    advance(0.1);
  }
  advance(1);
  EXPECT_EQ(told(), std::vector<std::string>{"Hangul"});
  EXPECT_DOUBLE_EQ(toldAt(0), 0.4 + ChangeAnnouncer::kSettleSeconds);
  // Back where it was last told, in a burst: nothing changed for the listener.
  w.switchTo(namedSource("ABC", "a"));
  advance(0.05);
  w.switchTo(namedSource("Hangul", "h"));
  advance(1);
  EXPECT_EQ(told().size(), 1u);
  // Slower switches are each told.
  w.switchTo(namedSource("ABC", "a"));
  advance(0.5);
  w.switchTo(namedSource("Hangul", "h"));
  advance(0.5);
  EXPECT_EQ(told(), (std::vector<std::string>{"Hangul", "ABC", "Hangul"}));
}

TEST_F(ChangeAnnouncement, NothingIsToldOnceTheProgramQuits) {
  w.switchTo(namedSource("ABC", "a"));
  ASSERT_TRUE(w.desktop.chooseStatusMenuItem(2));
  w.desktop.threads.runPending();
  advance(1);
  EXPECT_TRUE(told().empty());
}

}  // namespace
}  // namespace vellicor::testing
