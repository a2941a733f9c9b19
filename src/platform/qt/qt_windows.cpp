#include "platform/qt/qt_windows.h"

#include "platform/common/live_objects.h"

#include <QBitmap>
#include <QFontMetricsF>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QWidget>
#include <cmath>

#include "platform/layout/anchor_layout.h"
#include "platform/qt/panel_placement.h"
#include "platform/qt/qt_accessibility.h"
#include "platform/qt/qt_fonts.h"
#include "platform/qt/qt_screens.h"
#include "platform/qt/x11/screen_coordinates.h"
#include "platform/qt/x11/selection_watch.h"

namespace vellicor::qt {
namespace {

// The HUD material: a dark, slightly translucent fill.
const QColor kHUDMaterial(24, 24, 26, 215);
// The largest panel the HUD shows (its widest, its only height): the window is
// made this large once, so no panel reallocates it. A larger frame still fits.
constexpr PixelRect kPanelCapacity{0, 0, 520, 90};

QRect toPixels(const Rect& r) {
  const auto x = static_cast<int>(std::lround(r.origin.x));
  const auto y = static_cast<int>(std::lround(r.origin.y));
  const auto w = static_cast<int>(std::lround(r.size.width));
  const auto h = static_cast<int>(std::lround(r.size.height));
  return {x, y, w, h};
}

// What every view here shares: its widget, its subviews and the constraints
// activated with it as their second item (its container role).
struct QtViewNode {
  virtual ~QtViewNode() {
    // The widget's parent may have deleted it already; QPointer knows.
    delete widget.data();
  }
  virtual std::optional<Size> intrinsicSize() const { return std::nullopt; }

  // Places each subview where the constraints put it inside this view's size.
  void layoutSubviews() {
    const QSize size = widget->size();
    for (const auto& subview : subviews) {
      auto* node = dynamic_cast<QtViewNode*>(subview.get());
      if (node == nullptr || node->widget == nullptr) {
        continue;
      }
      const Size intrinsic = node->intrinsicSize().value_or(Size{});
      const auto x = layout::solveAxis(constraints, *subview, layout::Axis::Horizontal,
                                       size.width(), intrinsic.width);
      const auto y = layout::solveAxis(constraints, *subview, layout::Axis::Vertical, size.height(),
                                       intrinsic.height);
      if (x && y) {
        // Vertical spans run from the top, as Qt's widget coordinates do.
        node->widget->setGeometry(toPixels({{x->start, y->start}, {x->length, y->length}}));
      }
      node->layoutSubviews();
    }
  }

  QPointer<QWidget> widget;
  std::vector<std::shared_ptr<View>> subviews;
  std::vector<LayoutConstraint> constraints;
};

QtViewNode* nodeOf(const View* view) {
  return dynamic_cast<QtViewNode*>(const_cast<View*>(view));
}

template <class Base>
struct QtViewOf : Base, QtViewNode {
  explicit QtViewOf(QWidget* w, const Rect& frame) {
    widget = w;
    widget->setGeometry(toPixels(frame));
  }
  Rect bounds() const override {
    const QSize s = widget ? widget->size() : QSize();
    return {{0, 0}, {static_cast<double>(s.width()), static_cast<double>(s.height())}};
  }
  void setTranslatesAutoresizingMaskIntoConstraints(bool) override {}
  void addSubview(std::shared_ptr<View> subview) override {
    if (auto* node = nodeOf(subview.get()); node != nullptr && node->widget && widget) {
      node->widget->setParent(widget);
      node->widget->show();
    }
    subviews.push_back(std::move(subview));
  }
};

struct QtLayer final : Layer {
  explicit QtLayer(QWidget* owner) : owner(owner) {}
  void setCornerRadius(double radius) override {
    cornerRadius = radius;
    if (owner) {
      owner->update();
    }
  }
  QPointer<QWidget> owner;
  double cornerRadius = 0;
};

class EffectWidget final : public QWidget {
 public:
  std::shared_ptr<QtLayer> layer;
  bool material = false;

