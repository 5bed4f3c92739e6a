#include "platform/terminal/TerminalScreen.h"

#include <curses.h>
#include <sys/ioctl.h>
#include <term.h>
#include <unistd.h>

#include <langinfo.h>

#include <clocale>
#include <cstdlib>
#include <cwchar>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/process/Environment.h"
#include "platform/terminal/Palette.h"
#include "platform/terminal/Utf8Locale.h"

namespace quimbo::terminal {

namespace {

constexpr int kEscapeDelayMs = 25;
constexpr int kOrange256 = 208;
// The same orange (#ff8700) for a terminal that takes colours as RGB values.
constexpr int kOrangeRgb = 0xff8700;
constexpr mmask_t kWheelUp = BUTTON4_PRESSED;
constexpr mmask_t kWheelDown = BUTTON5_PRESSED;
constexpr int kWheelLines = 3;

// Why TERM names no terminal the screen can be drawn on.
std::string unusable(bool typeKnown) {
  const std::optional<std::string> term = environmentValue("TERM");
  std::string why = "TERM is not set";
  if (term) {
    why = "TERM=" + *term +
          (typeKnown ? " cannot place the cursor" : " is not a known terminal type");
  }
  return "the terminal cannot be used: " + why;
}

// Curses looks for terminal descriptions where the user says (TERMINFO,
// ~/.terminfo, TERMINFO_DIRS) and then where its library was built to look.
// A library that is not the system's own (Homebrew's, in Quimbo.app) looks
// in its own folder alone, absent on a Mac without Homebrew: the system's
// descriptions are named after it, where the user named no folders.
void addSystemTerminfo() {
#ifdef QUIMBO_SYSTEM_TERMINFO
  // An empty name first: the library's own folder.
  ::setenv("TERMINFO_DIRS", ":" QUIMBO_SYSTEM_TERMINFO, 0);
#endif
}

}  // namespace

TerminalScreen::TerminalScreen() : TerminalScreen(STDOUT_FILENO, stdin) {}

TerminalScreen::TerminalScreen(int out, std::FILE* in) : output_(out), rescue_(output_.terminal()) {
  // The texts and glyphs are UTF-8: the user's locale, and a UTF-8 one for
  // the characters when the user's is not.
  std::setlocale(LC_ALL, "");
  takeUtf8Locale([](const char* name) {
    return std::setlocale(LC_CTYPE, name) != nullptr &&
           std::string_view(nl_langinfo(CODESET)) == "UTF-8";
  });
  addSystemTerminfo();
  screen_ = newterm(nullptr, output_.file(), in);
  if (screen_ == nullptr) throw std::runtime_error(unusable(false));
  set_term(screen_);
  const char* cursorAddress = tigetstr("cup");
  if (cursorAddress == nullptr || cursorAddress == reinterpret_cast<char*>(-1)) {
    delscreen(screen_);
    throw std::runtime_error(unusable(true));  // a "dumb" terminal
  }
  // Curses cannot set the modes of its output, which is no terminal: they
  // are set here, as it would, and its size is read here.
  termios modes{};
  if (::tcgetattr(output_.terminal(), &modes) == 0) shellModes_ = modes;
  takeModes();
  resize();
  curs_set(0);
  keypad(stdscr, TRUE);
  nodelay(stdscr, TRUE);
  set_escdelay(kEscapeDelayMs);
  // An update is sent whole, also when a key waits: the next paint sends
  // only what changed after it.
  typeahead(-1);
  mousemask(BUTTON1_PRESSED | kWheelUp | kWheelDown, nullptr);
  mouseinterval(0);
  if (has_colors()) {
    start_color();
    use_default_colors();
    // A terminal description with 2^24 colours takes them as RGB values.
    directColour_ = COLORS >= 0x1000000;
  }
  rescue_.arm(true);
  output_.flush();
}

TerminalScreen::~TerminalScreen() {
  if (!gone_) {
    curs_set(1);
    endwin();
    output_.flush();  // as far as the terminal takes it: the way out never waits
    giveModesBack();
  }
  rescue_.arm(false);
  delscreen(screen_);
}

void TerminalScreen::takeModes() {
  if (!shellModes_) return;
  termios modes = *shellModes_;
  modes.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | ECHONL);
  modes.c_lflag |= ISIG;
  modes.c_iflag &= ~static_cast<tcflag_t>(ICRNL | INLCR | IGNCR | IXON);
  modes.c_oflag &= ~static_cast<tcflag_t>(ONLCR);
  modes.c_cc[VMIN] = 1;
  modes.c_cc[VTIME] = 0;
  ::tcsetattr(output_.terminal(), TCSANOW, &modes);
}

void TerminalScreen::giveModesBack() {
  if (shellModes_) ::tcsetattr(output_.terminal(), TCSANOW, &*shellModes_);
}

int TerminalScreen::width() const { return COLS; }
int TerminalScreen::height() const { return LINES; }

void TerminalScreen::resize() {
  winsize size{};
  if (::ioctl(output_.terminal(), TIOCGWINSZ, &size) == 0 && size.ws_row > 0 && size.ws_col > 0) {
    resizeterm(size.ws_row, size.ws_col);
  }
  clearok(stdscr, TRUE);
  // Nothing of stdscr is left for the next read of a key to refresh: only
  // paint() sends output.
  wnoutrefresh(stdscr);
  shown_ = {};
}

void TerminalScreen::suspend() {
  if (isendwin()) return;
  rescue_.arm(false);
  endwin();
  written_ = true;
  flush();
  giveModesBack();
}

void TerminalScreen::resume() {
  // A process stopped by SIGSTOP had no time to give the terminal back, and
  // the shell may have reset its modes (or another program its screen)
  // meanwhile: put it in the shell's state, so that the next paint sets it
  // all up again.
  if (!isendwin()) endwin();
  written_ = true;
  takeModes();
  resize();
  rescue_.arm(true);
}

void TerminalScreen::hungUp() {
  gone_ = true;
  output_.drop();
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
      foreground = directColour_ ? kOrangeRgb : COLORS >= 256 ? kOrange256 : COLOR_YELLOW;
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

void TerminalScreen::draw(int row, int col, const Cell& cell) {
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

void TerminalScreen::paint(const CellGrid& grid) {
  const bool whole = shown_.width() != grid.width() || shown_.height() != grid.height();
  if (!whole && grid == shown_) return;
  for (int row = 0; row < grid.height() && row < LINES; ++row) {
    for (int col = 0; col < grid.width() && col < COLS; ++col) {
      const Cell& cell = grid.at(row, col);
      if (!whole && cell == shown_.at(row, col)) continue;
      if (cell.glyph != 0) {
        draw(row, col, cell);
      } else if (!whole && col > 0) {
        // The right half of a wide character, where another character was:
        // curses draws both halves from the left one.
        draw(row, col - 1, grid.at(row, col - 1));
      }
    }
  }
  shown_ = grid;
  wnoutrefresh(stdscr);
  doupdate();
  written_ = true;
  flush();
}

bool TerminalScreen::flush() {
  if (!written_) return output_.send();
  written_ = false;
  return output_.flush();
}

std::optional<TerminalScreen::Input> TerminalScreen::read() {
  wint_t code = 0;
  const int kind = get_wch(&code);
  if (kind == ERR) return std::nullopt;
  written_ = true;  // curses may have refreshed the window for it
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
