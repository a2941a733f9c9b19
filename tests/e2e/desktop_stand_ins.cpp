// Stand-ins for services of a desktop session, on the session bus:
//   vellicor_test_stand_in watcher   a StatusNotifierWatcher, as a desktop with a
//                                    tray for StatusNotifierItems has: it takes
//                                    registrations and says a host is there, so
//                                    that programs such as Fcitx5 put up items;
//   vellicor_test_stand_in fcitx5    an Fcitx5 controller whose current input
//                                    method is Hangul; SIGUSR1 breaks it, and
//                                    the next one mends it. Broken, it answers
//                                    every call with an error whose message
//                                    holds a line break, a forged log line and
//                                    a terminal escape sequence; at /StandIn
//                                    it switches to an input method named at
//                                    any length;
//   vellicor_test_stand_in plasma    Plasma's layout service (org.kde.keyboard)
//                                    with the layouts us and kr(kr104), switched
//                                    with setLayout, and a KWin that never
//                                    answers which output is active, as a
//                                    KWin busy elsewhere; at /StandIn
//                                    (org.vellicor.StandIn) it says how often
//                                    its layouts were read, floods
//                                    layoutChanged, and names its second
//                                    layout at any length.

#include <signal.h>

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QObject>
#include <QStringList>
#include <cstdio>
#include <cstring>

#include "support/kwin_layout_names.h"

class Watcher final : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
  Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ items)
  Q_PROPERTY(bool IsStatusNotifierHostRegistered READ hostRegistered)
  Q_PROPERTY(int ProtocolVersion READ protocolVersion)

 public:
  QStringList items() const { return items_; }
  bool hostRegistered() const { return true; }
  int protocolVersion() const { return 0; }

 public slots:
  void RegisterStatusNotifierItem(const QString& service, const QDBusMessage& message) {
    // An item names its bus name or its object path; a path means the caller's name.
    const QString item =
        service.startsWith(QLatin1Char('/')) ? message.service() + service : service;
    items_ << item;
    emit StatusNotifierItemRegistered(item);
  }
  void RegisterStatusNotifierHost(const QString&) { emit StatusNotifierHostRegistered(); }

 signals:
  void StatusNotifierItemRegistered(const QString& item);
  void StatusNotifierItemUnregistered(const QString& item);
  void StatusNotifierHostRegistered();

 private:
  QStringList items_;
};

struct InputMethodEntry {
  QString uniqueName, name, nativeName, icon, label, language;
  bool configurable = false;
};
Q_DECLARE_METATYPE(InputMethodEntry)

QDBusArgument& operator<<(QDBusArgument& out, const InputMethodEntry& im) {
  out.beginStructure();
  out << im.uniqueName << im.name << im.nativeName << im.icon << im.label << im.language
      << im.configurable;
  out.endStructure();
  return out;
}
const QDBusArgument& operator>>(const QDBusArgument& in, InputMethodEntry& im) {
  in.beginStructure();
  in >> im.uniqueName >> im.name >> im.nativeName >> im.icon >> im.label >> im.language >>
      im.configurable;
  in.endStructure();
  return in;
}

// An input method of a group and its layout.
struct GroupItem {
  QString inputMethod, layout;
};
Q_DECLARE_METATYPE(GroupItem)

QDBusArgument& operator<<(QDBusArgument& out, const GroupItem& item) {
  out.beginStructure();
  out << item.inputMethod << item.layout;
  out.endStructure();
  return out;
}
const QDBusArgument& operator>>(const QDBusArgument& in, GroupItem& item) {
  in.beginStructure();
  in >> item.inputMethod >> item.layout;
  in.endStructure();
  return in;
}

class KeyboardLayouts final : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.kde.KeyboardLayouts")

 public slots:
  bool setLayout(uint index) {
    if (index > 1) {
      return false;
    }
    layout_ = index;
    emit layoutChanged(index);
    return true;
  }
  uint getLayout() { return layout_; }
  QList<KWinLayoutNames> getLayoutsList() {
    ++listsRead;
    return {{QStringLiteral("us"), QString(), QStringLiteral("English (US)")},
            {QStringLiteral("kr"), QString(), koreanName}};
  }

 signals:
  void layoutChanged(uint index);
  void layoutListChanged();

 public:
  int listsRead = 0;
  QString koreanName = QStringLiteral("Korean (101/104-key compatible)");

 private:
  uint layout_ = 0;
};

// What the tests ask of the Plasma stand-in beyond KWin's own interface: how
// often its layouts were read, a flood of layoutChanged naming a layout it
// does not list, and a long name for its second layout.
class PlasmaControl final : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.vellicor.StandIn")

 public:
  explicit PlasmaControl(KeyboardLayouts& layouts) : layouts_(layouts) {}

 public slots:
  int ListsRead() { return layouts_.listsRead; }
  void Flood(uint count) {
    for (uint i = 0; i < count; ++i) {
      emit layouts_.layoutChanged(7);
    }
  }
  void NameSecondLayout(uint characters) {
    layouts_.koreanName = QStringLiteral("Korean ") + QString(characters, QLatin1Char('x'));
    emit layouts_.layoutListChanged();
  }

 private:
  KeyboardLayouts& layouts_;
};

