#include "platform/qt/badge_icon.h"

#include <QFont>
#include <QFontMetricsF>
#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <algorithm>

namespace vellicor::qt {
namespace {

void drawBadge(QPainter& painter, const QRectF& area, const QString& text) {
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  const qreal size = std::min(area.width(), area.height());
  const QRectF tile(area.center().x() - size / 2 + 0.5, area.center().y() - size / 2 + 0.5,
                    size - 1.0, size - 1.0);
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
}

// Draws the badge at whatever size and pixel ratio the tray asks for, when it
// asks: setting a new badge costs nothing until the icon is painted.
class BadgeEngine final : public QIconEngine {
 public:
  explicit BadgeEngine(QString text) : text_(std::move(text)) {}
  void paint(QPainter* painter, const QRect& rect, QIcon::Mode, QIcon::State) override {
    drawBadge(*painter, rect, text_);
  }
  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    return scaledPixmap(size, mode, state, 1.0);
  }
  QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                       qreal scale) override {
    QPixmap pixmap(size * scale);
    pixmap.setDevicePixelRatio(scale);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    paint(&painter, QRect(QPoint(0, 0), size), mode, state);
    return pixmap;
  }
  QIconEngine* clone() const override { return new BadgeEngine(text_); }

 private:
  QString text_;
};

}  // namespace

QIcon badgeIcon(const std::string& badge) {
  return QIcon(
      new BadgeEngine(QString::fromUtf8(badge.data(), static_cast<qsizetype>(badge.size()))));
}

}  // namespace vellicor::qt