 protected:
  void paintEvent(QPaintEvent*) override {
    if (!material) {
      return;
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const double r = layer ? layer->cornerRadius : 0;
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()), r, r);
    painter.fillPath(path, kHUDMaterial);
  }
};

struct QtVisualEffectView final : QtViewOf<VisualEffectView> {
  explicit QtVisualEffectView(const Rect& frame) : QtViewOf(new EffectWidget, frame) {}
  EffectWidget* effect() const { return static_cast<EffectWidget*>(widget.data()); }
  void setMaterial(int) override {
    effect()->material = true;
    effect()->update();
  }
  void setState(int) override {}
  void setWantsLayer(bool wants) override {
    if (wants && !effect()->layer) {
      effect()->layer = std::make_shared<QtLayer>(effect());
    }
  }
  std::shared_ptr<Layer> layer() override { return effect() ? effect()->layer : nullptr; }
  double cornerRadius() const {
    return effect() && effect()->layer ? effect()->layer->cornerRadius : 0;
  }
};

struct QtLabel final : QtViewOf<Label> {
  explicit QtLabel(const std::string& text) : QtViewOf(new QLabel, Rect{}) {
    // A name is text, never markup.
    label()->setTextFormat(Qt::PlainText);
    label()->setWordWrap(false);
    setStringValue(text);
  }
  QLabel* label() const { return static_cast<QLabel*>(widget.data()); }
  void setIdentifier(const std::string& identifier) override {
    label()->setObjectName(QString::fromStdString(identifier));
  }
  void setFont(std::shared_ptr<Font> font) override {
    font_ = std::move(font);
    if (const auto* f = dynamic_cast<const QtFont*>(font_.get())) {
      label()->setFont(f->font());
    }
  }
  std::shared_ptr<Font> font() const override { return font_; }
  void setTextColor(Color color) override {
    QPalette palette = label()->palette();
    palette.setColor(QPalette::WindowText, color == Color::White ? Qt::white : Qt::transparent);
    label()->setPalette(palette);
  }
  void setAlignment(int alignment) override {
    label()->setAlignment(alignment == kTextAlignmentCenter ? Qt::AlignCenter
                                                            : Qt::AlignLeft | Qt::AlignVCenter);
  }
  // A QLabel without word wrap clips what does not fit.
  void setLineBreakMode(int) override {}
  void setStringValue(const std::string& text) override {
    label()->setText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
  }
  std::optional<Size> intrinsicSize() const override {
    const QFontMetricsF metrics(label()->font());
    return Size{metrics.horizontalAdvance(label()->text()), metrics.height()};
  }

  std::shared_ptr<Font> font_;
};

}  // namespace

// A tool tip's window type, the one type whose showing Qt does not tell screen
// readers of itself: the panel tells them, once for each change
// (QtAccessibility).
struct QtWindow::Widget final : QWidget {
  Widget()
      : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                             Qt::WindowDoesNotAcceptFocus | Qt::X11BypassWindowManagerHint) {
    setObjectName(QtAccessibility::panelName());
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
  }
};

QtWindow::QtWindow(const Rect& contentRect)
    : widget_(std::make_unique<Widget>()),
      capacity_(kPanelCapacity),
      // A compositor that starts or stops while the panel shows changes how
      // its corners must be cut.
      compositor_(SelectionWatch::open("_NET_WM_CM_S", [this](bool) {
        if (widget_->isVisible()) {
          updateShape();
        }
      })) {
  setFrame(contentRect, false);
}

QtWindow::~QtWindow() = default;

void QtWindow::setOpaque(bool opaque) {
  widget_->setAttribute(Qt::WA_TranslucentBackground, !opaque);
}

void QtWindow::setBackgroundColor(Color color) {
  widget_->setAttribute(Qt::WA_NoSystemBackground, color == Color::Clear);
}

void QtWindow::setIgnoresMouseEvents(bool ignores) {
  widget_->setWindowFlag(Qt::WindowTransparentForInput, ignores);
  widget_->setAttribute(Qt::WA_TransparentForMouseEvents, ignores);
}

void QtWindow::setAcceptsMouseMovedEvents(bool accepts) {
  widget_->setMouseTracking(accepts);
}

void QtWindow::setContentView(std::shared_ptr<View> view) {
  content_ = std::move(view);
  if (auto* node = nodeOf(content_.get()); node != nullptr && node->widget) {
    node->widget->setParent(widget_.get());
    node->widget->show();
  }
  layoutContent();
}

