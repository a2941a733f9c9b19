#include "platform/qt/sources/fcitx5/fcitx5_naming.h"

#include <algorithm>

namespace vellicor::qt {
namespace {

// The input method that names the source, by its unique name.
std::string namingMethod(const std::string& current, int state, const std::string& groupLayout) {
  if (state == kFcitx5Active && !current.empty()) {
    return current;
  }
  // Fcitx5 calls the keyboard input method of layout "us" "keyboard-us", and of
  // "kr" variant "kr104" "keyboard-kr-kr104"; a group's layout is spelt "kr-kr104".
  return groupLayout.empty() ? current : "keyboard-" + groupLayout;
}

const Fcitx5InputMethod* find(const std::vector<Fcitx5InputMethod>& available,
                              const std::string& uniqueName) {
  const auto it = std::find_if(available.begin(), available.end(),
                               [&](const auto& im) { return im.uniqueName == uniqueName; });
  return it != available.end() ? &*it : nullptr;
}

}  // namespace

NamedSource fcitx5Source(const std::vector<Fcitx5InputMethod>& available,
                         const std::string& current, int state, const std::string& groupLayout) {
  NamedSource source;
  const std::string method = namingMethod(current, state, groupLayout);
  if (method.empty()) {
    return source;
  }
  source.identifier = method;
  if (const Fcitx5InputMethod* im = find(available, method)) {
    if (!im->nativeName.empty()) {
      source.localizedName = im->nativeName;
    } else if (!im->name.empty()) {
      source.localizedName = im->name;
    }
  } else if (state != kFcitx5Active && !groupLayout.empty()) {
    // A layout Fcitx5 lists no input method for: its own name, as XKB spells it.
    source.localizedName = groupLayout;
  }
  return source;
}

bool fcitx5Knows(const std::vector<Fcitx5InputMethod>& available, const std::string& current,
                 int state, const std::string& groupLayout) {
  const std::string method = namingMethod(current, state, groupLayout);
  return method.empty() || find(available, method) != nullptr;
}

}  // namespace vellicor::qt
