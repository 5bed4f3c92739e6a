#include "platform/desktop/WidgetRenderer.h"

#include <QFontMetrics>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <cmath>

#include "platform/desktop/DesktopStyle.h"
#include "platform/desktop/Widgets.h"

namespace quimbo::desktop {

using namespace ui;

namespace {

constexpr int kDefaultSpacing = 8;
constexpr int kBarSteps = 1000;
constexpr int kBarHeight = 6;
constexpr int kWrapWidth = 200;  // texts wider than this may wrap

int px(double points) { return static_cast<int>(std::lround(points)); }

// What decides the widgets a view needs: its element, its children and the
// modifiers that wrap it in a box.
void describeShape(const View& view, std::string& out) {
  out += static_cast<char>('a' + view.element.index());
  for (const Modifier& m : view.modifiers) {
    if (std::holds_alternative<modifier::Padding>(m)) out += 'P';
    if (std::holds_alternative<modifier::Background>(m)) out += 'B';
  }
  if (const Children* children = view.children()) {
    out += '(';
    for (const View& child : *children) describeShape(child, out);
    out += ')';
  }
}

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

}  // namespace

struct WidgetRenderer::Node {
  QWidget* content = nullptr;  // the element's own widget
  std::vector<Box*> boxes;     // one per padding or background, innermost first
  std::vector<Node> children;
  std::shared_ptr<std::function<void()>> action;  // a button's, replaced at each update

