// The window's run as it is now (the file operations on a thread of their
// own, each written to the journal first) against the run on the window's
// thread with no journal; how long the window's event loop stands still
// while a run copies gigabytes; and the undo of a run against the run.
#include "bench/driver.h"

#include "app/mainform.h"
#include "platform/fs.h"
#include "rename/namelist.h"
#include "rename/renamerun.h"

#include <QApplication>
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
// thread of their own: the core's run on this thread, without a journal,
// with callbacks that only keep what they are told.
double coreRun(const Flipper& f, char to, bool deleteOld)
{
    platform::enterFolder(f.dir);
    renaming::NameList list;
    list.Reread();
    const double t0 = now();
    renaming::RunRequest rq;
    rq.folder = list.folder().duplicate();
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

Flipper ticked, unticked;

double tickedOurs()
{
    const char to = ticked.other();
    const double t = windowRun(ticked, to, true);
    if (!allNamed(ticked, to))
        std::fprintf(stderr, "window run: not every file renamed\n");
    ticked.current = to;
    return t;
}

double tickedBase()
{
    const char to = ticked.other();
    const double t = coreRun(ticked, to, true);
    ticked.current = to;
    return t;
}

double untickedOurs()
{
    unticked.removeCopies();
    const double t = windowRun(unticked, 'b', false);
    if (!allNamed(unticked, 'b'))
        std::fprintf(stderr, "window run: copies missing\n");
    return t;
}

double untickedBase()
{
    unticked.removeCopies();
    return coreRun(unticked, 'b', false);
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
    add({"journaled_run_ticked_10k_4KiB", 1.1,
         [] { ticked.make(config().dataDir + "/journal-ticked", fileCount(), 4096); },
         tickedOurs, tickedBase, [] { removeTree(ticked.dir); }});
    // On a memory file system where there is one, the journal still on the
    // disk under test: where a disk's file system keeps freed inodes from
    // being taken again for a while (ext4 without a journal does), making
    // 10,000 new files costs what the removals before it decide, and that
    // varies by more than the whole cost looked for here.
    add({"journaled_run_unticked_10k_4KiB", 1.1,
         [] {
             const bool shm = std::filesystem::is_directory("/dev/shm");
             unticked.make(shm ? "/dev/shm/tsumugi-bench-unticked" : config().dataDir + "/journal-unticked",
                           fileCount(), 4096);
         },
         untickedOurs, untickedBase, [] { removeTree(unticked.dir); }});
    add({"undo_10k_moved", 2.0,
         [] {
             undone.make(config().dataDir + "/undo", fileCount(), 4096);
             runPending = false;
         },
         undoOurs, undoBase, [] { removeTree(undone.dir); }});
    return true;
}();

}  // namespace
