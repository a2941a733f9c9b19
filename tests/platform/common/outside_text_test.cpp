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
  // Hangul, Hebrew and Arabic letters, joiners, line separators, and the
  // neighbours of the bidi controls.
  const std::string kept =
      "%n%s \xC2\xA0\xC3\xA9 한국어 \xD7\xA2\xD8\x9B\xD8\x9D \xE2\x80\x8D"
      "\xE2\x80\xA8\xE2\x80\xA9\xE2\x80\xAF\xE2\x81\xA5\xE2\x81\xAA";
  EXPECT_EQ(escapedControls(kept), kept);
  EXPECT_EQ(escapedControls(""), "");
}

TEST(OutsideText, BidiControlsAreEscapedSoNoNameReordersItsLine) {
  // Overrides and embeddings with their pop, isolates with theirs, and the
  // three marks.
  EXPECT_EQ(escapedControls("\xE2\x80\xAE"
                            "Dvorak\xE2\x80\xAC \xE2\x80\xAA\xE2\x80\xAB\xE2\x80\xAD"),
            "\\u202eDvorak\\u202c \\u202a\\u202b\\u202d");
  EXPECT_EQ(escapedControls("\xE2\x81\xA6\xE2\x81\xA7\xE2\x81\xA8"
                            "abc\xE2\x81\xA9"),
            "\\u2066\\u2067\\u2068abc\\u2069");
  EXPECT_EQ(escapedControls("\xE2\x80\x8E \xE2\x80\x8F \xD8\x9C"), "\\u200e \\u200f \\u061c");
  // Ill-formed bytes around one neither hide it nor are taken for one.
  EXPECT_EQ(escapedControls("\xE2\xE2\x80\xAE\xE2\x80"), "\xE2\\u202e\xE2\x80");
}

TEST(OutsideText, ABackslashIsDoubledSoNoEscapeCanBeForged) {
  // A name that spells an escape logs apart from the control it spells.
  EXPECT_EQ(escapedControls("a\\nb"), "a\\\\nb");
  EXPECT_EQ(escapedControls("a\nb"), "a\\nb");
  EXPECT_EQ(escapedControls("\\x1b \\u0085 \\"), "\\\\x1b \\\\u0085 \\\\");
  EXPECT_EQ(escapedControls("\\\n"), "\\\\\\n");
}

TEST(OutsideText, ALabelShowsLineBreaksAndTabsAsOneSpaceEach) {
  EXPECT_EQ(oneLineLabel("Line\nBreak"), "Line Break");
  EXPECT_EQ(oneLineLabel("Windows\r\nline"), "Windows line");
  EXPECT_EQ(oneLineLabel("a\rb\vc\fd\te"), "a b c d e");
  EXPECT_EQ(oneLineLabel("Next\xC2\x85Line"), "Next Line");
  EXPECT_EQ(oneLineLabel("Line\xE2\x80\xA8Sep\xE2\x80\xA9Para"), "Line Sep Para");
  EXPECT_EQ(oneLineLabel("\n\n"), "  ");
  // Other text stands: bidi controls, joiners, Hangul, backslashes, control
  // pictures already there, and the neighbours of DEL and of the C1 controls.
  const std::string kept = "\xC2\xA0 \xE2\x80\xAA\xE2\x80\x8D 한국어 \\n \xE2\x90\x9B ~\xC2\xA0";
  EXPECT_EQ(oneLineLabel(kept), kept);
}

TEST(OutsideText, ALabelShowsOtherControlsAsTheirPicturesAndLeavesC1ControlsOut) {
  // ESC is U+241B, BEL U+2407, NUL U+2400, US U+241F, DEL U+2421.
  EXPECT_EQ(oneLineLabel("Esc\x1b[2J\x07"), "Esc\xE2\x90\x9B[2J\xE2\x90\x87");
  EXPECT_EQ(oneLineLabel(std::string("Nul\0Us\x1f"
                                     "Del\x7f",
                                     11)),
            "Nul\xE2\x90\x80Us\xE2\x90\x9F"
            "Del\xE2\x90\xA1");
  // U+0080, U+0084 and U+009F have no picture: they are left out.
  EXPECT_EQ(oneLineLabel("a\xC2\x80"
                         "b\xC2\x84"
                         "c\xC2\x9F"),
            "abc");
  EXPECT_EQ(oneLineLabel("\xC2\x9B"), "");
  // Ill-formed bytes are read as U+FFFD first, so a control left out never
  // joins its neighbours into a character (here U+2029, which breaks lines).
  EXPECT_EQ(oneLineLabel("a\xE2\x80\xC2\x80\xA9"
                         "b"),
            "a\xEF\xBF\xBD\xEF\xBF\xBD"
            "b");
}

}  // namespace
}  // namespace vellicor
