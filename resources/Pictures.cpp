// SPDX-License-Identifier: GPL-3.0-or-later

#include "resources/Pictures.h"

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>
#include <array>
#include <functional>

// Every picture is painted once into a transparent image and kept: the task list draws the
// same few pictures for every row it paints. One-pixel outlines sit on half-pixel coordinates
// so that they cover exactly one row or column of pixels and stay crisp at 16 by 16.

namespace {

using Painter = void (*)(QPainter&);

QImage PaintImage(int size, const std::function<void(QPainter&)>& paint) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(1);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        paint(p);
    }
    return image;
}

QPixmap Paint(int size, const std::function<void(QPainter&)>& paint) {
    return QPixmap::fromImage(PaintImage(size, paint));
}

QPixmap Paint16(Painter paint) {
    return Paint(16, paint);
}

QLinearGradient Vertical(qreal top, qreal bottom, const QColor& from, const QColor& to) {
    QLinearGradient gradient(0, top, 0, bottom);
    gradient.setColorAt(0, from);
    gradient.setColorAt(1, to);
    return gradient;
}

QRadialGradient Glow(QPointF centre, qreal radius, const QColor& inner, const QColor& outer) {
    QRadialGradient gradient(centre, radius, centre - QPointF(radius / 3, radius / 3));
    gradient.setColorAt(0, inner);
    gradient.setColorAt(1, outer);
    return gradient;
}

