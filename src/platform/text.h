#pragma once

#include <string>
#include <string_view>

namespace vellicor {

// Unicode text services over UTF-8. Every operation accepts any bytes: an
// ill-formed sequence is read as U+FFFD where it stands.
class TextServices {
 public:
  virtual ~TextServices() = default;
  // The text with each ill-formed sequence replaced by U+FFFD.
  virtual std::string validUTF8(std::string_view text) const = 0;
  // Byte-equal, or equal canonical decompositions.
  virtual bool canonicallyEqual(std::string_view a, std::string_view b) const = 0;
  // Case-sensitive search under canonical equivalence that matches whole extended
  // grapheme clusters only. An empty needle is never found.
  virtual bool contains(std::string_view haystack, std::string_view needle) const = 0;
  // Full case mappings, independent of the user's locale.
  virtual std::string lowercased(std::string_view text) const = 0;
  virtual std::string uppercased(std::string_view text) const = 0;
  // Removes general category Z, U+0009..U+000D and U+0085 from both ends.
  virtual std::string trimmingWhitespaceAndNewlines(std::string_view text) const = 0;
  // The first extended grapheme cluster; empty for empty text.
  virtual std::string firstCharacter(std::string_view text) const = 0;
};

}  // namespace vellicor
