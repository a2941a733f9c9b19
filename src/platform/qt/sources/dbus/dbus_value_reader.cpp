#include "platform/qt/sources/dbus/dbus_value_reader.h"

#include <QDBusArgument>
#include <QDBusObjectPath>
#include <QDBusSignature>
#include <QDBusVariant>
#include <QVariant>

namespace vellicor::qt {
namespace {

// D-Bus allows 32 levels of arrays and 32 of structs, and 64 of containers
// in all, variants among them; one level here is one container there.
constexpr int kMaxDepth = 64;
// Values read from one argument, in all: more than any IBus or Fcitx5 value
// holds, few enough that a message from anyone on the bus costs little.
constexpr std::size_t kMaxValues = 16384;

class Reader {
 public:
  DBusValue variant(const QVariant& value, int depth);

 private:
  DBusValue argument(const QDBusArgument& argument, int depth);
  DBusValue container(const QDBusArgument& argument, int depth);
  DBusValue map(const QDBusArgument& argument, int depth);
  // Counts one value against the budget; false once it is spent.
  bool take() {
    if (left_ == 0) {
      return false;
    }
    --left_;
    return true;
  }

  std::size_t left_ = kMaxValues;
};

// Every path through here consumes exactly one element of `argument`, so the
// loops over a container always move on.
DBusValue Reader::argument(const QDBusArgument& argument, int depth) {
  switch (argument.currentType()) {
    case QDBusArgument::BasicType:
      return variant(argument.asVariant(), depth);
    case QDBusArgument::VariantType: {
      if (depth >= kMaxDepth) {
        break;
      }
      QDBusVariant inner;
      argument >> inner;
      return variant(inner.variant(), depth + 1);
    }
    case QDBusArgument::StructureType:
    case QDBusArgument::ArrayType:
      if (depth >= kMaxDepth) {
        break;
      }
      return container(argument, depth);
    case QDBusArgument::MapType:
      if (depth >= kMaxDepth) {
        break;
      }
      return map(argument, depth);
    default:
      break;
  }
  // Too deep, or of no kind a value here has: skipped whole, so that reading
  // goes on past it.
  argument.asVariant();
  return {};
}

DBusValue Reader::container(const QDBusArgument& argument, int depth) {
  DBusValue out;
  const bool structure = argument.currentType() == QDBusArgument::StructureType;
  out.kind = structure ? DBusValue::Kind::Struct : DBusValue::Kind::Array;
  structure ? argument.beginStructure() : argument.beginArray();
  // Once the budget is spent the rest is left unread; ending the container
  // moves past all of it.
  while (!argument.atEnd() && take()) {
    out.items.push_back(this->argument(argument, depth + 1));
  }
  structure ? argument.endStructure() : argument.endArray();
  return out;
}

// Read as an array of key-value structs.
DBusValue Reader::map(const QDBusArgument& argument, int depth) {
  DBusValue out;
  out.kind = DBusValue::Kind::Array;
  argument.beginMap();
  while (!argument.atEnd() && take()) {
    DBusValue entry;
    entry.kind = DBusValue::Kind::Struct;
    argument.beginMapEntry();
    entry.items.push_back(this->argument(argument, depth + 2));
    entry.items.push_back(this->argument(argument, depth + 2));
    argument.endMapEntry();
    out.items.push_back(std::move(entry));
  }
  argument.endMap();
  return out;
}

DBusValue Reader::variant(const QVariant& value, int depth) {
  DBusValue out;
  const int type = value.userType();
  if (type == qMetaTypeId<QDBusArgument>()) {
    return argument(value.value<QDBusArgument>(), depth);
  }
  if (type == qMetaTypeId<QDBusVariant>()) {
    return depth < kMaxDepth ? variant(value.value<QDBusVariant>().variant(), depth + 1) : out;
  }
  switch (type) {
    case QMetaType::QString:
      out.kind = DBusValue::Kind::Text;
      out.text = value.toString().toStdString();
      break;
    case QMetaType::UChar:
    case QMetaType::UShort:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
      out.kind = DBusValue::Kind::Unsigned;
      out.unsignedValue = value.toULongLong();
      break;
    case QMetaType::Short:
    case QMetaType::Int:
    case QMetaType::LongLong:
      out.kind = DBusValue::Kind::Signed;
      out.signedValue = value.toLongLong();
      break;
    case QMetaType::Bool:
      out.kind = DBusValue::Kind::Boolean;
      out.boolean = value.toBool();
      break;
    case QMetaType::QStringList:
      out.kind = DBusValue::Kind::Array;
      for (const QString& text : value.toStringList()) {
        if (!take()) {
          break;
        }
        DBusValue item;
        item.kind = DBusValue::Kind::Text;
        item.text = text.toStdString();
        out.items.push_back(std::move(item));
      }
      break;
    default:
      break;
  }
  return out;
}

}  // namespace

DBusValue readDBusValue(const QVariant& argument) {
  return Reader().variant(argument, 0);
}

}  // namespace vellicor::qt
