#pragma once

#include <string>
#include <string_view>

#include "platform/text.h"

namespace vellicor::cocoa {

// The text services on Foundation's NSString: non-literal comparison and search
// (canonical equivalence, composed character sequences), locale-independent
// case mapping, whitespace-and-newline trimming, composed character sequences
// for the first character.
//
// Checklist: NSString's composed character sequences are its grapheme clusters;
// Foundation's whitespace-and-newline set is general category Z plus the
// controls U+0009..U+000D and U+0085, as the services ask.
class CocoaTextServices final : public TextServices {
 public:
  std::string validUTF8(std::string_view text) const override;
  bool canonicallyEqual(std::string_view a, std::string_view b) const override;
  bool contains(std::string_view haystack, std::string_view needle) const override;
  std::string lowercased(std::string_view text) const override;
  std::string uppercased(std::string_view text) const override;
  std::string trimmingWhitespaceAndNewlines(std::string_view text) const override;
  std::string firstCharacter(std::string_view text) const override;
};

}  // namespace vellicor::cocoa
