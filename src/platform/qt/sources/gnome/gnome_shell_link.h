#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <functional>
#include <optional>
#include <set>
#include <string>

#include "platform/qt/sources/gnome/gnome_sources.h"
#include "platform/qt/sources/session_tracker.h"

namespace vellicor::qt {

// Vellicor's GNOME Shell extension, where the user has enabled it: on the
// shell's own connection to the session bus, so at org.gnome.Shell, which no
// other program can own, it signals each switch of the shell's source with
// the monitor under the pointer, and answers what the source and that monitor
// are now. Signals from any other connection are not delivered here; values
// out of range are dropped and said once. The monitor is given as the screen
// of the program it is, or none when it is none of them.
class GnomeShellLink final : public QObject {
  Q_OBJECT

 public:
  struct State {
    GnomeSource source;
    std::optional<OutputRect> screen;
  };

  // `switched` runs on the main thread with each switch the shell signals;
  // `note` writes one line to the log.
  GnomeShellLink(std::function<void(const State&)> switched,
                 std::function<void(const std::string&)> note);
  ~GnomeShellLink() override;
  GnomeShellLink(const GnomeShellLink&) = delete;
  GnomeShellLink& operator=(const GnomeShellLink&) = delete;

  // Follows the shell on `bus`, the program's own connection, and asks once
  // whether the extension answers: the log says which.
  void start(QDBusConnection bus);
  // Asks the shell for its source and the monitor under the pointer; runs
  // `answered` with them, or with none when the extension does not answer
  // within a second (not enabled, as on the lock screen, or the shell is
  // hung), or before start().
  void ask(std::function<void(std::optional<State>)> answered);
  // Whether the extension answered or signalled last, and did not fail since.
  bool live() const { return live_; }

 private slots:
  void sourceChanged(const QDBusMessage& message);

 private:
  std::optional<State> read(const QDBusMessage& message, int count);
  void answeredBy(bool live);
  void noteOnce(const std::string& kind, const std::string& text);

  std::function<void(const State&)> switched_;
  std::function<void(const std::string&)> note_;
  std::optional<QDBusConnection> bus_;
  bool live_ = false;
  std::set<std::string> noted_;
};

}  // namespace vellicor::qt
