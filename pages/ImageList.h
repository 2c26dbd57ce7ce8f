#pragma once

#include <QIcon>
#include <QString>
#include <QVector>

// Images cut from a strip of 16 by 15 pixel pictures; the mask colour 0x800080 is transparent.
class ImageList {
public:
    static constexpr int ImageWidth = 16;
    static constexpr int ImageHeight = 15;

    // Empty (isNull) when the strip cannot be loaded.
    static ImageList fromStrip(const QString& resourcePath);

    bool isNull() const { return icons_.isEmpty(); }
    int count() const { return int(icons_.size()); }
    // An index outside the list gives a null icon.
    QIcon icon(int index) const;
    // The same picture, but showing `selectedIndex` while the item is selected.
    QIcon icon(int index, int selectedIndex) const;

private:
    QVector<QPixmap> pixmaps_;
    QVector<QIcon> icons_;
};

// Resource paths of the two class icon strips.
inline const QString ClassIconStrip = QStringLiteral(":/icons/classicons130.png");
inline const QString SchemaIconStrip = QStringLiteral(":/icons/schemaicons131.png");
