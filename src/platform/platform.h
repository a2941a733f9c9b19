#pragma once

namespace vellicor {

class Accessibility;
class Application;
class NotificationCenter;
class InputSources;
class StatusBar;
class Windows;
class Fonts;
class Screens;
class Threads;
class WallClock;
class Log;
class TextServices;

// One reference to each platform service. The services outlive everything the
// core builds from them.
struct Platform {
  Application& application;
  NotificationCenter& distributedCenter;
  NotificationCenter& workspaceCenter;
  InputSources& inputSources;
  StatusBar& statusBar;
  Windows& windows;
  Fonts& fonts;
  Screens& screens;
  Threads& threads;
  WallClock& clock;
  Log& log;
  TextServices& text;
  Accessibility& accessibility;
};

}  // namespace vellicor
