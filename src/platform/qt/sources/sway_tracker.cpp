#include "platform/qt/sources/sway_tracker.h"

#include <utility>

#include "platform/qt/sources/sway_json.h"

namespace vellicor::qt {
namespace {

// The most read from the socket in one go, so that a flood of events cannot
// keep the main thread.
constexpr qint64 kReadChunk = 64 * 1024;

}  // namespace

SwayTracker::SwayTracker(const QString& socketPath, std::function<void()> changed,
                         std::function<void(const std::string&)> note)
    : changed_(std::move(changed)), note_(std::move(note)) {
  connect(&socket_, &QLocalSocket::connected, this, [this] { connected(); });
  connect(&socket_, &QLocalSocket::readyRead, this, [this] { readable(); });
  connect(&socket_, &QLocalSocket::errorOccurred, this,
          [this](QLocalSocket::LocalSocketError) { lost(socket_.errorString().toStdString()); });
  connect(&socket_, &QLocalSocket::disconnected, this, [this] { lost("sway closed it"); });
  socket_.connectToServer(socketPath);
}

SwayTracker::~SwayTracker() {
  socket_.disconnect(this);
  socket_.abort();
}

void SwayTracker::send(std::uint32_t type, const QByteArray& payload) {
  const std::string message = swayMessage(type, payload.toStdString());
  socket_.write(message.data(), static_cast<qint64>(message.size()));
}

void SwayTracker::connected() {
  send(kSwaySubscribe, QByteArrayLiteral(R"(["input","workspace","output"])"));
  send(kSwayGetInputs);
  asking_ = true;
  send(kSwayGetOutputs);
}

void SwayTracker::readable() {
  const QByteArray bytes = socket_.read(kReadChunk);
  if (!reader_.feed(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())))) {
    return;
  }
  while (auto message = reader_.next()) {
    handle(*message);
  }
  if (reader_.broken()) {
    lost("it sent what is not sway's protocol");
    return;
  }
  if (socket_.bytesAvailable() > 0) {
    // The rest after the loop has run once more.
    QMetaObject::invokeMethod(
        this, [this] { readable(); }, Qt::QueuedConnection);
  }
}

void SwayTracker::handle(const SwayReader::Message& message) {
  const QByteArray payload = QByteArray::fromStdString(message.payload);
  std::optional<NamedSource> named;
  switch (message.type) {
    case kSwayGetInputs:
      named = swayKeyboardLayout(payload);
      settle();
      break;
    case kSwayInputEvent:
      named = swayLayoutEvent(payload);
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
  if (named && !(source_ && *source_ == *named)) {
    source_ = named;
    changed_();
  }
}

void SwayTracker::lost(const std::string& why) {
  if (lost_) {
    return;
  }
  lost_ = true;
  socket_.abort();
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
