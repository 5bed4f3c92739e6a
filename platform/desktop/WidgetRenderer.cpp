#include "platform/desktop/WidgetRenderer.h"

#include <QFontMetrics>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <cmath>
#include <functional>

#include "platform/desktop/DesktopStyle.h"
#include "platform/desktop/Widgets.h"

namespace quimbo::desktop {

using namespace ui;

namespace {

constexpr int kBarSteps = 1000;
constexpr int kBarHeight = 6;
constexpr int kWrapWidth = 200;  // texts wider than this may wrap
// The kinds of element past the view tree's own: a logo is a picture, not a symbol.
constexpr std::size_t kLogoKind = std::variant_size_v<View::Element>;

int px(double points) { return static_cast<int>(std::lround(points)); }

// A view that takes all the width it is offered, as the toolkit's flexible
// elements do.
bool isFlexible(const View& view) {
  if (view.as<Spacer>() || view.as<Divider>() || view.as<ProgressView>() || view.as<LazyVGrid>()) {
    return true;
  }
  for (const Modifier& m : view.modifiers) {
    if (const auto* frame = std::get_if<modifier::Frame>(&m); frame && frame->width) return false;
  }
  if (const Children* children = view.children()) {
    for (const View& child : *children) {
      if (isFlexible(child)) return true;
    }
  }
  return false;
}

Qt::Alignment horizontal(HorizontalAlignment a) {
  return a == HorizontalAlignment::leading  ? Qt::AlignLeft
         : a == HorizontalAlignment::center ? Qt::AlignHCenter
                                            : Qt::AlignRight;
}

void setLabelText(QLabel* label, const QString& text) {
  if (label->text() != text) label->setText(text);
}

void setTextColour(QWidget* widget, const QColor& colour) {
  QPalette palette = widget->palette();
  if (palette.color(QPalette::WindowText) == colour) return;
  palette.setColor(QPalette::WindowText, colour);
  palette.setColor(QPalette::Text, colour);
  widget->setPalette(palette);
}

void setFontIfChanged(QWidget* widget, const QFont& font) {
  if (widget->font() != font) widget->setFont(font);
}

QWidget* withLayout(QLayout* layout, QWidget* widget) {
  layout->setContentsMargins(0, 0, 0, 0);
  widget->setLayout(layout);
  return widget;
}

// A grid of equally wide columns.
QWidget* gridWidget(int columns) {
  auto* cells = new QGridLayout;
  cells->setHorizontalSpacing(px(kDefaultSpacing));
  for (int c = 0; c < columns; ++c) cells->setColumnStretch(c, 1);
  return withLayout(cells, new QWidget);
}

}  // namespace

WidgetRenderer::Shape WidgetRenderer::Shape::of(const View& view) {
  const Image* image = view.as<Image>();
  Shape shape{image && image->logo ? kLogoKind : view.element.index(), {}, {}};
  for (const Modifier& m : view.modifiers) {
    if (std::holds_alternative<modifier::Padding>(m)) shape.boxes.push_back(Box::padding);
    if (std::holds_alternative<modifier::Background>(m)) shape.boxes.push_back(Box::background);
  }
  if (const Children* children = view.children()) {
    for (const View& child : *children) shape.children.push_back(of(child));
  }
  return shape;
}

struct WidgetRenderer::Node {
  QWidget* content = nullptr;  // the element's own widget
  std::vector<Box*> boxes;     // one per padding or background, innermost first
  std::vector<Node> children;
  std::shared_ptr<std::function<void()>> action;  // a button's, replaced at each update

  QWidget* outer() const { return boxes.empty() ? content : static_cast<QWidget*>(boxes.back()); }
};

// The widget of one element, a function for each kind: made the first time
// (while the node has no widget yet), brought up to date every time.
class WidgetRenderer::Element {
 public:
  Element(WidgetRenderer& renderer, const View& view, const Environment& env, Node& node)
      : renderer_(renderer),
        view_(view),
        env_(env),
        node_(node),
        building_(node.content == nullptr),
        font_(fontFor(env.font, env.bold)),
        colour_(renderer.foreground(env)) {}

  void operator()(const Text& text) {
    auto* label = made<QLabel>([] { return new QLabel; });
    const QString string = QString::fromStdString(text.string());
    setFontIfChanged(label, font_);
    setTextColour(label, colour_);
    const bool wrap = QFontMetrics(font_).horizontalAdvance(string) > kWrapWidth;
    if (label->wordWrap() != wrap) label->setWordWrap(wrap);  // repaints even when unchanged
    setLabelText(label, string);
  }

