#!/usr/bin/env bash
# Installs the Debian packages Quimbo builds and tests with, when missing.
#   scripts/install-deps.sh          building, testing, benchmarks
#   scripts/install-deps.sh fuzz     and the fuzzers (clang, libFuzzer)
#   scripts/install-deps.sh mac      and the compile check of the Mac's sources
set -euo pipefail
packages=(cmake g++ make pkg-config libgtest-dev libgmock-dev libncurses-dev libbenchmark-dev
  tmux  # bench/measure.sh and bench/pass-cost.sh run the terminal in it
  qt6-base-dev qt6-qpa-plugins fonts-dejavu-core xvfb xauth xdotool trayer
  fontconfig  # fc-query: the terminal's glyphs are checked against DejaVu Sans Mono
  # the manual page, and the Debian packages and their checks
  scdoc dpkg-dev file man-db desktop-file-utils appstream
  python3 python3-pyte  # the end-to-end tests, and the terminal emulator they read a terminal with
  # what a running process may still do, asked from inside it; a kernel
  # without Landlock, made by failing its system calls
  gdb strace
  ncurses-term  # xterm-direct, for the test of the colours curses is given
  # the desktop item follows the tray: XFixes selection events
  libxcb-xfixes0-dev
  # the desktop confines itself to the fonts and caches fontconfig names
  libfontconfig-dev
  # Wayland sessions, natively or through XWayland
  qt6-wayland
  # real tray hosts, driven over D-Bus (python3-gi) and read off screenshots
  # (python3-pil): waybar under a headless sway, GNOME Shell with its
  # AppIndicator extension
  dbus python3-gi python3-pil sway xwayland waybar grim
  gnome-shell gnome-shell-extension-appindicator
  # LXQt's panel, a real host that reads an item's properties one by one,
  # under the window manager LXQt runs with; xprop reads the room it leaves
  lxqt-panel openbox x11-utils
  locales  # the end-to-end tests run under Turkish and German locales
  # quimbo-exporter is tested with promtool, node_exporter and Prometheus
  prometheus prometheus-node-exporter
  strace  # and killed, or slowed down, at a chosen system call
)
[ "${1:-}" = fuzz ] && packages+=(clang libclang-rt-14-dev)
# clang with LLVM's libc++, and over GNUstep's AppKit and Foundation headers
# (scripts/check-mac.sh)
[ "${1:-}" = mac ] && packages+=(clang libc++-14-dev libc++abi-14-dev libgnustep-gui-dev libgnustep-base-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
# Locales whose decimal separator is a comma: Turkish, the interface's own
# language, and German.
for locale in tr_TR de_DE; do
  locale -a | grep -qx "$locale.utf8" || $sudo localedef -i "$locale" -c -f UTF-8 "$locale.UTF-8"
done
