#pragma once

#include <QColor>
#include <QImage>
#include <QVBoxLayout>
#include <QWidget>
#include <string>

namespace quimbo::desktop {

// A container with margins around one child and, optionally, a rounded fill
// behind it: what padding, a background and a clip shape make of a view.
class Box final : public QWidget {
 public:
  explicit Box(QWidget* child);
  void setMargins(int top, int leading, int bottom, int trailing);
  void setFill(const QColor& fill);
  void setCornerRadius(double radius);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QVBoxLayout* layout_;
  QColor fill_ = Qt::transparent;
  double radius_ = 0;
};

// A system symbol, drawn by our own vector code in the text's colour.
class SymbolView final : public QWidget {
 public:
  SymbolView();
  void set(const std::string& name, const QColor& colour, int side);
  QSize sizeHint() const override { return {side_, side_}; }
  QSize minimumSizeHint() const override { return sizeHint(); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::string name_;
  QColor colour_;
  int side_ = 16;
};

// The logo image, stretched to the widget and clipped to a rounded square.
class LogoView final : public QWidget {
 public:
  void set(const QImage& image, double radius);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage image_;
  double radius_ = 0;
};

}  // namespace quimbo::desktop
