#pragma once

#include <string>
#include <string_view>

namespace vellicor {

// Names and messages come from outside the program (a keymap, an input method,
// a D-Bus reply) and may hold any character. These make such text safe for
// where it is shown.

// For a log line: each backslash doubled (\\); every C0 and C1 control and DEL
// written as a visible escape (\n, \r, \t, \x1b, \x7f, \u0085); and each
// bidirectional control (U+061C, U+200E, U+200F, U+202A..U+202E,
// U+2066..U+2069) written as \u and four hex digits (\u202e). So a name can
// neither break the line, nor send a terminal a control sequence, nor reorder
// the rest of the line in a viewer that lays out bidirectional text. Other
// bytes are unchanged. Each backslash in the result starts one of these
// escapes, so the line reads back to exactly the text it came from.
std::string escapedControls(std::string_view text);

// For a one-line label (the panel, the menu), where a control would show as
// a missing-glyph box: each line or paragraph break (CR LF, LF, VT, FF, CR,
// NEL, U+2028, U+2029) and each tab becomes one space; every other C0 control
// shows as its control picture (ESC as U+241B), DEL as U+2421; the other C1
// controls, which have no picture and no meaning in a name, are left out.
// Ill-formed UTF-8 is read as U+FFFD, as a label shows it; other text is
// unchanged.
std::string oneLineLabel(std::string_view text);

}  // namespace vellicor
