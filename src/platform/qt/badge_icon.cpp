#include "platform/qt/badge_icon.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <array>

namespace vellicor::qt {
namespace {

constexpr std::array<int, 6> kSizes{16, 22, 24, 32, 48, 64};
constexpr std::array<qreal, 2> kScales{1.0, 2.0};

QPixmap draw(const QString& text, int size, qreal scale) {
  QPixmap pixmap(static_cast<int>(size * scale), static_cast<int>(size * scale));
  pixmap.setDevicePixelRatio(scale);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);

  const QRectF tile(0.5, 0.5, size - 1.0, size - 1.0);
  const qreal radius = size * 0.22;
  QPainterPath path;
  path.addRoundedRect(tile, radius, radius);
  painter.fillPath(path, QColor(38, 38, 40, 240));
  painter.setPen(QPen(QColor(255, 255, 255, 150), 1.0));
  painter.drawPath(path);

  QFont font;
  font.setWeight(QFont::Bold);
  font.setPixelSize(std::max(6, static_cast<int>(size * 0.68)));
  // Shrink a wide badge (an emoji sequence, a wide letter) until it fits.
  const qreal room = size * 0.82;
  while (font.pixelSize() > 6 && QFontMetricsF(font).horizontalAdvance(text) > room) {
    font.setPixelSize(font.pixelSize() - 1);
  }
  painter.setFont(font);
  painter.setPen(Qt::white);
  painter.drawText(tile, Qt::AlignCenter | Qt::TextSingleLine, text);
  return pixmap;
}

}  // namespace

QIcon badgeIcon(const std::string& badge) {
  const QString text = QString::fromUtf8(badge.data(), static_cast<qsizetype>(badge.size()));
  QIcon icon;
  for (const int size : kSizes) {
    for (const qreal scale : kScales) {
      icon.addPixmap(draw(text, size, scale));
    }
  }
  return icon;
}

}  // namespace vellicor::qt
