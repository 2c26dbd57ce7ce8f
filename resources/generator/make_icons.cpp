// Draws the class icon strips and the program icon as PNG files.
// Run: make_icons <output folder>. The strips use 0x800080 as their mask colour; the program
// icon comes in every size of the desktop's icon theme (icons/ostrel-<size>.png).

#include <QApplication>
#include <QDir>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygon>
#include <cstdio>
#include <functional>
#include <vector>

namespace {
constexpr int W = 16;
constexpr int H = 15;
const QColor Mask(0x80, 0x00, 0x80);
const QColor Outline(0x20, 0x20, 0x20);

using Draw = std::function<void(QPainter&)>;

QFont tinyFont(int pixelSize, bool bold = true) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

void text(QPainter& p, const QRect& r, const QString& s, int size, QColor colour) {
    p.setFont(tinyFont(size));
    p.setPen(colour);
    p.drawText(r, Qt::AlignCenter, s);
}

void person(QPainter& p, int x, int y, QColor body, QColor head = QColor(0xF0, 0xC8, 0x98)) {
    p.setPen(Outline);
    p.setBrush(body);
    p.drawRect(x, y + 6, 7, 7); // shoulders and body
    p.setBrush(head);
    p.drawEllipse(x + 1, y, 5, 5); // head
}

void serverBox(QPainter& p, int x, int y, QColor light) {
    p.setPen(Outline);
    p.setBrush(QColor(0xB8, 0xB8, 0xC8));
    p.drawRect(x, y, 8, 13);
    p.setPen(QColor(0x60, 0x60, 0x70));
    for (int i = 0; i < 3; ++i)
        p.drawLine(x + 2, y + 3 + i * 3, x + 6, y + 3 + i * 3);
    p.setPen(Qt::NoPen);
    p.setBrush(light);
    p.drawRect(x + 2, y + 11, 2, 1);
}

void appWindow(QPainter& p, const QString& label, QColor bar) {
    p.setPen(Outline);
    p.setBrush(Qt::white);
    p.drawRect(0, 1, 15, 13);
    p.setPen(Qt::NoPen);
    p.setBrush(bar);
    p.drawRect(1, 2, 14, 3);
    text(p, QRect(0, 5, 16, 10), label, label.size() > 1 ? 7 : 9, QColor(0x10, 0x10, 0x80));
}

void tile(QPainter& p, const QString& letter, QColor fill, QColor ink = Qt::white) {
    p.setPen(Outline);
    p.setBrush(fill);
    p.drawRect(1, 1, 13, 12);
    text(p, QRect(1, 1, 14, 13), letter, 10, ink);
}

void pennant(QPainter& p, int x, int y, QColor colour) {
    p.setPen(Outline);
    p.drawLine(x, y, x, y + 12);
    p.setBrush(colour);
    p.drawPolygon(QPolygon({QPoint(x + 1, y), QPoint(x + 7, y + 3), QPoint(x + 1, y + 6)}));
}

std::vector<Draw> classIcons() {
    std::vector<Draw> icons(29);
    icons[0] = [](QPainter& p) { // up arrow
        p.setPen(Outline);
        p.setBrush(QColor(0x30, 0xA0, 0x30));
        p.drawPolygon(QPolygon({QPoint(8, 1), QPoint(14, 7), QPoint(10, 7), QPoint(10, 13),
                                QPoint(5, 13), QPoint(5, 7), QPoint(1, 7)}));
    };
    icons[1] = [](QPainter& p) { person(p, 4, 1, QColor(0x30, 0x60, 0xD0)); }; // user
    icons[2] = [](QPainter& p) { // organization: an office building
        p.setPen(Outline);
        p.setBrush(QColor(0xC0, 0xA0, 0x70));
        p.drawRect(2, 1, 11, 13);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x30, 0x50, 0x90));
        for (int row = 0; row < 4; ++row)
            for (int col = 0; col < 3; ++col)
                p.drawRect(4 + col * 3, 3 + row * 3, 2, 2);
    };
    icons[3] = [](QPainter& p) { // organizational unit: a small org chart
        p.setPen(Outline);
        p.setBrush(QColor(0xF0, 0xD0, 0x40));
        p.drawRect(5, 1, 5, 4);
        p.drawLine(7, 5, 7, 7);
        p.drawLine(2, 7, 13, 7);
        p.drawLine(2, 7, 2, 9);
        p.drawLine(13, 7, 13, 9);
        p.drawRect(0, 9, 5, 4);
        p.drawRect(10, 9, 5, 4);
    };
    icons[4] = [](QPainter& p) { // group: two users
        person(p, 0, 1, QColor(0x30, 0x60, 0xD0));
        person(p, 8, 1, QColor(0xD0, 0x40, 0x40));
    };
    icons[5] = [](QPainter& p) { serverBox(p, 4, 1, QColor(0xE0, 0x20, 0x20)); }; // NCP server
    icons[6] = [](QPainter& p) { // volume: a disk drum
        p.setPen(Outline);
        p.setBrush(QColor(0x90, 0x90, 0xA0));
        p.drawRect(2, 4, 11, 8);
        p.drawEllipse(2, 9, 11, 5);
        p.setBrush(QColor(0xC8, 0xC8, 0xD8));
        p.drawEllipse(2, 1, 11, 5);
    };
    icons[7] = [](QPainter& p) { // AFP server
        serverBox(p, 4, 1, QColor(0x20, 0xC0, 0x20));
        p.setBrush(QColor(0x20, 0xA0, 0x20));
        p.setPen(Qt::NoPen);
        p.drawEllipse(10, 0, 5, 5);
    };
    icons[8] = [](QPainter& p) { // computer: a monitor on a stand
        p.setPen(Outline);
        p.setBrush(QColor(0xD0, 0xD0, 0xD0));
        p.drawRect(1, 1, 13, 9);
        p.setBrush(QColor(0x20, 0x60, 0xA0));
        p.drawRect(3, 3, 9, 5);
        p.setBrush(QColor(0xA0, 0xA0, 0xA0));
        p.drawRect(4, 12, 7, 2);
        p.drawLine(7, 10, 7, 12);
    };
    icons[9] = [](QPainter& p) { // organizational role: a user with a badge
        person(p, 2, 1, QColor(0x80, 0x40, 0xA0));
        p.setPen(Outline);
        p.setBrush(QColor(0xF0, 0xC0, 0x20));
        p.drawEllipse(10, 7, 5, 5);
    };
    icons[10] = [](QPainter& p) { // directory map: a folded map
        p.setPen(Outline);
        p.setBrush(QColor(0xE8, 0xE0, 0xB0));
        p.drawPolygon(QPolygon({QPoint(0, 2), QPoint(5, 0), QPoint(10, 2), QPoint(15, 0),
                                QPoint(15, 12), QPoint(10, 14), QPoint(5, 12), QPoint(0, 14)}));
        p.setPen(QColor(0xC0, 0x30, 0x30));
        p.drawLine(2, 10, 7, 5);
        p.drawLine(7, 5, 13, 8);
    };
    icons[11] = [](QPainter& p) { // alias: a shortcut arrow on a page
        p.setPen(Outline);
        p.setBrush(Qt::white);
        p.drawRect(1, 1, 12, 13);
        p.setPen(QPen(QColor(0x20, 0x40, 0xC0), 2));
        p.drawLine(4, 11, 10, 5);
        p.drawLine(6, 5, 10, 5);
        p.drawLine(10, 5, 10, 9);
    };
    icons[12] = [](QPainter& p) { appWindow(p, "D", QColor(0x40, 0x40, 0x40)); };
    icons[13] = [](QPainter& p) { appWindow(p, "NT", QColor(0x00, 0x00, 0x80)); };
    icons[14] = [](QPainter& p) { appWindow(p, "95", QColor(0x00, 0x80, 0x80)); };
    icons[15] = [](QPainter& p) { appWindow(p, "3", QColor(0x80, 0x00, 0x00)); };
    icons[16] = [](QPainter& p) { // queue: stacked sheets
        p.setPen(Outline);
        p.setBrush(Qt::white);
        for (int i = 2; i >= 0; --i)
            p.drawRect(1 + i * 2, 1 + i * 2, 9, 8);
    };
    icons[17] = [](QPainter& p) { // printer
        p.setPen(Outline);
        p.setBrush(Qt::white);
        p.drawRect(4, 0, 8, 5);
        p.setBrush(QColor(0x90, 0x90, 0x90));
        p.drawRect(1, 5, 14, 6);
        p.setBrush(Qt::white);
        p.drawRect(4, 10, 8, 4);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x20, 0xC0, 0x20));
        p.drawRect(12, 7, 2, 1);
    };
    icons[18] = [](QPainter& p) { // print server: a small printer beside a server
        serverBox(p, 0, 1, QColor(0xE0, 0x20, 0x20));
        p.setPen(Outline);
        p.setBrush(QColor(0x90, 0x90, 0x90));
        p.drawRect(8, 6, 7, 5);
        p.setBrush(Qt::white);
        p.drawRect(9, 3, 5, 3);
        p.drawRect(9, 11, 5, 3);
    };
    icons[19] = [](QPainter& p) { // unknown
        p.setPen(Outline);
        p.setBrush(QColor(0xE0, 0xE0, 0xE0));
        p.drawRect(1, 1, 13, 12);
        text(p, QRect(1, 1, 14, 13), "?", 11, QColor(0xC0, 0x00, 0x00));
    };
    icons[20] = [](QPainter& p) { tile(p, "B", QColor(0x70, 0x70, 0x70)); }; // bindery object
    icons[21] = [](QPainter& p) {                                            // locality: a map pin
        p.setPen(Outline);
        p.setBrush(QColor(0xE0, 0x30, 0x30));
        QPainterPath pin;
        pin.moveTo(8, 14);
        pin.lineTo(3, 6);
        pin.arcTo(3, 0, 10, 10, 200, -220);
        pin.closeSubpath();
        p.drawPath(pin);
        p.setBrush(Qt::white);
        p.drawEllipse(6, 3, 4, 4);
    };
    icons[22] = [](QPainter& p) { // country: a flag
        p.setPen(Outline);
        p.drawLine(1, 0, 1, 14);
        p.setBrush(QColor(0x20, 0x40, 0xB0));
        p.drawRect(2, 1, 12, 8);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xE0, 0x20, 0x20));
        p.drawRect(3, 4, 11, 2);
    };
    icons[23] = [](QPainter& p) { // profile: a card with lines
        p.setPen(Outline);
        p.setBrush(QColor(0xF8, 0xF0, 0xD0));
        p.drawRect(0, 2, 15, 11);
        person(p, 2, 4, QColor(0x40, 0x80, 0x40));
        p.setPen(Outline);
        p.drawLine(10, 6, 13, 6);
        p.drawLine(10, 9, 13, 9);
    };
    icons[24] = [](QPainter& p) { // bindery group
        tile(p, "", QColor(0x70, 0x70, 0x70));
        text(p, QRect(0, 0, 16, 15), "BG", 7, Qt::white);
    };
    icons[25] = [](QPainter& p) { // attribute: a tag
        p.setPen(Outline);
        p.setBrush(QColor(0x40, 0xA0, 0xE0));
        p.drawPolygon(
            QPolygon({QPoint(1, 4), QPoint(10, 4), QPoint(14, 7), QPoint(10, 10), QPoint(1, 10)}));
        p.setBrush(Qt::white);
        p.drawEllipse(10, 6, 2, 2);
    };
    icons[26] = [](QPainter& p) { // directory tree
        p.setPen(Outline);
        p.setBrush(QColor(0x8B, 0x5A, 0x2B));
        p.drawRect(7, 10, 2, 4);
        p.setBrush(QColor(0x20, 0x90, 0x30));
        p.drawPolygon(QPolygon({QPoint(8, 0), QPoint(14, 11), QPoint(2, 11)}));
    };
    icons[27] = [](QPainter&) {}; // not used
    icons[28] = [](QPainter& p) { // query value
        p.setPen(Outline);
        p.setBrush(Qt::white);
        p.drawRect(2, 1, 11, 13);
        p.setPen(QColor(0x20, 0x20, 0xA0));
        p.drawLine(5, 6, 10, 6);
        p.drawLine(5, 9, 10, 9);
    };
    return icons;
}

