#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/qt/sources/dbus/dbus_value.h"
#include "platform/qt/sources/session_tracker.h"

namespace vellicor::qt {

// What KWin's answers on the session bus mean, read without trusting their
// shape: anything missing or of another kind reads as none.

// One of the layouts Plasma's layout service lists.
struct KWinLayout {
  std::string shortName;    // the XKB layout ("kr")
  std::string displayName;  // the label the user gave it, often empty
  std::string longName;     // what the desktop shows ("Korean (101/104-key compatible)")
};

// getLayoutsList's a(sss), in order; entries of another shape are kept as
// empty ones, so that every index still names its own layout. At most 256.
std::vector<KWinLayout> kwinLayouts(const DBusValue& list);

// A layout's index: getLayout's answer, layoutChanged's argument.
std::optional<std::uint32_t> kwinLayoutIndex(const DBusValue& value);

// The source the layout at `index` is: named by its long name (else the label
// the user gave it), identified by its XKB layout. None past the list's end,
// or when the layout has no name at all.
std::optional<NamedSource> kwinLayoutSource(const std::vector<KWinLayout>& layouts,
                                            std::uint32_t index);

// The outputs KWin's support information lists in its "Screens" section, by
// name: each one's rectangle in KWin's layout of its outputs. Only the first
// megabyte of the text is read, and at most 64 outputs.
std::map<std::string, OutputRect> kwinOutputs(std::string_view supportInformation);

}  // namespace vellicor::qt
