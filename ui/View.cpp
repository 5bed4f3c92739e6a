#include <string_view>

#include "ui/View.h"

namespace quimbo::ui {

Text Text::localized(std::string key, std::vector<std::int64_t> arguments) {
  return Text{std::move(key), std::move(arguments), false};
}

Text Text::verbatimText(std::string text) { return Text{std::move(text), {}, true}; }

std::string Text::string() const {
  if (verbatim) return key;
  constexpr std::string_view kPlaceholder = "%lld";
  std::string out;
  out.reserve(key.size() + 8 * arguments.size());
  std::size_t next = 0;
  std::string_view rest = key;
  for (std::size_t at = rest.find(kPlaceholder);
       at != std::string_view::npos && next < arguments.size(); at = rest.find(kPlaceholder)) {
    out.append(rest.substr(0, at));
    out.append(std::to_string(arguments[next++]));
    rest.remove_prefix(at + kPlaceholder.size());
  }
  out.append(rest);
  return out;
}

double ProgressView::fraction() const {
  const double x = total > 0 ? value / total : 0;
  if (!(x > 0)) return 0;  // also NaN
  return x < 1 ? x : 1;
}

const Children* View::children() const {
  if (const auto* v = as<VStack>()) return &v->children;
  if (const auto* h = as<HStack>()) return &h->children;
  if (const auto* g = as<LazyVGrid>()) return &g->children;
  return nullptr;
}

}  // namespace quimbo::ui
