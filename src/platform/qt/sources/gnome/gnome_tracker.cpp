#include "platform/qt/sources/gnome/gnome_tracker.h"

// GLib's headers before Qt's, whose `signals` would rename a field of theirs.
#include <gio/gio.h>

#include <QAbstractEventDispatcher>
#include <QDBusConnection>
#include <QString>
#include <algorithm>
#include <map>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/qt/sources/dbus/session_bus.h"
#include "platform/qt/sources/gnome/gnome_shell_link.h"
#include "platform/qt/sources/gnome/gnome_sources.h"
#include "platform/qt/sources/gsettings/gio_library.h"
#include "platform/qt/sources/gsettings/gsettings_schema.h"
#include "platform/qt/sources/ibus/ibus_components.h"
#include "platform/qt/sources/xkb/xkb_registry.h"

namespace vellicor::qt {
namespace {

constexpr char kSchema[] = "org.gnome.desktop.input-sources";
constexpr char kSources[] = "sources";
constexpr char kMruSources[] = "mru-sources";
constexpr char kListType[] = "a(ss)";

// The schema, when it is installed with both lists.
SchemaRef inputSourcesSchema(const GioCalls& gio) {
  const GVariantType* list = G_VARIANT_TYPE(kListType);
  return installedSchema(gio, kSchema, {{kSources, list}, {kMruSources, list}});
}

// The sources a list names, up to a bound, without those of other kinds.
std::vector<GnomeSource> readList(const GioCalls& gio, GSettings* settings, const char* key) {
  std::vector<GnomeSource> list;
  const std::unique_ptr<GVariant, VariantUnref> value(gio.settingsGetValue(settings, key));
  if (!value || !g_variant_is_of_type(value.get(), G_VARIANT_TYPE(kListType))) {
    return list;
  }
  const gsize count = std::min<gsize>(g_variant_n_children(value.get()), kMaxGnomeSources);
  for (gsize i = 0; i < count; ++i) {
    const gchar* type = nullptr;
    const gchar* id = nullptr;
    g_variant_get_child(value.get(), i, "(&s&s)", &type, &id);
    const std::string_view typeText(type), idText(id);
    if (typeText.size() > kMaxGnomeSourceText || idText.size() > kMaxGnomeSourceText) {
      continue;
    }
    GnomeSource source{std::string(typeText), std::string(idText)};
    if (isGnomeSource(source)) {
      list.push_back(std::move(source));
    }
  }
  return list;
}

}  // namespace

// The settings object and what was last read from it.
struct GnomeTracker::Settings {
  SettingsRef object;
  gulong handler = 0;
  std::vector<GnomeSource> sources;
  std::map<GnomeSource, NamedSource> names;  // of `sources`
  std::optional<GnomeSource> current;

  explicit Settings(SettingsRef settings) : object(std::move(settings)) {}
  ~Settings() {
    if (handler != 0) {
      object.get_deleter().gio->signalHandlerDisconnect(object.get(), handler);
    }
  }
  Settings(const Settings&) = delete;
  Settings& operator=(const Settings&) = delete;

