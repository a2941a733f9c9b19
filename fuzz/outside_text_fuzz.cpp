// Any bytes through the log escaping and the one-line form: nothing that
// breaks a line or drives a terminal is left, and well-formed text stays
// well-formed.
#include <cstdint>
#include <cstdlib>
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
    if (wellFormed && (hasC1(logged) || !vellicor::isWellFormedUtf8(logged))) {
      std::abort();
    }

    const std::string shown = vellicor::singleLine(input);
    if (shown.find_first_of("\r\n\t\v\f") != std::string::npos ||
        shown.find("\xC2\x85") != std::string::npos ||
        shown.find("\xE2\x80\xA8") != std::string::npos ||
        shown.find("\xE2\x80\xA9") != std::string::npos) {
      std::abort();
    }
    if (wellFormed && !vellicor::isWellFormedUtf8(shown)) {
      std::abort();
    }
  }
  return 0;
}
