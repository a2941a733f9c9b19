// Qt's connection to a bus made off the main thread: one that answers the
// probe but stalls Qt's Hello is cut after its patience, reported as failed,
// and leaves neither a frozen program nor an abort behind; one that nobody
// serves fails at once; a connector that goes first ends its connection.

#include "platform/qt/sources/dbus/bus_connector.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <memory>
#include <optional>

#include "support/fake_bus.h"

namespace vellicor::qt {
namespace {

// Runs the loop until the connector reports, or `ms` pass; how it went.
std::optional<bool> waitForConnector(const FakeBus& bus, const QString& name, int patienceMs,
                                     int ms, qint64* took = nullptr) {
  std::optional<bool> made;
  QEventLoop loop;
  QElapsedTimer clock;
  clock.start();
  const BusConnector connector(bus.address(), bus.socket(), name, patienceMs, [&](bool ok) {
    made = ok;
    loop.quit();
  });
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
  if (took != nullptr) {
    *took = clock.elapsed();
  }
  return made;
}

TEST(BusConnector, AStalledHelloIsCutAfterItsPatienceAndTheMainThreadNeverWaits) {
  const FakeBus bus("vellicor-connector-stalls-", FakeBus::Behaviour::AuthenticatesThenStalls);
  ASSERT_TRUE(bus.listening());
  // The loop keeps running meanwhile: a timer on it fires on time.
  int ticks = 0;
  QTimer tick;
  QObject::connect(&tick, &QTimer::timeout, [&] { ++ticks; });
  tick.start(50);
  qint64 took = 0;
  const auto made =
      waitForConnector(bus, QStringLiteral("vellicor-test-stalled"), 300, 10000, &took);
  ASSERT_TRUE(made.has_value()) << "not reported within 10 s (Qt waits 25 s by itself)";
  EXPECT_FALSE(*made);
  EXPECT_GE(took, 300);
  EXPECT_LT(took, 3000);
  EXPECT_GE(ticks, 4);
  EXPECT_GE(bus.clients(), 1);
  // The name is free again, and nothing is connected under it.
  EXPECT_FALSE(QDBusConnection(QStringLiteral("vellicor-test-stalled")).isConnected());
}

TEST(BusConnector, AServerThatIsNoBusFailsWithoutWaitingOutThePatience) {
  const FakeBus bus("vellicor-connector-refuses-", FakeBus::Behaviour::Refuses);
  ASSERT_TRUE(bus.listening());
  qint64 took = 0;
  const auto made =
      waitForConnector(bus, QStringLiteral("vellicor-test-refused"), 5000, 10000, &took);
  ASSERT_TRUE(made.has_value());
  EXPECT_FALSE(*made);
  EXPECT_LT(took, 4000);
}

TEST(BusConnector, OneThatGoesFirstEndsAStalledConnectionWithoutReporting) {
  const FakeBus bus("vellicor-connector-gone-", FakeBus::Behaviour::AuthenticatesThenStalls);
  ASSERT_TRUE(bus.listening());
  bool reported = false;
  QElapsedTimer clock;
  clock.start();
  {
    const BusConnector connector(bus.address(), bus.socket(), QStringLiteral("vellicor-test-gone"),
                                 60000, [&](bool) { reported = true; });
    QEventLoop loop;
    QTimer::singleShot(200, &loop, &QEventLoop::quit);
    loop.exec();
  }
  EXPECT_LT(clock.elapsed(), 5000) << "the connector waited for Qt's own time-out";
  QCoreApplication::processEvents();
  EXPECT_FALSE(reported);
  EXPECT_FALSE(QDBusConnection(QStringLiteral("vellicor-test-gone")).isConnected());
}

}  // namespace
}  // namespace vellicor::qt
