#include "platform/terminal/MenuBar.h"

#include <algorithm>

namespace quimbo::terminal {

namespace {

constexpr int kLabelMargin = 1;  // blank columns on each side of the label
constexpr int kLabelNaturalWidth = 1000;

constexpr CellStyle kBar{std::nullopt, false, false, true};
constexpr CellStyle kBorder{std::nullopt, false, true, false};
constexpr CellStyle kMark{std::nullopt, true, false, false};
constexpr int kPanelRow = 1;  // right below the bar

// The rows of the panel's fan list, from where its column's children landed
// (none, where the list would stand, without fans).
RowSpan fanRows(const Rendering& panel, ui::PanelView::Range fans) {
  const auto& rows = panel.columnRows;
  if (fans.first >= rows.size() || fans.first + fans.count > rows.size()) return {};
  const RowSpan& first = rows[fans.first];
  if (fans.count == 0) return {first.first, 0};
  return {first.first, rows[fans.first + fans.count - 1].end() - first.first};
}

// The rows that scroll in `room` rows: the fan list, while the rest leaves
// it a row; in less room, everything from it to the footer (the note too);
// in less still, everything between the header and the footer (the tiles
// too). None when not even the header, a row and the footer fit: the panel
// does not show then.
std::optional<RowSpan> scrollingRows(const Rendering& panel, ui::PanelView::Range fans, int room) {
  const RowSpan list = fanRows(panel, fans);
  const auto& rows = panel.columnRows;
  const int height = panel.grid.height();
  if (height <= room || rows.size() < 3) return list;
  const int footer = rows.back().first;
  for (const RowSpan span : {list, RowSpan{list.first, footer - list.first},
                             RowSpan{rows[1].first, footer - rows[1].first}}) {
    if (height - span.count < room) return span;
  }
  return std::nullopt;
}

void drawBox(CellGrid& grid, int row, int col, int width, int height) {
  const int right = col + width - 1, bottom = row + height - 1;
  for (int c = col + 1; c < right; ++c) {
    grid.put(row, c, U'─', kBorder);
    grid.put(bottom, c, U'─', kBorder);
  }
  for (int r = row + 1; r < bottom; ++r) {
    grid.put(r, col, U'│', kBorder);
    grid.put(r, right, U'│', kBorder);
  }
  grid.put(row, col, U'╭', kBorder);
  grid.put(row, right, U'╮', kBorder);
  grid.put(bottom, col, U'╰', kBorder);
  grid.put(bottom, right, U'╯', kBorder);
}

}  // namespace

CellGrid MenuBar::compose(ui::MenuBarExtra& scene, int width, int height) {
  CellGrid screen(std::max(width, 0), std::max(height, 0));
  for (int c = 0; c < screen.width(); ++c) screen.put(0, c, U' ', kBar);

  // The label, highlighted the other way round while its panel is open.
  Rendering label = render(scene.label, kLabelNaturalWidth);
  const int labelWidth = label.grid.width() + 2 * kLabelMargin;
  label_ = {0, std::max(0, screen.width() - labelWidth), labelWidth, 1};
  for (int c = 0; c < label_.width; ++c) {
    CellStyle style = kBar;
    style.reverse = !open_;
    screen.put(0, label_.col + c, U' ', style);
  }
  for (int c = 0; c < label.grid.width(); ++c) label.grid.at(0, c).style.reverse = !open_;
  screen.blit(label.grid, 0, label_.col + kLabelMargin);

  buttons_.clear();
  if (!open_) return screen;

  const ui::PanelView& content = scene.content;
  const Rendering panel = render(content.body(), kLabelNaturalWidth);
  const int room = screen.height() - kPanelRow - 2;  // below the bar, inside the box's border
  const std::optional<RowSpan> scrolling = scrollingRows(panel, content.fanList(), room);
  if (!scrolling) {
    panel_ = {};
    return screen;
  }
  const Viewport view = fitRows(panel, *scrolling, room, scrolled_);
  scrolled_ = view.offset;
  maxScroll_ = view.maxOffset;
  page_ = view.window.count;
  drawPanel(screen, view);
  return screen;
}

void MenuBar::drawPanel(CellGrid& screen, const Viewport& view) {
  const CellGrid& panel = view.shown.grid;
  const int boxWidth = panel.width() + 2, boxHeight = panel.height() + 2;
  panel_ = {kPanelRow, std::max(0, std::min(label_.col, screen.width() - boxWidth)), boxWidth,
            boxHeight};
  drawBox(screen, panel_.row, panel_.col, boxWidth, boxHeight);
  screen.blit(panel, panel_.row + 1, panel_.col + 1);
  const int border = panel_.col + boxWidth - 1, window = panel_.row + 1 + view.window.first;
  if (view.window.count > 0 && view.moreAbove()) screen.put(window, border, U'▲', kMark);
  if (view.window.count > 0 && view.moreBelow()) {
    screen.put(window + view.window.count - 1, border, U'▼', kMark);
  }

  for (ButtonArea button : view.shown.buttons) {
    button.row += panel_.row + 1;
    button.col += panel_.col + 1;
    if (buttonFocused_) {
      for (int c = 0; c < button.width; ++c) {
        if (screen.contains(button.row, button.col + c))
          screen.at(button.row, button.col + c).style.reverse = true;
      }
    }
    buttons_.push_back(std::move(button));
  }
}

MenuBar::Action MenuBar::key(Key key) {
  switch (key) {
    case Key::activate:
      if (open_ && buttonFocused_ && !buttons_.empty()) return buttons_.front().action;
      if (open_) {
        close();
      } else {
        open_ = true;
      }
      return {};
    case Key::escape:
      close();
      return {};
    case Key::tab:
      if (open_) buttonFocused_ = !buttonFocused_;
      return {};
    case Key::up:
      scrollBy(-1);
      return {};
    case Key::down:
      scrollBy(1);
      return {};
    case Key::pageUp:
      scrollBy(-std::max(1, page_ - 1));
      return {};
    case Key::pageDown:
      scrollBy(std::max(1, page_ - 1));
      return {};
    case Key::home:
      scrollBy(-maxScroll_);
      return {};
    case Key::end:
      scrollBy(maxScroll_);
      return {};
  }
  return {};
}

void MenuBar::scrollBy(int lines) {
  if (open_) scrolled_ = std::clamp(scrolled_ + lines, 0, maxScroll_);
}

MenuBar::Action MenuBar::click(int row, int col) {
  if (label_.contains(row, col)) {
    // The label only opens and closes its panel, whatever has the focus.
    if (open_) {
      close();
    } else {
      open_ = true;
    }
    return {};
  }
  if (!open_) return {};
  for (const ButtonArea& button : buttons_) {
    if (row == button.row && col >= button.col && col < button.col + button.width)
      return button.action;
  }
  if (!panel_.contains(row, col)) close();
  return {};
}

void MenuBar::close() {
  open_ = false;
  buttonFocused_ = false;
  scrolled_ = 0;
}

}  // namespace quimbo::terminal
