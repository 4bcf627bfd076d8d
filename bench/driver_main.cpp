#include "bench/driver.h"

#include "app/application.h"
#include "app/mainform.h"
#include "rename/ui/filelistbox.h"
#include "rename/ui/memo.h"
#include "settings/values.h"

#include <QApplication>
#include <QCheckBox>
#include <QMessageBox>
#include <QPushButton>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>

namespace bench {

namespace {
std::vector<Case>& cases()
{
    static std::vector<Case> c;
    return c;
}
Config cfg;

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}
}  // namespace

bool add(Case c)
{
    cases().push_back(std::move(c));
    return true;
}

const Config& config() { return cfg; }

int listFiles() { return cfg.files > 0 ? cfg.files : cfg.quick ? 10000 : 100000; }

std::string countLabel(int n)
{
    if (n % 1000000 == 0)
        return std::to_string(n / 1000000) + "m";
    if (n % 1000 == 0)
        return std::to_string(n / 1000) + "k";
    return std::to_string(n);
}

double now()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::string shellQuote(const std::string& s)
{
    std::string q = "'";
    for (char c : s) {
        if (c == '\'')
            q += "'\\''";
        else
            q += c;
    }
    return q + "'";
}

double timeShell(const std::string& command)
{
    const double t0 = now();
    const int rc = std::system((command + " >/dev/null").c_str());
    const double t = now() - t0;
    if (rc != 0)
        std::fprintf(stderr, "baseline failed (%d): %s\n", rc, command.c_str());
    return t;
}

std::vector<std::function<void()>>& endHooks()
{
    static std::vector<std::function<void()>> h;
    return h;
}

void atEnd(std::function<void()> f) { endHooks().push_back(std::move(f)); }

void removeTree(const std::string& path)
{
    if (::chdir(cfg.dataDir.c_str()) != 0) {
    }
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
}

void makeFiles(const std::string& dir, int count, size_t size, const std::string& prefix)
{
    std::filesystem::create_directories(dir);
    // One block of at most 1 MiB, written again and again for a large file.
    std::string block(std::min(size, size_t{1} << 20), 'x');
    char name[64];
    for (int i = 0; i < count; ++i) {
        std::snprintf(name, sizeof name, "%s%07d.dat", prefix.c_str(), i);
        const std::string p = dir + "/" + name;
        const int fd = ::open(p.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0)
            continue;
        // Distinct content per file, so nothing can be shared by accident.
        if (size >= 16)
            std::snprintf(block.data(), 16, "%015d", i);
        size_t left = size;
        while (left > 0) {
            const size_t n = std::min(left, block.size());
            if (::write(fd, block.data(), n) < 0)
                break;
            left -= n;
        }
        ::close(fd);
    }
}

std::string stateDir() { return cfg.dataDir + "/state"; }

std::string Flipper::name(char letter, int i) const
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%c%07d.dat", letter, i);
    return buf;
}

void Flipper::make(const std::string& folder, int n, size_t size)
{
    dir = folder;
    count = n;
    current = 'a';
    removeTree(dir);
    std::filesystem::create_directories(dir);
    makeFiles(dir, n, size, "a");
    ::sync();
}

void Flipper::removeCopies() const
{
    for (int i = 0; i < count; ++i)
        ::unlink((dir + "/" + name('b', i)).c_str());
}

std::string Flipper::lines(char letter) const
{
    std::string text;
    for (int i = 0; i < count; ++i)
        text += name(letter, i).substr(0, 8) + "\n";
    return text;
}

TMainForm& window()
{
    static std::unique_ptr<TMainForm> form;
    if (!form) {
        form = std::make_unique<TMainForm>();
        form->show();
        QApplication::processEvents();
        atEnd([] { form.reset(); });
    }
    return *form;
}

void prepareWindow(const std::string& dir, const std::string& memoText, bool deleteOld)
{
    TMainForm& form = window();
    form.FileListBox->SetFolder(dir);
    form.FileListBox->Reread();
    form.Memo2->setPlainText(QString::fromUtf8(memoText.c_str()));
    form.CheckBoxOldDel->setChecked(deleteOld);
    QApplication::processEvents();
}

BoxWatch::BoxWatch()
{
    qApp->installEventFilter(this);
    // Ticks only once a box is there: before it, the window's event loop
    // turns for the run alone, as it does for the user.
    answer_.setInterval(1);
    QObject::connect(&answer_, &QTimer::timeout, [this] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            if (caption.empty())
                caption = box->windowTitle().toStdString();
            box->findChild<QPushButton*>(QStringLiteral("OK"))->click();
        }
    });
}

BoxWatch::~BoxWatch()
{
    answer_.stop();
    qApp->removeEventFilter(this);
}

