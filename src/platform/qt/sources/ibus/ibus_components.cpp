#include "platform/qt/sources/ibus/ibus_components.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QStringList>
#include <QXmlStreamReader>

namespace vellicor::qt {
namespace {

// The largest component file read (ibus-hangul's is 1 KB, the biggest ones
// that list hundreds of engines some 100 KB), and the longest text taken from
// one.
constexpr qint64 kMaxFileBytes = 1 << 20;
constexpr qsizetype kMaxText = 256;

QStringList componentFolders() {
  QStringList folders;
  const QString fromEnvironment = qEnvironmentVariable("IBUS_COMPONENT_PATH");
  if (!fromEnvironment.isEmpty()) {
    folders = fromEnvironment.split(QLatin1Char(':'), Qt::SkipEmptyParts);
  } else {
    folders << QStringLiteral("/usr/share/ibus/component");
  }
  folders << QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                 QStringLiteral("/ibus/component");
  return folders;
}

QString bounded(const QString& text) {
  return text.size() <= kMaxText ? text : QString();
}

// A component file: <component><name>BUS NAME</name> ... <engines><engine>
// <name>ENGINE</name><longname>...</longname><layout>...</layout>
// <layout_variant>...</layout_variant> ... </engine></engines></component>.
// Finds `engine` in it: the component's name, and the engine's description.
bool findEngine(QFile& file, const QString& engine, QString& component, IBusEngine& found) {
  const QStringList enginePath{QStringLiteral("component"), QStringLiteral("engines"),
                               QStringLiteral("engine")};
  const QStringList fields{QStringLiteral("name"), QStringLiteral("longname"),
                           QStringLiteral("layout"), QStringLiteral("layout_variant")};
  component.clear();
  QXmlStreamReader xml(&file);
  QStringList path;
  IBusEngine current;
  bool listed = false;
  while (!xml.atEnd()) {
    switch (xml.readNext()) {
      case QXmlStreamReader::StartElement: {
        path << xml.name().toString();
        if (path == QStringList{QStringLiteral("component"), QStringLiteral("name")}) {
          component = bounded(xml.readElementText().trimmed());
          path.removeLast();
        } else if (path.size() == enginePath.size() + 1 && path.mid(0, 3) == enginePath &&
                   fields.contains(path.last())) {
          const QString field = path.last();
          const std::string value = bounded(xml.readElementText().trimmed()).toStdString();
          path.removeLast();
          if (field == fields[0]) {
            current.name = value;
          } else if (field == fields[1]) {
            current.longName = value;
          } else if (field == fields[2]) {
            current.layout = value;
          } else {
            current.layoutVariant = value;
          }
        } else if (path == enginePath) {
          current = IBusEngine{};
        }
        break;
      }
      case QXmlStreamReader::EndElement:
        if (path == enginePath && !listed && current.name == engine.toStdString()) {
          found = current;
          listed = true;
        }
        if (!path.isEmpty()) {
          path.removeLast();
        }
        break;
      default:
        break;
    }
  }
  return !xml.hasError() && listed && !component.isEmpty();
}

bool lookUp(const QString& engine, QString& component, IBusEngine& found) {
  for (const QString& folder : componentFolders()) {
    const QStringList files = QDir(folder).entryList({QStringLiteral("*.xml")}, QDir::Files);
    for (const QString& name : files) {
      QFile file(folder + QLatin1Char('/') + name);
      if (file.size() <= kMaxFileBytes && file.open(QIODevice::ReadOnly) &&
          findEngine(file, engine, component, found)) {
        return true;
      }
    }
  }
  return false;
}

}  // namespace

QString ibusComponentOf(const QString& engine) {
  QString component;
  IBusEngine found;
  return lookUp(engine, component, found) ? component : QString();
}

std::optional<IBusEngine> ibusEngineOf(const QString& engine) {
  QString component;
  IBusEngine found;
  if (!lookUp(engine, component, found)) {
    return std::nullopt;
  }
  return found;
}

}  // namespace vellicor::qt
