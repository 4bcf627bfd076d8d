#include "app/artwork.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace artwork {

namespace {

const QColor kPaper(0xFA, 0xF7, 0xEE);
const QColor kInk(0x3A, 0x3F, 0x58);
const QColor kThread(0xC8, 0x3C, 0x4A);     // a deep madder red
const QColor kThreadLight(0xE8, 0x76, 0x7E);
const QColor kWood(0xB8, 0x86, 0x4B);
const QColor kWoodDark(0x80, 0x5A, 0x2E);

// Everything is drawn on a 32-unit square and scaled.
void drawIcon(QPainter& p)
{
    p.setRenderHint(QPainter::Antialiasing);
    // A sheet of paper with a folded corner.
    QPainterPath sheet;
    sheet.moveTo(5, 2);
    sheet.lineTo(20, 2);
    sheet.lineTo(26, 8);
    sheet.lineTo(26, 30);
    sheet.lineTo(5, 30);
    sheet.closeSubpath();
    p.setPen(QPen(kInk, 1.2));
    p.setBrush(kPaper);
    p.drawPath(sheet);
    QPainterPath fold;
    fold.moveTo(20, 2);
    fold.lineTo(20, 8);
    fold.lineTo(26, 8);
    p.setBrush(QColor(0xE4, 0xDF, 0xD0));
    p.drawPath(fold);
    // Lines of names on the sheet.
    p.setPen(QPen(QColor(0x9A, 0xA0, 0xB8), 1.4, Qt::SolidLine, Qt::RoundCap));
    for (int y : {8, 12, 16})
        p.drawLine(QPointF(8, y), QPointF(y == 8 ? 17 : 22, y));
    // A spool of thread in front.
    const QRectF body(12, 17, 14, 11);
    QLinearGradient g(body.topLeft(), body.bottomLeft());
    g.setColorAt(0, kThreadLight);
    g.setColorAt(1, kThread);
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRect(body);
    p.setPen(QPen(QColor(0x9E, 0x25, 0x33), 0.8));
    for (double x = 13.5; x < 26; x += 2.2)
        p.drawLine(QPointF(x, 17.5), QPointF(x + 1.2, 27.5));
    p.setPen(QPen(kWoodDark, 1));
    p.setBrush(kWood);
    p.drawRoundedRect(QRectF(10, 15, 18, 3), 1, 1);
    p.drawRoundedRect(QRectF(10, 27, 18, 3), 1, 1);
    // The thread running off the spool, spun into a curl.
    QPainterPath thread;
    thread.moveTo(26, 22);
    thread.cubicTo(31, 20, 31, 12, 27, 11);
    thread.cubicTo(24, 10, 23, 13, 25, 14);
    p.setPen(QPen(kThread, 1.3, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(thread);
}

}  // namespace

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
    for (int s : {16, 32, 48, 128, 256})
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