  QWidget* outer() const { return boxes.empty() ? content : static_cast<QWidget*>(boxes.back()); }
};

WidgetRenderer::WidgetRenderer(QWidget* host) : host_(host) {
  auto* layout = new QVBoxLayout(host_);
  layout->setContentsMargins(0, 0, 0, 0);
}

WidgetRenderer::~WidgetRenderer() = default;

void WidgetRenderer::show(const View& view) {
  std::string shape;
  describeShape(view, shape);
  const bool create = !root_ || shape != shape_;
  if (create) {
    host_->setUpdatesEnabled(false);
    if (root_) delete root_->outer();
    root_ = std::make_unique<Node>();
    ++builds_;
  }
  realize(view, Environment{}, *root_, create);
  if (create) {
    host_->layout()->addWidget(root_->outer());
    shape_ = std::move(shape);
    host_->setUpdatesEnabled(true);
  }
  // Sized by height-for-width, so that wrapped texts get all their lines.
  host_->adjustSize();
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

void WidgetRenderer::realize(const View& view, Environment env, Node& node, bool create) {
  // Font, colour and tint reach the element and everything inside it; the
  // outermost modifier is applied first, so inner ones win.
  for (auto m = view.modifiers.rbegin(); m != view.modifiers.rend(); ++m) {
    if (const auto* font = std::get_if<modifier::Font>(&*m)) env.font = font->font;
    if (std::holds_alternative<modifier::Bold>(*m)) env.bold = true;
    if (const auto* style = std::get_if<modifier::ForegroundStyle>(&*m))
      env.foreground = style->style;
    if (const auto* tint = std::get_if<modifier::Tint>(&*m)) env.tint = tint->style;
  }
  realizeElement(view, env, node, create);

  // Padding and backgrounds wrap the view in boxes, innermost first.
  std::size_t box = 0;
  QWidget* current = node.content;
  for (const Modifier& m : view.modifiers) {
    if (const auto* padding = std::get_if<modifier::Padding>(&m)) {
      if (create) node.boxes.push_back(new Box(current));
      const EdgeInsets& e = padding->insets;
      node.boxes[box]->setMargins(px(e.top), px(e.leading), px(e.bottom), px(e.trailing));
      current = node.boxes[box++];
    } else if (const auto* background = std::get_if<modifier::Background>(&m)) {
      if (create) node.boxes.push_back(new Box(current));
      node.boxes[box]->setFill(styleColour(background->style, host_->palette()));
      current = node.boxes[box++];
    } else if (const auto* clip = std::get_if<modifier::ClipShape>(&m)) {
      if (auto* b = dynamic_cast<Box*>(current)) b->setCornerRadius(clip->cornerRadius);
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

void WidgetRenderer::realizeElement(const View& view, const Environment& env, Node& node,
                                    bool create) {
  const QFont font = fontFor(env.font, env.bold);
  const QColor colour = foreground(env);

  if (const auto* text = view.as<Text>()) {
    if (create) node.content = new QLabel;
    auto* label = static_cast<QLabel*>(node.content);
    const QString string = QString::fromStdString(text->string());
    setFontIfChanged(label, font);
    setTextColour(label, colour);
    label->setWordWrap(QFontMetrics(font).horizontalAdvance(string) > kWrapWidth);
    setLabelText(label, string);
  } else if (const auto* labelView = view.as<ui::Label>()) {
    if (create) {
      node.content = new QWidget;
      auto* row = new QHBoxLayout(node.content);
      row->setContentsMargins(0, 0, 0, 0);
      row->setSpacing(px(kDefaultSpacing / 2.0));
      row->addWidget(new SymbolView);
      row->addWidget(new QLabel);
    }
    auto* row = node.content->layout();
    static_cast<SymbolView*>(row->itemAt(0)->widget())
        ->set(labelView->systemImage, colour, QFontMetrics(font).height());
    auto* title = static_cast<QLabel*>(row->itemAt(1)->widget());
    setFontIfChanged(title, font);
    setTextColour(title, colour);
    setLabelText(title, QString::fromStdString(labelView->title.string()));
  } else if (const auto* image = view.as<Image>()) {
    if (image->logo) {
      if (create) node.content = new LogoView;
      double radius = 0;
      if (const auto* clip = view.find<modifier::ClipShape>()) radius = clip->cornerRadius;
      static_cast<LogoView*>(node.content)->set(logoImage(image->logo->path), radius);
    } else {
      if (create) node.content = new SymbolView;
      static_cast<SymbolView*>(node.content)
          ->set(image->systemName, colour, QFontMetrics(font).height());
    }
  } else if (const auto* progress = view.as<ProgressView>()) {
    if (create) {
      auto* bar = new QProgressBar;
      bar->setRange(0, kBarSteps);
      bar->setTextVisible(false);
      bar->setFixedHeight(kBarHeight);
      node.content = bar;
    }
    auto* bar = static_cast<QProgressBar*>(node.content);
    double fraction = progress->total > 0 ? progress->value / progress->total : 0;
    fraction = std::isnan(fraction) ? 0 : std::clamp(fraction, 0.0, 1.0);
    bar->setValue(static_cast<int>(std::lround(fraction * kBarSteps)));
    QPalette palette = bar->palette();
    const QColor tint = env.tint ? styleColour(*env.tint, host_->palette())
                                 : host_->palette().color(QPalette::Highlight);
    if (palette.color(QPalette::Highlight) != tint) {
      palette.setColor(QPalette::Highlight, tint);
      bar->setPalette(palette);
    }
  } else if (const auto* button = view.as<ui::Button>()) {
    if (create) {
      auto* push = new QPushButton;
      node.action = std::make_shared<std::function<void()>>();
      QObject::connect(push, &QPushButton::clicked, push, [action = node.action] {
        if (*action) (*action)();
      });
      node.content = push;
    }
    auto* push = static_cast<QPushButton*>(node.content);
    setFontIfChanged(push, font);
    const QString title = QString::fromStdString(button->title.string());
    if (push->text() != title) push->setText(title);
    *node.action = button->action;
  } else if (view.as<Divider>()) {
    if (create) {
      auto* line = new QFrame;
      line->setFrameShape(QFrame::HLine);
      line->setFrameShadow(QFrame::Plain);
      line->setFixedHeight(1);
      line->setForegroundRole(QPalette::Mid);
      node.content = line;
    }
  } else if (view.as<Spacer>()) {
    if (create) {
      node.content = new QWidget;
      node.content->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
      node.content->setFixedHeight(0);
    }
  } else if (const auto* stack = view.as<VStack>()) {
    if (create) {
      node.content = new QWidget;
      auto* layout = new QVBoxLayout(node.content);
      layout->setContentsMargins(0, 0, 0, 0);
      node.children.resize(stack->children.size());
    }
    static_cast<QBoxLayout*>(node.content->layout())
        ->setSpacing(px(stack->spacing.value_or(kDefaultSpacing)));
    for (std::size_t i = 0; i < stack->children.size(); ++i) {
      realize(stack->children[i], env, node.children[i], create);
      if (create) {
        // Flexible children and wrapping texts take the whole width, as
        // the toolkit offers it; the others sit by the stack's alignment.
        QWidget* child = node.children[i].outer();
        const bool wide = isFlexible(stack->children[i]) || child->hasHeightForWidth();
        static_cast<QBoxLayout*>(node.content->layout())
            ->addWidget(child, 0, wide ? Qt::Alignment() : horizontal(stack->alignment));
      }
    }
  } else if (const auto* stack = view.as<HStack>()) {
    if (create) {
      node.content = new QWidget;
      auto* layout = new QHBoxLayout(node.content);
      layout->setContentsMargins(0, 0, 0, 0);
      node.children.resize(stack->children.size());
    }
    auto* layout = static_cast<QBoxLayout*>(node.content->layout());
    layout->setSpacing(px(stack->spacing.value_or(kDefaultSpacing)));
    for (std::size_t i = 0; i < stack->children.size(); ++i) {
      realize(stack->children[i], env, node.children[i], create);
      if (create) {
        const bool spacer = stack->children[i].as<Spacer>() != nullptr;
        layout->addWidget(node.children[i].outer(), spacer ? 1 : 0,
                          spacer ? Qt::Alignment() : Qt::AlignVCenter);
      }
    }
  } else if (const auto* grid = view.as<LazyVGrid>()) {
    const int columns = std::max<int>(1, static_cast<int>(grid->columns.size()));
    if (create) {
      node.content = new QWidget;
      auto* layout = new QGridLayout(node.content);
      layout->setContentsMargins(0, 0, 0, 0);
      layout->setHorizontalSpacing(kDefaultSpacing);
      for (int c = 0; c < columns; ++c) layout->setColumnStretch(c, 1);
      node.children.resize(grid->children.size());
    }
    auto* layout = static_cast<QGridLayout*>(node.content->layout());
    layout->setVerticalSpacing(px(grid->spacing.value_or(kDefaultSpacing)));
    for (std::size_t i = 0; i < grid->children.size(); ++i) {
      realize(grid->children[i], env, node.children[i], create);
      if (create) {
        const int index = static_cast<int>(i);
        layout->addWidget(node.children[i].outer(), index / columns, index % columns);
      }
    }
  }
}

}  // namespace quimbo::desktop