std::vector<Draw> schemaIcons() {
    std::vector<Draw> icons(23);
    icons[0] = [](QPainter& p) { // a class: a cluster of blocks
        p.setPen(Outline);
        p.setBrush(QColor(0xE0, 0x80, 0x20));
        p.drawRect(1, 7, 6, 6);
        p.setBrush(QColor(0x30, 0x80, 0xD0));
        p.drawRect(8, 7, 6, 6);
        p.setBrush(QColor(0x40, 0xB0, 0x40));
        p.drawRect(4, 1, 6, 6);
    };
    const char* categories[] = {"S", "C", "N", "M", "O"};
    const QColor categoryColours[] = {QColor(0x90, 0x30, 0x30), QColor(0x30, 0x70, 0x30),
                                      QColor(0x30, 0x30, 0x90), QColor(0x90, 0x60, 0x00),
                                      QColor(0x50, 0x50, 0x50)};
    for (int i = 0; i < 5; ++i) {
        const QString letter = categories[i];
        const QColor colour = categoryColours[i];
        icons[1 + i] = [letter, colour](QPainter& p) { tile(p, letter, colour); };
    }
    icons[6] = [](QPainter& p) { // flags node: two pennants
        pennant(p, 2, 1, QColor(0xE0, 0x20, 0x20));
        pennant(p, 8, 2, QColor(0x20, 0x60, 0xE0));
    };
    for (int level = 0; level < 11; ++level) { // super-class levels: an S emblem
        const QColor colour = QColor::fromHsv((level * 33) % 360, 200, 200);
        icons[7 + level] = [colour](QPainter& p) {
            p.setPen(Outline);
            p.setBrush(colour);
            p.drawEllipse(1, 0, 14, 14);
            text(p, QRect(1, 0, 14, 14), "S", 10, Qt::white);
        };
    }
    icons[18] = [](QPainter& p) { tile(p, "A", QColor(0x20, 0x50, 0xB0)); };
    icons[19] = [](QPainter& p) { tile(p, "S", QColor(0x10, 0x90, 0x90)); };
    icons[20] = [](QPainter& p) { pennant(p, 5, 1, QColor(0xE0, 0x20, 0x20)); };
    icons[21] = [](QPainter& p) { // lower bound: an arrow down onto a bar
        p.setPen(QPen(QColor(0x20, 0x20, 0xA0), 2));
        p.drawLine(8, 1, 8, 9);
        p.drawLine(4, 6, 8, 10);
        p.drawLine(12, 6, 8, 10);
        p.setPen(Outline);
        p.setBrush(Outline);
        p.drawRect(2, 12, 12, 2);
    };
    icons[22] = [](QPainter& p) { // upper bound: an arrow up to a bar
        p.setPen(Outline);
        p.setBrush(Outline);
        p.drawRect(2, 0, 12, 2);
        p.setPen(QPen(QColor(0xA0, 0x20, 0x20), 2));
        p.drawLine(8, 13, 8, 5);
        p.drawLine(4, 8, 8, 4);
        p.drawLine(12, 8, 8, 4);
    };
    return icons;
}

