#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/qt/sources/gnome/gnome_sources.h"
#include "platform/qt/sources/session_tracker.h"

namespace vellicor::qt {

class SessionBus;
class GioLibrary;
class GnomeShellLink;
struct GioCalls;

// GNOME's current input source, from its settings: the shell rewrites
// org.gnome.desktop.input-sources' mru-sources at each switch, the current
// source first, whatever window has the focus. Read through GSettings, whose
// "changed" signal comes on the main thread: GSettings emits in the GLib main
// context it was made in, which is the one Qt's event loop runs (available()
// says whether it is). A keyboard layout ("xkb", "kr+kr104") is named as the
// registry of XKB layouts describes it ("Korean (101/104-key compatible)",
// identifier "kr(kr104)"), an IBus engine as its component file does (its long
// name, identifier the engine's name); IBus itself names its engine better while
// it has it, in its mode. The settings are read once the session bus is named
// to GIO (its dconf backend hears changes over that bus); where the bus does
// not answer in time, the tracker names nothing, since it could not hear a
// switch. GNOME tells no program the output in use; Vellicor's shell
// extension, where it is enabled, does (GnomeShellLink). Its signal is then
// the switch and names the output, and a change of the settings is only a
// reason to ask the shell, so the settings' later word on the same switch
// is never a second one.
class GnomeTracker final : public SessionTracker {
 public:
  // Whether GNOME's input-source settings can be followed here: their schema is
  // installed with both lists, GIO loads, and Qt runs GLib's main loop. When
  // not, `why` says what is missing.
  static bool available(GioLibrary& gio, std::string& why);

  // `gio` is the loaded library's (available() said yes); `note` writes one
  // line to the log.
  GnomeTracker(SessionBus& sessionBus, const GioCalls& gio, std::function<void()> changed,
               std::function<void(const std::string&)> note);
  ~GnomeTracker() override;
  GnomeTracker(const GnomeTracker&) = delete;
  GnomeTracker& operator=(const GnomeTracker&) = delete;

  std::optional<NamedSource> current() const override;
  bool settled() const override { return settled_; }
  std::string description() const override { return "GNOME's input-source settings"; }
  std::optional<std::string> inputMethodEngine() const override;
  std::optional<OutputRect> activeOutput() const override { return output_; }

 private:
  struct Settings;
  void open();
  void read();
  void settle();
  void take(const std::optional<GnomeSource>& source);
  void shellSays(const GnomeSource& source, const std::optional<OutputRect>& screen);

  const GioCalls& gio_;
  std::function<void()> changed_;
  std::function<void(const std::string&)> note_;
  std::unique_ptr<Settings> settings_;
  std::unique_ptr<GnomeShellLink> shell_;
  std::optional<OutputRect> output_;  // the monitor the shell named last
  bool settled_ = false;
};

}  // namespace vellicor::qt
