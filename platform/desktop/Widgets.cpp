#include "platform/desktop/Widgets.h"

#include <QPainter>
#include <QPainterPath>

#include "platform/desktop/Symbols.h"

namespace quimbo::desktop {

Box::Box(QWidget* child) : layout_(new QVBoxLayout(this)) {
  layout_->setContentsMargins(0, 0, 0, 0);
  layout_->setSpacing(0);
  layout_->addWidget(child);
}

void Box::setMargins(int top, int leading, int bottom, int trailing) {
  const QMargins margins(leading, top, trailing, bottom);
  if (layout_->contentsMargins() != margins) layout_->setContentsMargins(margins);
}

void Box::setFill(const QColor& fill) {
  if (fill_ == fill) return;
  fill_ = fill;
  update();
}

void Box::setCornerRadius(double radius) {
  if (radius_ == radius) return;
  radius_ = radius;
  update();
}

void Box::paintEvent(QPaintEvent*) {
  if (fill_.alpha() == 0) return;
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  QPainterPath shape;
  shape.addRoundedRect(QRectF(rect()), radius_, radius_);
  painter.fillPath(shape, fill_);
}

SymbolView::SymbolView() { setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed); }

void SymbolView::set(const std::string& name, const QColor& colour, int side) {
  if (name == name_ && colour == colour_ && side == side_) return;
  name_ = name;
  colour_ = colour;
  if (side != side_) {
    side_ = side;
    updateGeometry();
  }
  update();
}

void SymbolView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const int side = std::min({side_, width(), height()});
  drawSymbol(painter, name_, QRectF((width() - side) / 2.0, (height() - side) / 2.0, side, side),
             colour_);
}

void LogoView::set(const QImage& image, double radius) {
  if (image_.cacheKey() == image.cacheKey() && radius_ == radius) return;
  image_ = image;
  radius_ = radius;
  update();
}

void LogoView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  QPainterPath clip;
  clip.addRoundedRect(QRectF(rect()), radius_, radius_);
  painter.setClipPath(clip);
  painter.drawImage(QRectF(rect()), image_);
}

}  // namespace quimbo::desktop
