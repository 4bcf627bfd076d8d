// The window's run as it is now (the file operations on a thread of their
// own, each written to the journal first) against the run on the window's
// thread with no journal; how long the window's event loop stands still
// while a run copies gigabytes; and the undo of a run against the run.
#include "bench/driver.h"

#include "app/mainform.h"
#include "platform/fs.h"
#include "rename/namelist.h"
#include "rename/messages.h"
#include "rename/renamerun.h"
#include "widgets/text.h"

#include <QApplication>
#include <QStatusBar>
#include <QTimer>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace {

using namespace bench;

int fileCount() { return config().quick ? 1000 : 10000; }
size_t stallFileSize() { return config().quick ? (size_t{64} << 20) : (size_t{1} << 30); }
constexpr int kStallFiles = 4;

const char* kRunCaption = "rename結果";
const char* kUndoCaption = "元に戻す結果";

// The window's run of `f` to the letter `to`, timed from the click to its
// summary box.
double windowRun(const Flipper& f, char to, bool deleteOld)
{
    prepareWindow(f.dir, f.lines(to), deleteOld);
    return untilBox([] { window().ButtonRenameClick(); }, kRunCaption);
}

// The run as the window made it before its file operations went to a
// thread of their own: the core's run on the window's thread, without a
// journal, writing each step to the status line and painting the status
// bar every 50 ms as the window did then. With `bare`, the callbacks only
// keep what they are told: the core's run alone.
double coreRun(const Flipper& f, char to, bool deleteOld, bool bare = false)
{
    platform::enterFolder(f.dir);
    renaming::NameList list;
    list.Reread();
    TMainForm& w = window();
    const double t0 = now();
    double lastPaint = t0;
    renaming::RunRequest rq;
    rq.folder = list.folder().duplicate().value();
    rq.entries = list.entries();
    for (int i = 0; i < list.Count(); ++i)
        rq.lines.push_back(f.name(to, i).substr(0, 8));
    rq.deleteOld = deleteOld;
    struct {
        renaming::RunStep step = renaming::RunStep::created;
        std::string name;
        int done = 0;
        size_t moved = 0;
    } seen;
    rq.onStep = [&](renaming::RunStep s, const std::string& n) {
        seen.step = s;
        seen.name = n;
        if (bare)
            return;
        w.setStatusText(widgets::fromUtf8(renaming::msg::kFileOpen) + widgets::fromBytes(n) +
                        widgets::fromUtf8(renaming::stepEnding(s)));
        if (now() - lastPaint >= 0.05) {
            lastPaint = now();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
            w.StatusBar->repaint();
        }
    };
    rq.onProgress = [&](int done, int) { seen.done = done; };
    rq.copyTick = {[&](size_t moved) { seen.moved += moved; }, size_t{8} << 20};
    const renaming::RunCounts c = renaming::runRename(rq);
    const double t = now() - t0;
    if (c.success != f.count)
        std::fprintf(stderr, "core run: %d of %d succeeded\n", c.success, f.count);
    return t;
}

bool allNamed(const Flipper& f, char letter)
{
    for (int i = 0; i < f.count; ++i)
        if (::access((f.dir + "/" + f.name(letter, i)).c_str(), F_OK) != 0)
            return false;
    return true;
}

// --- the event loop while 4 GiB are copied --------------------------------

Flipper stall;

// The longest time, in milliseconds, between two turns of the window's
// event loop from the click to the summary box: a timer of 1 ms on the
// window's thread notes each turn that reaches it.
double loopStallMs()
{
    stall.removeCopies();
    ::sync();
    prepareWindow(stall.dir, stall.lines('b'), false);
    std::vector<double> turns;
    turns.reserve(1 << 16);
    QTimer beat;
    beat.setTimerType(Qt::PreciseTimer);
    beat.setInterval(1);
    QObject::connect(&beat, &QTimer::timeout, [&] { turns.push_back(now()); });
    beat.start();
    double boxAt = 0;
    const double t0 = now();
    {
        BoxWatch watch;
        window().ButtonRenameClick();
        boxAt = watch.boxAt ? watch.boxAt : now();
    }
    beat.stop();
    double prev = t0, gap = 0, gapEnd = 0;
    for (double t : turns) {
        if (t < t0)
            continue;
        if (t > boxAt)
            break;
        if (t - prev > gap) {
            gap = t - prev;
            gapEnd = t;
        }
        prev = t;
    }
    if (boxAt - prev > gap) {
        gap = boxAt - prev;
        gapEnd = boxAt;
    }
    if (!allNamed(stall, 'b'))
        std::fprintf(stderr, "stall run: copies missing\n");
    std::fprintf(stderr, "   run %.2f s, %zu turns, longest gap %.1f ms, ending %.3f s after the click\n",
                 boxAt - t0, turns.size(), gap * 1000, gapEnd - t0);
    stall.removeCopies();
    return gap * 1000;
}

