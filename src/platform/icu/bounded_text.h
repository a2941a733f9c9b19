#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vellicor {

// A name from outside the program (a layout, an input method) can be of any
// length: a compositor's D-Bus reply may carry megabytes. What the program
// shows and logs of one is bounded: at most this many extended grapheme
// clusters, and this many bytes, however long each cluster is.
inline constexpr std::size_t kMostNameClusters = 256;
inline constexpr std::size_t kMostNameBytes = 1024;

// `text` itself when it keeps within `mostClusters` clusters and `mostBytes`
// bytes. Otherwise as many of its first whole clusters as keep within both,
// counting the ellipsis (U+2026) that follows them; ill-formed UTF-8 in a text
// that is cut is read as U+FFFD. A first cluster longer than the bytes
// allowed is cut between code points.
std::string boundedText(std::string_view text, std::size_t mostClusters, std::size_t mostBytes);

inline std::string boundedName(std::string_view text) {
  return boundedText(text, kMostNameClusters, kMostNameBytes);
}

}  // namespace vellicor