  // Names every source of `listed` not named yet, the layouts with one reading
  // of the registry; names of sources no longer listed are dropped.
  void name(const std::vector<GnomeSource>& listed) {
    std::map<GnomeSource, NamedSource> named;
    std::vector<XkbLayoutName> layouts;
    for (const GnomeSource& source : listed) {
      if (const auto known = names.find(source); known != names.end()) {
        named.emplace(source, known->second);
      } else if (source.type == "ibus") {
        const QString engine = QString::fromStdString(source.id);
        const auto described = ibusEngineOf(engine);
        IBusEngine unknown{source.id, source.id, {}, {}};
        NamedSource ibus = engineSource(described ? *described : unknown, std::nullopt);
        if (!ibus.localizedName) {
          ibus.localizedName = source.id;
        }
        named.emplace(source, std::move(ibus));
      } else if (const auto layout = gnomeXkbLayout(source.id)) {
        layouts.push_back(*layout);
      }
    }
    const auto descriptions = xkbLayoutDescriptions(layouts);
    for (const GnomeSource& source : listed) {
      const auto layout = source.type == "xkb" ? gnomeXkbLayout(source.id) : std::nullopt;
      if (!layout || named.count(source) != 0) {
        continue;
      }
      const std::string identifier = xkbIdentifier(*layout);
      const auto description = descriptions.find(identifier);
      named.emplace(
          source, NamedSource{description != descriptions.end() ? description->second : identifier,
                              identifier});
    }
    names = std::move(named);
  }
};

bool GnomeTracker::available(GioLibrary& gio, std::string& why) {
  const GioCalls* calls = gio.calls();
  if (calls == nullptr) {
    why = "GIO (libgio-2.0.so.0), which reads GNOME's settings, could not be loaded";
    return false;
  }
  if (!inputSourcesSchema(*calls)) {
    why = std::string("the settings schema ") + kSchema + " is not installed";
    return false;
  }
  // GSettings announces changes in the main context it was made in; Qt runs
  // GLib's default context only with its GLib event dispatcher (not with
  // QT_NO_GLIB set, nor where Qt was built without GLib).
  const QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
  if (dispatcher == nullptr || !dispatcher->inherits("QEventDispatcherGlib")) {
    why = "Qt does not run GLib's main loop here, in which GSettings announces changes";
    return false;
  }
  return true;
}

GnomeTracker::GnomeTracker(SessionBus& sessionBus, const GioCalls& gio,
                           std::function<void()> changed,
                           std::function<void(const std::string&)> note)
    : gio_(gio),
      changed_(std::move(changed)),
      note_(std::move(note)),
      shell_(std::make_unique<GnomeShellLink>(
          [this](const GnomeShellLink::State& state) { shellSays(state.source, state.screen); },
          note_)) {
  sessionBus.whenAnswers([this] { shell_->start(QDBusConnection(SessionBus::connectionName())); });
  sessionBus.whenSettled([this] {
    if (SessionBus::namedToLibraries()) {
      open();
    } else {
      note_(
          "GNOME's input-source settings: without the session bus no switch could be heard; the "
          "keyboard's own layout speaks");
    }
    settle();
  });
}

GnomeTracker::~GnomeTracker() = default;

void GnomeTracker::open() {
  const SchemaRef schema = inputSourcesSchema(gio_);
  if (!schema) {
    return;
  }
  settings_ = std::make_unique<Settings>(settingsOf(gio_, schema.get()));
  // Connected before the first reading: GSettings announces a change only of
  // a key read since a handler was connected.
  settings_->handler =
      gio_.signalConnectData(settings_->object.get(), "changed",
                             G_CALLBACK(+[](GSettings*, const gchar* key, gpointer self) {
                               const std::string_view changed(key != nullptr ? key : "");
                               if (changed == kSources || changed == kMruSources) {
                                 static_cast<GnomeTracker*>(self)->read();
                               }
                             }),
                             this, nullptr, GConnectFlags{});
  read();
}

void GnomeTracker::read() {
  Settings& s = *settings_;
  const std::vector<GnomeSource> sources = readList(gio_, s.object.get(), kSources);
  const std::vector<GnomeSource> mru = readList(gio_, s.object.get(), kMruSources);
  if (sources != s.sources) {
    s.name(sources);
    s.sources = sources;
  }
  const auto written = currentGnomeSource(mru, s.sources);
  if (!settled_ || !shell_->live()) {
    take(written);
    return;
  }
  // The shell signalled this switch already, or will: what it says now is
  // the source, where the settings may still hold an earlier switch's.
  shell_->ask([this, written](const std::optional<GnomeShellLink::State>& state) {
    if (state) {
      shellSays(state->source, state->screen);
    } else {
      output_.reset();
      take(written);
    }
  });
}

void GnomeTracker::take(const std::optional<GnomeSource>& source) {
  Settings& s = *settings_;
  const auto before = s.current;
  const auto named = current();
  s.current = source;
  if (settled_ && (s.current != before || current() != named)) {
    changed_();
  }
}

// A source the settings do not list (yet) is left to the settings' own word.
void GnomeTracker::shellSays(const GnomeSource& source, const std::optional<OutputRect>& screen) {
  if (!settings_ || settings_->names.count(source) == 0) {
    return;
  }
  output_ = screen;
  take(source);
}

void GnomeTracker::settle() {
  settled_ = true;
  changed_();
}

std::optional<NamedSource> GnomeTracker::current() const {
  if (!settings_ || !settings_->current) {
    return std::nullopt;
  }
  const auto named = settings_->names.find(*settings_->current);
  if (named == settings_->names.end()) {
    return std::nullopt;
  }
  return named->second;
}

std::optional<std::string> GnomeTracker::inputMethodEngine() const {
  if (!settings_ || !settings_->current || settings_->current->type != "ibus") {
    return std::nullopt;
  }
  return settings_->current->id;
}

}  // namespace vellicor::qt
