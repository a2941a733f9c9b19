#include "platform/qt/qt_screens.h"

#include <QCursor>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>

#include "platform/qt/panel_anchor.h"
#include "platform/qt/x11/screen_coordinates.h"
#include "platform/qt/x11/x11_connection.h"

namespace vellicor::qt {
namespace {

Rect fromQt(const QRect& r) {
  return {{static_cast<double>(r.x()), static_cast<double>(r.y())},
          {static_cast<double>(r.width()), static_cast<double>(r.height())}};
}

class QtScreen final : public Screen {
 public:
  explicit QtScreen(QScreen* screen) : screen_(screen) {}
  // Read when asked, so a monitor that moved reports where it is now; a monitor
  // that went away has an empty frame.
  Rect frame() const override {
    if (screen_ == nullptr) {
      return {};
    }
    return rectFromTopLeft(fromQt(screen_->geometry()), primaryScreenGeometry());
  }

 private:
  QPointer<QScreen> screen_;
};

}  // namespace

Rect primaryScreenGeometry() {
  const QScreen* primary = QGuiApplication::primaryScreen();
  return primary != nullptr ? fromQt(primary->geometry()) : Rect{};
}

Point QtScreens::mouseLocation() const {
  const bool wayland = static_cast<bool>(activeOutput_);
  const auto output = wayland ? activeOutput_() : std::nullopt;
  QScreen* found = nullptr;
  if (output) {
    const QRect wanted(output->x, output->y, output->width, output->height);
    // The same place and size, else the screen that holds the output's middle.
    for (QScreen* screen : QGuiApplication::screens()) {
      if (screen->geometry() == wanted) {
        found = screen;
        break;
      }
      if (found == nullptr && screen->geometry().contains(wanted.center())) {
        found = screen;
      }
    }
  }
  xcb_connection_t* x = wayland && found == nullptr ? qtConnection() : nullptr;
  const PanelAnchor anchor =
      panelAnchor(wayland, found != nullptr, x != nullptr && pointerOverWindow(x));
  if (anchor == PanelAnchor::PrimaryScreen) {
    found = QGuiApplication::primaryScreen();
  }
  if (anchor != PanelAnchor::Pointer && found != nullptr) {
    const QPoint middle = found->geometry().center();
    return pixelFromTopLeft(middle.x(), middle.y(), primaryScreenGeometry());
  }
  const QPoint p = QCursor::pos();
  return pixelFromTopLeft(p.x(), p.y(), primaryScreenGeometry());
}

std::vector<std::shared_ptr<Screen>> QtScreens::screens() const {
  std::vector<std::shared_ptr<Screen>> out;
  for (QScreen* screen : QGuiApplication::screens()) {
    out.push_back(std::make_shared<QtScreen>(screen));
  }
  return out;
}

std::shared_ptr<Screen> QtScreens::mainScreen() const {
  QScreen* primary = QGuiApplication::primaryScreen();
  return primary != nullptr ? std::make_shared<QtScreen>(primary) : nullptr;
}

}  // namespace vellicor::qt
