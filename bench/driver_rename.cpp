// The rename run: moving names when the old files go, copying when they
// stay, against the system's own renameat2 loop and cp.
#include "bench/driver.h"

#include "app/mainform.h"
#include "platform/fs.h"
#include "rename/namelist.h"
#include "rename/renamerun.h"

#include <QApplication>
#include <QStatusBar>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace {

using namespace bench;

double ourRun(Flipper& f, bool deleteOld)
{
    // The list as the window shows it before a run.
    platform::enterFolder(f.dir);
    renaming::NameList list;
    list.Reread();
    const char to = f.other();
    // Timed from the making of the request: the lines are part of the run.
    const double t0 = now();
    renaming::RunRequest rq;
    rq.folder = list.folder().duplicate().value();
    rq.entries = list.entries();
    for (int i = 0; i < list.Count(); ++i) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%c%07d", to, i);
        rq.lines.emplace_back(buf);
    }
    rq.rule = renaming::NameRule::replace;
    rq.cp = platform::CodePage::utf8;
    rq.deleteOld = deleteOld;
    int steps = 0;
    rq.onStep = [&](renaming::RunStep, const std::string&) { ++steps; };
    const renaming::RunCounts c = renaming::runRename(rq);
    list.Reread();
    const double t = now() - t0;
    if (c.success != f.count)
        std::fprintf(stderr, "run: %d of %d succeeded\n", c.success, f.count);
    if (deleteOld)
        f.current = to;
    return t;
}

// The physical limit: one renameat2 per file, nothing else.
double renameLoop(Flipper& f)
{
    const int dirFd = ::open(f.dir.c_str(), O_RDONLY | O_DIRECTORY);
    const char from = f.current, to = f.other();
    const double t0 = now();
    for (int i = 0; i < f.count; ++i)
        ::syscall(SYS_renameat2, dirFd, f.name(from, i).c_str(), dirFd, f.name(to, i).c_str(),
                  RENAME_NOREPLACE);
    const double t = now() - t0;
    ::close(dirFd);
    f.current = to;
    return t;
}

Flipper small, large, copySmall, copyLarge, mem;
std::string windowData;

double cpBaseline(Flipper& f, const std::string& glob)
{
    const std::string dst = f.dir + "-cp";
    removeTree(dst);
    std::filesystem::create_directories(dst);
    ::sync();
    const double t = timeShell("cp -p " + shellQuote(f.dir) + "/" + glob + " " + shellQuote(dst) + "/");
    removeTree(dst);
    return t;
}

Flipper shmSmall, many, shmMany;

// A folder on the memory file system where there is one.
std::string shmDir(const std::string& name)
{
    const bool shm = std::filesystem::is_directory("/dev/shm");
    return (shm ? std::string("/dev/shm/tsumugi-bench-") : config().dataDir + "/") + name;
}

int smallCount() { return config().quick ? 1000 : 10000; }
size_t largeSize() { return config().quick ? (size_t{32} << 20) : (size_t{256} << 20); }
size_t hugeSize() { return config().quick ? (size_t{64} << 20) : (size_t{1} << 30); }

// --- the window's run: status line repaints and their cost ----------------

// Paints of the status line.
class PaintClock : public QObject {
public:
    QObject* status = nullptr;
    std::vector<double> times;
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (o == status && e->type() == QEvent::Paint)
            times.push_back(now());
        return false;
    }
};

double lastMaxGapMs = 0;
double lastRepaintPct = 0;

// The window's run of 10,000 copies, with the summary box answered.
double windowRun(Flipper& f)
{
    f.removeCopies();
    ::sync();
    prepareWindow(f.dir, f.lines('b'), false);
    TMainForm* form = &window();

    PaintClock clock;
    clock.status = form->findChild<QWidget*>(QStringLiteral("SimpleText"));
    qApp->installEventFilter(&clock);
    double boxAt = 0;
    const double t0 = now();
    {
        BoxWatch watch;
        form->ButtonRenameClick();
        boxAt = watch.boxAt ? watch.boxAt : now();
    }
    // Up to the summary box: the run itself, as the core's run below.
    const double t = boxAt - t0;
    qApp->removeEventFilter(&clock);
    // Gaps between status-line paints while the run went, up to the box.
    double prev = t0, gap = 0;
    for (double p : clock.times) {
        if (p > boxAt)
            break;
        gap = std::max(gap, p - prev);
        prev = p;
    }
    gap = std::max(gap, boxAt - prev);
    lastMaxGapMs = std::max(lastMaxGapMs, gap * 1000);
    // What one repaint of the status bar costs, measured now on the same
    // window: times the run's paints, against the run's time.
    const int paints = static_cast<int>(
        std::count_if(clock.times.begin(), clock.times.end(), [&](double p) { return p <= boxAt; }));
    const double r0 = now();
    constexpr int kProbe = 50;
    for (int i = 0; i < kProbe; ++i) {
        form->setStatusText(QStringLiteral("ファイル「probe%1.dat」を作成しました").arg(i));
        form->StatusBar->repaint();
    }
    const double perPaint = (now() - r0) / kProbe;
    lastRepaintPct = std::max(lastRepaintPct, 100.0 * paints * perPaint / t);
    return t;
}

