#include "platform/common/outside_text.h"

#include <cstdio>
#include <optional>

namespace vellicor {
namespace {

// UTF-8 lead byte of the two-byte forms U+0080..U+00BF; C1 controls are
// U+0080..U+009F, and U+0085 (NEL) is the one that breaks lines.
constexpr unsigned char kLatin1Lead = 0xC2;
constexpr unsigned char kNextLine = 0x85;
// U+2028 and U+2029 are E2 80 A8 and E2 80 A9.
constexpr std::string_view kLineSeparator = "\xE2\x80\xA8";
constexpr std::string_view kParagraphSeparator = "\xE2\x80\xA9";

struct Character {
  char32_t codePoint;
  std::size_t length;
};

// The C1 control (U+0080..U+009F) or the character of U+061C or
// U+2000..U+207F whose UTF-8 form starts at `i`, if one does: the characters
// outside ASCII that these functions treat apart are among them. Only
// well-formed shortest forms match, so a match is exactly one code point and
// ends before the next one starts.
std::optional<Character> characterAt(std::string_view text, std::size_t i) {
  const auto byte = [&](std::size_t k) -> unsigned {
    return k < text.size() ? static_cast<unsigned char>(text[k]) : 0;
  };
  const unsigned lead = byte(i);
  const unsigned second = byte(i + 1);
  const unsigned third = byte(i + 2);
  if (lead == kLatin1Lead && second >= 0x80 && second <= 0x9F) {
    return Character{second, 2};
  }
  if (lead == 0xD8 && second == 0x9C) {
    return Character{0x061C, 2};
  }
  if (lead == 0xE2 && (second == 0x80 || second == 0x81) && third >= 0x80 && third <= 0xBF) {
    return Character{0x2000 + ((second & 0x3F) << 6) + (third & 0x3F), 3};
  }
  return std::nullopt;
}

bool isC1Control(char32_t c) {
  return c >= 0x80 && c <= 0x9F;
}

// The characters that set the direction of the text around them: the Arabic
// letter mark, the left-to-right and right-to-left marks, the embeddings and
// overrides with their pop, and the isolates with theirs.
bool isBidiControl(char32_t c) {
  return c == 0x061C || c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) ||
         (c >= 0x2066 && c <= 0x2069);
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
    } else if (const auto wide = characterAt(text, i);
               wide && (isC1Control(wide->codePoint) || isBidiControl(wide->codePoint))) {
      std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(wide->codePoint));
      out += escape;
      i += wide->length - 1;
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
