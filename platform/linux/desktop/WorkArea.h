#pragma once

#include <QPoint>
#include <QRect>

namespace quimbo::desktop {

// The item that a tray host's Activate(x, y) came from, where the panel
// drops down from. Most hosts give a point on the screen. waybar gives a
// point within the item, as a Wayland client does not know where it is on
// the screen: under sway, a point inside the first item-sized box of a bar
// at the top of its screen stands for the bar's right end, where waybar
// keeps its tray unless told otherwise.
QRect activationAnchor(QPoint point);

}  // namespace quimbo::desktop
