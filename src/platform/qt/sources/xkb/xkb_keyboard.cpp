#include "platform/qt/sources/xkb/xkb_keyboard.h"

#include <xcb/xcb.h>
// The XKB header names a member `explicit`, which C++ reserves.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit

#include "platform/qt/sources/xkb/agreed_reading.h"
#include "platform/qt/sources/xkb/keymap_settle.h"
#include "platform/qt/x11/x11_connection.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <utility>
#include <vector>

namespace vellicor::qt {
namespace {

constexpr std::size_t kMaxGroups = 4;
constexpr uint32_t kRulesNamesMaxWords = 4096;

std::string atomName(xcb_connection_t* c, xcb_atom_t atom) {
  if (atom == XCB_ATOM_NONE) {
    return {};
  }
  Reply reply(xcb_get_atom_name_reply(c, xcb_get_atom_name(c, atom), nullptr));
  if (!reply) {
    return {};
  }
  return std::string(xcb_get_atom_name_name(reply.get()),
                     static_cast<size_t>(xcb_get_atom_name_name_length(reply.get())));
}

GroupsWrap readControls(xcb_connection_t* c) {
  Reply controls(
      xcb_xkb_get_controls_reply(c, xcb_xkb_get_controls(c, XCB_XKB_ID_USE_CORE_KBD), nullptr));
  if (!controls) {
    return {kMaxGroups, 0};
  }
  return {controls->numGroups, controls->groupsWrap};
}

std::vector<std::string> readGroupNames(xcb_connection_t* c, std::size_t numGroups) {
  Reply names(xcb_xkb_get_names_reply(
      c, xcb_xkb_get_names(c, XCB_XKB_ID_USE_CORE_KBD, XCB_XKB_NAME_DETAIL_GROUP_NAMES), nullptr));
  if (!names) {
    return {};
  }
  xcb_xkb_get_names_value_list_t list{};
  xcb_xkb_get_names_value_list_unpack(xcb_xkb_get_names_value_list(names.get()), names->nTypes,
                                      names->indicators, names->virtualMods, names->groupNames,
                                      names->nKeys, names->nKeyAliases, names->nRadioGroups,
                                      names->which, &list);
  const int count = xcb_xkb_get_names_value_list_groups_length(names.get(), &list);
  // One atom for each group whose bit is set, in group order.
  std::vector<std::string> groups(kMaxGroups);
  int next = 0;
  for (std::size_t g = 0; g < kMaxGroups && next < count; ++g) {
    if ((names->groupNames & (1u << g)) != 0) {
      groups[g] = atomName(c, list.groups[next++]);
    }
  }
  groups.resize(std::min(numGroups, kMaxGroups));
  return groups;
}

RulesNames readRulesNames(xcb_connection_t* c) {
  const xcb_atom_t atom = internAtom(c, "_XKB_RULES_NAMES", true);
  const xcb_window_t root = rootWindow(c);
  if (atom == XCB_ATOM_NONE || root == 0) {
    return {};
  }
  Reply property(xcb_get_property_reply(
      c, xcb_get_property(c, 0, root, atom, XCB_ATOM_STRING, 0, kRulesNamesMaxWords), nullptr));
  if (!property || property->format != 8) {
    return {};
  }
  const auto* bytes = static_cast<const char*>(xcb_get_property_value(property.get()));
  const int length = xcb_get_property_value_length(property.get());
  return parseRulesNames(std::string_view(bytes, static_cast<size_t>(length)));
}

// What names the keyboard's groups.
struct KeyboardNames {
  GroupsWrap controls;
  std::vector<std::string> groupNames;
  RulesNames rules;
  bool operator==(const KeyboardNames&) const = default;
};

KeyboardNames readNames(xcb_connection_t* c) {
  KeyboardNames names;
  names.controls = readControls(c);
  names.groupNames = readGroupNames(c, names.controls.numGroups);
  names.rules = readRulesNames(c);
  return names;
}

std::optional<int> readGroup(xcb_connection_t* c) {
  Reply state(xcb_xkb_get_state_reply(c, xcb_xkb_get_state(c, XCB_XKB_ID_USE_CORE_KBD), nullptr));
  if (!state) {
    return std::nullopt;
  }
  return state->group;
}

}  // namespace

struct XkbKeyboard::Impl final : QAbstractNativeEventFilter {
  xcb_connection_t* connection = nullptr;
  uint8_t firstEvent = 0;
  std::function<void()> changed;
  KeyboardNames names;
  int group = 0;  // as the server reports it, possibly out of range
  // When the names are read again after a keymap change, and when a switch
  // held meanwhile is announced; `due` fires then.
  KeymapSettle settle;
  QTimer due;
  // A switch is read at the event loop's next pass, once for all the switches
  // that came before it. Qt hands over every X event it has before the loop
  // passes again, and a client that locks groups without a pause sends tens of
  // thousands of them: each then costs a store here, not a reading of every
  // tracker, and the loop (where SIGTERM is read) comes round again soon.
  QTimer nextPass;