void Shape(QPainter& p, const QPainterPath& path, const QBrush& fill, const QColor& line) {
    p.setPen(QPen(line, 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(fill);
    p.drawPath(path);
}

void Polygon(QPainter& p, const QPolygonF& polygon, const QBrush& fill, const QColor& line) {
    QPainterPath path;
    path.addPolygon(polygon);
    path.closeSubpath();
    Shape(p, path, fill, line);
}

// A box with a one-pixel border, drawn without antialiasing.
void Frame(QPainter& p, const QRect& box, const QColor& line, const QBrush& fill) {
    p.fillRect(box, line);
    p.fillRect(box.adjusted(1, 1, -1, -1), fill);
}

// Lines of "text" on paper, one pixel high, every second row.
void TextLines(QPainter& p, int left, int right, int top, int count, const QColor& colour) {
    for (int i = 0; i < count; ++i)
        p.fillRect(QRect(QPoint(left, top + 2 * i), QPoint(right, top + 2 * i)), colour);
}

void WhiteSheet(QPainter& p, const QRect& sheet) {
    Frame(p, sheet, QColor(120, 120, 120), Qt::white);
    TextLines(p, sheet.left() + 2, sheet.right() - 2, sheet.top() + 2, (sheet.height() - 3) / 2,
              QColor(150, 170, 200));
}

// 1: a crayon lying from bottom left to top right, orange with a yellow wrapper.
void PaintCrayon(QPainter& p) {
    p.translate(8, 8);
    p.rotate(-45);
    const QColor line(130, 55, 0);
    Polygon(p, QPolygonF({{2.5, -3}, {8, -1}, {9, 0}, {8, 1}, {2.5, 3}}), QColor(250, 110, 10),
            line);
    QPainterPath body;
    body.addRoundedRect(QRectF(-9.5, -3, 12.5, 6), 1, 1);
    Shape(p, body, Vertical(-3, 3, QColor(255, 165, 60), QColor(225, 85, 0)), line);
    p.fillRect(QRectF(-7, -2.5, 7, 5),
               Vertical(-2.5, 2.5, QColor(255, 250, 150), QColor(245, 205, 0)));
    p.fillRect(QRectF(-5.2, -2.5, 1, 5), QColor(240, 120, 0));
    p.fillRect(QRectF(-2.8, -2.5, 1, 5), QColor(240, 120, 0));
}

// 2: a yellow page with a folded corner and lines of writing.
void PaintYellowPage(QPainter& p) {
    const QColor line(160, 115, 0);
    Polygon(p, QPolygonF({{2.5, 0.5}, {9.5, 0.5}, {13.5, 4.5}, {13.5, 15.5}, {2.5, 15.5}}),
            Vertical(0, 16, QColor(255, 240, 130), QColor(250, 205, 40)), line);
    Polygon(p, QPolygonF({{9.5, 0.5}, {9.5, 4.5}, {13.5, 4.5}}), QColor(255, 250, 210), line);
    TextLines(p, 4, 11, 7, 4, QColor(200, 150, 20));
    p.fillRect(QRect(4, 5, 4, 1), QColor(200, 150, 20));
}

// 3: a lilac letter tray with a sheet lying in it.
void PaintLilacTray(QPainter& p) {
    const QColor line(95, 55, 135);
    p.fillRect(QRect(1, 6, 14, 3), QColor(120, 80, 165));
    WhiteSheet(p, QRect(4, 1, 8, 8));
    Polygon(p, QPolygonF({{0.5, 8.5}, {15.5, 8.5}, {13.5, 14.5}, {2.5, 14.5}}),
            Vertical(8, 15, QColor(225, 195, 250), QColor(170, 125, 215)), line);
    p.setPen(QPen(QColor(245, 230, 255), 1));
    p.drawLine(QPointF(2, 9.5), QPointF(14, 9.5));
    p.fillRect(QRect(6, 9, 4, 2), QColor(120, 80, 165));
}

// An open folder: the back with its tab, then what lies in it, then the front flap.
void PaintOpenFolder(QPainter& p, const QColor& back, const QColor& front, const QColor& line,
                     bool withPapers) {
    Polygon(p,
            QPolygonF({{0.5, 2.5}, {5.5, 2.5}, {6.5, 3.5}, {13.5, 3.5}, {13.5, 14.5}, {0.5, 14.5}}),
            back, line);
    if (withPapers) {
        WhiteSheet(p, QRect(2, 1, 9, 11));
        WhiteSheet(p, QRect(5, 3, 9, 10));
    }
    Polygon(p, QPolygonF({{3.5, 7.5}, {15.5, 7.5}, {13.5, 14.5}, {0.5, 14.5}}),
            Vertical(7, 15, front.lighter(112), front), line);
}

// 4: an open folder, green, with papers sticking out.
void PaintFolderWithPapers(QPainter& p) {
    PaintOpenFolder(p, QColor(70, 150, 70), QColor(120, 200, 110), QColor(30, 90, 30), true);
}

// 5: a grey slab seen slightly from above: a grey top with blue rims and blue sides.
void PaintSlab(QPainter& p) {
    const QColor line(15, 45, 130);
    Polygon(p, QPolygonF({{0.5, 9.5}, {11.5, 9.5}, {11.5, 13.5}, {0.5, 13.5}}),
            Vertical(9, 14, QColor(60, 120, 230), QColor(25, 65, 175)), line);
    Polygon(p, QPolygonF({{11.5, 9.5}, {15.5, 3.5}, {15.5, 7.5}, {11.5, 13.5}}),
            QColor(20, 55, 150), line);
    Polygon(p, QPolygonF({{4.5, 3.5}, {15.5, 3.5}, {11.5, 9.5}, {0.5, 9.5}}), QColor(60, 120, 230),
            line);
    p.setPen(Qt::NoPen);
    p.setBrush(Vertical(4, 9, QColor(225, 225, 230), QColor(150, 150, 160)));
    p.drawPolygon(QPolygonF({{5.6, 5}, {13.4, 5}, {10.6, 8.5}, {2.6, 8.5}}));
}

// 6: a light bulb with a glowing filament and a screw base.
void PaintLightBulb(QPainter& p) {
    QPainterPath glass;
    glass.addEllipse(QRectF(2.5, 0.5, 11, 10));
    QPainterPath neck;
    neck.addPolygon(QPolygonF({{4.5, 7}, {11.5, 7}, {10.5, 11.5}, {5.5, 11.5}}));
    glass = glass.united(neck);
    Shape(p, glass, Glow({8, 5}, 7, QColor(255, 255, 210), QColor(245, 195, 30)),
          QColor(165, 115, 0));
    p.setPen(QPen(QColor(225, 100, 0), 1));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF({{6.5, 10}, {6.5, 6}, {7.5, 5}, {8.5, 6}, {9.5, 5}, {9.5, 10}}));
    p.setPen(QPen(Qt::white, 1.2, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(4.5, 2.5, 5, 5), 100 * 16, 70 * 16);
    for (int y = 12; y <= 14; ++y)
        p.fillRect(QRect(5, y, 6, 1), y % 2 == 0 ? QColor(170, 170, 175) : QColor(95, 95, 100));
    p.fillRect(QRect(6, 15, 4, 1), QColor(60, 60, 65));
}

// 7: a bold blue capital A, painted as a shape so that it needs no font.
void PaintLetterA(QPainter& p) {
    QPainterPath letter;
    letter.addPolygon(QPolygonF({{5.5, 0.5},
                                 {10.5, 0.5},
                                 {15.5, 15.5},
                                 {11.5, 15.5},
                                 {10.5, 12.5},
                                 {5.5, 12.5},
                                 {4.5, 15.5},
                                 {0.5, 15.5}}));
    letter.closeSubpath();
    letter.addPolygon(QPolygonF({{8, 4}, {9.8, 9.5}, {6.2, 9.5}}));
    letter.closeSubpath();
    letter.setFillRule(Qt::OddEvenFill);
    Shape(p, letter, Vertical(0, 16, QColor(90, 150, 255), QColor(20, 60, 190)),
          QColor(10, 35, 120));
}

// 8: an open yellow folder, empty.
void PaintYellowFolder(QPainter& p) {
    PaintOpenFolder(p, QColor(235, 175, 30), QColor(255, 215, 70), QColor(150, 100, 0), false);
}

// 9: a card with a red lattice, a globe in front of its lower right corner.
void PaintCardAndGlobe(QPainter& p) {
    Frame(p, QRect(1, 0, 10, 14), QColor(140, 20, 20), Qt::white);
    p.save();
    p.setClipRect(QRect(2, 1, 8, 12));
    p.setPen(QPen(QColor(215, 40, 40), 1));
    for (int d = -12; d <= 12; d += 3) {
        p.drawLine(QPointF(2 + d, 1), QPointF(14 + d, 13));
        p.drawLine(QPointF(14 + d, 1), QPointF(2 + d, 13));
    }
    p.restore();
    const QRectF globe(5.5, 5.5, 10, 10);
    p.setPen(QPen(QColor(15, 50, 130), 1));
    p.setBrush(Glow(globe.center(), 6, QColor(150, 205, 255), QColor(30, 95, 205)));
    p.drawEllipse(globe);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 170, 60));
    p.drawPolygon(
        QPolygonF({{8, 7}, {11, 6.6}, {11.5, 8.5}, {9.5, 10}, {10, 12}, {8, 12.5}, {7, 10}}));
    p.drawPolygon(QPolygonF({{12.5, 10}, {14.6, 9.5}, {14.5, 12}, {12.5, 13.5}}));
    p.setPen(QPen(QColor(210, 235, 255, 170), 0.8));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(8.5, 5.8, 4, 9.4));
    p.drawLine(QPointF(6, 10.5), QPointF(15, 10.5));
}