bool BoxWatch::eventFilter(QObject* o, QEvent*)
{
    if (boxAt == 0 && qobject_cast<QMessageBox*>(o)) {
        boxAt = now();
        answer_.start();
    }
    return false;
}

double untilBox(const std::function<void()>& handler, const char* expected)
{
    BoxWatch watch;
    const double t0 = now();
    handler();
    const double t = (watch.boxAt ? watch.boxAt : now()) - t0;
    if (watch.caption != expected)
        std::fprintf(stderr, "box \"%s\" where \"%s\" was awaited\n", watch.caption.c_str(), expected);
    return t;
}

}  // namespace bench

int peakChild(const std::string& folder);

int main(int argc, char** argv)
{
    using namespace bench;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::string only;
    cfg.dataDir = "bench-data";
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--quick")
            cfg.quick = true;
        else if (a.rfind("--runs=", 0) == 0)
            cfg.runs = std::max(1, std::atoi(a.c_str() + 7));
        else if (a.rfind("--data=", 0) == 0)
            cfg.dataDir = a.substr(7);
        else if (a.rfind("--files=", 0) == 0)
            cfg.files = std::max(1, std::atoi(a.c_str() + 8));
        else if (a.rfind("--only=", 0) == 0)
            only = a.substr(7);
        else if (a.rfind("--peak-child=", 0) == 0) {
            if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
                qputenv("QT_QPA_PLATFORM", "offscreen");
            TApplication app(argc, argv);
            return peakChild(a.substr(13));
        }
    }
    cfg.dataDir = std::filesystem::absolute(cfg.dataDir).string();
    std::filesystem::create_directories(cfg.dataDir);
    // The window's runs write their journals here, not in the user's state
    // folder; it goes when the driver ends.
    removeTree(stateDir());
    ::setenv("XDG_STATE_HOME", stateDir().c_str(), 1);
    settings::resetValues();
    TApplication app(argc, argv);

    struct Row {
        std::string name;
        double ours, base, target;
    };
    std::vector<Row> rows;
    for (auto& c : cases()) {
        if (const size_t at = c.name.find("{n}"); at != std::string::npos)
            c.name.replace(at, 3, countLabel(listFiles()));
        if (!only.empty() && c.name.find(only) == std::string::npos)
            continue;
        if (c.onlyWithFiles && cfg.files == 0)
            continue;
        std::fprintf(stderr, "-- %s\n", c.name.c_str());
        if (c.setUp)
            c.setUp();
        std::vector<double> ours, base;
        for (int r = 0; r < cfg.runs; ++r) {
            // Alternate the order so that neither side always runs warm.
            if (r % 2 == 0) {
                ours.push_back(c.ours());
                if (c.base)
                    base.push_back(c.base());
            } else {
                if (c.base)
                    base.push_back(c.base());
                ours.push_back(c.ours());
            }
            // Each repetition on stderr, so that the spread behind a median
            // can be seen.
            if (c.base)
                std::fprintf(stderr, "   %d: ours %.4f  base %.4f\n", r + 1, ours.back(), base.back());
            else
                std::fprintf(stderr, "   %d: %.4f\n", r + 1, ours.back());
        }
        if (c.tearDown)
            c.tearDown();
        rows.push_back({c.name, median(ours), c.base ? median(base) : 0.0, c.target});
    }

    for (auto& f : endHooks())
        f();
    removeTree(stateDir());
    std::printf("\n%-34s %12s %12s %8s %8s\n", "case", "ours (s)", "base (s)", "ratio", "target");
    for (const auto& r : rows) {
        if (r.base > 0 && r.target > 0)
            std::printf("%-34s %12.4f %12.4f %8.2f %8.2f\n", r.name.c_str(), r.ours, r.base,
                        r.ours / r.base, r.target);
        else if (r.base > 0)  // measured for information, no target
            std::printf("%-34s %12.4f %12.4f %8.2f %8s\n", r.name.c_str(), r.ours, r.base,
                        r.ours / r.base, "-");
        else
            std::printf("%-34s %12.2f %12s %8s %8.0f\n", r.name.c_str(), r.ours, "-", "-",
                        r.target);
    }
    std::printf("\n");
    for (const auto& r : rows) {
        if (r.base > 0 && r.target > 0)
            std::printf("BENCH %s ours_s=%.4f base_s=%.4f ratio=%.3f target=%.2f\n",
                        r.name.c_str(), r.ours, r.base, r.ours / r.base, r.target);
        else if (r.base > 0)
            std::printf("BENCH %s ours_s=%.4f base_s=%.4f ratio=%.3f\n", r.name.c_str(), r.ours,
                        r.base, r.ours / r.base);
        else
            std::printf("BENCH %s value=%.2f target=%.0f\n", r.name.c_str(), r.ours, r.target);
    }
    return 0;
}
