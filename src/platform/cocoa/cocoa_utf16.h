#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace vellicor::cocoa {

// UTF-8 for the UTF-16 code units of a Foundation string. Each surrogate that
// is not half of a high-low pair becomes U+FFFD; every other unit, U+0000
// included, is kept, so a name is neither emptied nor cut short.
std::string utf8FromUtf16(std::span<const std::uint16_t> units);

}  // namespace vellicor::cocoa
