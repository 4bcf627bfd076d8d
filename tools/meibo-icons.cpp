// Writes the program icon as PNG files laid out like an icon theme:
//   meibo-icons <out-dir> <icon-name> <size>...
// gives <out-dir>/<size>x<size>/apps/<icon-name>.png for each size, drawn by
// the same code as the window icon, so the menu and the window agree.
#include "app/artwork.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>

#include <cstdio>
#include <cstdlib>

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
        if (!QDir().mkpath(dir)) {
            std::fprintf(stderr, "%s: cannot create %s\n", argv[0], qPrintable(dir));
            return 1;
        }
        const QString file = dir + QLatin1Char('/') + name + QStringLiteral(".png");
        if (!artwork::programIconImage(static_cast<int>(size)).save(file, "PNG")) {
            std::fprintf(stderr, "%s: cannot write %s\n", argv[0], qPrintable(file));
            return 1;
        }
    }
    return 0;
}
