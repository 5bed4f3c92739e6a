#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

#include "ui/Color.h"
#include "ui/Logo.h"

namespace quimbo::ui {

// The view tree: plain values for the elements and modifiers the views are
// made of. Views build it; renderers turn it into pixels or terminal cells.

enum class Font { body, title3, headline, subheadline, callout, caption, caption2 };
enum class HorizontalAlignment { leading, center, trailing };
enum class VerticalAlignment { top, center, bottom };

struct View;
using Children = std::vector<View>;

// The toolkit's spacing between the children of a stack or grid where the
// view gives none.
inline constexpr double kDefaultSpacing = 8;

// A text from a localisable key with its integer arguments, or verbatim.
struct Text {
  std::string key;
  std::vector<std::int64_t> arguments;
  bool verbatim = false;

  static Text localized(std::string key, std::vector<std::int64_t> arguments = {});
  static Text verbatimText(std::string text);
  // The text as shown: each "%lld" of the key replaced by the next argument,
  // in decimal without grouping. There is no translation table.
  std::string string() const;
  bool operator==(const Text&) const = default;
};

struct VStack {
  HorizontalAlignment alignment = HorizontalAlignment::center;
  std::optional<double> spacing;  // none: the default spacing
  Children children;
  bool operator==(const VStack&) const = default;
};

struct HStack {
  VerticalAlignment alignment = VerticalAlignment::center;
  std::optional<double> spacing;
  Children children;
  bool operator==(const HStack&) const = default;
};

// A flexible grid column.
struct GridItem {
  double minimum;
  double maximum;
  bool operator==(const GridItem&) const = default;
};

struct LazyVGrid {
  std::vector<GridItem> columns;
  HorizontalAlignment alignment = HorizontalAlignment::center;
  std::optional<double> spacing;  // between rows
  Children children;              // filled into rows left to right
  bool operator==(const LazyVGrid&) const = default;
};

struct Label {
  Text title;
  std::string systemImage;
  bool operator==(const Label&) const = default;
};

// A system symbol by name, or the logo image.
struct Image {
  std::string systemName;
  std::optional<Logo> logo;
  bool operator==(const Image&) const = default;
};

struct ProgressView {
  double value;
  double total;

  // How full the bar is: value / total within [0, 1]; empty when that is
  // not a number or the total is not above 0.
  double fraction() const;
  bool operator==(const ProgressView&) const = default;
};

struct Button {
  Text title;
  std::function<void()> action;
  // Buttons that read the same are equal: an action cannot be compared, and
  // is not shown.
  bool operator==(const Button& other) const { return title == other.title; }
};

struct Divider {
  bool operator==(const Divider&) const = default;
};

struct Spacer {
  std::optional<double> minLength;  // none: the default minimum
  bool operator==(const Spacer&) const = default;
};

struct EdgeInsets {
  double top, leading, bottom, trailing;
  bool operator==(const EdgeInsets&) const = default;
};

namespace modifier {
struct Font {
  ui::Font font;
  bool operator==(const Font&) const = default;
};
struct Bold {
  bool operator==(const Bold&) const = default;
};
struct MonospacedDigit {
  bool operator==(const MonospacedDigit&) const = default;
};
struct ForegroundStyle {
  ShapeStyle style;
  bool operator==(const ForegroundStyle&) const = default;
};
struct Tint {
  ShapeStyle style;
  bool operator==(const Tint&) const = default;
};
struct Frame {
  std::optional<double> width;
  std::optional<double> height;
  bool operator==(const Frame&) const = default;
};
struct Padding {
  EdgeInsets insets;
  bool operator==(const Padding&) const = default;
};
// Fills the modified view's bounds, ignoring the safe area on all edges.
struct Background {
  ShapeStyle style;
  bool operator==(const Background&) const = default;
};
// A rounded rectangle with continuous corners.
struct ClipShape {
  double cornerRadius;
  bool operator==(const ClipShape&) const = default;
};
// Zero cap insets, stretched to the frame.
struct Resizable {
  bool operator==(const Resizable&) const = default;
};
}  // namespace modifier

using Modifier =
    std::variant<modifier::Font, modifier::Bold, modifier::MonospacedDigit,
                 modifier::ForegroundStyle, modifier::Tint, modifier::Frame, modifier::Padding,
                 modifier::Background, modifier::ClipShape, modifier::Resizable>;

struct View {
  using Element = std::variant<VStack, HStack, LazyVGrid, Text, Label, Image, ProgressView, Button,
                               Divider, Spacer>;

  template <typename E>
  requires std::is_constructible_v<Element, E&&> View(E&& element)
      : element(std::forward<E>(element)) {}  // NOLINT: views read as their element

  Element element;
  std::vector<Modifier> modifiers;  // in the order applied, innermost first

  // Whether the two show the same: what a renderer that shows one need not
  // do again for the other.
  bool operator==(const View&) const = default;

  View font(Font f) && { return std::move(*this).with(modifier::Font{f}); }
  View bold() && { return std::move(*this).with(modifier::Bold{}); }
  View monospacedDigit() && { return std::move(*this).with(modifier::MonospacedDigit{}); }
  View foregroundStyle(ShapeStyle s) && {
    return std::move(*this).with(modifier::ForegroundStyle{s});
  }
  View tint(ShapeStyle s) && { return std::move(*this).with(modifier::Tint{s}); }
  View frame(std::optional<double> width, std::optional<double> height = std::nullopt) && {
    return std::move(*this).with(modifier::Frame{width, height});
  }
  View padding(double length) && {
    return std::move(*this).with(modifier::Padding{{length, length, length, length}});
  }
  View background(ShapeStyle s) && { return std::move(*this).with(modifier::Background{s}); }
  View clipShape(double cornerRadius) && {
    return std::move(*this).with(modifier::ClipShape{cornerRadius});
  }
  View resizable() && { return std::move(*this).with(modifier::Resizable{}); }

  // The children of a stack or grid; none for other elements.
  const Children* children() const;

  template <typename E>
  const E* as() const {
    return std::get_if<E>(&element);
  }
  // The outermost modifier of the given kind, or none.
  template <typename M>
  const M* find() const {
    for (auto it = modifiers.rbegin(); it != modifiers.rend(); ++it) {
      if (const M* m = std::get_if<M>(&*it)) return m;
    }
    return nullptr;
  }

 private:
  View with(Modifier m) && {
    modifiers.push_back(std::move(m));
    return std::move(*this);
  }
};

// The tree as indented text, one element per line with its modifiers.
std::string describe(const View& view);

}  // namespace quimbo::ui