class KWin final : public QObject, protected QDBusContext {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.kde.KWin")

 public slots:
  // Never answered.
  QString activeOutputName() {
    setDelayedReply(true);
    return {};
  }
  QString supportInformation() {
    return QStringLiteral("Screens\n=======\nName: Virtual-0\nGeometry: 0,0,1280x800\n");
  }
};

volatile sig_atomic_t broken = 0;

class Controller final : public QObject, protected QDBusContext {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.fcitx.Fcitx.Controller1")

 public slots:
  int State() { return fails() ? 0 : 2; }
  QString CurrentInputMethod() { return fails() ? QString() : current; }
  QString CurrentInputMethodGroup() { return fails() ? QString() : QStringLiteral("Default"); }
  QString InputMethodGroupInfo(const QString&, QList<GroupItem>& items) {
    if (fails()) {
      return {};
    }
    items = {{QStringLiteral("keyboard-us"), QString()}, {QStringLiteral("hangul"), QString()}};
    return QStringLiteral("us");
  }
  QList<InputMethodEntry> AvailableInputMethods() {
    if (fails()) {
      return {};
    }
    QList<InputMethodEntry> methods = {{QStringLiteral("hangul"), QStringLiteral("Hangul"),
                                        QStringLiteral("한글"), QStringLiteral("fcitx-hangul"),
                                        QStringLiteral("한"), QStringLiteral("ko"), true}};
    if (!longName.isEmpty()) {
      methods.push_back({QStringLiteral("long"), QStringLiteral("Long"), longName, QString(),
                         QString(), QStringLiteral("ko"), false});
    }
    return methods;
  }

 public:
  QString current = QStringLiteral("hangul");
  QString longName;

 private:
  bool fails() {
    if (broken != 0) {
      sendErrorReply(QStringLiteral("org.fcitx.Fcitx.Error.Failed"),
                     QString::fromUtf8("the stand-in is broken\n2001-01-01 00:00:00.000 "
                                       "vellicor[1] 입력 언어 변경: 한글 → forged\x1b[2J"));
    }
    return broken != 0;
  }
};

// What the tests ask of the Fcitx5 stand-in: a switch to an input method
// whose native name has the length asked for.
class Fcitx5Control final : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.vellicor.StandIn")

 public:
  explicit Fcitx5Control(Controller& controller) : controller_(controller) {}

 public slots:
  void SwitchToLongNamed(uint characters) {
    controller_.longName = QString(characters, QChar(0xAE34));  // 긴
    controller_.current = QStringLiteral("long");
  }

 private:
  Controller& controller_;
};

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QString role = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
  QDBusConnection bus = QDBusConnection::sessionBus();
  Watcher watcher;
  Controller controller;
  Fcitx5Control fcitx5Control(controller);
  KeyboardLayouts layouts;
  PlasmaControl control(layouts);
  KWin kwin;
  bool ok = false;
  if (role == QStringLiteral("watcher")) {
    ok = bus.registerObject(QStringLiteral("/StatusNotifierWatcher"), &watcher,
                            QDBusConnection::ExportAllContents) &&
         bus.registerService(QStringLiteral("org.kde.StatusNotifierWatcher"));
  } else if (role == QStringLiteral("fcitx5")) {
    qDBusRegisterMetaType<InputMethodEntry>();
    qDBusRegisterMetaType<QList<InputMethodEntry>>();
    qDBusRegisterMetaType<GroupItem>();
    qDBusRegisterMetaType<QList<GroupItem>>();
    struct sigaction action {};
    action.sa_handler = [](int) { broken = 1 - broken; };
    sigaction(SIGUSR1, &action, nullptr);
    ok = bus.registerObject(QStringLiteral("/controller"), &controller,
                            QDBusConnection::ExportAllSlots) &&
         bus.registerObject(QStringLiteral("/StandIn"), &fcitx5Control,
                            QDBusConnection::ExportAllSlots) &&
         bus.registerService(QStringLiteral("org.fcitx.Fcitx5"));
  } else if (role == QStringLiteral("plasma")) {
    qDBusRegisterMetaType<KWinLayoutNames>();
    qDBusRegisterMetaType<QList<KWinLayoutNames>>();
    ok =
        bus.registerObject(QStringLiteral("/Layouts"), &layouts,
                           QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals) &&
        bus.registerObject(QStringLiteral("/KWin"), &kwin, QDBusConnection::ExportAllSlots) &&
        bus.registerObject(QStringLiteral("/StandIn"), &control, QDBusConnection::ExportAllSlots) &&
        bus.registerService(QStringLiteral("org.kde.KWin")) &&
        bus.registerService(QStringLiteral("org.kde.keyboard"));
  }
  if (!ok) {
    std::fprintf(stderr, "usage: %s watcher|fcitx5|plasma (and a session bus to register on)\n",
                 argv[0]);
    return 1;
  }
  return QCoreApplication::exec();
}

#include "desktop_stand_ins.moc"
