#include "platform/qt/qt_log.h"

#include <sys/time.h>
#include <syslog.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <string>

namespace vellicor::qt {
namespace {

constexpr char kProcessName[] = "vellicor";

std::string timestamp() {
  timeval now{};
  gettimeofday(&now, nullptr);
  tm local{};
  localtime_r(&now.tv_sec, &local);
  char date[32];
  const size_t n = strftime(date, sizeof date, "%Y-%m-%d %H:%M:%S", &local);
  char millis[8];
  std::snprintf(millis, sizeof millis, ".%03d", static_cast<int>(now.tv_usec / 1000));
  return std::string(date, n) + millis;
}

}  // namespace

QtLog::QtLog() {
  openlog(kProcessName, LOG_PID, LOG_USER);
}

QtLog::~QtLog() {
  closelog();
}

void QtLog::writeLine(std::string_view line) {
  std::string out = timestamp();
  out += ' ';
  out += kProcessName;
  out += '[' + std::to_string(getpid()) + "] ";
  out += line;
  out += '\n';
  size_t done = 0;
  while (done < out.size()) {
    const ssize_t n = ::write(STDERR_FILENO, out.data() + done, out.size() - done);
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n <= 0) {
      break;
    }
    done += static_cast<size_t>(n);
  }
  const std::string text(line);
  syslog(LOG_NOTICE, "%s", text.c_str());
}

}  // namespace vellicor::qt
