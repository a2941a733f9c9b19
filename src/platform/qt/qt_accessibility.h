#pragma once

#include <string>

#include "platform/accessibility.h"

class QObject;
class QString;
class QAccessibleInterface;

namespace vellicor::qt {

class QtWindows;

// Screen readers on Linux, through Qt's AT-SPI bridge. The panel is one
// long-lived object with the notification role, its name the text it shows
// and no children, so its label is not read again; it never takes focus and
// is never announced as a window. An announcement is posted on the panel:
// with Qt 6.8 and later as an AT-SPI announcement (which Orca speaks from
// 45.2 on), with earlier Qt as the panel's showing event, which Orca speaks
// for a notification ("notification 한국어"). One or the other, chosen when
// the program is built, never both. While no screen reader listens (Qt's
// accessibility is off), nothing is posted. The tray icon's accessible name
// is its tool tip.
//
// Checklist: announce is exact where Qt's bridge is on; Qt turns it on only
// as it starts, so a screen reader started later is heard once the program
// has started again (ScreenReaderWatch).
class QtAccessibility final : public Accessibility {
 public:
  explicit QtAccessibility(QtWindows& windows) : windows_(windows) {}
  // Gives the panel and the tray icon their accessible forms: call once the
  // QApplication exists (Qt asks the newest factory first, and QApplication
  // installs its own).
  static void install();
  void announce(const std::string& text) override;

  // The object name that marks the panel's widget for the factory.
  static QString panelName();

 private:
  QtWindows& windows_;
};

}  // namespace vellicor::qt
