#include "platform/qt/qt_screens.h"

#include <QCursor>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <utility>

#include "platform/qt/panel_anchor.h"
#include "platform/qt/x11/pointer_watch.h"
#include "platform/qt/x11/screen_coordinates.h"

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

QtScreens::QtScreens() = default;

QtScreens::~QtScreens() = default;

void QtScreens::followOutput(std::function<std::optional<OutputRect>()> activeOutput) {
  activeOutput_ = std::move(activeOutput);
  pointer_ = PointerWatch::open([this] { pointerKnown(); });
  pointerWait_.setSingleShot(true);
  pointerWait_.setInterval(static_cast<int>(kPointerWait.count()));
  QObject::connect(&pointerWait_, &QTimer::timeout, [this] { pointerKnown(); });
}

// The screen that has the place and size of the output the session names,
// else the one that holds that output's middle; none when it names none.
QScreen* QtScreens::activeOutputScreen() const {
  const auto output = activeOutput_ ? activeOutput_() : std::nullopt;
  if (!output) {
    return nullptr;
  }
  const QRect wanted(output->x, output->y, output->width, output->height);
  QScreen* found = nullptr;
  for (QScreen* screen : QGuiApplication::screens()) {
    if (screen->geometry() == wanted) {
      return screen;
    }
    if (found == nullptr && screen->geometry().contains(wanted.center())) {
      found = screen;
    }
  }
  return found;
}

void QtScreens::whenPointerKnown(std::function<void()> place) {
  if (!activeOutput_ || !pointer_ ||
      !waitForPointer(true, activeOutputScreen() != nullptr, pointer_->overWindow(),
                      pointer_->sinceLeft())) {
    place();
    return;
  }
  waiting_ = std::move(place);
  if (!pointerWait_.isActive()) {
    pointerWait_.start();
  }
}

void QtScreens::pointerKnown() {
  pointerWait_.stop();
  if (auto place = std::exchange(waiting_, nullptr)) {
    place();
  }
}

Point QtScreens::mouseLocation() const {
  const bool wayland = static_cast<bool>(activeOutput_);
  QScreen* found = wayland ? activeOutputScreen() : nullptr;
  const bool overXWindow = wayland && found == nullptr && pointer_ && pointer_->overWindow();
  const PanelAnchor anchor = panelAnchor(wayland, found != nullptr, overXWindow);
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
