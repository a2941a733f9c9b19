#include "platform/cocoa/cocoa_mapping.h"

namespace vellicor::cocoa {

std::string actionSelectorName(std::string_view action) {
  if (action.empty()) {
    return {};
  }
  std::string selector(action);
  if (selector.back() != ':') {
    selector += ':';
  }
  return selector;
}

std::string actionFromSelectorName(std::string_view selector) {
  if (!selector.empty() && selector.back() == ':') {
    selector.remove_suffix(1);
  }
  return std::string(selector);
}

}  // namespace vellicor::cocoa
