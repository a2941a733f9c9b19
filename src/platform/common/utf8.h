#pragma once

#include <string>
#include <string_view>

namespace vellicor {

// Whether the bytes are well-formed UTF-8.
bool isWellFormedUtf8(std::string_view bytes);

// The bytes with each maximal ill-formed subpart (as Unicode defines it)
// replaced by U+FFFD; well-formed text comes back unchanged.
std::string repairedUtf8(std::string_view bytes);

}  // namespace vellicor
