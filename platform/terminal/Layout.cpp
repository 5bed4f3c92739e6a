#include "platform/terminal/Layout.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <utility>

#include "platform/terminal/Glyphs.h"
#include "platform/terminal/Unicode.h"
#include "ui/Environment.h"

namespace quimbo::terminal {

using namespace ui;

int columns(double points) {
  return static_cast<int>(std::lround(std::max(points, 0.0) / kPointsPerColumn));
}
int rows(double points) { return static_cast<int>(std::max(points, 0.0) / kPointsPerRow); }

namespace {

constexpr std::u32string_view kEighths = U"▏▎▍▌▋▊▉";

struct Size {
  int cols = 0;
  int rows = 0;
};

bool isBoldFont(Font font) { return font == Font::title3 || font == Font::headline; }

// The foreground as a colour: none for the terminal's own or the secondary
// style, which is dim text instead.
std::optional<Color> colourOf(const std::optional<ShapeStyle>& style) {
  if (const Color* colour = style ? std::get_if<Color>(&*style) : nullptr) return *colour;
  return std::nullopt;
}

CellStyle styleOf(const Environment& env) {
  const bool dim = env.foreground && std::holds_alternative<Secondary>(*env.foreground);
  return CellStyle{colourOf(env.foreground), isBoldFont(env.font) || env.bold, dim, false};
}

bool isWrappable(const View& view) {
  return view.as<Text>() || view.as<Label>() || view.children() != nullptr;
}

class Engine {
 public:
  // Measured once per view and width in a render: a stack asks its children
  // again when it places them.
  Size measure(const View& view, int width) {
    width = std::max(width, 0);
    const auto key = std::make_pair(&view, width);
    if (const auto found = sizes_.find(key); found != sizes_.end()) return found->second;
    const Size size = measureFrom(view, view.modifiers.size(), width);
    sizes_.emplace(key, size);
    return size;
  }

  void place(const View& view, int row, int col, Size size, Environment env) {
    placeFrom(view, view.modifiers.size(), row, col, size, env);
  }

  CellGrid grid;
  std::vector<ButtonArea> buttons;
  const View* root = nullptr;
  std::vector<RowSpan> columnRows;  // of the root's children

 private:
  // The view with its innermost `count` modifiers.
  Size measureFrom(const View& view, std::size_t count, int width) {
    if (count == 0) return measureElement(view, width);
    const Modifier& m = view.modifiers[count - 1];
    if (const auto* padding = std::get_if<modifier::Padding>(&m)) {
      const EdgeInsets& e = padding->insets;
      const int h = columns(e.leading) + columns(e.trailing), v = rows(e.top) + rows(e.bottom);
      const Size inner = measureFrom(view, count - 1, std::max(0, width - h));
      return {inner.cols + h, inner.rows + v};
    }
    if (const auto* frame = std::get_if<modifier::Frame>(&m)) {
      const std::optional<int> w =
          frame->width ? std::optional(columns(*frame->width)) : std::nullopt;
      const Size inner = measureFrom(view, count - 1, w.value_or(width));
      return {w.value_or(inner.cols),
              frame->height ? std::max(1, rows(*frame->height)) : inner.rows};
    }
    return measureFrom(view, count - 1, width);
  }

  Size measureElement(const View& view, int width) {
    if (view.as<Text>()) return measureText(textOf(view), width);
    if (view.as<Label>()) {
      const Size title = measureText(textOf(view), width - 2);
      return {title.cols + 2, title.rows};
    }
    if (view.as<Image>()) return {1, 1};
    if (view.as<ProgressView>() || view.as<Divider>()) return {width, 1};
    if (view.as<Button>()) return {columnWidth(textOf(view)), 1};
    if (const auto* stack = view.as<VStack>()) {
      Size size;
      for (const View& child : stack->children) {
        const Size s = measure(child, width);
        size.cols = std::max(size.cols, s.cols);
        size.rows += s.rows;
      }
      size.rows +=
          gap(stack->spacing) * std::max<int>(0, static_cast<int>(stack->children.size()) - 1);
      return size;
    }
    if (const auto* stack = view.as<HStack>()) {
      const std::vector<int> widths = arrange(*stack, width);
      Size size;
      bool flexible = false;
      for (std::size_t i = 0; i < widths.size(); ++i) {
        flexible = flexible || stack->children[i].as<Spacer>();
        size.cols += widths[i];
        size.rows = std::max(size.rows, measure(stack->children[i], widths[i]).rows);
      }
      size.cols += spacing(stack->spacing) * std::max<int>(0, static_cast<int>(widths.size()) - 1);
      if (flexible) size.cols = std::max(size.cols, width);
      return size;
    }
    if (const auto* grid = view.as<LazyVGrid>()) {
      Size size{width, 0};
      const std::vector<int> widths = columnWidths(*grid, width);
      for (std::size_t first = 0; first < grid->children.size(); first += widths.size()) {
        size.rows += rowHeight(*grid, first, widths) + (first > 0 ? gap(grid->spacing) : 0);
      }
      return size;
    }
    return {};  // Spacer
  }

