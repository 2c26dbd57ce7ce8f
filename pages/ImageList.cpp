#include "ImageList.h"

#include <QBitmap>
#include <QImage>
#include <QPixmap>

ImageList ImageList::fromStrip(const QString& resourcePath) {
    ImageList list;
    QImage strip(resourcePath);
    if (strip.isNull() || strip.height() < ImageHeight)
        return list;
    strip = strip.convertToFormat(QImage::Format_ARGB32);
    const QRgb mask = qRgb(0x80, 0x00, 0x80);
    for (int y = 0; y < strip.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(strip.scanLine(y));
        for (int x = 0; x < strip.width(); ++x) {
            if ((line[x] & 0x00FFFFFF) == (mask & 0x00FFFFFF))
                line[x] = qRgba(0, 0, 0, 0);
        }
    }
    const int count = strip.width() / ImageWidth;
    for (int i = 0; i < count; ++i) {
        const QPixmap pixmap =
            QPixmap::fromImage(strip.copy(i * ImageWidth, 0, ImageWidth, ImageHeight));
        list.pixmaps_.append(pixmap);
        list.icons_.append(QIcon(pixmap));
    }
    return list;
}

QIcon ImageList::icon(int index) const {
    if (index < 0 || index >= icons_.size())
        return {};
    return icons_[index];
}

QIcon ImageList::icon(int index, int selectedIndex) const {
    if (index == selectedIndex)
        return icon(index);
    QIcon result;
    if (index >= 0 && index < pixmaps_.size())
        result.addPixmap(pixmaps_[index], QIcon::Normal);
    if (selectedIndex >= 0 && selectedIndex < pixmaps_.size())
        result.addPixmap(pixmaps_[selectedIndex], QIcon::Selected);
    return result;
}
