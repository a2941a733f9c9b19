#include "platform/qt/sources/xkb/xkb_names.h"

namespace vellicor::qt {
namespace {

std::vector<std::string> splitList(std::string_view list) {
  std::vector<std::string> items;
  if (list.empty()) {
    return items;
  }
  size_t start = 0;
  while (true) {
    const size_t comma = list.find(',', start);
    items.emplace_back(list.substr(start, comma == std::string_view::npos ? comma : comma - start));
    if (comma == std::string_view::npos) {
      return items;
    }
    start = comma + 1;
  }
}

std::string trimmed(std::string_view s) {
  const size_t first = s.find_first_not_of(' ');
  if (first == std::string_view::npos) {
    return {};
  }
  return std::string(s.substr(first, s.find_last_not_of(' ') - first + 1));
}

}  // namespace

RulesNames parseRulesNames(std::string_view property) {
  std::string_view fields[5];
  size_t start = 0;
  for (auto& field : fields) {
    if (start > property.size()) {
      break;
    }
    const size_t end = property.find('\0', start);
    field = property.substr(start, end == std::string_view::npos ? end : end - start);
    start = end == std::string_view::npos ? property.size() + 1 : end + 1;
  }
  RulesNames names;
  names.rules = std::string(fields[0]);
  names.model = std::string(fields[1]);
  names.layouts = splitList(fields[2]);
  names.variants = splitList(fields[3]);
  names.options = std::string(fields[4]);
  return names;
}

std::optional<std::string> layoutIdentifier(const RulesNames& names, std::size_t group) {
  if (group >= names.layouts.size()) {
    return std::nullopt;
  }
  const std::string layout = trimmed(names.layouts[group]);
  if (layout.empty()) {
    return std::nullopt;
  }
  const std::string variant =
      group < names.variants.size() ? trimmed(names.variants[group]) : std::string();
  return variant.empty() ? layout : layout + "(" + variant + ")";
}

std::size_t effectiveGroup(int group, const GroupsWrap& controls) {
  constexpr unsigned kActionMask = 0xC0;
  constexpr unsigned kClamp = 0x40;
  constexpr unsigned kRedirect = 0x80;
  constexpr unsigned kRedirectGroupMask = 0x0F;
  const int count = static_cast<int>(controls.numGroups);
  if (count <= 0) {
    return 0;
  }
  if (group >= 0 && group < count) {
    return static_cast<std::size_t>(group);
  }
  switch (controls.wrap & kActionMask) {
    case kClamp:
      return group < 0 ? 0 : static_cast<std::size_t>(count - 1);
    case kRedirect: {
      const int target = static_cast<int>(controls.wrap & kRedirectGroupMask);
      return target < count ? static_cast<std::size_t>(target) : 0;
    }
    default:
      return static_cast<std::size_t>(((group % count) + count) % count);
  }
}

NamedSource groupSource(const std::vector<std::string>& groupNames, const RulesNames& rules,
                        std::size_t group) {
  NamedSource source;
  if (group < groupNames.size() && !groupNames[group].empty()) {
    source.localizedName = groupNames[group];
  }
  source.identifier = layoutIdentifier(rules, group);
  return source;
}

}  // namespace vellicor::qt