  static Size measureText(std::u32string_view text, int width) {
    Size size;
    forEachLine(text, width, [&](std::u32string_view line) {
      size.cols = std::max(size.cols, columnWidth(line));
      ++size.rows;
    });
    return size;
  }

  // The characters a text, label or button shows, decoded once per render.
  const std::u32string& textOf(const View& view) {
    const auto found = texts_.find(&view);
    if (found != texts_.end()) return found->second;
    std::string text;
    if (const auto* t = view.as<Text>()) text = t->string();
    if (const auto* label = view.as<Label>()) text = label->title.string();
    if (const auto* button = view.as<Button>()) text = "[ " + button->title.string() + " ]";
    return texts_.emplace(&view, decodeUtf8(text)).first->second;
  }

  static int spacing(const std::optional<double>& points) {
    return columns(points.value_or(kDefaultSpacing));
  }
  static int gap(const std::optional<double>& points) {
    return rows(points.value_or(kDefaultSpacing));
  }

  // The widths of an HStack's children: each its ideal width; wrappable
  // children give up room when the ideals do not fit; spacers share the rest.
  std::vector<int> arrange(const HStack& stack, int width) {
    const int n = static_cast<int>(stack.children.size());
    const int available = std::max(0, width - spacing(stack.spacing) * std::max(0, n - 1));
    std::vector<int> widths(stack.children.size(), 0);
    int total = 0, wrappable = 0, spacers = 0;
    for (std::size_t i = 0; i < widths.size(); ++i) {
      const View& child = stack.children[i];
      if (child.as<Spacer>()) {
        ++spacers;
        continue;
      }
      widths[i] = measure(child, available).cols;
      total += widths[i];
      if (isWrappable(child)) wrappable += widths[i];
    }
    if (total > available && wrappable > 0) {
      const int excess = total - available;
      for (std::size_t i = 0; i < widths.size(); ++i) {
        if (!isWrappable(stack.children[i])) continue;
        const int cut = (excess * widths[i] + wrappable - 1) / wrappable;
        const int shrunk = std::max(1, widths[i] - cut);
        total -= widths[i] - shrunk;
        widths[i] = shrunk;
      }
    }
    int spare = std::max(0, available - total);
    for (std::size_t i = 0; i < widths.size() && spacers > 0; ++i) {
      if (!stack.children[i].as<Spacer>()) continue;
      widths[i] = spare / spacers;
      spare -= widths[i];
      --spacers;
    }
    return widths;
  }

  std::vector<int> columnWidths(const LazyVGrid& grid, int width) const {
    const int n = std::max<int>(1, static_cast<int>(grid.columns.size()));
    int room = std::max(0, width - columns(kDefaultSpacing) * (n - 1));
    std::vector<int> widths;
    for (int i = n; i > 0; --i) {
      widths.push_back(room / i);
      room -= widths.back();
    }
    return widths;
  }

  int rowHeight(const LazyVGrid& grid, std::size_t first, const std::vector<int>& widths) {
    int height = 0;
    for (std::size_t c = 0; c < widths.size() && first + c < grid.children.size(); ++c) {
      height = std::max(height, measure(grid.children[first + c], widths[c]).rows);
    }
    return height;
  }

  void placeFrom(const View& view, std::size_t count, int row, int col, Size size,
                 Environment env) {
    if (count == 0) return placeElement(view, row, col, size, env);
    const Modifier& m = view.modifiers[count - 1];
    if (const auto* padding = std::get_if<modifier::Padding>(&m)) {
      const EdgeInsets& e = padding->insets;
      const int l = columns(e.leading), t = rows(e.top);
      return placeFrom(view, count - 1, row + t, col + l,
                       {size.cols - l - columns(e.trailing), size.rows - t - rows(e.bottom)}, env);
    }
    if (std::holds_alternative<modifier::Frame>(m)) {
      Size inner = measureFrom(view, count - 1, size.cols);
      inner = {std::min(inner.cols, size.cols), std::min(inner.rows, size.rows)};
      return placeFrom(view, count - 1, row + (size.rows - inner.rows) / 2,
                       col + (size.cols - inner.cols) / 2, inner, env);
    }
    placeFrom(view, count - 1, row, col, size, env.inside(m));
  }

