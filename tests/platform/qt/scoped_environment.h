#pragma once

#include <QByteArray>
#include <utility>
#include <vector>

namespace vellicor::qt {

// Environment variables set for as long as it lives, then put back as they
// were (unset where they were unset).
class ScopedEnvironment {
 public:
  ScopedEnvironment() = default;
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;
  ~ScopedEnvironment() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
      if (it->second.isNull()) {
        qunsetenv(it->first);
      } else {
        qputenv(it->first, it->second);
      }
    }
  }

  void set(const char* variable, const QByteArray& value) {
    saved_.emplace_back(variable, qgetenv(variable));
    qputenv(variable, value);
  }

 private:
  std::vector<std::pair<const char*, QByteArray>> saved_;
};

}  // namespace vellicor::qt
