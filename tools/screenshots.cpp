#include "tools/screenshots.h"

#include "app/application.h"
#include "settings/values.h"

#include <QApplication>
#include <QFile>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <unistd.h>
#include <vector>

namespace shots {

namespace {
std::vector<std::pair<std::string, Maker>>& makers()
{
    static std::vector<std::pair<std::string, Maker>> m;
    return m;
}
}  // namespace

bool add(const char* name, Maker maker)
{
    makers().emplace_back(name, std::move(maker));
    return true;
}

void save(const Context& ctx, QWidget* w, const QString& name)
{
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
    const QString path = ctx.out.filePath(name + QStringLiteral(".png"));
    if (!w->grab().save(path))
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    else
        std::printf("%s\n", qPrintable(path));
}

void onModal(std::function<void(QWidget*)> act)
{
    auto* timer = new QTimer;
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        if (QWidget* m = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            act(m);
        }
    });
    timer->start();
}

}  // namespace shots

int main(int argc, char** argv)
{
    settings::resetValues();
    TApplication app(argc, argv);
    const QString outPath = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshots");
    QDir().mkpath(outPath);
    const QString outAbs = QDir(outPath).absolutePath();
    QTemporaryDir tmp;
    shots::Context ctx{QDir(outAbs), QDir(tmp.path())};
    // A small sample folder of the kind users rename: camera pictures and
    // documents, some with Japanese names.
    const char* names[] = {"IMG_0001.JPG", "IMG_0002.JPG", "IMG_0003.JPG", "IMG_0004.JPG",
                           "旅行メモ.txt", "見積書_2026.pdf", "readme", "a.tar.gz",
                           "会議録 12月.docx", "photo.jpg"};
    for (const char* n : names) {
        QFile f(ctx.sample.filePath(QString::fromUtf8(n)));
        f.open(QIODevice::WriteOnly);
        f.write("sample\n");
    }
    ctx.sample.mkdir(QStringLiteral("サブフォルダ"));
    if (::chdir(QFile::encodeName(ctx.sample.path()).constData()) != 0)
        return 1;
    for (auto& [name, maker] : shots::makers())
        maker(ctx);
    return 0;
}
