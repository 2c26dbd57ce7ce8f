#include "DialogUnits.h"

#include <QFont>
#include <QFontMetrics>

namespace {
QSize baseUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    static const QString letters =
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const int average = (metrics.horizontalAdvance(letters) / 26 + 1) / 2;
    return {average, metrics.height()};
}
} // namespace

QSize dialogUnitsToPixels(const QFont& font, int width, int height) {
    const QSize base = baseUnits(font);
    return {width * base.width() / 4, height * base.height() / 8};
}

QRect dialogUnitsToPixels(const QFont& font, int x, int y, int width, int height) {
    const QSize base = baseUnits(font);
    return {x * base.width() / 4, y * base.height() / 8, width * base.width() / 4,
            height * base.height() / 8};
}
