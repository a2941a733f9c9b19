#pragma once

#include <string_view>

#include "platform/log.h"

namespace vellicor::cocoa {

// NSLog with the line as the argument of "%@": one call per line, verbatim.
class CocoaLog final : public Log {
 public:
  void writeLine(std::string_view line) override;
};

}  // namespace vellicor::cocoa