  void placeElement(const View& view, int row, int col, Size size, const Environment& env) {
    const CellStyle style = styleOf(env);
    if (view.as<Text>()) return drawText(textOf(view), row, col, size.cols, style);
    if (const auto* label = view.as<Label>()) {
      grid.put(row, col, symbolGlyph(label->systemImage), style);
      return drawText(textOf(view), row, col + 2, size.cols - 2, style);
    }
    if (const auto* image = view.as<Image>()) {
      return grid.put(row, col, image->logo ? kLogoGlyph : symbolGlyph(image->systemName), style);
    }
    if (const auto* progress = view.as<ProgressView>()) {
      return drawBar(*progress, row, col, size.cols, env);
    }
    if (const auto* button = view.as<Button>()) {
      drawText(textOf(view), row, col, size.cols, style);
      buttons.push_back({row, col, size.cols, button->action});
      return;
    }
    if (view.as<Divider>()) {
      for (int c = 0; c < size.cols; ++c)
        grid.put(row, col + c, U'─', CellStyle{std::nullopt, false, true});
      return;
    }
    if (const auto* stack = view.as<VStack>())
      return placeColumn(view, *stack, row, col, size, env);
    if (const auto* stack = view.as<HStack>()) return placeRow(*stack, row, col, size, env);
    if (const auto* lazy = view.as<LazyVGrid>()) return placeGrid(*lazy, row, col, size, env);
  }

  // Children one below the other, each at its width, placed by the stack's
  // alignment; the root's rows are kept for the caller.
  void placeColumn(const View& view, const VStack& stack, int row, int col, Size size,
                   const Environment& env) {
    int y = row;
    for (const View& child : stack.children) {
      const Size s = measure(child, size.cols);
      const int w = std::min(s.cols, size.cols);
      const int x = stack.alignment == HorizontalAlignment::leading  ? col
                    : stack.alignment == HorizontalAlignment::center ? col + (size.cols - w) / 2
                                                                     : col + size.cols - w;
      place(child, y, x, {w, s.rows}, env);
      if (&view == root) columnRows.push_back({y, s.rows});
      y += s.rows + gap(stack.spacing);
    }
  }

  // Children side by side in the widths `arrange` gives them, aligned
  // vertically by the stack's alignment.
  void placeRow(const HStack& stack, int row, int col, Size size, const Environment& env) {
    const std::vector<int> widths = arrange(stack, size.cols);
    int x = col;
    for (std::size_t i = 0; i < widths.size(); ++i) {
      const Size s = measure(stack.children[i], widths[i]);
      const int y = stack.alignment == VerticalAlignment::top      ? row
                    : stack.alignment == VerticalAlignment::center ? row + (size.rows - s.rows) / 2
                                                                   : row + size.rows - s.rows;
      place(stack.children[i], y, x, {widths[i], s.rows}, env);
      x += widths[i] + spacing(stack.spacing);
    }
  }

  // Rows of equal columns, filled left to right; each child centred in its cell.
  void placeGrid(const LazyVGrid& lazy, int row, int col, Size size, const Environment& env) {
    const std::vector<int> widths = columnWidths(lazy, size.cols);
    int y = row;
    for (std::size_t first = 0; first < lazy.children.size(); first += widths.size()) {
      const int height = rowHeight(lazy, first, widths);
      int x = col;
      for (std::size_t c = 0; c < widths.size() && first + c < lazy.children.size(); ++c) {
        const View& child = lazy.children[first + c];
        const Size s = measure(child, widths[c]);
        const int w = std::min(s.cols, widths[c]);
        place(child, y + (height - s.rows) / 2, x + (widths[c] - w) / 2, {w, s.rows}, env);
        x += widths[c] + columns(kDefaultSpacing);
      }
      y += height + gap(lazy.spacing);
    }
  }

  void drawText(std::u32string_view text, int row, int col, int width, const CellStyle& style) {
    int y = row;
    forEachLine(text, width, [&](std::u32string_view line) {
      int x = col;
      for (const char32_t c : line) {
        grid.put(y, x, c, style);
        x += columnWidth(c);
      }
      ++y;
    });
  }

  // A determinate bar: filled cells in the tint, eighths for the last one,
  // the rest of the track dim.
  void drawBar(const ProgressView& progress, int row, int col, int width, const Environment& env) {
    const long eighths = std::lround(progress.fraction() * width * 8);
    const std::optional<Color> tint = colourOf(env.tint);
    const CellStyle filled{tint ? tint : colourOf(env.foreground), false, false, false};
    const CellStyle track{std::nullopt, false, true, false};
    for (int c = 0; c < width; ++c) {
      const long left = eighths - 8L * c;
      if (left >= 8) {
        grid.put(row, col + c, U'█', filled);
      } else if (left > 0) {
        grid.put(row, col + c, kEighths[static_cast<std::size_t>(left - 1)], filled);
      } else {
        grid.put(row, col + c, U'░', track);
      }
    }
  }

  std::map<std::pair<const View*, int>, Size> sizes_;
  std::map<const View*, std::u32string> texts_;
};

}  // namespace

Rendering render(const View& view, int width) {
  Engine engine;
  const Size size = engine.measure(view, width);
  engine.grid = CellGrid(size.cols, size.rows);
  engine.root = &view;
  engine.place(view, 0, 0, size, Environment{});
  return Rendering{std::move(engine.grid), std::move(engine.buttons), std::move(engine.columnRows)};
}

}  // namespace quimbo::terminal
