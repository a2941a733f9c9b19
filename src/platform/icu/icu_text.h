#pragma once

#include "platform/text.h"

namespace vellicor {

// The text services on ICU, used by the Linux and simulated desktops.
class IcuTextServices final : public TextServices {
 public:
  std::string validUTF8(std::string_view text) const override;
  bool canonicallyEqual(std::string_view a, std::string_view b) const override;
  bool contains(std::string_view haystack, std::string_view needle) const override;
  std::string lowercased(std::string_view text) const override;
  std::string uppercased(std::string_view text) const override;
  std::string trimmingWhitespaceAndNewlines(std::string_view text) const override;
  std::string firstCharacter(std::string_view text) const override;
};

}  // namespace vellicor
