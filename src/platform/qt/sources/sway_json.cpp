#include "platform/qt/sources/sway_json.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace vellicor::qt {
namespace {

std::optional<NamedSource> layoutOf(const QJsonObject& input) {
  if (input.value(QStringLiteral("type")).toString() != QStringLiteral("keyboard")) {
    return std::nullopt;
  }
  const QJsonValue name = input.value(QStringLiteral("xkb_active_layout_name"));
  if (!name.isString() || name.toString().isEmpty()) {
    return std::nullopt;
  }
  NamedSource source;
  source.localizedName = name.toString().toStdString();
  return source;
}

QJsonArray arrayOf(const QByteArray& payload) {
  return QJsonDocument::fromJson(payload).array();
}

}  // namespace

std::optional<NamedSource> swayKeyboardLayout(const QByteArray& inputs) {
  for (const QJsonValue input : arrayOf(inputs)) {
    if (auto layout = layoutOf(input.toObject())) {
      return layout;
    }
  }
  return std::nullopt;
}

std::optional<NamedSource> swayLayoutEvent(const QByteArray& event) {
  const QJsonObject object = QJsonDocument::fromJson(event).object();
  const QString change = object.value(QStringLiteral("change")).toString();
  if (change != QStringLiteral("xkb_layout") && change != QStringLiteral("xkb_keymap")) {
    return std::nullopt;
  }
  return layoutOf(object.value(QStringLiteral("input")).toObject());
}

std::optional<OutputRect> swayFocusedOutput(const QByteArray& outputs) {
  for (const QJsonValue value : arrayOf(outputs)) {
    const QJsonObject output = value.toObject();
    if (!output.value(QStringLiteral("focused")).toBool()) {
      continue;
    }
    const QJsonObject rect = output.value(QStringLiteral("rect")).toObject();
    const OutputRect out{
        rect.value(QStringLiteral("x")).toInt(), rect.value(QStringLiteral("y")).toInt(),
        rect.value(QStringLiteral("width")).toInt(), rect.value(QStringLiteral("height")).toInt()};
    if (out.width > 0 && out.height > 0) {
      return out;
    }
  }
  return std::nullopt;
}

}  // namespace vellicor::qt