// 10: a closed cardboard box seen from the front right, with tape along the lid.
void PaintBrownBox(QPainter& p) {
    const QColor line(95, 55, 20);
    Polygon(p, QPolygonF({{0.5, 6.5}, {4.5, 1.5}, {15.5, 1.5}, {11.5, 6.5}}), QColor(215, 160, 95),
            line);
    Polygon(p, QPolygonF({{11.5, 6.5}, {15.5, 1.5}, {15.5, 10.5}, {11.5, 15.5}}),
            QColor(145, 90, 40), line);
    Polygon(p, QPolygonF({{0.5, 6.5}, {11.5, 6.5}, {11.5, 15.5}, {0.5, 15.5}}),
            Vertical(6, 16, QColor(200, 140, 75), QColor(170, 110, 50)), line);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(240, 215, 165));
    p.drawPolygon(QPolygonF({{5, 6}, {9, 2}, {11, 2}, {7, 6}}));
    p.fillRect(QRect(5, 7, 2, 4), QColor(240, 215, 165));
}

constexpr std::array<Painter, 10> CategoryPainters = {
    PaintCrayon,    PaintYellowPage, PaintLilacTray,    PaintFolderWithPapers, PaintSlab,
    PaintLightBulb, PaintLetterA,    PaintYellowFolder, PaintCardAndGlobe,     PaintBrownBox};

