#include "platform/qt/sources/dbus/dbus_value_reader.h"

#include <gtest/gtest.h>

#include <QDBusArgument>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QVariantMap>
#include <string>

#include "platform/qt/sources/dbus/dbus_peers.h"

namespace vellicor::qt {
namespace {

QVariant variantOf(const QVariant& value) {
  return QVariant::fromValue(QDBusVariant(value));
}

// An array of variants ("av") holding `values`.
QVariant arrayOf(const QList<QVariant>& values) {
  QDBusArgument array;
  array.beginArray(QMetaType::fromType<QDBusVariant>());
  for (const QVariant& value : values) {
    array << QDBusVariant(value);
  }
  array.endArray();
  return QVariant::fromValue(array);
}

using Numbers = QList<QList<QList<int>>>;

// `levels` arrays of variants, each holding the next one and then a text
// naming its level, around arrays of arrays of arrays of numbers ("aaai").
QVariant nested(int levels) {
  qDBusRegisterMetaType<QList<int>>();
  qDBusRegisterMetaType<QList<QList<int>>>();
  qDBusRegisterMetaType<Numbers>();
  QDBusArgument numbers;
  numbers << Numbers{{{7, 8}}};
  QVariant inner = QVariant::fromValue(numbers);
  for (int level = levels; level > 0; --level) {
    inner = arrayOf({inner, QStringLiteral("level %1").arg(level)});
  }
  return variantOf(inner);
}

class DBusValueReader : public ::testing::Test {
 protected:
  // The first argument of a signal carrying `arguments`, as the other end read it.
  DBusValue roundTrip(const QList<QVariant>& arguments) {
    const auto message = peers.deliver(arguments);
    if (!message || message->arguments().isEmpty()) {
      ADD_FAILURE() << "the signal did not arrive";
      return {};
    }
    return readDBusValue(message->arguments().front());
  }

  DBusPeers peers;
};

TEST_F(DBusValueReader, ReadsEachKindOfValue) {
  ASSERT_TRUE(peers.connected());
  QDBusArgument structure;
  structure.beginStructure();
  structure << QStringLiteral("텍스트") << quint8(200) << quint16(60000) << 4000000000u
            << quint64(1) << qint16(-2) << -3 << qint64(-4) << true << 2.5
            << QDBusObjectPath(QStringLiteral("/a/path")) << QStringList{QStringLiteral("x")};
  QVariantMap map;
  map[QStringLiteral("key")] = 9u;
  structure << map;
  structure.endStructure();

  const DBusValue value = roundTrip({QVariant::fromValue(structure)});
  ASSERT_EQ(value.kind, DBusValue::Kind::Struct);
  ASSERT_EQ(value.items.size(), 13u);
  EXPECT_EQ(value.items[0].text, "텍스트");
  EXPECT_EQ(value.items[1].unsignedValue, 200u);
  EXPECT_EQ(value.items[2].unsignedValue, 60000u);
  EXPECT_EQ(value.items[3].unsignedValue, 4000000000u);
  EXPECT_EQ(value.items[4].kind, DBusValue::Kind::Unsigned);
  EXPECT_EQ(value.items[5].signedValue, -2);
  EXPECT_EQ(value.items[6].signedValue, -3);
  EXPECT_EQ(value.items[7].signedValue, -4);
  EXPECT_TRUE(value.items[8].boolean);
  // Kinds no value here is made of are skipped, and what follows them is read.
  EXPECT_EQ(value.items[9].kind, DBusValue::Kind::Other);
  EXPECT_EQ(value.items[10].kind, DBusValue::Kind::Other);
  ASSERT_EQ(value.items[11].kind, DBusValue::Kind::Array);
  EXPECT_EQ(value.items[11].items.at(0).text, "x");
  // A map is an array of key-value structs, the variant unwrapped.
  const DBusValue& entries = value.items[12];
  ASSERT_EQ(entries.kind, DBusValue::Kind::Array);
  ASSERT_EQ(entries.items.size(), 1u);
  EXPECT_EQ(entries.items[0].items.at(0).text, "key");
  EXPECT_EQ(entries.items[0].items.at(1).unsignedValue, 9u);
}

TEST_F(DBusValueReader, ArraysOfMixedOrMissingElementsAreReadItemByItem) {
  ASSERT_TRUE(peers.connected());
  QDBusArgument empty;
  empty << QList<int>{};
  const DBusValue mixed =
      roundTrip({arrayOf({QStringLiteral("a"), 1u, QVariant::fromValue(empty), 0.5, -1})});
  ASSERT_EQ(mixed.kind, DBusValue::Kind::Array);
  ASSERT_EQ(mixed.items.size(), 5u);
  EXPECT_EQ(mixed.items[0].text, "a");
  EXPECT_EQ(mixed.items[1].unsignedValue, 1u);
  EXPECT_EQ(mixed.items[2].kind, DBusValue::Kind::Array);
  EXPECT_TRUE(mixed.items[2].items.empty());
  EXPECT_EQ(mixed.items[3].kind, DBusValue::Kind::Other);
  EXPECT_EQ(mixed.items[4].signedValue, -1);
  EXPECT_EQ(mixed.item(5), nullptr);
  EXPECT_EQ(mixed.items[1].item(0), nullptr);
}

// 29 arrays of variants inside a variant, around three arrays: 32 arrays and
// 62 containers in all, about as deep as a message may nest. Every level, and
// every sibling after a deep one, is read.
TEST_F(DBusValueReader, NestingAsDeepAsDBusAllowsIsReadWhole) {
  ASSERT_TRUE(peers.connected());
  const DBusValue value = roundTrip({nested(29)});
  const DBusValue* level = &value;
  for (int n = 1; n <= 29; ++n) {
    ASSERT_EQ(level->kind, DBusValue::Kind::Array) << "level " << n;
    ASSERT_EQ(level->items.size(), 2u) << "level " << n;
    EXPECT_EQ(level->items[1].text, "level " + std::to_string(n));
    level = &level->items[0];
  }
  for (int n = 0; n < 2; ++n) {
    ASSERT_EQ(level->items.size(), 1u);
    level = &level->items[0];
  }
  ASSERT_EQ(level->items.size(), 2u);
  EXPECT_EQ(level->items[1].signedValue, 8);
}

// Values made in this process can nest without end: past the limit a
// container reads as Other, and the reader returns.
TEST(DBusValueReaderLimits, NestingBeyondTheLimitReadsAsOther) {
  QVariant value = QStringLiteral("innermost");
  for (int n = 0; n < 1000; ++n) {
    value = variantOf(value);
  }
  EXPECT_EQ(readDBusValue(value).kind, DBusValue::Kind::Other);
  QVariant shallow = QStringLiteral("innermost");
  for (int n = 0; n < 64; ++n) {
    shallow = variantOf(shallow);
  }
  EXPECT_EQ(readDBusValue(shallow).text, "innermost");
}

TEST_F(DBusValueReader, AHugeArrayCostsABoundedNumberOfValues) {
  ASSERT_TRUE(peers.connected());
  QDBusArgument structure;
  structure.beginStructure();
  structure << QList<int>(100000, 5) << QStringLiteral("after");
  structure.endStructure();
  const DBusValue value = roundTrip({QVariant::fromValue(structure)});
  ASSERT_EQ(value.kind, DBusValue::Kind::Struct);
  ASSERT_FALSE(value.items.empty());
  const std::size_t read = value.items[0].items.size();
  EXPECT_GT(read, 1000u);
  EXPECT_LE(read, 16384u);
  EXPECT_EQ(value.items[0].items.back().signedValue, 5);
}

}  // namespace
}  // namespace vellicor::qt
