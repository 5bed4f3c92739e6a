#include <cstdio>
#include <sstream>

#include "ui/View.h"

namespace quimbo::ui {

namespace {

std::string number(double value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%g", value);
  return buffer;
}

const char* name(Font font) {
  switch (font) {
    case Font::body:
      return "body";
    case Font::title3:
      return "title3";
    case Font::headline:
      return "headline";
    case Font::subheadline:
      return "subheadline";
    case Font::callout:
      return "callout";
    case Font::caption:
      return "caption";
    case Font::caption2:
      return "caption2";
  }
  return "?";
}

const char* name(HorizontalAlignment a) {
  return a == HorizontalAlignment::leading  ? "leading"
         : a == HorizontalAlignment::center ? "center"
                                            : "trailing";
}

const char* name(VerticalAlignment a) {
  return a == VerticalAlignment::top ? "top" : a == VerticalAlignment::center ? "center" : "bottom";
}

std::string describe(const ShapeStyle& style) {
  if (std::holds_alternative<Secondary>(style)) return "secondary";
  const Color& c = std::get<Color>(style);
  std::string text;
  switch (c.kind) {
    case Color::Kind::green:
      text = "green";
      break;
    case Color::Kind::orange:
      text = "orange";
      break;
    case Color::Kind::red:
      text = "red";
      break;
    case Color::Kind::srgb:
      text = "sRGB(" + number(c.red) + ", " + number(c.green) + ", " + number(c.blue) + ", " +
             number(c.alpha) + ")";
      break;
  }
  if (c.opacity != 1) text += ".opacity(" + number(c.opacity) + ")";
  return text;
}

std::string spacing(const std::optional<double>& s) { return s ? number(*s) : "default"; }

std::string quoted(const Text& text) {
  if (text.verbatim) return "verbatim \"" + text.string() + "\"";
  if (text.arguments.empty()) return "\"" + text.string() + "\"";
  return "\"" + text.string() + "\" (key \"" + text.key + "\")";
}

struct ElementLine {
  std::string operator()(const VStack& s) const {
    return "VStack(alignment: " + std::string(name(s.alignment)) +
           ", spacing: " + spacing(s.spacing) + ")";
  }
  std::string operator()(const HStack& s) const {
    return "HStack(alignment: " + std::string(name(s.alignment)) +
           ", spacing: " + spacing(s.spacing) + ")";
  }
  std::string operator()(const LazyVGrid& g) const {
    std::string columns;
    for (const GridItem& c : g.columns) {
      columns += (columns.empty() ? "" : ", ") + std::string("flexible(") + number(c.minimum) +
                 "..." + number(c.maximum) + ")";
    }
    return "LazyVGrid(columns: [" + columns + "], alignment: " + name(g.alignment) +
           ", spacing: " + spacing(g.spacing) + ")";
  }
  std::string operator()(const Text& t) const { return "Text " + quoted(t); }
  std::string operator()(const Label& l) const {
    return "Label " + quoted(l.title) + " systemImage: " + l.systemImage;
  }
  std::string operator()(const Image& i) const {
    if (i.logo) {
      return "Image logo " + std::to_string(i.logo->width) + "x" + std::to_string(i.logo->height);
    }
    return "Image systemName: " + i.systemName;
  }
  std::string operator()(const ProgressView& p) const {
    return "ProgressView(value: " + number(p.value) + ", total: " + number(p.total) + ")";
  }
  std::string operator()(const Button& b) const { return "Button " + quoted(b.title); }
  std::string operator()(const Divider&) const { return "Divider"; }
  std::string operator()(const Spacer& s) const {
    return s.minLength ? "Spacer(minLength: " + number(*s.minLength) + ")" : "Spacer";
  }
};

struct ModifierText {
  std::string operator()(const modifier::Font& m) const {
    return ".font(" + std::string(name(m.font)) + ")";
  }
  std::string operator()(const modifier::Bold&) const { return ".bold()"; }
  std::string operator()(const modifier::MonospacedDigit&) const { return ".monospacedDigit()"; }
  std::string operator()(const modifier::ForegroundStyle& m) const {
    return ".foregroundStyle(" + describe(m.style) + ")";
  }
  std::string operator()(const modifier::Tint& m) const {
    return ".tint(" + describe(m.style) + ")";
  }
  std::string operator()(const modifier::Frame& m) const {
    std::string text = ".frame(";
    if (m.width) text += "width: " + number(*m.width);
    if (m.width && m.height) text += ", ";
    if (m.height) text += "height: " + number(*m.height);
    return text + ")";
  }
  std::string operator()(const modifier::Padding& m) const {
    const EdgeInsets& e = m.insets;
    if (e.top == e.leading && e.top == e.bottom && e.top == e.trailing)
      return ".padding(" + number(e.top) + ")";
    return ".padding(" + number(e.top) + ", " + number(e.leading) + ", " + number(e.bottom) + ", " +
           number(e.trailing) + ")";
  }
  std::string operator()(const modifier::Background& m) const {
    return ".background(" + describe(m.style) + ")";
  }
  std::string operator()(const modifier::ClipShape& m) const {
    return ".clipShape(RoundedRectangle(cornerRadius: " + number(m.cornerRadius) +
           ", style: continuous))";
  }
  std::string operator()(const modifier::Resizable&) const { return ".resizable()"; }
};

void describe(const View& view, int depth, std::ostringstream& out) {
  out << std::string(2 * static_cast<std::size_t>(depth), ' ')
      << std::visit(ElementLine{}, view.element);
  for (const Modifier& m : view.modifiers) out << ' ' << std::visit(ModifierText{}, m);
  out << '\n';
  if (const Children* children = view.children()) {
    for (const View& child : *children) describe(child, depth + 1, out);
  }
}

}  // namespace

std::string describe(const View& view) {
  std::ostringstream out;
  describe(view, 0, out);
  return out.str();
}

}  // namespace quimbo::ui
