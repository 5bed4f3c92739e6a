#pragma once

#include <QIcon>
#include <QString>

#include "ui/View.h"

namespace quimbo::desktop {

// The label as a tray icon, drawn at every size a tray commonly asks for
// (16 to 64 pixels). A tray gives every icon a square, so the label's parts
// are stacked ("57°" over "1840"), each as large as the square allows; the
// symbol alone fills it. The tray's colour is not known, so the ink is white
// within a dark outline: one of the two stands out on any bar, dark or light.
QIcon trayIcon(const ui::View& label);

// The text a label reads, or "" for a symbol alone.
QString labelText(const ui::View& label);

}  // namespace quimbo::desktop
