#include "platform/qt/sources/sway/sway_tracker.h"

#include <QByteArray>
#include <utility>

#include "platform/qt/sources/sway/sway_json.h"

namespace vellicor::qt {
namespace {

// The most read from the socket in one go, so that a flood of events cannot
// keep the main thread.
constexpr std::size_t kReadChunk = 64 * 1024;

}  // namespace

SwayTracker::SwayTracker(const std::string& socketPath, std::function<void()> changed,
                         std::function<void(const std::string&)> note)
    : changed_(std::move(changed)),
      note_(std::move(note)),
      socket_(UnixSocketAddress{false, socketPath},
              {[this] { connected(); }, [this] { readable(); },
               [this](const std::string& why) { lost(why.empty() ? "sway closed it" : why); }}) {}

SwayTracker::~SwayTracker() = default;

void SwayTracker::send(std::uint32_t type, std::string_view payload) {
  const std::string message = swayMessage(type, payload);
  socket_.write(message);
}

void SwayTracker::connected() {
  send(kSwaySubscribe, R"(["input","workspace","output"])");
  askingInputs_ = true;
  send(kSwayGetInputs);
  asking_ = true;
  send(kSwayGetOutputs);
}

void SwayTracker::readable() {
  // One chunk at a time: the rest is read after the loop has run once more.
  const std::string bytes = socket_.read(kReadChunk);
  if (reader_.feed(bytes)) {
    while (auto message = reader_.next()) {
      handle(*message);
    }
  }
  if (reader_.broken()) {
    lost("it sent what is not sway's protocol");
  }
}

void SwayTracker::handle(const SwayReader::Message& message) {
  const QByteArray payload = QByteArray::fromStdString(message.payload);
  std::optional<NamedSource> named;
  switch (message.type) {
    case kSwayGetInputs:
      askingInputs_ = false;
      if (const auto keyboard = swayTypingKeyboard(swayKeyboards(payload))) {
        keyboard_ = keyboard->identifier;
        named = keyboard->layout;
      }
      break;
    case kSwayInputEvent:
      named = keyboardEvent(payload);
      break;
    case kSwayGetOutputs:
      asking_ = false;
      if (const auto output = swayFocusedOutput(payload)) {
        output_ = output;
      }
      return;
    case kSwayWorkspaceEvent:
    case kSwayOutputEvent:
      // The focus may have moved to another output.
      if (!asking_) {
        asking_ = true;
        send(kSwayGetOutputs);
      }
      return;
    default:
      return;
  }
  const bool differs = named && !(source_ && *source_ == *named);
  if (differs) {
    source_ = named;
  }
  // The first reading settles the tracker with its layout already stored: the
  // program starts with it instead of announcing it.
  if (message.type == kSwayGetInputs && !settled_) {
    settle();
  } else if (differs) {
    changed_();
  }
}

// Each keyboard has a layout of its own. The one followed is the one the user
// types on: a switch on another real keyboard makes that one followed, while a
// keymap given to a keyboard not followed (one just plugged in, or one a
// client made) switches nothing. When the followed keyboard goes, sway is
// asked again which keyboards there are.
std::optional<NamedSource> SwayTracker::keyboardEvent(const QByteArray& payload) {
  const auto event = swayKeyboardEvent(payload);
  if (!event) {
    return std::nullopt;
  }
  const bool followed = event->keyboard.identifier == keyboard_;
  if (event->change == "removed") {
    if (followed && !askingInputs_) {
      askingInputs_ = true;
      keyboard_.clear();
      send(kSwayGetInputs);
    }
    return std::nullopt;
  }
  const bool switched = event->change == "xkb_layout";
  if (!(switched || event->change == "xkb_keymap") || !event->keyboard.layout) {
    return std::nullopt;
  }
  // With no keyboard followed yet (none named a layout when sway was asked),
  // the first real one that does is.
  const bool real = !event->keyboard.isVirtual;
  if (!followed && !(real && (switched || keyboard_.empty()))) {
    return std::nullopt;
  }
  keyboard_ = event->keyboard.identifier;
  return event->keyboard.layout;
}

void SwayTracker::lost(const std::string& why) {
  if (lost_) {
    return;
  }
  lost_ = true;
  socket_.close();
  const bool had = source_.has_value();
  source_.reset();
  output_.reset();
  note_("sway's IPC: lost the connection (" + why + "); the keyboard's own layout speaks now");
  settle();
  if (had) {
    changed_();
  }
}

void SwayTracker::settle() {
  if (!settled_) {
    settled_ = true;
    changed_();
  }
}

}  // namespace vellicor::qt