  Impl() {
    nextPass.setSingleShot(true);
    nextPass.setInterval(0);
    QObject::connect(&nextPass, &QTimer::timeout, [this] { changed(); });
    due.setSingleShot(true);
    due.setTimerType(Qt::PreciseTimer);
    QObject::connect(&due, &QTimer::timeout, [this] {
      switch (settle.fire(KeymapSettle::Clock::now())) {
        case KeymapSettle::Due::kSettled:
          reread();
          changed();
          break;
        case KeymapSettle::Due::kHeldSwitch:
          // The group the server has now may be that of a later switch whose
          // event is still on its way, and that switch would then never be
          // announced: the held switch keeps the group its event reported.
          rereadNames();
          changed();
          break;
        case KeymapSettle::Due::kNothing:
          break;
      }
      schedule();
    });
  }
  ~Impl() override {
    if (auto* app = QCoreApplication::instance()) {
      app->removeNativeEventFilter(this);
    }
  }

  void schedule() {
    const auto at = settle.due();
    if (!at) {
      due.stop();
      return;
    }
    const auto wait =
        std::chrono::ceil<std::chrono::milliseconds>(*at - KeymapSettle::Clock::now());
    due.start(std::max(wait, std::chrono::milliseconds(0)));
  }

  void rereadNames() {
    names = agreedReading([this] { return readNames(connection); });
  }

  void reread() {
    const auto reading = agreedReading([this] {
      // The names first, then the state: a pair's arguments have no order.
      KeyboardNames read = readNames(connection);
      return std::pair(std::move(read), readGroup(connection));
    });
    names = reading.first;
    if (reading.second) {
      group = *reading.second;
    }
  }

  bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
    // Only the server knows the keyboard's state: an XKB event another client
    // sent would announce a switch nobody made.
    if (serverEventType(eventType, message) != firstEvent) {
      return false;
    }
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    // Every XKB event carries its own kind in the second byte.
    switch (event->pad0) {
      case XCB_XKB_STATE_NOTIFY: {
        const auto* state = reinterpret_cast<const xcb_xkb_state_notify_event_t*>(event);
        if ((state->changed & XCB_XKB_STATE_PART_GROUP_STATE) != 0) {
          group = state->group;
          // While a keymap change settles, the names held may be the old
          // ones: the switch is announced shortly, with names read again.
          if (settle.groupSwitched(KeymapSettle::Clock::now())) {
            if (!nextPass.isActive()) {
              nextPass.start();
            }
          } else {
            schedule();
          }
        }
        break;
      }
      case XCB_XKB_NEW_KEYBOARD_NOTIFY:
      case XCB_XKB_MAP_NOTIFY:
      case XCB_XKB_NAMES_NOTIFY:
        settle.keymapChanged(KeymapSettle::Clock::now());
        schedule();
        break;
      default:
        break;
    }
    // Qt reads the same events for its own keyboard handling.
    return false;
  }
};

XkbKeyboard::XkbKeyboard(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

XkbKeyboard::~XkbKeyboard() = default;

std::unique_ptr<XkbKeyboard> XkbKeyboard::open(std::function<void()> changed, std::string& error) {
  xcb_connection_t* c = qtConnection();
  if (c == nullptr) {
    error = "not running on an X11 display";
    return nullptr;
  }
  const xcb_query_extension_reply_t* extension = xcb_get_extension_data(c, &xcb_xkb_id);
  if (extension == nullptr || extension->present == 0) {
    error = "the X server has no XKEYBOARD extension";
    return nullptr;
  }
  Reply use(xcb_xkb_use_extension_reply(
      c, xcb_xkb_use_extension(c, XCB_XKB_MAJOR_VERSION, XCB_XKB_MINOR_VERSION), nullptr));
  if (!use || use->supported == 0) {
    error = "the X server's XKEYBOARD extension is not a version this program can use";
    return nullptr;
  }
  constexpr uint16_t kEvents = XCB_XKB_EVENT_TYPE_NEW_KEYBOARD_NOTIFY |
                               XCB_XKB_EVENT_TYPE_MAP_NOTIFY | XCB_XKB_EVENT_TYPE_STATE_NOTIFY |
                               XCB_XKB_EVENT_TYPE_NAMES_NOTIFY;
  constexpr uint16_t kAllMapParts = 0xff;
  // Adds these events to what this connection already selects (Qt's own selection stays).
  xcb_xkb_select_events(c, XCB_XKB_ID_USE_CORE_KBD, kEvents, 0, kEvents, kAllMapParts, kAllMapParts,
                        nullptr);

  auto impl = std::make_unique<Impl>();
  impl->connection = c;
  impl->firstEvent = extension->first_event;
  impl->changed = std::move(changed);
  impl->reread();
  QCoreApplication::instance()->installNativeEventFilter(impl.get());
  return std::unique_ptr<XkbKeyboard>(new XkbKeyboard(std::move(impl)));
}

std::optional<NamedSource> XkbKeyboard::current() const {
  const KeyboardNames& names = impl_->names;
  return groupSource(names.groupNames, names.rules, effectiveGroup(impl_->group, names.controls));
}

}  // namespace vellicor::qt
