#include <array>
#include <string>
#include <string_view>

#include "app/app_delegate.h"
#include "platform/text.h"

namespace vellicor {
namespace {

struct BadgeRule {
  std::string_view needle;
  std::string_view badge;
};

// Tried in order against the lower-cased name: every Korean needle before any
// English one.
constexpr std::array<BadgeRule, 8> kBadgeRules{{
    {"korean", "한"},
    {"hangul", "한"},
    {"한글", "한"},
    {"한국", "한"},
    {"abc", "A"},
    {"us", "A"},
    {"u.s.", "A"},
    {"en", "A"},
}};

constexpr std::string_view kEmptyBadge = "A";

}  // namespace

std::string AppDelegate::shortBadge(std::string_view name) const {
  const TextServices& text = platform.text;
  const std::string lower = text.lowercased(name);
  for (const auto& rule : kBadgeRules) {
    if (text.contains(lower, rule.needle)) {
      return std::string(rule.badge);
    }
  }
  const std::string trimmed = text.trimmingWhitespaceAndNewlines(name);
  if (trimmed.empty()) {
    return std::string(kEmptyBadge);
  }
  return text.uppercased(text.firstCharacter(trimmed));
}

}  // namespace vellicor