  void operator()(const ui::Label& labelView) {
    QWidget* row = made<QWidget>([] {
      auto* layout = new QHBoxLayout;
      layout->setSpacing(px(kDefaultSpacing / 2));
      layout->addWidget(new SymbolView);
      layout->addWidget(new QLabel);
      return withLayout(layout, new QWidget);
    });
    static_cast<SymbolView*>(row->layout()->itemAt(0)->widget())
        ->set(labelView.systemImage, colour_, QFontMetrics(font_).height());
    auto* title = static_cast<QLabel*>(row->layout()->itemAt(1)->widget());
    setFontIfChanged(title, font_);
    setTextColour(title, colour_);
    setLabelText(title, QString::fromStdString(labelView.title.string()));
  }

  void operator()(const Image& image) {
    if (image.logo) {
      const auto* clip = view_.find<modifier::ClipShape>();
      auto* logo = made<LogoView>([] { return new LogoView; });
      logo->set(renderer_.logoImage(image.logo->path), clip ? clip->cornerRadius : 0);
    } else {
      auto* symbol = made<SymbolView>([] { return new SymbolView; });
      symbol->set(image.systemName, colour_, QFontMetrics(font_).height());
    }
  }

  void operator()(const ProgressView& progress) {
    auto* bar = made<QProgressBar>([] {
      auto* made = new QProgressBar;
      made->setRange(0, kBarSteps);
      made->setTextVisible(false);
      made->setFixedHeight(kBarHeight);
      return made;
    });
    bar->setValue(static_cast<int>(std::lround(progress.fraction() * kBarSteps)));
    const QPalette& host = renderer_.host_->palette();
    const QColor tint = env_.tint ? styleColour(*env_.tint, host) : host.color(QPalette::Highlight);
    QPalette palette = bar->palette();
    if (palette.color(QPalette::Highlight) != tint) {
      palette.setColor(QPalette::Highlight, tint);
      bar->setPalette(palette);
    }
  }

  void operator()(const ui::Button& button) {
    auto* push = made<QPushButton>([this] {
      auto* made = new QPushButton;
      node_.action = std::make_shared<std::function<void()>>();
      QObject::connect(made, &QPushButton::clicked, made, [action = node_.action] {
        if (*action) (*action)();
      });
      return made;
    });
    setFontIfChanged(push, font_);
    const QString title = QString::fromStdString(button.title.string());
    if (push->text() != title) push->setText(title);
    *node_.action = button.action;
  }

  void operator()(const Divider&) {
    made<QWidget>([] {
      // Filled rather than drawn as a line: a line along the middle of one
      // point misses every pixel at some scales (1.5).
      auto* line = new QWidget;
      line->setFixedHeight(1);
      line->setBackgroundRole(QPalette::Mid);
      line->setAutoFillBackground(true);
      return line;
    });
  }

  void operator()(const Spacer&) {
    made<QWidget>([] {
      auto* gap = new QWidget;
      gap->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
      gap->setFixedHeight(0);
      return gap;
    });
  }

  void operator()(const VStack& stack) {
    auto* column = static_cast<QBoxLayout*>(
        made<QWidget>([] { return withLayout(new QVBoxLayout, new QWidget); })->layout());
    column->setSpacing(px(stack.spacing.value_or(kDefaultSpacing)));
    children(stack.children, [&](const View& child, QWidget* widget, std::size_t) {
      // Flexible children and wrapping texts take the whole width, as the
      // toolkit offers it; the others sit by the stack's alignment.
      const bool wide = isFlexible(child) || widget->hasHeightForWidth();
      column->addWidget(widget, 0, wide ? Qt::Alignment() : horizontal(stack.alignment));
    });
  }

  void operator()(const HStack& stack) {
    auto* row = static_cast<QBoxLayout*>(
        made<QWidget>([] { return withLayout(new QHBoxLayout, new QWidget); })->layout());
    row->setSpacing(px(stack.spacing.value_or(kDefaultSpacing)));
    children(stack.children, [&](const View& child, QWidget* widget, std::size_t) {
      const bool spacer = child.as<Spacer>() != nullptr;
      row->addWidget(widget, spacer ? 1 : 0, spacer ? Qt::Alignment() : Qt::AlignVCenter);
    });
  }

