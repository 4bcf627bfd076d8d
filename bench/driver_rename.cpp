// The rename run: moving names when the old files go, copying when they
// stay, against the system's own renameat2 loop and cp.
#include "bench/driver.h"

#include "app/mainform.h"
#include "platform/fs.h"
#include "rename/namelist.h"
#include "rename/renamerun.h"
#include "rename/ui/filelistbox.h"
#include "rename/ui/memo.h"

#include <QApplication>
#include <QCheckBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>

namespace {

using namespace bench;

// Files in `dir` named a0000000.dat ... or b0000000.dat ...; each renaming
// case flips them from one letter to the other, so both sides of a case
// work on the same files without making them again.
struct Flipper {
    std::string dir;
    int count = 0;
    char current = 'a';

    std::string name(char letter, int i) const
    {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%c%07d.dat", letter, i);
        return buf;
    }
    char other() const { return current == 'a' ? 'b' : 'a'; }
};

double ourRun(Flipper& f, bool deleteOld)
{
    // The list as the window shows it before a run.
    platform::enterFolder(f.dir);
    renaming::NameList list;
    list.Reread();
    const char to = f.other();
    renaming::RunRequest rq;
    rq.entries = &list.entries();
    rq.line = [to](int i) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%c%07d", to, i);
        return std::string(buf);
    };
    rq.rule = renaming::NameRule::replace;
    rq.cp = platform::CodePage::utf8;
    rq.deleteOld = deleteOld;
    int steps = 0;
    rq.onStep = [&](renaming::RunStep, const std::string&) { ++steps; };
    const double t0 = now();
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

Flipper small, large, copySmall, copyLarge;

void setUpFlipper(Flipper& f, const std::string& sub, int count, size_t size)
{
    f.dir = config().dataDir + "/" + sub;
    f.count = count;
    f.current = 'a';
    removeTree(f.dir);
    std::filesystem::create_directories(f.dir);
    makeFiles(f.dir, count, size, "a");
    ::sync();
}

// The copies a copying run made (the b... names), removed between runs.
void removeCopies(Flipper& f)
{
    for (int i = 0; i < f.count; ++i)
        ::unlink((f.dir + "/" + f.name('b', i)).c_str());
}

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

int smallCount() { return config().quick ? 1000 : 10000; }
size_t largeSize() { return config().quick ? (size_t{32} << 20) : (size_t{256} << 20); }
size_t hugeSize() { return config().quick ? (size_t{64} << 20) : (size_t{1} << 30); }

// --- the window's run: status line repaints and their cost ----------------

class PaintClock : public QObject {
public:
    std::vector<double> times;
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint)
            times.push_back(now());
        return false;
    }
};

double lastMaxGapMs = 0;

// The window's run of 10,000 copies, with the summary box answered.
double windowRun(Flipper& f)
{
    removeCopies(f);
    ::sync();
    static std::unique_ptr<TMainForm> form;
    if (!form) {
        form = std::make_unique<TMainForm>();
        form->show();
        atEnd([] { form.reset(); });
    }
    form->FileListBox->SetFolder(f.dir);
    form->FileListBox->Reread();
    std::string lines;
    for (int i = 0; i < f.count; ++i)
        lines += f.name('b', i).substr(0, 8) + "\n";
    form->Memo2->setPlainText(QString::fromUtf8(lines.c_str()));
    form->CheckBoxOldDel->setChecked(false);
    QApplication::processEvents();

    PaintClock clock;
    QWidget* status = form->findChild<QWidget*>(QStringLiteral("SimpleText"));
    status->installEventFilter(&clock);
    double t0 = 0, boxAt = 0;
    QTimer answer;
    answer.setInterval(1);
    QObject::connect(&answer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            if (boxAt == 0)
                boxAt = now();
            box->findChild<QPushButton*>(QStringLiteral("OK"))->click();
        }
    });
    answer.start();
    t0 = now();
    form->ButtonRenameClick();
    // Up to the summary box: the run itself, as the core's run below.
    const double t = (boxAt ? boxAt : now()) - t0;
    answer.stop();
    status->removeEventFilter(&clock);
    // Gaps between status-line paints while the run went, up to the box.
    double prev = t0, gap = 0;
    for (double p : clock.times) {
        if (boxAt && p > boxAt)
            break;
        gap = std::max(gap, p - prev);
        prev = p;
    }
    if (boxAt)
        gap = std::max(gap, boxAt - prev);
    lastMaxGapMs = std::max(lastMaxGapMs, gap * 1000);
    return t;
}

double coreRun(Flipper& f)
{
    removeCopies(f);
    ::sync();
    platform::enterFolder(f.dir);
    renaming::NameList list;
    list.Reread();
    renaming::RunRequest rq;
    rq.entries = &list.entries();
    rq.line = [&f](int i) { return f.name('b', i).substr(0, 8); };
    const double t0 = now();
    renaming::runRename(rq);
    return now() - t0;
}

const bool registered = [] {
    add({"rename_ticked_10k_4KiB", 2.0,
         [] { setUpFlipper(small, "ticked-small", smallCount(), 4096); },
         [] { return ourRun(small, true); }, [] { return renameLoop(small); },
         [] { removeTree(small.dir); }});
    add({"rename_ticked_20x256MiB", 2.0,
         [] { setUpFlipper(large, "ticked-large", 20, largeSize()); },
         [] { return ourRun(large, true); }, [] { return renameLoop(large); },
         [] { removeTree(large.dir); }});
    add({"rename_unticked_10k_4KiB", 1.0,
         [] { setUpFlipper(copySmall, "copy-small", smallCount(), 4096); },
         [] {
             removeCopies(copySmall);
             ::sync();
             return ourRun(copySmall, false);
         },
         [] { return cpBaseline(copySmall, "*"); }, nullptr});
    add({"rename_unticked_1GiB", 1.0,
         [] { setUpFlipper(copyLarge, "copy-large", 1, hugeSize()); },
         [] {
             removeCopies(copyLarge);
             ::sync();
             return ourRun(copyLarge, false);
         },
         [] { return cpBaseline(copyLarge, "a0000000.dat"); },
         [] { removeTree(copyLarge.dir); }});
    // The window's run against the same run without a window: what the
    // status line, its repaints and the progress bar cost.
    add({"window_run_vs_core_10k", 1.05, nullptr, [] { return windowRun(copySmall); },
         [] { return coreRun(copySmall); }, [] { removeTree(copySmall.dir); }});
    add({"repaint_max_gap_ms", 100, nullptr, [] { return lastMaxGapMs; }, nullptr, nullptr});
    return true;
}();

}  // namespace