// --- the journaled run against the run before it --------------------------

// A window run of `files` against a run without a journal. With the box
// ticked the files move to the other letter and back from one run to the
// next; unticked, each run copies them to 'b' afresh.
struct RunPair {
    Flipper files;
    bool deleteOld = false;
    bool bare = false;  // against the core's run alone

    char target()
    {
        if (!deleteOld)
            files.removeCopies();
        return deleteOld ? files.other() : 'b';
    }
    double ours()
    {
        const char to = target();
        const double t = windowRun(files, to, deleteOld);
        if (!allNamed(files, to))
            std::fprintf(stderr, "window run: not every file renamed\n");
        if (deleteOld)
            files.current = to;
        return t;
    }
    double base()
    {
        const char to = target();
        const double t = coreRun(files, to, deleteOld, bare);
        if (deleteOld)
            files.current = to;
        return t;
    }
};

RunPair tickedPair{{}, true, false}, untickedPair{{}, false, false};
RunPair tickedCore{{}, true, true};

// On a memory file system where there is one, the journal still on the
// disk under test: where a disk's file system keeps freed inodes from
// being taken again for a while (ext4 without a journal does), making
// 10,000 new files costs what the removals before it decide, and that
// varies by more than the whole cost looked for here.
std::string untickedFolder(const char* name)
{
    const bool shm = std::filesystem::is_directory("/dev/shm");
    return (shm ? std::string("/dev/shm/tsumugi-bench-") : config().dataDir + "/") + name;
}

void addPair(const char* name, double target, RunPair& p, const char* folder)
{
    add({name, target,
         [&p, folder] {
             p.files.make(p.deleteOld ? config().dataDir + "/" + folder : untickedFolder(folder),
                          fileCount(), 4096);
         },
         [&p] { return p.ours(); }, [&p] { return p.base(); }, [&p] { removeTree(p.files.dir); }});
}

// --- undo of a run of moves against the run -------------------------------

Flipper undone;
bool runPending = false;  // the last window run in the folder is not yet taken back

double undoClick()
{
    prepareWindow(undone.dir, undone.lines('b'), true);
    return untilBox([] { window().EditUndoMenuClick(); }, kUndoCaption);
}

double undoOurs()
{
    if (!runPending)
        windowRun(undone, 'b', true);
    const double t = undoClick();
    runPending = false;
    if (!allNamed(undone, 'a'))
        std::fprintf(stderr, "undo: not every file has its old name back\n");
    return t;
}

double undoBase()
{
    if (runPending)
        undoClick();
    const double t = windowRun(undone, 'b', true);
    runPending = true;
    if (!allNamed(undone, 'b'))
        std::fprintf(stderr, "window run: not every file renamed\n");
    return t;
}

const bool registered = [] {
    // The copies go to the disk under test: what stalls there is what the
    // user meets.
    add({"loop_stall_4GiB_ms", 50,
         [] { stall.make(config().dataDir + "/stall", kStallFiles, stallFileSize()); },
         loopStallMs, nullptr, [] { removeTree(stall.dir); }});
    addPair("journaled_run_ticked_10k_4KiB", 1.1, tickedPair, "journal-ticked");
    addPair("journaled_run_unticked_10k_4KiB", 1.1, untickedPair, "journal-unticked");
    // For information: the ticked run against the core's run alone, with no
    // window to tell of each step (window_run_vs_core_10k does the same
    // unticked).
    addPair("journaled_run_ticked_vs_core", 0, tickedCore, "journal-ticked-core");
    add({"undo_10k_moved", 2.0,
         [] {
             undone.make(config().dataDir + "/undo", fileCount(), 4096);
             runPending = false;
         },
         undoOurs, undoBase, [] { removeTree(undone.dir); }});
    return true;
}();

}  // namespace