double coreRun(Flipper& f)
{
    f.removeCopies();
    ::sync();
    platform::enterFolder(f.dir);
    renaming::NameList list;
    list.Reread();
    const double t0 = now();
    renaming::RunRequest rq;
    rq.folder = list.folder().duplicate().value();
    rq.entries = list.entries();
    for (int i = 0; i < list.Count(); ++i)
        rq.lines.push_back(f.name('b', i).substr(0, 8));
    renaming::runRename(rq);
    return now() - t0;
}

const bool registered = [] {
    add({"rename_ticked_10k_4KiB", 2.0,
         [] { small.make(config().dataDir + "/ticked-small", smallCount(), 4096); },
         [] { return ourRun(small, true); }, [] { return renameLoop(small); },
         [] { removeTree(small.dir); }});
    // The same on a memory file system, where the disk hides nothing of the
    // run's own cost; and with as many files as --files= asks, on both.
    add({"rename_ticked_10k_4KiB_tmpfs", 1.3,
         [] { shmSmall.make(shmDir("ticked-small"), smallCount(), 4096); },
         [] { return ourRun(shmSmall, true); }, [] { return renameLoop(shmSmall); },
         [] { removeTree(shmSmall.dir); }});
    add({"rename_ticked_{n}", 1.1, [] { many.make(config().dataDir + "/ticked-many", listFiles(), 0); },
         [] { return ourRun(many, true); }, [] { return renameLoop(many); }, [] { removeTree(many.dir); },
         true});
    add({"rename_ticked_{n}_tmpfs", 1.3, [] { shmMany.make(shmDir("ticked-many"), listFiles(), 0); },
         [] { return ourRun(shmMany, true); }, [] { return renameLoop(shmMany); },
         [] { removeTree(shmMany.dir); }, true});
    add({"rename_ticked_20x256MiB", 2.0,
         [] { large.make(config().dataDir + "/ticked-large", 20, largeSize()); },
         [] { return ourRun(large, true); }, [] { return renameLoop(large); },
         [] { removeTree(large.dir); }});
    add({"rename_unticked_10k_4KiB", 1.0,
         [] { copySmall.make(config().dataDir + "/copy-small", smallCount(), 4096); },
         [] {
             copySmall.removeCopies();
             ::sync();
             return ourRun(copySmall, false);
         },
         [] { return cpBaseline(copySmall, "*"); }, [] { removeTree(copySmall.dir); }});
    add({"rename_unticked_1GiB", 1.0,
         [] { copyLarge.make(config().dataDir + "/copy-large", 1, hugeSize()); },
         [] {
             copyLarge.removeCopies();
             ::sync();
             return ourRun(copyLarge, false);
         },
         [] { return cpBaseline(copyLarge, "a0000000.dat"); },
         [] { removeTree(copyLarge.dir); }});
    // The window's run against the same run without a window: what the
    // status line, its repaints and the progress bar cost. On a memory file
    // system where there is one, so that the disk's own ups and downs do not
    // hide that cost (and the cost weighs most against the fastest copies).
    add({"window_run_vs_core_10k", 0,
         [] {
             removeTree(copySmall.dir);
             const bool shm = std::filesystem::is_directory("/dev/shm");
             windowData = shm ? "/dev/shm/tsumugi-bench" : config().dataDir;
             mem.dir = windowData + "/window";
             mem.count = smallCount();
             removeTree(mem.dir);
             makeFiles(mem.dir, mem.count, 4096, "a");
         },
         [] { return windowRun(mem); }, [] { return coreRun(mem); },
         [] {
             removeTree(mem.dir);
             if (windowData != config().dataDir)
                 removeTree(windowData);
         }});
    add({"repaint_max_gap_ms", 100, nullptr, [] { return lastMaxGapMs; }, nullptr, nullptr});
    add({"repaint_cost_pct", 5, nullptr, [] { return lastRepaintPct; }, nullptr, nullptr});
    return true;
}();

}  // namespace
