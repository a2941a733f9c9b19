#pragma once

#include <functional>
#include <memory>
#include <optional>

#include "platform/qt/xkb_names.h"

namespace vellicor::qt {

// Follows the global engine of this session's IBus daemon over its own D-Bus
// bus: connects when the daemon's address appears (IBUS_ADDRESS, or the file
// ibus-daemon writes), follows GlobalEngineChanged, and lets go when the bus
// disconnects; a daemon that starts again is found through its address file.
class IBusWatch {
 public:
  // `changed` runs on the main thread when the engine changes or IBus comes or goes.
  explicit IBusWatch(std::function<void()> changed);
  ~IBusWatch();
  IBusWatch(const IBusWatch&) = delete;
  IBusWatch& operator=(const IBusWatch&) = delete;

  // The global engine (long name, engine name) while IBus runs and has one.
  std::optional<GroupSource> current() const;

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace vellicor::qt
