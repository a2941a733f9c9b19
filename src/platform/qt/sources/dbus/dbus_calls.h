#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <functional>
#include <vector>

class QObject;

namespace vellicor::qt {

// Sends the calls together on `bus` and runs `done` on the main thread with
// their replies, in order, once all have answered; nothing runs if `owner` goes
// first. Nothing waits for the answers: a service that is stopped or hung
// holds up only what follows from them. A call not answered within
// `timeoutMs` (D-Bus's default when -1) is answered with an error.
void callAll(QObject* owner, const QDBusConnection& bus, const std::vector<QDBusMessage>& calls,
             std::function<void(const std::vector<QDBusMessage>&)> done, int timeoutMs = -1);

}  // namespace vellicor::qt
