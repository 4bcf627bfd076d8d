// Writes the program icon laid out like an icon theme:
//   meibo-icons <out-dir> <icon-name> <size>...
// gives <out-dir>/<size>x<size>/apps/<icon-name>.png for each size, the
// scalable <out-dir>/scalable/apps/<icon-name>.svg and the one-colour
// <out-dir>/symbolic/apps/<icon-name>-symbolic.svg, all drawn by the code
// that draws the window icon, so the menu, the window and the panels agree.
#include "app/artwork.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QSvgGenerator>

#include <cstdio>
#include <cstdlib>

namespace {

bool makeDir(const QString& dir)
{
    if (QDir().mkpath(dir))
        return true;
    std::fprintf(stderr, "meibo-icons: cannot create %s\n", qPrintable(dir));
    return false;
}

// The drawing as SVG on a `side`-unit square.
QByteArray svgOf(artwork::IconStyle style, int side)
{
    QBuffer out;
    QSvgGenerator gen;
    gen.setOutputDevice(&out);
    gen.setSize(QSize(side, side));
    gen.setViewBox(QRect(0, 0, side, side));
    gen.setTitle(QStringLiteral("Tsumugi"));
    gen.setDescription(QStringLiteral("A spool of thread over a sheet of names"));
    QPainter p(&gen);
    p.scale(side / 32.0, side / 32.0);
    artwork::drawIcon(p, style);
    p.end();
    // The generator gives the size in millimetres; an icon's is in pixels.
    QByteArray svg = out.data();
    const QByteArray px = QByteArray::number(side);
    static const QRegularExpression mm(QStringLiteral("(width|height)=\"[0-9.]+mm\""));
    return QString::fromUtf8(svg)
        .replace(mm, QStringLiteral("\\1=\"%1\"").arg(QString::fromLatin1(px)))
        .toUtf8();
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size())
        return true;
    std::fprintf(stderr, "meibo-icons: cannot write %s\n", qPrintable(path));
    return false;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s <out-dir> <icon-name> <size>...\n", argv[0]);
        return 2;
    }
    // Drawing needs no display; the offscreen platform keeps the build headless.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString outDir = QString::fromLocal8Bit(argv[1]);
    const QString name = QString::fromLocal8Bit(argv[2]);
    for (int i = 3; i < argc; ++i) {
        char* end = nullptr;
        const long size = std::strtol(argv[i], &end, 10);
        if (*argv[i] == '\0' || *end != '\0' || size < 16 || size > 1024) {
            std::fprintf(stderr, "%s: not an icon size: %s\n", argv[0], argv[i]);
            return 2;
        }
        const QString dir = QStringLiteral("%1/%2x%2/apps").arg(outDir).arg(size);
        if (!makeDir(dir))
            return 1;
        const QString file = dir + QLatin1Char('/') + name + QStringLiteral(".png");
        if (!artwork::programIconImage(static_cast<int>(size)).save(file, "PNG")) {
            std::fprintf(stderr, "%s: cannot write %s\n", argv[0], qPrintable(file));
            return 1;
        }
    }
    // Symbolic icons are drawn for 16 pixels.
    const struct {
        const char* folder;
        const char* suffix;
        artwork::IconStyle style;
        int side;
    } scalable[] = {{"scalable", ".svg", artwork::IconStyle::colour, 32},
                    {"symbolic", "-symbolic.svg", artwork::IconStyle::symbolic, 16}};
    for (const auto& s : scalable) {
        const QString dir = QStringLiteral("%1/%2/apps").arg(outDir, QLatin1String(s.folder));
        if (!makeDir(dir) ||
            !writeFile(dir + QLatin1Char('/') + name + QLatin1String(s.suffix), svgOf(s.style, s.side)))
            return 1;
    }
    return 0;
}
