#pragma once

#include <QRect>
#include <QSize>

class QFont;

// Dialog units: a quarter of the dialog font's average character width horizontally,
// an eighth of its height vertically.
QSize dialogUnitsToPixels(const QFont& font, int width, int height);
QRect dialogUnitsToPixels(const QFont& font, int x, int y, int width, int height);
