#pragma once

#include <QDBusArgument>
#include <QMetaType>
#include <QString>

// One entry of the list Plasma's layout service answers getLayoutsList with,
// a(sss), as KWin marshals it: the layout's short name, the label the user
// gave it, its long name. Register it (and a QList of it) with
// qDBusRegisterMetaType before sending one.
struct KWinLayoutNames {
  QString shortName;
  QString displayName;
  QString longName;
};
Q_DECLARE_METATYPE(KWinLayoutNames)

inline QDBusArgument& operator<<(QDBusArgument& argument, const KWinLayoutNames& names) {
  argument.beginStructure();
  argument << names.shortName << names.displayName << names.longName;
  argument.endStructure();
  return argument;
}

inline const QDBusArgument& operator>>(const QDBusArgument& argument, KWinLayoutNames& names) {
  argument.beginStructure();
  argument >> names.shortName >> names.displayName >> names.longName;
  argument.endStructure();
  return argument;
}
