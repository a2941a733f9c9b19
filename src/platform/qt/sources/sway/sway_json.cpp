#include "platform/qt/sources/sway/sway_json.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstddef>
#include <utility>

namespace vellicor::qt {
namespace {

constexpr std::size_t kMostKeyboards = 64;

// A client's keyboard is named for the protocol it came by: wlroots calls it
// "virtual keyboard" or "wlr_virtual_keyboard_v1".
bool madeByAClient(const QString& identifier) {
  return identifier.section(QLatin1Char(':'), 2)
      .contains(QStringLiteral("virtual"), Qt::CaseInsensitive);
}

std::optional<SwayKeyboard> keyboardOf(const QJsonObject& input) {
  if (input.value(QStringLiteral("type")).toString() != QStringLiteral("keyboard")) {
    return std::nullopt;
  }
  SwayKeyboard keyboard;
  const QString identifier = input.value(QStringLiteral("identifier")).toString();
  keyboard.identifier = identifier.toStdString();
  keyboard.isVirtual = madeByAClient(identifier);
  const QJsonValue name = input.value(QStringLiteral("xkb_active_layout_name"));
  if (name.isString() && !name.toString().isEmpty()) {
    keyboard.layout = NamedSource{name.toString().toStdString(), std::nullopt};
  }
  return keyboard;
}

}  // namespace

std::vector<SwayKeyboard> swayKeyboards(const QByteArray& inputs) {
  std::vector<SwayKeyboard> keyboards;
  for (const QJsonValue input : QJsonDocument::fromJson(inputs).array()) {
    if (auto keyboard = keyboardOf(input.toObject())) {
      keyboards.push_back(std::move(*keyboard));
      if (keyboards.size() == kMostKeyboards) {
        break;
      }
    }
  }
  return keyboards;
}

std::optional<SwayKeyboard> swayTypingKeyboard(const std::vector<SwayKeyboard>& keyboards) {
  for (const bool clientsToo : {false, true}) {
    for (const SwayKeyboard& keyboard : keyboards) {
      if (keyboard.layout && (clientsToo || !keyboard.isVirtual)) {
        return keyboard;
      }
    }
  }
  return std::nullopt;
}

std::optional<SwayKeyboardEvent> swayKeyboardEvent(const QByteArray& event) {
  const QJsonObject object = QJsonDocument::fromJson(event).object();
  auto keyboard = keyboardOf(object.value(QStringLiteral("input")).toObject());
  if (!keyboard) {
    return std::nullopt;
  }
  return SwayKeyboardEvent{object.value(QStringLiteral("change")).toString().toStdString(),
                           std::move(*keyboard)};
}

std::optional<OutputRect> swayFocusedOutput(const QByteArray& outputs) {
  for (const QJsonValue value : QJsonDocument::fromJson(outputs).array()) {
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
