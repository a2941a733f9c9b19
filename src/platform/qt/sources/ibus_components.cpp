#include "platform/qt/sources/ibus_components.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QStringList>
#include <QXmlStreamReader>

namespace vellicor::qt {
namespace {

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

// A component file: <component><name>BUS NAME</name> ... <engines><engine>
// <name>ENGINE</name> ... </engine></engines></component>.
bool listsEngine(QFile& file, const QString& engine, QString& component) {
  QXmlStreamReader xml(&file);
  QStringList path;
  QString name;
  bool listed = false;
  while (!xml.atEnd()) {
    switch (xml.readNext()) {
      case QXmlStreamReader::StartElement:
        path << xml.name().toString();
        if (path == QStringList{QStringLiteral("component"), QStringLiteral("name")}) {
          name = xml.readElementText().trimmed();
          path.removeLast();
        } else if (path == QStringList{QStringLiteral("component"), QStringLiteral("engines"),
                                       QStringLiteral("engine"), QStringLiteral("name")}) {
          listed = listed || xml.readElementText().trimmed() == engine;
          path.removeLast();
        }
        break;
      case QXmlStreamReader::EndElement:
        if (!path.isEmpty()) {
          path.removeLast();
        }
        break;
      default:
        break;
    }
  }
  if (xml.hasError() || !listed || name.isEmpty()) {
    return false;
  }
  component = name;
  return true;
}

}  // namespace

QString ibusComponentOf(const QString& engine) {
  for (const QString& folder : componentFolders()) {
    const QStringList files = QDir(folder).entryList({QStringLiteral("*.xml")}, QDir::Files);
    for (const QString& name : files) {
      QFile file(folder + QLatin1Char('/') + name);
      QString component;
      if (file.open(QIODevice::ReadOnly) && listsEngine(file, engine, component)) {
        return component;
      }
    }
  }
  return {};
}

}  // namespace vellicor::qt
