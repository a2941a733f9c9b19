#pragma once

#include <sys/types.h>

#include <memory>
#include <string>
#include <vector>

#include "x_test_client.h"

namespace vellicor::e2e {

// Orca, as a blind user runs it, on this session's accessibility bus, with a
// speech-dispatcher whose only voice writes every text it is given to speak
// to a file: what the user would hear, line by line. Its configuration lives
// in a folder of the run's own; the test process's is left alone.
class ScreenReader {
 public:
  ScreenReader();
  ~ScreenReader();
  ScreenReader(const ScreenReader&) = delete;
  ScreenReader& operator=(const ScreenReader&) = delete;

  // Starts Orca and waits until it has said it is on; false, with why, when
  // it cannot run here.
  bool start(std::string& why);
  void stop();
  // What was spoken, a line an utterance, since the start.
  std::vector<std::string> spoken() const;
  // How many utterances hold `text`.
  int utterancesWith(const std::string& text) const;

 private:
  static inline int made_ = 0;  // each has a folder of its own
  std::string folder_;
  std::unique_ptr<Child> orca_;
};

// The AT-SPI events of a switch (listen.py): "type|detail1|role|name|data".
class EventListener {
 public:
  EventListener();
  ~EventListener();
  bool listening() const;
  std::vector<std::string> events() const;

 private:
  std::string log_;
  std::unique_ptr<Child> listener_;
};

// Turns the desktop's accessibility on, as a session with a screen reader
// has it (org.a11y.Status IsEnabled); true when the bus took it.
bool enableAccessibility(bool enabled);

// Whether the process has joined the accessible desktop: the AT-SPI registry
// lists it among the applications it gives a screen reader.
bool onAccessibleDesktop(pid_t pid);

}  // namespace vellicor::e2e