QImage strip(const std::vector<Draw>& icons) {
    QImage image(int(icons.size()) * W, H, QImage::Format_RGB32);
    image.fill(Mask);
    QPainter painter(&image);
    for (std::size_t i = 0; i < icons.size(); ++i) {
        painter.save();
        painter.translate(int(i) * W, 0);
        painter.setClipRect(0, 0, W, H);
        icons[i](painter);
        painter.restore();
    }
    return image;
}

// Drawn on a 32-pixel grid and scaled, so that every size the desktop asks for is sharp.
QImage programIcon(int size = 32) {
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x1F, 0x4E, 0x8C));
    p.drawRoundedRect(1, 1, 30, 30, 6, 6);
    p.setPen(QPen(Qt::white, 2));
    p.drawLine(16, 9, 16, 14);
    p.drawLine(8, 14, 24, 14);
    p.drawLine(8, 14, 8, 19);
    p.drawLine(24, 14, 24, 19);
    p.setBrush(QColor(0xF0, 0xC0, 0x30));
    p.setPen(Qt::NoPen);
    p.drawEllipse(12, 4, 8, 7);
    p.setBrush(QColor(0x9C, 0xD8, 0x70));
    p.drawEllipse(4, 19, 8, 7);
    p.drawEllipse(20, 19, 8, 7);
    return image;
}
} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: make_icons <output folder>\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    bool ok = strip(classIcons()).save(out + "/classicons130.png") &&
              strip(schemaIcons()).save(out + "/schemaicons131.png") &&
              programIcon().save(out + "/ostrel.png");
    // The sizes of the desktop's icon theme besides 32 (ostrel.png), installed with the program.
    QDir(out).mkpath(QStringLiteral("icons"));
    for (const int size : {16, 22, 24, 48, 64, 128, 256})
        ok = ok && programIcon(size).save(out + QStringLiteral("/icons/ostrel-%1.png").arg(size));
    return ok ? 0 : 1;
}
