// The run as a job: how soon a stop pressed during a long copy brings the
// summary, and what ordering chains and cycles of names costs against the
// same moves made by a bare renameat2 loop that already knows their order.
#include "bench/driver.h"

#include "app/mainform.h"
#include "platform/fs.h"
#include "rename/job.h"
#include "rename/namelist.h"

#include <QPushButton>
#include <QTimer>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

using namespace bench;

int fileCount() { return config().quick ? 1000 : 10000; }
size_t bigFileSize() { return config().quick ? (size_t{64} << 20) : (size_t{1} << 30); }

// --- stop during a 4 GiB copy --------------------------------------------

Flipper big;

// The milliseconds from a press of the stop button, a second into a run
// that copies 4 GiB in 4 files, until the summary box opens.
double stopMs()
{
    big.removeCopies();
    ::sync();
    prepareWindow(big.dir, big.lines('b'), false);
    auto* stop = window().findChild<QPushButton*>(QStringLiteral("ButtonStop"));
    double pressedAt = 0;
    QTimer::singleShot(1000, [&] {
        pressedAt = now();
        stop->click();
    });
    double boxAt = 0;
    {
        BoxWatch watch;
        window().ButtonRenameClick();
        boxAt = watch.boxAt ? watch.boxAt : now();
    }
    if (pressedAt == 0 || boxAt < pressedAt) {
        std::fprintf(stderr, "stop: the run ended before the press\n");
        return 0;
    }
    big.removeCopies();
    return (boxAt - pressedAt) * 1000;
}

// --- a shift by one and swapped pairs, as the window's job runs them --------

// Files n0000000.dat ... in `dir`, each shifted up by one name and back.
struct Shifted {
    std::string dir;
    int count = 0;
    int offset = 0;  // the files are now n<offset> ... n<offset + count - 1>

    static std::string name(int i)
    {
        char buf[32];
        std::snprintf(buf, sizeof buf, "n%07d.dat", i);
        return buf;
    }
    void make(const std::string& folder, int n)
    {
        dir = folder;
        count = n;
        offset = 0;
        removeTree(dir);
        makeFiles(dir, n, 4096, "n");
        ::sync();
    }
    // The bare loop: every file to the next name, from the last, so that
    // each name is free when its turn comes.
    void loopUp()
    {
        const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY);
        for (int i = offset + count - 1; i >= offset; --i)
            ::syscall(SYS_renameat2, fd, name(i).c_str(), fd, name(i + 1).c_str(), RENAME_NOREPLACE);
        ::close(fd);
        ++offset;
    }
    // Back by one, untimed: in list order each name is free already.
    void loopDown()
    {
        const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY);
        for (int i = offset; i < offset + count; ++i)
            ::syscall(SYS_renameat2, fd, name(i).c_str(), fd, name(i - 1).c_str(), RENAME_NOREPLACE);
        ::close(fd);
        --offset;
    }
};

// The window's job on `dir` with the box ticked and names swapped, line i
// made by `line`; timed from the request to the job's end.
template <class Line>
double swapJob(const std::string& dir, Line line, int expectSuccess)
{
    platform::enterFolder(dir);
    renaming::NameList list;
    list.Reread();
    const double t0 = now();
    renaming::RenameRequest rq;
    rq.folder = list.folder().duplicate().value();
    rq.entries = list.entries();
    for (int i = 0; i < list.Count(); ++i)
        rq.lines.push_back(line(i));
    rq.deleteOld = true;
    rq.swap = true;
    rq.stateFolder = stateDir();
    renaming::Job job(std::move(rq));
    job.start();
    job.wait();
    const double t = now() - t0;
    if (job.end().counts.success != expectSuccess)
        std::fprintf(stderr, "swap job: %d of %d succeeded\n", job.end().counts.success, expectSuccess);
    return t;
}

Shifted shift;

double shiftOurs()
{
    const int from = shift.offset;
    const double t = swapJob(shift.dir, [from](int i) { return Shifted::name(from + i + 1).substr(0, 8); },
                             shift.count);
    ++shift.offset;
    shift.loopDown();
    return t;
}

double shiftBase()
{
    const double t0 = now();
    shift.loopUp();
    const double t = now() - t0;
    shift.loopDown();
    return t;
}

Shifted pairs;

// Entry 2k takes the name of entry 2k + 1 and the other way round: a cycle
// of two each, three renames a pair.
double pairsOurs()
{
    return swapJob(pairs.dir, [](int i) { return Shifted::name(i ^ 1).substr(0, 8); }, pairs.count);
}

// The bare loop of as many moves as there are files: every file up by one.
double pairsBase()
{
    const double t0 = now();
    pairs.loopUp();
    const double t = now() - t0;
    pairs.loopDown();
    return t;
}

const bool registered = [] {
    add({"stop_4GiB_copy_ms", 200,
         [] { big.make(config().dataDir + "/stop", 4, bigFileSize()); }, stopMs, nullptr,
         [] { removeTree(big.dir); }});
    add({"swap_shift_by_one_10k", 1.3, [] { shift.make(config().dataDir + "/shift", fileCount()); }, shiftOurs,
         shiftBase, [] { removeTree(shift.dir); }});
    add({"swap_5000_pairs", 3.5, [] { pairs.make(config().dataDir + "/pairs", fileCount()); }, pairsOurs,
         pairsBase, [] { removeTree(pairs.dir); }});
    return true;
}();

}  // namespace
