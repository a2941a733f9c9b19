#include "platform/qt/sources/dbus/dbus_calls.h"

#include <QDBusPendingCallWatcher>
#include <QObject>
#include <memory>
#include <utility>

namespace vellicor::qt {

void callAll(QObject* owner, const QDBusConnection& bus, const std::vector<QDBusMessage>& calls,
             std::function<void(const std::vector<QDBusMessage>&)> done, int timeoutMs) {
  struct Pending {
    std::vector<QDBusMessage> replies;
    std::size_t left = 0;
    std::function<void(const std::vector<QDBusMessage>&)> done;
  };
  auto pending = std::make_shared<Pending>();
  pending->replies.resize(calls.size());
  pending->left = calls.size();
  pending->done = std::move(done);
  for (std::size_t i = 0; i < calls.size(); ++i) {
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(calls[i], timeoutMs), owner);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, owner, [watcher, pending, i] {
      watcher->deleteLater();
      pending->replies[i] = watcher->reply();
      if (--pending->left == 0) {
        pending->done(pending->replies);
      }
    });
  }
}

}  // namespace vellicor::qt
