#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <functional>
#include <vector>

class QObject;

namespace vellicor::qt {

// Sends the calls together on `bus` and runs `done` on the main thread with
// their replies, in order, once all have answered; nothing runs if `owner` goes
// first. With `blocking`, for the questions asked while the program starts, the
// calls wait (half a second at most each) and `done` runs before this returns,
// so the program starts with what the answers name instead of announcing it.
void callAll(QObject* owner, const QDBusConnection& bus, bool blocking,
             const std::vector<QDBusMessage>& calls,
             std::function<void(const std::vector<QDBusMessage>&)> done);

}  // namespace vellicor::qt
