#include "platform/qt/sources/dbus_value_reader.h"

#include <QDBusArgument>
#include <QDBusObjectPath>
#include <QDBusSignature>
#include <QDBusVariant>
#include <QVariant>

namespace vellicor::qt {
namespace {

// D-Bus allows 32 levels of arrays and 32 of structs.
constexpr int kMaxDepth = 64;

DBusValue fromVariant(const QVariant& value, int depth);

DBusValue fromArgument(const QDBusArgument& argument, int depth) {
  DBusValue out;
  if (depth > kMaxDepth) {
    return out;
  }
  switch (argument.currentType()) {
    case QDBusArgument::BasicType:
      return fromVariant(argument.asVariant(), depth + 1);
    case QDBusArgument::VariantType: {
      QDBusVariant inner;
      argument >> inner;
      return fromVariant(inner.variant(), depth + 1);
    }
    case QDBusArgument::StructureType:
    case QDBusArgument::ArrayType: {
      const bool structure = argument.currentType() == QDBusArgument::StructureType;
      out.kind = structure ? DBusValue::Kind::Struct : DBusValue::Kind::Array;
      structure ? argument.beginStructure() : argument.beginArray();
      while (!argument.atEnd()) {
        out.items.push_back(fromArgument(argument, depth + 1));
      }
      structure ? argument.endStructure() : argument.endArray();
      return out;
    }
    case QDBusArgument::MapType:
      // Read as an array of key-value structs.
      out.kind = DBusValue::Kind::Array;
      argument.beginMap();
      while (!argument.atEnd()) {
        DBusValue entry;
        entry.kind = DBusValue::Kind::Struct;
        argument.beginMapEntry();
        entry.items.push_back(fromArgument(argument, depth + 1));
        entry.items.push_back(fromArgument(argument, depth + 1));
        argument.endMapEntry();
        out.items.push_back(std::move(entry));
      }
      argument.endMap();
      return out;
    default: {
      // Skip what cannot be read, so that reading goes on past it.
      QVariant skipped;
      argument >> skipped;
      return out;
    }
  }
}

DBusValue fromVariant(const QVariant& value, int depth) {
  DBusValue out;
  if (depth > kMaxDepth) {
    return out;
  }
  const int type = value.userType();
  if (type == qMetaTypeId<QDBusArgument>()) {
    return fromArgument(value.value<QDBusArgument>(), depth + 1);
  }
  if (type == qMetaTypeId<QDBusVariant>()) {
    return fromVariant(value.value<QDBusVariant>().variant(), depth + 1);
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
  return fromVariant(argument, 0);
}

}  // namespace vellicor::qt
