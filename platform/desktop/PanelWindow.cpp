#include "platform/desktop/PanelWindow.h"

#include <QGuiApplication>
#include <QScreen>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QWindow>
#include <algorithm>
#include <cmath>

#include "platform/desktop/ClickCatcher.h"
#include "platform/desktop/MenuBarItem.h"
#include "platform/desktop/PointerButtons.h"

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

// A frameless scroll area over `content`, which shows the window's background.
QScrollArea* scrollArea(QWidget* parent, QWidget* content) {
  auto* area = new QScrollArea(parent);
  area->setFrameShape(QFrame::NoFrame);
  area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  area->setWidgetResizable(true);
  area->setWidget(content);
  area->viewport()->setAutoFillBackground(false);
  content->setAutoFillBackground(false);  // setWidget made it fill, over the window's border
  return area;
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
      content_(new QWidget),
      headHost_(plainHost(content_)),
      fansHost_(plainHost(nullptr)),
      footHost_(plainHost(content_)),
      fanArea_(scrollArea(content_, fansHost_)),
      column_(new QVBoxLayout(content_)),
      head_(headHost_),
      fans_(fansHost_),
      foot_(footHost_) {
  setWindowTitle(QStringLiteral("Quimbo panel"));
  setAutoFillBackground(true);
  fanArea_->setFixedHeight(0);
  column_->setContentsMargins(0, 0, 0, 0);
  column_->addWidget(headHost_);
  column_->addWidget(fanArea_);
  column_->addWidget(footHost_);
  page_ = scrollArea(this, content_);
  auto* window = new QVBoxLayout(this);
  window->setContentsMargins(0, 0, 0, 0);
  window->addWidget(page_);
  // Drawn over the scroll areas and their bars, which would hide it.
  border_ = new QFrame(this);
  border_->setFrameStyle(QFrame::Box | QFrame::Plain);
  border_->setForegroundRole(QPalette::Mid);
  border_->setAttribute(Qt::WA_TransparentForMouseEvents);
  new ClickCatcher(this);
  releaseWatch_.setInterval(50);
  connect(&releaseWatch_, &QTimer::timeout, this, &PanelWindow::grabOnceReleased);
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
  fanCount_ = fans.count;
  fanArea_->setVisible(fans.count > 0);
  if (const auto* stack = body.as<VStack>()) {
    column_->setSpacing(static_cast<int>(std::lround(stack->spacing.value_or(0))));
  }
  fit();
}

QRect PanelWindow::screenArea() const {
  const QScreen* screen = anchor_ ? QGuiApplication::screenAt(anchor_->center()) : nullptr;
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  return screen ? workArea(*screen) : QRect(0, 0, 1920, 1080);
}

// Sizes the window to the panel, cut to the room beside the anchor, and
// places it there. The fan list gives up what the room lacks, down to one
// whole fan; where even that does not fit, the panel scrolls as a whole.
void PanelWindow::fit() {
  const int width = content_->sizeHint().width();
  // Wrapped texts take their lines at the window's width. The fan list's
  // height is fixed, so its part of the total is known and swapped for the
  // list's whole height without touching the list (which keeps its scroll
  // position through updates).
  const int total = column_->hasHeightForWidth() ? column_->totalHeightForWidth(width)
                                                 : column_->totalSizeHint().height();
  const int count = static_cast<int>(fanCount_);
  const int fansHeight = count > 0 ? fansHost_->sizeHint().height() : 0;
  const int natural = total - (count > 0 ? fanArea_->maximumHeight() : 0) + fansHeight;
  bool down = true;
  int room = natural;
  const QRect area = area_;
  // An anchor on a bar outside the area (a panel's strut) counts from the
  // area's edge.
  const int itemBottom = anchor_ ? std::max(anchor_->bottom(), area.top() - 1) : 0;
  const int itemTop = anchor_ ? std::min(anchor_->top(), area.bottom() + 1) : 0;
  if (anchor_) {
    const int below = area.bottom() - itemBottom;
    const int above = itemTop - area.top();
    down = natural <= below || below >= above;
    room = std::min(natural, down ? below : above);
  }
  const int oneFan = count > 0 ? (fansHeight + count - 1) / count : 0;
  const bool whole = natural - fansHeight + oneFan > room;
  if (count > 0) fanArea_->setFixedHeight(whole ? fansHeight : fansHeight - (natural - room));
  page_->setVerticalScrollBarPolicy(whole ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  const int windowWidth = width + (whole ? page_->verticalScrollBar()->sizeHint().width() : 0);
  setFixedSize(windowWidth, room);
  border_->setGeometry(rect());
  if (!anchor_) return;
  const int x = std::clamp(anchor_->left(), area.left(), area.right() + 1 - windowWidth);
  move(x, down ? itemBottom + 1 : itemTop - room);
}

void PanelWindow::dropDownFrom(const QRect& anchor) {
  anchor_ = anchor;
  area_ = screenArea();  // asked once an opening: it may take asking the compositor
  fit();
  // Asked before the pop-up grabs the pointer as it shows (see grabOnceReleased).
  const bool held = pointerButtonHeld();
  QWidget::show();
  // A pop-up takes the keyboard through its grab; asking for the focus too
  // would only leave a focus-out behind (see hideEvent).
  raise();
  if (held) releaseWatch_.start();
}

// A pop-up opened while a button is held over another client's window (GNOME
// Shell's top bar activates an item on the second press of a double click)
// gets no pointer grab: the X server keeps the pointer for the client that
// took the press until the button is let go, and Qt takes the refusal for a
// grab. No click outside would then reach the panel, which would stay open.
// The grab is asked for again once no button is held.
void PanelWindow::grabOnceReleased() {
  if (isVisible() && pointerButtonHeld()) return;
  releaseWatch_.stop();
  if (isVisible() && windowHandle() != nullptr) windowHandle()->setMouseGrabEnabled(true);
}

}  // namespace quimbo::desktop
