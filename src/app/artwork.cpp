#include "app/artwork.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>

namespace artwork {

namespace {

const QColor kPaper(0xFA, 0xF7, 0xEE);
const QColor kInk(0x3A, 0x3F, 0x58);
const QColor kThread(0xC8, 0x3C, 0x4A);     // a deep madder red
const QColor kThreadLight(0xE8, 0x76, 0x7E);
const QColor kWood(0xB8, 0x86, 0x4B);
const QColor kWoodDark(0x80, 0x5A, 0x2E);

// The icon's shapes, on a 32-unit square.

// A sheet of paper with a folded corner.
QPainterPath sheetPath()
{
    QPainterPath sheet;
    sheet.moveTo(5, 2);
    sheet.lineTo(20, 2);
    sheet.lineTo(26, 8);
    sheet.lineTo(26, 30);
    sheet.lineTo(5, 30);
    sheet.closeSubpath();
    return sheet;
}

QPainterPath foldPath()
{
    QPainterPath fold;
    fold.moveTo(20, 2);
    fold.lineTo(20, 8);
    fold.lineTo(26, 8);
    return fold;
}

// Lines of names on the sheet.
QPainterPath namesPath()
{
    QPainterPath names;
    for (int y : {8, 12, 16}) {
        names.moveTo(8, y);
        names.lineTo(y == 8 ? 17 : 22, y);
    }
    return names;
}

// A spool of thread in front: its body and its two flanges.
const QRectF kSpoolBody(12, 17, 14, 11);
const QRectF kFlanges[] = {QRectF(10, 15, 18, 3), QRectF(10, 27, 18, 3)};

// The thread running off the spool, spun into a curl.
QPainterPath threadPath()
{
    QPainterPath thread;
    thread.moveTo(26, 22);
    thread.cubicTo(31, 20, 31, 12, 27, 11);
    thread.cubicTo(24, 10, 23, 13, 25, 14);
    return thread;
}

void drawColour(QPainter& p)
{
    p.setPen(QPen(kInk, 1.2));
    p.setBrush(kPaper);
    p.drawPath(sheetPath());
    p.setBrush(QColor(0xE4, 0xDF, 0xD0));
    p.drawPath(foldPath());
    p.setPen(QPen(QColor(0x9A, 0xA0, 0xB8), 1.4, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(namesPath());
    QLinearGradient g(kSpoolBody.topLeft(), kSpoolBody.bottomLeft());
    g.setColorAt(0, kThreadLight);
    g.setColorAt(1, kThread);
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRect(kSpoolBody);
    p.setPen(QPen(QColor(0x9E, 0x25, 0x33), 0.8));
    for (double x = 13.5; x < 26; x += 2.2)
        p.drawLine(QPointF(x, 17.5), QPointF(x + 1.2, 27.5));
    p.setPen(QPen(kWoodDark, 1));
    p.setBrush(kWood);
    for (const QRectF& f : kFlanges)
        p.drawRoundedRect(f, 1, 1);
    p.setPen(QPen(kThread, 1.3, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(threadPath());
}

// The same shapes as one filled outline: lines two units wide (a pixel at
// 16 pixels, the size symbolic icons are drawn for), the spool solid, with
// its body set off from its flanges, and the spool and the thread cut free
// of the sheet behind them.
void drawSymbolic(QPainter& p)
{
    QPainterPathStroker line;
    line.setWidth(2);
    line.setCapStyle(Qt::RoundCap);
    line.setJoinStyle(Qt::RoundJoin);
    QPainterPath front;
    front.addRect(kSpoolBody.adjusted(0, 2, 0, -2));
    for (const QRectF& f : kFlanges)
        front.addRoundedRect(f, 1, 1);
    front = front.united(line.createStroke(threadPath())).simplified();
    QPainterPathStroker gap;
    gap.setWidth(3);
    const QPainterPath sheet = line.createStroke(sheetPath())
                                   .united(line.createStroke(foldPath()))
                                   .united(line.createStroke(namesPath()));
    const QPainterPath shape = sheet.subtracted(front.united(gap.createStroke(front))).united(front);
    p.fillPath(shape.simplified(), QColor(0x2E, 0x34, 0x36));
}

}  // namespace

void drawIcon(QPainter& p, IconStyle style)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    if (style == IconStyle::symbolic)
        drawSymbolic(p);
    else
        drawColour(p);
    p.restore();
}

QImage programIconImage(int size)
{
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.scale(size / 32.0, size / 32.0);
    drawIcon(p);
    return img;
}

QIcon programIcon()
{
    QIcon icon;
    for (int s : kIconSizes)
        icon.addPixmap(QPixmap::fromImage(programIconImage(s)));
    return icon;
}

QImage aboutPicture()
{
    QImage img(61, 53, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 53);
    sky.setColorAt(0, QColor(0xE9, 0xF0, 0xFA));
    sky.setColorAt(1, QColor(0xC9, 0xD6, 0xEC));
    p.fillRect(img.rect(), sky);
    // Three threads woven across the picture.
    const QColor colors[] = {kThread, QColor(0x3B, 0x6E, 0xA5), QColor(0xD9, 0xA4, 0x41)};
    for (int k = 0; k < 3; ++k) {
        QPainterPath path;
        path.moveTo(-2, 12 + k * 6);
        path.cubicTo(18, 2 + k * 8, 40, 26 + k * 3, 63, 10 + k * 7);
        p.setPen(QPen(colors[k], 2.2, Qt::SolidLine, Qt::RoundCap));
        p.drawPath(path);
    }
    // The icon in the lower left, larger.
    p.save();
    p.translate(4, 17);
    p.scale(34 / 32.0, 34 / 32.0);
    drawIcon(p);
    p.restore();
    p.setPen(QPen(kInk, 1));
    QFont f;
    f.setPixelSize(10);
    f.setBold(true);
    p.setFont(f);
    p.drawText(QRectF(36, 36, 24, 14), Qt::AlignCenter, QStringLiteral("1.30"));
    return img;
}

}  // namespace artwork
