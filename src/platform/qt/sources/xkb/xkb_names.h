#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/qt/sources/source_tracker.h"

namespace vellicor::qt {

// The root window's _XKB_RULES_NAMES: five NUL-terminated strings (rules,
// model, layouts, variants, options), the lists comma-separated, one entry per
// keyboard group.
struct RulesNames {
  std::string rules;
  std::string model;
  std::vector<std::string> layouts;
  std::vector<std::string> variants;
  std::string options;
  bool operator==(const RulesNames&) const = default;
};

RulesNames parseRulesNames(std::string_view property);

// The machine name of a group's layout: "kr(kr104)" for a variant, "us" without
// one; none when the rules name no layout for the group.
std::optional<std::string> layoutIdentifier(const RulesNames& names, std::size_t group);

// How the keyboard brings a group number outside its groups back into range
// (the controls' groupsWrap): wrap around, clamp to the last group, or redirect
// to one group. The server applies it at the next change of state only, so a
// group it reports after the keymap lost groups may still be out of range.
struct GroupsWrap {
  unsigned numGroups = 0;
  unsigned wrap = 0;  // the controls' groupsWrap byte
  bool operator==(const GroupsWrap&) const = default;
};

// `group` brought into range as XKB does; 0 when the keyboard has no groups.
std::size_t effectiveGroup(int group, const GroupsWrap& controls);

// One keyboard group as the desktop names it: the group's name, when it has
// one, and its layout and variant, when known.
NamedSource groupSource(const std::vector<std::string>& groupNames, const RulesNames& rules,
                        std::size_t group);

}  // namespace vellicor::qt
