#pragma once

#include <string>
#include <string_view>

namespace vellicor {

// Names come from outside the program (a keymap, an input method) and may hold
// any character. These make well-formed UTF-8 safe for where it is shown.

// For a log line: each backslash doubled (\\) and every C0 and C1 control and
// DEL written as a visible escape (\n, \r, \t, \x1b, \x7f, \u0085), so a name
// can neither break the line nor send a terminal a control sequence. Other text
// is unchanged. Each backslash in the result starts one of these escapes, so
// the line reads back to exactly the text it came from.
std::string escapedControls(std::string_view text);

// For a one-line label: each line or paragraph break (CR LF, LF, VT, FF, CR,
// NEL, U+2028, U+2029) and each tab becomes one space.
std::string singleLine(std::string_view text);

}  // namespace vellicor
