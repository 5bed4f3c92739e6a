#include "platform/desktop/PanelWindow.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "platform/desktop/ClickCatcher.h"

namespace quimbo::desktop {

using namespace ui;

namespace {

enum class Edges { notBottom, sides, notTop };

// `column`'s modifiers for one section: padding kept on its outer edges.
std::vector<Modifier> sectionModifiers(const View& column, Edges edges, bool keepFrame) {
  std::vector<Modifier> out;
  for (Modifier m : column.modifiers) {
    if (auto* padding = std::get_if<modifier::Padding>(&m)) {
      if (edges == Edges::sides || edges == Edges::notTop) padding->insets.top = 0;
      if (edges == Edges::sides || edges == Edges::notBottom) padding->insets.bottom = 0;
    }
    if (!keepFrame && std::holds_alternative<modifier::Frame>(m)) continue;
    out.push_back(m);
  }
  return out;
}

View section(const View& column, std::size_t first, std::size_t last, Edges edges,
             bool keepFrame = true) {
  const auto& stack = std::get<VStack>(column.element);
  VStack part{stack.alignment, stack.spacing, {}};
  part.children.assign(stack.children.begin() + static_cast<std::ptrdiff_t>(first),
                       stack.children.begin() + static_cast<std::ptrdiff_t>(last));
  View view(std::move(part));
  view.modifiers = sectionModifiers(column, edges, keepFrame);
  return view;
}

QWidget* plainHost(QWidget* parent) {
  auto* host = new QWidget(parent);
  host->setAutoFillBackground(false);
  return host;
}

}  // namespace

PanelSections splitPanel(const View& body, PanelView::Range fans) {
  const auto* stack = body.as<VStack>();
  if (stack == nullptr) return {body, VStack{}, VStack{}};
  const std::size_t size = stack->children.size();
  const std::size_t first = std::min(fans.first, size);
  const std::size_t last = std::min(first + fans.count, size);
  return {section(body, 0, first, Edges::notBottom),
          section(body, first, last, Edges::sides, /*keepFrame=*/false),
          section(body, last, size, Edges::notTop)};
}

PanelWindow::PanelWindow()
    : QWidget(nullptr, Qt::Popup | Qt::FramelessWindowHint),
      headHost_(plainHost(this)),
      fansHost_(plainHost(nullptr)),
      footHost_(plainHost(this)),
      fanArea_(new QScrollArea(this)),
      head_(headHost_),
      fans_(fansHost_),
      foot_(footHost_) {
  setWindowTitle(QStringLiteral("Quimbo panel"));
  setAutoFillBackground(true);
  fanArea_->setFrameShape(QFrame::NoFrame);
  fanArea_->setFixedHeight(0);
  fanArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  fanArea_->setWidgetResizable(true);
  fanArea_->setWidget(fansHost_);
  fanArea_->viewport()->setAutoFillBackground(false);
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->addWidget(headHost_);
  column->addWidget(fanArea_);
  column->addWidget(footHost_);
  new ClickCatcher(this);
}

void PanelWindow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setPen(palette().color(QPalette::Mid));
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

// A hidden panel gives its window-system window back, and the next opening
// makes a new one. The grab a pop-up holds while open makes it the
// application's focus window; were the window kept, its focus-out after the
// hide would, once Qt's grace period for a focus-in ran out, mark the
// application inactive, and Qt then closes every pop-up: the panel too, when
// it was opened again meanwhile.
void PanelWindow::hideEvent(QHideEvent*) {
  QMetaObject::invokeMethod(
      this,
      [this] {
        if (!isVisible()) destroy();
      },
      Qt::QueuedConnection);
}

void PanelWindow::render(const View& body, PanelView::Range fans) {
  const PanelSections sections = splitPanel(body, fans);
  head_.show(sections.head);
  fans_.show(sections.fans);
  foot_.show(sections.foot);
  fanArea_->setVisible(fans.count > 0);
  if (const auto* stack = body.as<VStack>()) {
    layout()->setSpacing(static_cast<int>(std::lround(stack->spacing.value_or(0))));
  }
  fit();
}

QRect PanelWindow::screenArea() const {
  const QScreen* screen = anchor_ ? QGuiApplication::screenAt(anchor_->center()) : nullptr;
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  return screen ? screen->availableGeometry() : QRect(0, 0, 1920, 1080);
}

// Sizes the window to the panel, the fan list cut to the room there is, and
// places it beside the anchor.
void PanelWindow::fit() {
  const int width = sizeHint().width();
  // Wrapped texts take their lines at the window's width. The fan list's
  // height is fixed, so its part of the total is known and swapped for the
  // list's whole height without touching the list (which keeps its scroll
  // position through updates).
  const int total =
      layout()->hasHeightForWidth() ? layout()->totalHeightForWidth(width) : sizeHint().height();
  const bool list = fanArea_->isVisibleTo(this);
  const int fansHeight = list ? fansHost_->sizeHint().height() : 0;
  const int natural = total - (list ? fanArea_->maximumHeight() : 0) + fansHeight;
  bool down = true;
  int cut = 0;
  const QRect area = screenArea();
  // An anchor on a bar outside the area (a panel's strut) counts from the
  // area's edge.
  const int itemBottom = anchor_ ? std::max(anchor_->bottom(), area.top() - 1) : 0;
  const int itemTop = anchor_ ? std::min(anchor_->top(), area.bottom() + 1) : 0;
  if (anchor_) {
    const int below = area.bottom() - itemBottom;
    const int above = itemTop - area.top();
    down = natural <= below || below >= above;
    cut = std::clamp(natural - (down ? below : above), 0, fansHeight);
  }
  if (list) fanArea_->setFixedHeight(fansHeight - cut);
  const int height = natural - cut;
  setFixedSize(width, height);
  if (!anchor_) return;
  const int x = std::clamp(anchor_->left(), area.left(), area.right() + 1 - width);
  move(x, down ? itemBottom + 1 : itemTop - height);
}

void PanelWindow::dropDownFrom(const QRect& anchor) {
  anchor_ = anchor;
  fit();
  QWidget::show();
  // A pop-up takes the keyboard through its grab; asking for the focus too
  // would only leave a focus-out behind (see hideEvent).
  raise();
}

}  // namespace quimbo::desktop
