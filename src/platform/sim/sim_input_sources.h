#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/input_sources.h"

namespace vellicor::sim {

// One property as a script gives it: a string, or a value of another type.
struct SimValue {
  TypeID typeID = 0;
  std::string text;
};

// The properties an input source has; an empty optional is an absent property.
struct SimSource {
  std::optional<SimValue> localizedName;
  std::optional<SimValue> inputSourceID;
};

inline constexpr TypeID kSimStringTypeID = 7;
inline constexpr TypeID kSimNumberTypeID = 22;

SimValue simString(std::string text);
SimValue simNonString(TypeID typeID = kSimNumberTypeID);
SimSource namedSource(std::string localizedName, std::string identifier);
SimSource identifiedSource(std::string identifier);

// A scriptable input-source service. Every copy, property read and release is
// recorded in `trace()` so tests can check ownership and order.
class SimInputSources final : public InputSources {
 public:
  InputSourceRef copyCurrentKeyboardInputSource() override;
  TypeID stringTypeID() const override { return kSimStringTypeID; }
  std::string keyText(PropertyKey key) const override;
  std::string selectedSourceChangedNotification() const override;

  // No current source when empty.
  void setCurrent(std::optional<SimSource> source) { current_ = std::move(source); }
  std::size_t copies() const { return copies_; }
  std::size_t releases() const { return releases_; }
  const std::vector<std::string>& trace() const { return trace_; }
  void clearTrace() { trace_.clear(); }
  // Benchmarks and other long runs stop the trace, which would otherwise grow
  // with every change; the counts go on.
  void setKeepTrace(bool keep) { keepTrace_ = keep; }

 private:
  friend class SimInputSource;
  void record(std::string_view what, std::string_view detail = {});
  std::optional<SimSource> current_;
  std::size_t copies_ = 0;
  std::size_t releases_ = 0;
  std::vector<std::string> trace_;
  bool keepTrace_ = true;
};

}  // namespace vellicor::sim
