#include "platform/common/outside_text.h"

#include <gtest/gtest.h>

#include <string>

namespace vellicor {
namespace {

TEST(OutsideText, EveryControlIsEscapedForTheLogAndNothingElse) {
  EXPECT_EQ(escapedControls("Line\nBreak\r\tEnd"), "Line\\nBreak\\r\\tEnd");
  EXPECT_EQ(escapedControls("Esc\x1b[31mRed\x07"), "Esc\\x1b[31mRed\\x07");
  EXPECT_EQ(escapedControls(std::string("Nul\0Del\x7f", 8)), "Nul\\x00Del\\x7f");
  // C1 controls are two bytes in UTF-8 and written as code points.
  EXPECT_EQ(escapedControls("Next\xC2\x85Line\xC2\x9B"
                            "31m"),
            "Next\\u0085Line\\u009b31m");
  // Everything else stands: percent signs, Latin-1 letters after the C1 range,
  // Hangul, bidi controls, line separators.
  const std::string kept =
      "%n%s \xC2\xA0\xC3\xA9 한국어 \xE2\x80\xAE"
      "Dvorak\xE2\x80\xAC \xE2\x80\xA8";
  EXPECT_EQ(escapedControls(kept), kept);
  EXPECT_EQ(escapedControls(""), "");
}

TEST(OutsideText, ABackslashIsDoubledSoNoEscapeCanBeForged) {
  // A name that spells an escape logs apart from the control it spells.
  EXPECT_EQ(escapedControls("a\\nb"), "a\\\\nb");
  EXPECT_EQ(escapedControls("a\nb"), "a\\nb");
  EXPECT_EQ(escapedControls("\\x1b \\u0085 \\"), "\\\\x1b \\\\u0085 \\\\");
  EXPECT_EQ(escapedControls("\\\n"), "\\\\\\n");
}

TEST(OutsideText, LineBreaksAndTabsBecomeOneSpaceEach) {
  EXPECT_EQ(singleLine("Line\nBreak"), "Line Break");
  EXPECT_EQ(singleLine("Windows\r\nline"), "Windows line");
  EXPECT_EQ(singleLine("a\rb\vc\fd\te"), "a b c d e");
  EXPECT_EQ(singleLine("Next\xC2\x85Line"), "Next Line");
  EXPECT_EQ(singleLine("Line\xE2\x80\xA8Sep\xE2\x80\xA9Para"), "Line Sep Para");
  EXPECT_EQ(singleLine("\n\n"), "  ");
  // Other characters, controls that do not break lines among them, stand.
  const std::string kept = "Esc\x1b[2J \xC2\x84 \xC2\xA0 \xE2\x80\xAA 한국어";
  EXPECT_EQ(singleLine(kept), kept);
}

}  // namespace
}  // namespace vellicor
