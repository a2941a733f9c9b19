#pragma once

#include <memory>

#include "platform/platform.h"

namespace vellicor {

class AppDelegate;

// The application type: it owns the one delegate and runs the application with it.
class VellicorApp {
 public:
  // Creates the delegate, runs the event loop until termination and returns 0
  // if control ever comes back.
  static int main(const Platform& platform);

 private:
  explicit VellicorApp(const Platform& platform);
  std::shared_ptr<AppDelegate> appDelegate;
};

}  // namespace vellicor
