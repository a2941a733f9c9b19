#include "platform/common/outside_text.h"

#include <cstdio>

namespace vellicor {
namespace {

// UTF-8 lead byte of the two-byte forms U+0080..U+00BF; C1 controls are
// U+0080..U+009F, and U+0085 (NEL) is the one that breaks lines.
constexpr unsigned char kLatin1Lead = 0xC2;
constexpr unsigned char kNextLine = 0x85;
// U+2028 and U+2029 are E2 80 A8 and E2 80 A9.
constexpr std::string_view kLineSeparator = "\xE2\x80\xA8";
constexpr std::string_view kParagraphSeparator = "\xE2\x80\xA9";

bool isC1At(std::string_view text, std::size_t i) {
  return static_cast<unsigned char>(text[i]) == kLatin1Lead && i + 1 < text.size() &&
         static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
         static_cast<unsigned char>(text[i + 1]) <= 0x9F;
}

}  // namespace

std::string escapedControls(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    char escape[8] = {};
    if (byte == '\\') {
      out += "\\\\";
    } else if (byte == '\n') {
      out += "\\n";
    } else if (byte == '\r') {
      out += "\\r";
    } else if (byte == '\t') {
      out += "\\t";
    } else if (byte < 0x20 || byte == 0x7F) {
      std::snprintf(escape, sizeof escape, "\\x%02x", byte);
      out += escape;
    } else if (isC1At(text, i)) {
      std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned char>(text[i + 1]));
      out += escape;
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string singleLine(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      out += ' ';
      ++i;
    } else if (c == '\n' || c == '\r' || c == '\t' || c == '\v' || c == '\f') {
      out += ' ';
    } else if (static_cast<unsigned char>(c) == kLatin1Lead && i + 1 < text.size() &&
               static_cast<unsigned char>(text[i + 1]) == kNextLine) {
      out += ' ';
      ++i;
    } else if (text.substr(i, 3) == kLineSeparator || text.substr(i, 3) == kParagraphSeparator) {
      out += ' ';
      i += 2;
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace vellicor