void QtWindow::setFrame(const Rect& frame, bool) {
  const PanelPlacement placed =
      placePanel(rectToTopLeft(frame, primaryScreenGeometry()), capacity_);
  const QRect window(placed.window.x, placed.window.y, placed.window.width, placed.window.height);
  // The same place and size again sends the X server nothing.
  if (widget_->geometry() != window) {
    widget_->setGeometry(window);
  }
  panel_ = placed.panel;
  layoutContent();
}

void QtWindow::setAlphaValue(double alpha) {
  widget_->setWindowOpacity(alpha);
}

void QtWindow::orderFrontRegardless() {
  layoutContent();
  updateTitle();
  if (!widget_->isVisible()) {
    // Qt writes the window type only onto a window that exists, and makes the
    // window anew when its flags change, so the type is set here, last.
    if (!widget_->testAttribute(Qt::WA_X11NetWmWindowTypeNotification)) {
      widget_->winId();
      widget_->setAttribute(Qt::WA_X11NetWmWindowTypeNotification);
    }
    // Shaped before it is mapped; Qt paints it once the server has mapped it.
    updateShape();
    widget_->show();
    widget_->raise();
    return;
  }
  widget_->raise();
  // Painted now rather than on the next pass of the event loop, and reshaped
  // after the paint, so the new shape never shows the old text.
  widget_->repaint();
  updateShape();
}

void QtWindow::orderOut() {
  widget_->hide();
}

QWidget* QtWindow::widget() const {
  return widget_.get();
}

std::optional<std::string> QtWindow::labelText() const {
  if (auto* node = nodeOf(content_.get())) {
    for (const auto& subview : node->subviews) {
      if (const auto* label = dynamic_cast<const QtLabel*>(subview.get())) {
        return label->label()->text().toStdString();
      }
    }
  }
  return std::nullopt;
}

void QtWindow::layoutContent() {
  auto* node = nodeOf(content_.get());
  if (node == nullptr || !node->widget) {
    return;
  }
  node->widget->setGeometry(QRect(panel_.x, panel_.y, panel_.width, panel_.height));
  node->layoutSubviews();
}

// The window shows only the panel. Without a compositor a translucent window
// shows black where it should be clear, so the shape also cuts the round
// corners; with one, the corners are painted translucent inside a plain shape.
void QtWindow::updateShape() {
  const QRect panel(panel_.x, panel_.y, panel_.width, panel_.height);
  double radius = 0;
  if (auto* node = nodeOf(content_.get())) {
    for (const auto& subview : node->subviews) {
      if (const auto* effect = dynamic_cast<const QtVisualEffectView*>(subview.get())) {
        radius = effect->cornerRadius();
      }
    }
  }
  if (radius <= 0 || (compositor_ && compositor_->owned())) {
    widget_->setMask(QRegion(panel));
    return;
  }
  QBitmap mask(widget_->size());
  mask.fill(Qt::color0);
  QPainter painter(&mask);
  painter.setBrush(Qt::color1);
  painter.setPen(Qt::NoPen);
  painter.drawRoundedRect(QRectF(panel), radius, radius);
  painter.end();
  widget_->setMask(mask);
}

void QtWindow::updateTitle() {
  const auto text = labelText();
  const QString title = text ? QString::fromStdString(*text) : QString();
  if (widget_->windowTitle() != title) {
    widget_->setWindowTitle(title);
  }
}

std::shared_ptr<Window> QtWindows::makeWindow(const Rect& contentRect, unsigned, int, bool) {
  auto window = std::make_shared<QtWindow>(contentRect);
  windows_.push_back(window);
  return window;
}

std::shared_ptr<View> QtWindows::makeView(const Rect& frame) {
  return std::make_shared<QtViewOf<View>>(new QWidget, frame);
}

std::shared_ptr<VisualEffectView> QtWindows::makeVisualEffectView(const Rect& frame) {
  return std::make_shared<QtVisualEffectView>(frame);
}

std::shared_ptr<Label> QtWindows::makeLabel(const std::string& text) {
  return std::make_shared<QtLabel>(text);
}

void QtWindows::activateConstraints(const std::vector<LayoutConstraint>& constraints) {
  for (const auto& c : constraints) {
    if (QtViewNode* container = nodeOf(c.second)) {
      container->constraints.push_back(c);
    }
  }
}

std::vector<std::shared_ptr<QtWindow>> QtWindows::windows() const {
  return liveObjects(windows_);
}

}  // namespace vellicor::qt
