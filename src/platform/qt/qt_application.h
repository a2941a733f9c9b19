#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/application.h"

namespace vellicor::qt {

// The application object over Qt's event loop. `run` sends the delegate its
// launch message from inside the loop, as the loop starts; `terminate` sends
// applicationWillTerminate once and ends the loop. SIGINT, SIGTERM and SIGHUP
// terminate the same way, once `blockTerminationSignals` has run.
//
// Checklist: run, terminate and the action dispatch to the delegate are exact.
// The workspace notification is posted by the X11 active-window watch.
class QtApplication final : public Application {
 public:
  // Call first thing in main, before any thread starts, so that the signals
  // reach the application's loop instead of ending the process.
  static void blockTerminationSignals();

  QtApplication();
  ~QtApplication() override;
  QtApplication(const QtApplication&) = delete;
  QtApplication& operator=(const QtApplication&) = delete;

  void run(const std::shared_ptr<ApplicationDelegate>& delegate) override;
  void terminate() override;
  std::string didActivateApplicationNotification() const override;

  // Holds the launch message back until `releaseLaunch`, for `ms` at most;
  // the loop runs meanwhile. Only the first hold counts.
  void holdLaunch(int ms);
  void releaseLaunch();
  bool launched() const { return launched_; }
  // Work the launch need not wait for, run from the loop once the delegate
  // has launched: the status item is up first.
  void afterLaunch(std::function<void()> work);

  // Starts the program again in this process's place, with `arguments` (the
  // first the program's name), once the delegate has said goodbye: for what
  // Qt reads only as it starts. Marks the environment with `mark`, so that
  // the program started knows why. Goes on as before if it cannot.
  void startAgain(const std::vector<std::string>& arguments, const char* mark);

  // Delivers a menu action to the delegate; false when nobody handles it.
  bool sendAction(std::string_view selector);
  // The loop's exit status: 0 after terminate, non-zero when it ended otherwise.
  int exitStatus() const { return exitStatus_; }

 private:
  struct Signals;
  std::weak_ptr<ApplicationDelegate> delegate_;
  std::unique_ptr<Signals> signals_;
  void launch();
  std::vector<std::function<void()>> afterLaunch_;

  bool terminating_ = false;
  bool held_ = false;
  bool heldOnce_ = false;
  bool launched_ = false;
  bool running_ = false;
  int exitStatus_ = 0;
};

}  // namespace vellicor::qt
