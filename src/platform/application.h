#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace vellicor {

// The messages the application object sends its delegate, all on the main thread.
class ApplicationDelegate {
 public:
  virtual ~ApplicationDelegate() = default;
  virtual void applicationDidFinishLaunching() = 0;
  virtual void applicationWillTerminate() = 0;
  // A menu action without an explicit target reaches the delegate here. Returns
  // false when the delegate does not implement `selector`.
  virtual bool performAction(std::string_view selector) = 0;
};

class Application {
 public:
  virtual ~Application() = default;
  // Installs the delegate, sends it applicationDidFinishLaunching and runs the
  // event loop until termination. The application holds the delegate weakly.
  virtual void run(const std::shared_ptr<ApplicationDelegate>& delegate) = 0;
  // Begins termination: applicationWillTerminate follows and the loop ends.
  virtual void terminate() = 0;
  // The workspace notification posted when another application becomes active.
  virtual std::string didActivateApplicationNotification() const = 0;
};

}  // namespace vellicor