void PaintHighPriority(QPainter& p) {
    QPainterPath bubble;
    bubble.addEllipse(QRectF(0.5, 0.5, 15, 12));
    QPainterPath tail;
    tail.addPolygon(QPolygonF({{3.5, 9}, {2.5, 15.5}, {8, 11}}));
    Shape(p, bubble.united(tail), Qt::white, QColor(110, 110, 110));
    p.fillRect(QRect(7, 2, 2, 6), QColor(215, 15, 15));
    p.fillRect(QRect(7, 9, 2, 2), QColor(215, 15, 15));
}

void PaintReminder(QPainter& p) {
    WhiteSheet(p, QRect(0, 0, 10, 14));
    const QRectF face(5.5, 5.5, 10, 10);
    p.setPen(QPen(QColor(30, 90, 180), 1.3));
    p.setBrush(Glow(face.center(), 6, Qt::white, QColor(215, 225, 240)));
    p.drawEllipse(face.adjusted(0.2, 0.2, -0.2, -0.2));
    p.setPen(QPen(QColor(20, 20, 20), 1.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(face.center(), QPointF(10.5, 7.5));
    p.drawLine(face.center(), QPointF(13, 10.5));
    p.fillRect(QRect(10, 10, 1, 1), QColor(200, 20, 20));
}

void PaintAdd(QPainter& p) {
    const QColor line(20, 110, 20);
    p.fillRect(QRect(5, 1, 6, 14), line);
    p.fillRect(QRect(1, 5, 14, 6), line);
    const QBrush fill = Vertical(1, 15, QColor(150, 235, 120), QColor(40, 165, 40));
    p.fillRect(QRect(6, 2, 4, 12), fill);
    p.fillRect(QRect(2, 6, 12, 4), fill);
    p.fillRect(QRect(6, 2, 4, 1), QColor(200, 250, 190));
}

void PaintEdit(QPainter& p) {
    WhiteSheet(p, QRect(4, 0, 11, 14));
    p.translate(8, 8);
    p.rotate(-45);
    const QColor line(90, 60, 20);
    Polygon(p, QPolygonF({{-4.5, -2}, {-9.5, 0}, {-4.5, 2}}), QColor(245, 205, 150), line);
    Polygon(p, QPolygonF({{-8, -0.6}, {-9.6, 0}, {-8, 0.6}}), QColor(40, 40, 40),
            QColor(40, 40, 40));
    p.setPen(QPen(line, 1));
    p.setBrush(Vertical(-2, 2, QColor(255, 225, 80), QColor(225, 160, 0)));
    p.drawRect(QRectF(-4.5, -2, 9, 4));
    p.setBrush(Vertical(-2, 2, QColor(225, 225, 230), QColor(140, 140, 150)));
    p.drawRect(QRectF(4.5, -2, 2, 4));
    p.setBrush(QColor(240, 130, 150));
    p.drawRoundedRect(QRectF(6.5, -2, 2.5, 4), 1, 1);
}

void PaintDelete(QPainter& p) {
    const auto cross = [&p](const QColor& colour, qreal width) {
        p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
        p.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
    };
    cross(QColor(130, 0, 0), 5);
    cross(QColor(230, 35, 35), 3);
}

void PaintPrint(QPainter& p) {
    Frame(p, QRect(3, 0, 10, 7), QColor(120, 120, 120), Qt::white);
    QPainterPath body;
    body.addRoundedRect(QRectF(0.5, 5.5, 15, 7), 1.5, 1.5);
    Shape(p, body, Vertical(5, 13, QColor(225, 225, 230), QColor(140, 140, 150)),
          QColor(60, 60, 70));
    p.fillRect(QRect(3, 10, 10, 1), QColor(50, 50, 55));
    p.fillRect(QRect(12, 7, 2, 1), QColor(40, 200, 40));
    Frame(p, QRect(3, 10, 10, 6), QColor(120, 120, 120), Qt::white);
    TextLines(p, 5, 10, 12, 2, QColor(60, 60, 60));
}

// The program icon: a clipboard holding a checklist whose items carry green ticks. At 16
// pixels it shows two items, at larger sizes three.
void PaintProgramIcon(QPainter& p, int size) {
    const qreal u = size / 16.0;
    p.scale(u, u);
    const qreal hair = 1 / u;
    QPainterPath board;
    board.addRoundedRect(QRectF(1 + hair / 2, 1.5, 14 - hair, 14.5 - hair / 2), 1.5, 1.5);
    p.setPen(QPen(QColor(90, 55, 20), hair));
    p.setBrush(Vertical(1, 16, QColor(200, 145, 80), QColor(150, 95, 40)));
    p.drawPath(board);
    p.setPen(QPen(QColor(130, 130, 130), hair));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(2.5, 3, 11, 11.5));
    QPainterPath clip;
    clip.addRoundedRect(QRectF(5, 0.5, 6, 3.5), 1, 1);
    p.setPen(QPen(QColor(70, 70, 80), hair));
    p.setBrush(Vertical(0, 4, QColor(235, 235, 240), QColor(150, 150, 160)));
    p.drawPath(clip);
    const int items = size < 32 ? 2 : 3;
    const qreal step = 9.0 / items;
    for (int i = 0; i < items; ++i) {
        const qreal y = 5 + step * i + step / 2;
        p.setPen(QPen(QColor(20, 150, 40), items == 2 ? 1.5 : 1.0, Qt::SolidLine, Qt::RoundCap,
                      Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        const qreal h = step * 0.27;
        p.drawPolyline(QPolygonF({{3.8, y - h * 0.3}, {5.2, y + h}, {7.6, y - h * 1.6}}));
        p.setPen(QPen(QColor(110, 130, 170), std::max(hair, 0.8), Qt::SolidLine, Qt::FlatCap));
        p.drawLine(QPointF(8.5, y), QPointF(12.2, y));
    }
}

} // namespace

QPixmap CategoryIcon(int number) {
    static const std::array<QPixmap, 10> icons = [] {
        std::array<QPixmap, 10> painted;
        for (std::size_t i = 0; i < painted.size(); ++i)
            painted[i] = Paint16(CategoryPainters[i]);
        return painted;
    }();
    if (number < 1 || number > static_cast<int>(icons.size()))
        return QPixmap();
    return icons[number - 1];
}

QString CategoryIconName(int number) {
    static const std::array<const char*, 10> names = {
        "a crayon",           "a yellow page",  "a lilac letter tray", "a green folder with papers",
        "a grey slab",        "a light bulb",   "a blue letter A",     "an empty yellow folder",
        "a card and a globe", "a cardboard box"};
    if (number < 1 || number > static_cast<int>(names.size()))
        return QString();
    return QString::fromLatin1(names[static_cast<size_t>(number - 1)]);
}

QPixmap HighPriorityPicture() {
    static const QPixmap picture = Paint16(PaintHighPriority);
    return picture;
}

QPixmap ReminderPicture() {
    static const QPixmap picture = Paint16(PaintReminder);
    return picture;
}

QPixmap AddPicture() {
    static const QPixmap picture = Paint16(PaintAdd);
    return picture;
}

QPixmap EditPicture() {
    static const QPixmap picture = Paint16(PaintEdit);
    return picture;
}

QPixmap DeletePicture() {
    static const QPixmap picture = Paint16(PaintDelete);
    return picture;
}

QPixmap PrintPicture() {
    static const QPixmap picture = Paint16(PaintPrint);
    return picture;
}

QIcon ProgramIcon() {
    static const QIcon icon = [] {
        QIcon painted;
        for (int size : {16, 32, 48})
            painted.addPixmap(QPixmap::fromImage(ProgramIconImage(size)));
        return painted;
    }();
    return icon;
}

QImage ProgramIconImage(int size) {
    return PaintImage(size, [size](QPainter& p) { PaintProgramIcon(p, size); });
}

QPixmap AboutBanner() {
    QImage image(275, 90, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QFont font("Arial");
    font.setBold(true);
    font.setPixelSize(34);
    QPainterPath lettering;
    lettering.addText(0, 0, font, "Tolvek");
    QFont second = font;
    second.setPixelSize(26);
    lettering.addText(58, 30, second, "Organizer");
    const QRectF bounds = lettering.boundingRect();
    lettering.translate((275 - bounds.width()) / 2 - bounds.left(),
                        (90 - bounds.height()) / 2 - bounds.top());
    QLinearGradient blue(0, 10, 0, 80);
    blue.setColorAt(0, QColor(70, 130, 230));
    blue.setColorAt(1, QColor(20, 50, 160));
    painter.setPen(QPen(QColor(225, 235, 255), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(lettering);
    painter.fillPath(lettering, blue);
    return QPixmap::fromImage(image);
}
