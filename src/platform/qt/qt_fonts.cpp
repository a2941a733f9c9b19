#include "platform/qt/qt_fonts.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QScreen>
#include <cmath>

namespace vellicor::qt {
namespace {

// Qt sizes fonts in typographic points at the screen's logical resolution.
double qtPointsFor(double pixels) {
  const QScreen* screen = QGuiApplication::primaryScreen();
  const double dpi = screen != nullptr ? screen->logicalDotsPerInchY() : 96.0;
  return pixels * 72.0 / (dpi > 0 ? dpi : 96.0);
}

}  // namespace

QtFont::QtFont(double pointSize, FontWeight weight) : pointSize_(pointSize) {
  const double size = std::isfinite(pointSize) && pointSize > 0 ? pointSize : 1.0;
  font_.setPointSizeF(qtPointsFor(size));
  font_.setWeight(weight == FontWeight::Semibold ? QFont::DemiBold : QFont::Normal);
}

std::shared_ptr<Font> QtFonts::systemFont(double pointSize, FontWeight weight) {
  return std::make_shared<QtFont>(pointSize, weight);
}

double QtFonts::measuredWidth(const std::string& text, const Font& font) {
  const auto* qtFont = dynamic_cast<const QtFont*>(&font);
  const QFont f = qtFont != nullptr ? qtFont->font() : QFont();
  return QFontMetricsF(f).horizontalAdvance(
      QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

bool QtFonts::coverKorean() {
  return !QFontDatabase::families(QFontDatabase::Korean).isEmpty();
}

}  // namespace vellicor::qt