  void operator()(const LazyVGrid& grid) {
    const int columns = std::max<int>(1, static_cast<int>(grid.columns.size()));
    auto* layout = static_cast<QGridLayout*>(
        made<QWidget>([columns] { return gridWidget(columns); })->layout());
    layout->setVerticalSpacing(px(grid.spacing.value_or(kDefaultSpacing)));
    children(grid.children, [&](const View&, QWidget* widget, std::size_t i) {
      const int index = static_cast<int>(i);
      layout->addWidget(widget, index / columns, index % columns);
    });
  }

 private:
  // The element's widget, made by `make` when the node has none yet.
  template <typename W, typename Make>
  W* made(Make make) {
    if (building_) node_.content = make();
    return static_cast<W*>(node_.content);
  }

  // Realizes every child; while building, `place` puts each child's widget
  // into the element's layout.
  template <typename Place>
  void children(const Children& views, Place place) {
    if (building_) node_.children.resize(views.size());
    for (std::size_t i = 0; i < views.size(); ++i) {
      renderer_.realize(views[i], env_, node_.children[i]);
      if (building_) place(views[i], node_.children[i].outer(), i);
    }
  }

  WidgetRenderer& renderer_;
  const View& view_;
  const Environment& env_;
  Node& node_;
  const bool building_;
  const QFont font_;
  const QColor colour_;
};

WidgetRenderer::WidgetRenderer(QWidget* host) : host_(host) {
  auto* layout = new QVBoxLayout(host_);
  layout->setContentsMargins(0, 0, 0, 0);
}

WidgetRenderer::~WidgetRenderer() = default;

void WidgetRenderer::show(const View& view) {
  Shape shape = Shape::of(view);
  const bool build = !root_ || shape != shape_;
  if (build) {
    host_->setUpdatesEnabled(false);
    if (root_) delete root_->outer();
    root_ = std::make_unique<Node>();
    ++builds_;
  }
  realize(view, Environment{}, *root_);
  if (build) {
    host_->layout()->addWidget(root_->outer());
    shape_ = std::move(shape);
    host_->setUpdatesEnabled(true);
  }
  // A window of its own is sized by height-for-width, so that wrapped texts
  // get all their lines. A host inside another window's layout is sized by
  // that layout, and only has its own brought up to date, so that its size
  // hint counts what was just built: resizing it here would be undone there,
  // and repaint the window at every update.
  if (host_->isWindow()) {
    host_->adjustSize();
  } else {
    host_->layout()->activate();
  }
}

QColor WidgetRenderer::foreground(const Environment& env) const {
  if (env.foreground) return styleColour(*env.foreground, host_->palette());
  return host_->palette().color(QPalette::WindowText);
}

QImage WidgetRenderer::logoImage(const std::string& path) {
  const QString key = QString::fromStdString(path);
  auto found = logos_.find(key);
  if (found == logos_.end()) found = logos_.insert(key, QImage(key));
  return *found;
}

void WidgetRenderer::realize(const View& view, Environment env, Node& node) {
  // The outermost modifier is applied first, so inner ones win.
  for (auto m = view.modifiers.rbegin(); m != view.modifiers.rend(); ++m) env = env.inside(*m);
  std::visit(Element(*this, view, env, node), view.element);
  wrap(view, node);
}

// Padding and backgrounds wrap the element in boxes, innermost first; a clip
// shape rounds the box inside it, a frame fixes the size of what it frames.
void WidgetRenderer::wrap(const View& view, Node& node) {
  std::size_t boxes = 0;
  QWidget* current = node.content;
  const auto box = [&]() -> Box* {
    if (boxes == node.boxes.size()) node.boxes.push_back(new Box(current));
    current = node.boxes[boxes];
    return node.boxes[boxes++];
  };
  for (const Modifier& m : view.modifiers) {
    if (const auto* padding = std::get_if<modifier::Padding>(&m)) {
      const EdgeInsets& e = padding->insets;
      box()->setMargins(px(e.top), px(e.leading), px(e.bottom), px(e.trailing));
    } else if (const auto* background = std::get_if<modifier::Background>(&m)) {
      box()->setFill(styleColour(background->style, host_->palette()));
    } else if (const auto* clip = std::get_if<modifier::ClipShape>(&m)) {
      if (auto* rounded = dynamic_cast<Box*>(current)) rounded->setCornerRadius(clip->cornerRadius);
    } else if (const auto* frame = std::get_if<modifier::Frame>(&m)) {
      if (frame->width && frame->height) {
        current->setFixedSize(px(*frame->width), px(*frame->height));
      } else if (frame->width) {
        current->setFixedWidth(px(*frame->width));
      } else if (frame->height) {
        current->setFixedHeight(px(*frame->height));
      }
    }
  }
}

}  // namespace quimbo::desktop
