#pragma once

#include <QColor>
#include <QRectF>
#include <string_view>

class QPainter;

namespace quimbo::desktop {

// Draws the system symbol `name` into `box` in `colour`, with our own vector
// code: no icon theme is assumed. Unknown names draw a question mark.
void drawSymbol(QPainter& painter, std::string_view name, const QRectF& box, const QColor& colour);

}  // namespace quimbo::desktop
