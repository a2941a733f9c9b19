// Any bytes through the log escaping and the label form: nothing that breaks a
// line, drives a terminal or reorders a line is left in the log, the escaped
// text reads back to exactly what was escaped, no control is left in a label,
// and well-formed text stays well-formed.
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "platform/common/outside_text.h"
#include "platform/common/utf8.h"

namespace {

bool hasC1(std::string_view s) {
  for (size_t i = 0; i + 1 < s.size(); ++i) {
    const auto lead = static_cast<unsigned char>(s[i]);
    const auto next = static_cast<unsigned char>(s[i + 1]);
    if (lead == 0xC2 && next >= 0x80 && next <= 0x9F) {
      return true;
    }
  }
  return false;
}

// U+061C, U+200E, U+200F, U+202A..U+202E and U+2066..U+2069 in UTF-8.
bool hasBidiControl(std::string_view s) {
  constexpr std::string_view kBidiControls[] = {"\xD8\x9C",     "\xE2\x80\x8E", "\xE2\x80\x8F",
                                                "\xE2\x80\xAA", "\xE2\x80\xAB", "\xE2\x80\xAC",
                                                "\xE2\x80\xAD", "\xE2\x80\xAE", "\xE2\x81\xA6",
                                                "\xE2\x81\xA7", "\xE2\x81\xA8", "\xE2\x81\xA9"};
  for (const std::string_view control : kBidiControls) {
    if (s.find(control) != std::string_view::npos) {
      return true;
    }
  }
  return false;
}

// The value of `digits` lower-case hex digits at `at`, if they are there.
std::optional<unsigned> hexAt(std::string_view s, size_t at, size_t digits) {
  if (at + digits > s.size()) {
    return std::nullopt;
  }
  unsigned value = 0;
  for (size_t k = at; k < at + digits; ++k) {
    const char c = s[k];
    if (c >= '0' && c <= '9') {
      value = value * 16 + static_cast<unsigned>(c - '0');
    } else if (c >= 'a' && c <= 'f') {
      value = value * 16 + static_cast<unsigned>(c - 'a' + 10);
    } else {
      return std::nullopt;
    }
  }
  return value;
}

void appendUtf8(std::string& out, unsigned c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// A log line read back, as a reader of the log would: \\, \n, \r, \t, \xHH
// (a byte) and \uHHHH (a code point); none when a backslash starts no escape.
std::optional<std::string> readBack(std::string_view logged) {
  std::string out;
  for (size_t i = 0; i < logged.size(); ++i) {
    if (logged[i] != '\\') {
      out += logged[i];
      continue;
    }
    const char kind = i + 1 < logged.size() ? logged[i + 1] : '\0';
    if (kind == '\\' || kind == 'n' || kind == 'r' || kind == 't') {
      out += kind == 'n' ? '\n' : kind == 'r' ? '\r' : kind == 't' ? '\t' : '\\';
      i += 1;
    } else if (const auto byte = kind == 'x' ? hexAt(logged, i + 2, 2) : std::nullopt) {
      out += static_cast<char>(*byte);
      i += 3;
    } else if (const auto code = kind == 'u' ? hexAt(logged, i + 2, 4) : std::nullopt) {
      appendUtf8(out, *code);
      i += 5;
    } else {
      return std::nullopt;
    }
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view raw(reinterpret_cast<const char*>(data), size);
  // Names reach these well-formed; ill-formed bytes must still be safe to read.
  for (const std::string& input : {std::string(raw), vellicor::repairedUtf8(raw)}) {
    const bool wellFormed = vellicor::isWellFormedUtf8(input);

    const std::string logged = vellicor::escapedControls(input);
    for (const char c : logged) {
      const auto byte = static_cast<unsigned char>(c);
      if (byte < 0x20 || byte == 0x7F) {
        std::abort();
      }
    }
    if (hasC1(logged) || hasBidiControl(logged) ||
        (wellFormed && !vellicor::isWellFormedUtf8(logged))) {
      std::abort();
    }
    // Every backslash starts an escape, and the escapes undo to the input: no
    // two texts log alike.
    if (readBack(logged) != input) {
      std::abort();
    }

    // A label is well-formed and holds no C0 control, DEL, C1 control or line
    // separator: each is a space, a control picture or left out.
    const std::string shown = vellicor::oneLineLabel(input);
    for (const char c : shown) {
      const auto byte = static_cast<unsigned char>(c);
      if (byte < 0x20 || byte == 0x7F) {
        std::abort();
      }
    }
    if (hasC1(shown) || shown.find("\xE2\x80\xA8") != std::string::npos ||
        shown.find("\xE2\x80\xA9") != std::string::npos) {
      std::abort();
    }
    if (!vellicor::isWellFormedUtf8(shown)) {
      std::abort();
    }
  }
  return 0;
}
