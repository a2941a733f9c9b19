#include "platform/common/outside_text.h"

#include <cstdio>
#include <optional>

#include "platform/common/utf8.h"

namespace vellicor {
namespace {

// UTF-8 lead byte of the two-byte forms U+0080..U+00BF; C1 controls are
// U+0080..U+009F.
constexpr unsigned char kLatin1Lead = 0xC2;
constexpr unsigned char kDelete = 0x7F;
// The breaks of lines and paragraphs beyond ASCII.
constexpr char32_t kNextLine = 0x85;
constexpr char32_t kLineSeparator = 0x2028;
constexpr char32_t kParagraphSeparator = 0x2029;

struct Character {
  char32_t codePoint;
  std::size_t length;
};

// The code point whose UTF-8 form starts at `i`, when it is one of those
// beyond ASCII that these functions look for: a C1 control (U+0080..U+009F),
// U+061C, or one of U+2000..U+207F, where the other direction marks and
// controls and the line and paragraph separators are. Only well-formed
// shortest forms match, so a match is exactly one code point.
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

// The control pictures start at U+2400 (E2 90 80), one for each C0 control in
// order; DEL's is U+2421 (E2 90 A1).
void appendControlPicture(std::string& out, unsigned char control) {
  out += "\xE2\x90";
  out += static_cast<char>(0x80 + (control == kDelete ? 0x21 : control));
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
    } else if (byte < 0x20 || byte == kDelete) {
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

std::string oneLineLabel(std::string_view raw) {
  // Read as well-formed first: leaving a control out of ill-formed bytes could
  // join the bytes on either side of it into a character of their own.
  const std::string text = repairedUtf8(raw);
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      out += ' ';
      ++i;
    } else if (c == '\n' || c == '\r' || c == '\t' || c == '\v' || c == '\f') {
      out += ' ';
    } else if (byte < 0x20 || byte == kDelete) {
      appendControlPicture(out, byte);
    } else if (const auto wide = characterAt(text, i);
               wide && (wide->codePoint == kNextLine || wide->codePoint == kLineSeparator ||
                        wide->codePoint == kParagraphSeparator)) {
      out += ' ';
      i += wide->length - 1;
    } else if (wide && isC1Control(wide->codePoint)) {
      i += wide->length - 1;
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace vellicor
