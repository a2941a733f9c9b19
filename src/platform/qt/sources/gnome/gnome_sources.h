#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vellicor::qt {

// An input source as GNOME's settings list it (org.gnome.desktop.input-sources):
// a keyboard layout ("xkb", "kr+kr104") or an IBus engine ("ibus", "hangul").
struct GnomeSource {
  std::string type;
  std::string id;
};

inline bool operator==(const GnomeSource& a, const GnomeSource& b) {
  return a.type == b.type && a.id == b.id;
}
inline bool operator<(const GnomeSource& a, const GnomeSource& b) {
  return a.type != b.type ? a.type < b.type : a.id < b.id;
}

// The most entries read from one list, and the longest type or id taken: the
// settings are the user's, but any program of the session may write them.
inline constexpr std::size_t kMaxGnomeSources = 64;
inline constexpr std::size_t kMaxGnomeSourceText = 256;

// Whether an entry is one to follow: an "xkb" or "ibus" source with an id of
// bounded length.
bool isGnomeSource(const GnomeSource& source);

// The source the shell has made current: the first of `mru` (mru-sources,
// the current one first) that is also one of `sources`; while none is (before
// the first switch), the first of `sources`, as the shell starts. None when
// `sources` lists nothing, which leaves the keyboard's layout to the system.
std::optional<GnomeSource> currentGnomeSource(const std::vector<GnomeSource>& mru,
                                              const std::vector<GnomeSource>& sources);

// An xkb source's layout and variant.
struct XkbLayoutName {
  std::string layout;
  std::string variant;  // empty without one
};

// "kr+kr104" -> kr, kr104; "us" -> us. None for an id that is not a layout
// name: empty, more than one '+', or anything but letters, digits, '-' and '_'.
std::optional<XkbLayoutName> gnomeXkbLayout(std::string_view id);

// The layout as the keyboard's groups name it: "kr(kr104)", "us".
std::string xkbIdentifier(const XkbLayoutName& layout);

}  // namespace vellicor::qt
