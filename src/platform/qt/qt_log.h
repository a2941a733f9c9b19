#pragma once

#include <string_view>

#include "platform/log.h"

namespace vellicor::qt {

// Each line goes to standard error, after a local timestamp and the process
// name and id, in one write; and to syslog as an argument of "%s".
//
// Checklist: verbatim, one call per line. syslog stops at a NUL byte inside a
// line; standard error gets the whole line.
class QtLog final : public Log {
 public:
  QtLog();
  ~QtLog() override;
  QtLog(const QtLog&) = delete;
  QtLog& operator=(const QtLog&) = delete;
  void writeLine(std::string_view line) override;
};

}  // namespace vellicor::qt
