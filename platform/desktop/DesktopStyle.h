#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>

#include "ui/Color.h"
#include "ui/View.h"

namespace quimbo::desktop {

// Pixel sizes of the named fonts, in the proportions of the platform's text
// styles (one point is one pixel at scale 1).
int pixelSize(ui::Font font);
QFont fontFor(ui::Font font, bool bold);

// Whether the palette is a dark one: light text on a dark window.
bool isDark(const QPalette& palette);

// The standard colours in the palette's shade (the platform's green, orange
// and red are a little lighter on dark backgrounds), or the sRGB colour;
// with the colour's opacity.
QColor colourFor(const ui::Color& colour, const QPalette& palette);
// The secondary style: the text colour at half strength.
QColor secondaryFor(const QPalette& palette);
QColor styleColour(const ui::ShapeStyle& style, const QPalette& palette);

}  // namespace quimbo::desktop
