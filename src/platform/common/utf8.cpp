#include "platform/common/utf8.h"

#include <cstddef>

namespace vellicor {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

// The length of the well-formed sequence at `i`, or 0 with `bad` set to the
// length of the maximal ill-formed subpart there.
size_t sequenceAt(std::string_view s, size_t i, size_t& bad) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char lead = byte(i);
  if (lead < 0x80) {
    return 1;
  }
  size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    low = lead == 0xE0 ? 0xA0 : 0x80;
    high = lead == 0xED ? 0x9F : 0xBF;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    low = lead == 0xF0 ? 0x90 : 0x80;
    high = lead == 0xF4 ? 0x8F : 0xBF;
  } else {
    bad = 1;
    return 0;
  }
  for (size_t k = 1; k < length; ++k) {
    const bool inRange = i + k < s.size() && byte(i + k) >= (k == 1 ? low : 0x80) &&
                         byte(i + k) <= (k == 1 ? high : 0xBF);
    if (!inRange) {
      bad = k;
      return 0;
    }
  }
  return length;
}

}  // namespace

bool isWellFormedUtf8(std::string_view bytes) {
  for (size_t i = 0; i < bytes.size();) {
    size_t bad = 0;
    const size_t n = sequenceAt(bytes, i, bad);
    if (n == 0) {
      return false;
    }
    i += n;
  }
  return true;
}

std::string repairedUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (size_t i = 0; i < bytes.size();) {
    size_t bad = 0;
    const size_t n = sequenceAt(bytes, i, bad);
    if (n == 0) {
      out += kReplacement;
      i += bad;
    } else {
      out.append(bytes.substr(i, n));
      i += n;
    }
  }
  return out;
}

}  // namespace vellicor
