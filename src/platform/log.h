#pragma once

#include <string_view>

namespace vellicor {

class Log {
 public:
  virtual ~Log() = default;
  // Writes one line, verbatim: nothing in it is read as a format.
  virtual void writeLine(std::string_view line) = 0;
};

}  // namespace vellicor
