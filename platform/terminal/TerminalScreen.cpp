#include "platform/terminal/TerminalScreen.h"

#include <curses.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <langinfo.h>

#include <clocale>
#include <cwchar>
#include <stdexcept>
#include <string_view>

#include "platform/terminal/Palette.h"

namespace quimbo::terminal {

namespace {

constexpr int kEscapeDelayMs = 25;
constexpr int kOrange256 = 208;
constexpr mmask_t kWheelUp = BUTTON4_PRESSED;
constexpr mmask_t kWheelDown = BUTTON5_PRESSED;
constexpr int kWheelLines = 3;

}  // namespace

TerminalScreen::TerminalScreen() : TerminalScreen(stdout, stdin) {}

TerminalScreen::TerminalScreen(std::FILE* out, std::FILE* in) : rescue_(fileno(out)) {
  // The texts and glyphs are UTF-8: take the user's locale, and a UTF-8 one
  // when the user's is not.
  std::setlocale(LC_ALL, "");
  if (std::string_view(nl_langinfo(CODESET)) != "UTF-8") std::setlocale(LC_CTYPE, "C.UTF-8");
  screen_ = newterm(nullptr, out, in);
  if (screen_ == nullptr) throw std::runtime_error("the terminal cannot be used (is TERM set?)");
  set_term(screen_);
  cbreak();
  noecho();
  nonl();
  curs_set(0);
  keypad(stdscr, TRUE);
  nodelay(stdscr, TRUE);
  set_escdelay(kEscapeDelayMs);
  mousemask(BUTTON1_PRESSED | kWheelUp | kWheelDown, nullptr);
  mouseinterval(0);
  if (has_colors()) {
    start_color();
    use_default_colors();
    // A terminal description with 2^24 colours takes them as RGB values.
    directColour_ = COLORS >= 0x1000000;
  }
  rescue_.arm(true);
}

TerminalScreen::~TerminalScreen() {
  if (!gone_) {
    curs_set(1);
    endwin();
  }
  rescue_.arm(false);
  delscreen(screen_);
}

int TerminalScreen::width() const { return COLS; }
int TerminalScreen::height() const { return LINES; }

void TerminalScreen::resize() {
  winsize size{};
  if (::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_row > 0 && size.ws_col > 0) {
    resizeterm(size.ws_row, size.ws_col);
  }
  clearok(stdscr, TRUE);
}

void TerminalScreen::suspend() {
  if (isendwin()) return;
  rescue_.arm(false);
  endwin();
}

void TerminalScreen::resume() {
  // A process stopped by SIGSTOP had no time to give the terminal back, and
  // the shell may have reset its modes (or another program its screen)
  // meanwhile: put it in the shell's state, so that the next paint sets it
  // all up again.
  if (!isendwin()) endwin();
  resize();
  rescue_.arm(true);
}

void TerminalScreen::hungUp() {
  gone_ = true;
  rescue_.arm(false);
}

int TerminalScreen::colourPair(const CellStyle& style) {
  if (!style.colour || !has_colors()) return 0;
  const ui::Color& c = *style.colour;
  const int slot = static_cast<int>(c.kind);
  if (pairs_[slot] != 0) return pairs_[slot];

  int foreground = COLOR_WHITE;
  switch (c.kind) {
    case ui::Color::Kind::green:
      foreground = COLOR_GREEN;
      break;
    case ui::Color::Kind::red:
      foreground = COLOR_RED;
      break;
    case ui::Color::Kind::orange:
      foreground = COLORS >= 256 ? kOrange256 : COLOR_YELLOW;
      break;
    case ui::Color::Kind::srgb: {
      const Rgb8 rgb = toRgb8(c);
      foreground = directColour_   ? (rgb.red << 16 | rgb.green << 8 | rgb.blue)
                   : COLORS >= 256 ? nearest256(rgb.red, rgb.green, rgb.blue)
                                   : COLOR_CYAN;
      break;
    }
  }
  const int pair = slot + 1;
  if (init_extended_pair(pair, foreground, -1) == ERR) return 0;
  pairs_[slot] = pair;
  return pair;
}

void TerminalScreen::paint(const CellGrid& grid) {
  for (int row = 0; row < grid.height() && row < LINES; ++row) {
    for (int col = 0; col < grid.width() && col < COLS; ++col) {
      const Cell& cell = grid.at(row, col);
      if (cell.glyph == 0) continue;  // the right half of a wide character
      attr_t attributes = A_NORMAL;
      if (cell.style.bold) attributes |= A_BOLD;
      if (cell.style.dim) attributes |= A_DIM;
      if (cell.style.reverse) attributes |= A_REVERSE;
      const int pair = colourPair(cell.style);
      const wchar_t text[2] = {static_cast<wchar_t>(cell.glyph), L'\0'};
      cchar_t character;
      setcchar(&character, text, attributes, 0, &pair);
      mvadd_wch(row, col, &character);
    }
  }
  wnoutrefresh(stdscr);
  doupdate();
}

std::optional<TerminalScreen::Input> TerminalScreen::read() {
  wint_t code = 0;
  const int kind = get_wch(&code);
  if (kind == ERR) return std::nullopt;
  if (kind == KEY_CODE_YES && code == KEY_MOUSE) {
    MEVENT event;
    if (getmouse(&event) != OK) return Key{0, true};
    if (event.bstate & BUTTON1_PRESSED) return Click{event.y, event.x};
    if (event.bstate & kWheelUp) return Wheel{-kWheelLines};
    if (event.bstate & kWheelDown) return Wheel{kWheelLines};
    return Key{0, true};
  }
  return Key{static_cast<int>(code), kind == KEY_CODE_YES};
}

}  // namespace quimbo::terminal
