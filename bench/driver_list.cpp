// Choosing a huge folder, copying its names into the memo, pasting as many
// lines, and the memory the whole program needs for it. `--files=N` sets how
// many entries (100,000 by default).
#include "bench/driver.h"

#include "app/mainform.h"
#include "app/planmodel.h"
#include "app/previewform.h"
#include "rename/ui/filelistbox.h"
#include "rename/ui/memo.h"

#include <QAbstractItemModel>
#include <QCheckBox>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTableView>
#include <QTimer>

#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>

namespace {

using namespace bench;

int entries() { return listFiles(); }
std::string bigDir() { return config().dataDir + "/list"; }
std::string smallDir() { return config().dataDir + "/list-other"; }

std::unique_ptr<TMainForm> form;

// The number of entries in `dir`, or -1 when it cannot be read.
long countEntries(const std::string& dir)
{
    std::error_code ec;
    long n = 0;
    for (auto it = std::filesystem::directory_iterator(dir, ec);
         !ec && it != std::filesystem::directory_iterator(); it.increment(ec))
        ++n;
    return ec ? -1 : n;
}

void setUpFolders()
{
    // A million files take a minute to make: a folder of the right size
    // from an earlier invocation is used again.
    if (countEntries(bigDir()) != entries()) {
        removeTree(bigDir());
        // Names in the style of a camera folder.
        makeFiles(bigDir(), entries(), 0, "IMG_");
    }
    removeTree(smallDir());
    makeFiles(smallDir(), 3, 0, "x");
    if (!form) {
        form = std::make_unique<TMainForm>();
        form->show();
        QApplication::processEvents();
        atEnd([] { form.reset(); });
    }
}

double baseline()
{
    return timeShell("find " + shellQuote(bigDir()) + " -maxdepth 1 -type f | sort -f");
}

// From SetFolder until the list widget holds every entry in order.
double chooseFolder()
{
    form->FileListBox->SetFolder(smallDir());
    QApplication::processEvents();
    const double t0 = now();
    form->FileListBox->SetFolder(bigDir());
    QApplication::processEvents();
    const double t = now() - t0;
    if (form->FileListBox->Count() != entries())
        std::fprintf(stderr, "listed %d of %d\n", form->FileListBox->Count(), entries());
    return t;
}

double copyNames()
{
    form->FileListBox->SetFolder(bigDir());
    form->Memo2->clear();
    QApplication::processEvents();
    const double t0 = now();
    form->ButtonCopyClick();
    QApplication::processEvents();
    const double t = now() - t0;
    if (form->Memo2->Lines.Count() != entries())
        std::fprintf(stderr, "copied %d of %d\n", form->Memo2->Lines.Count(), entries());
    return t;
}

// The memo's lines as the clipboard brings them: one name a line.
QString pastedLines(int count)
{
    QString text;
    text.reserve(static_cast<qsizetype>(count) * 12);
    for (int i = 0; i < count; ++i)
        text += QString::asprintf("IMG_%07d\n", i);
    return text;
}

void putOnClipboard(const QString& text)
{
    auto* data = new QMimeData;
    data->setText(text);
    QApplication::clipboard()->setMimeData(data);
}

struct PasteTimes {
    double seconds = 0;
    double longestStall = 0;
};

// Pastes what the clipboard holds into the empty memo; the longest gap
// between two ticks of a 1 ms timer of the window's thread is how long the
// window could not answer the desktop.
PasteTimes paste()
{
    form->Memo2->clear();
    QApplication::processEvents();
    PasteTimes t;
    double last = now();
    QTimer tick;
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const double n = now();
        t.longestStall = std::max(t.longestStall, n - last);
        last = n;
    });
    tick.start();
    const double t0 = now();
    form->Memo2->paste();
    t.seconds = now() - t0;
    t.longestStall = std::max(t.longestStall, now() - last);
    QApplication::processEvents();
    return t;
}

void setUpPaste()
{
    setUpFolders();
    putOnClipboard(pastedLines(entries()));
}

double pasteLines()
{
    const PasteTimes t = paste();
    if (form->Memo2->Lines.Count() != entries())
        std::fprintf(stderr, "pasted %d of %d lines\n", form->Memo2->Lines.Count(), entries());
    return t.seconds;
}

double pasteStallMs() { return paste().longestStall * 1000; }

// The largest paste taken: just under 64 MiB of names, 5.6 million lines.
void setUpLargestPaste()
{
    setUpFolders();
    putOnClipboard(pastedLines(static_cast<int>(renaming::TMemo::kMaxPasteBytes / 12)));
}

double largestPasteStallMs()
{
    const PasteTimes t = paste();
    if (form->Memo2->Lines.Count() != renaming::TMemo::kMaxPasteBytes / 12)
        std::fprintf(stderr, "pasted %d lines\n", form->Memo2->Lines.Count());
    return t.longestStall * 1000;
}

// Until the refusal of a paste just over 64 MiB is on the screen.
double refuseHugePaste()
{
    QString text = pastedLines(static_cast<int>(renaming::TMemo::kMaxPasteBytes / 12 + 1));
    putOnClipboard(text);
    text.clear();
    form->Memo2->clear();
    QApplication::processEvents();
    BoxWatch watch;
    const double t0 = now();
    form->Memo2->paste();
    const double t = (watch.boxAt ? watch.boxAt : now()) - t0;
    if (!watch.boxAt || form->Memo2->Lines.Count() != 0)
        std::fprintf(stderr, "a paste over 64 MiB was not refused\n");
    QApplication::clipboard()->clear();
    return t;
}

void tearDownForm();

// A real plan: every entry a move to a free name.
void setUpPreview()
{
    setUpFolders();
    form->FileListBox->SetFolder(bigDir());
    form->CheckBoxOldDel->setChecked(true);
    char line[32];
    form->Memo2->Lines.Assign(static_cast<size_t>(entries()), [&line](size_t i) {
        return std::string_view(line, static_cast<size_t>(std::snprintf(line, sizeof line, "P_%07zu", i)));
    });
    QApplication::processEvents();
}

struct PreviewTimes {
    double firstRows = -1;  // the preview on the screen with its first rows
    double counts = -1;     // its counts whole
};

// From the menu item until the preview shows its first rows, and until it
// shows its counts.
PreviewTimes openPreview()
{
    PreviewTimes t;
    const double t0 = now();
    // Not a busy poll: the plan's thread needs the processor more.
    QTimer poll;
    poll.setInterval(2);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* p = qobject_cast<TPreviewForm*>(QApplication::activeModalWidget());
        if (!p || !p->isVisible())
            return;
        const auto* model = qobject_cast<const app::PlanModel*>(p->PreviewList->model());
        if (t.firstRows < 0 && model->rowCount() > 0) {
            p->repaint();
            t.firstRows = now() - t0;
        }
        if (!model->complete())
            return;
        p->repaint();
        t.counts = now() - t0;
        poll.stop();
        if (model->rowCount() != entries() || model->plan().counts.success != entries())
            std::fprintf(stderr, "previewed %d of %d, %d moves\n", model->rowCount(), entries(),
                         model->plan().counts.success);
        // As the memory figure has it: the box toggled twice.
        p->OnlyProblems->setChecked(true);
        p->OnlyProblems->setChecked(false);
        p->reject();
    });
    poll.start();
    form->EditPreviewMenuClick();
    return t;
}

void tearDownPreview()
{
    form->CheckBoxOldDel->setChecked(false);
    tearDownForm();
}

void tearDownForm()
{
    if (form) {
        form->Memo2->clear();
        form->FileListBox->SetFolder(smallDir());
    }
}

// Peak memory of a whole process with the folder listed and its names in
// the memo: measured in a child so that nothing else counts.
double peakRss()
{
    char self[4096];
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0)
        return -1;
    self[n] = '\0';
    const std::string cmd = shellQuote(self) + " --peak-child=" + shellQuote(bigDir());
    FILE* p = ::popen(cmd.c_str(), "r");
    double mib = -1;
    if (p) {
        if (std::fscanf(p, "%lf", &mib) != 1)
            mib = -1;
        ::pclose(p);
    }
    return mib;
}

// A memo of as many lines as the list has entries, the caret halfway down.
void setUpTyping()
{
    setUpFolders();
    form->FileListBox->SetFolder(bigDir());
    form->ButtonCopyClick();
    renaming::TMemo& memo = *form->Memo2;
    memo.setFocus();
    memo.setCaret(memo.lineEnd(memo.lineCount() / 2));
    QApplication::processEvents();
}

// Milliseconds a key takes there, until the memo, the list beside it and
// the status bar are drawn again: characters typed and taken back in turn.
double typeKeys()
{
    renaming::TMemo& memo = *form->Memo2;
    constexpr int kKeys = 40;
    const double start = now();
    for (int i = 0; i < kKeys; ++i) {
        const bool back = i % 2 == 1;
        QKeyEvent key(QEvent::KeyPress, back ? Qt::Key_Backspace : Qt::Key_A, Qt::NoModifier,
                      back ? QString() : QStringLiteral("a"));
        QApplication::sendEvent(&memo, &key);
        memo.repaint();
        QApplication::processEvents();
    }
    return (now() - start) * 1000 / kKeys;
}

// The memory, in MiB, the allocator has given out and not had back: unlike
// the resident size, it does not depend on what an earlier repetition left.
double allocatedMib()
{
    const struct mallinfo2 m = ::mallinfo2();
    return static_cast<double>(m.uordblks + m.hblkhd) / (1 << 20);
}

// What a memo of as many lines as the list has entries holds, the list
// aside: its store, its line index, its undo step.
double memoMib()
{
    auto memo = std::make_unique<renaming::TMemo>();
    const double before = allocatedMib();
    char name[32];
    memo->Lines.Assign(static_cast<size_t>(entries()), [&](size_t i) {
        const int n = std::snprintf(name, sizeof name, "IMG_%07zu", i);
        return std::string_view(name, static_cast<size_t>(n));
    });
    const double after = allocatedMib();
    if (memo->Lines.Count() != entries())
        std::fprintf(stderr, "the memo holds %d of %d lines\n", memo->Lines.Count(), entries());
    return after - before;
}

const bool registered = [] {
    add({"choose_folder_{n}", 0.6, setUpFolders, chooseFolder, baseline, nullptr});
    add({"copy_names_{n}", 0.8, setUpFolders, copyNames, baseline, tearDownForm});
    add({"paste_{n}_lines_s", 1.0, setUpPaste, pasteLines, nullptr, tearDownForm});
    add({"paste_{n}_longest_stall_ms", 1000, setUpPaste, pasteStallMs, nullptr, tearDownForm});
    add({"paste_64MiB_longest_stall_ms", 1000, setUpLargestPaste, largestPasteStallMs, nullptr, tearDownForm});
    add({"paste_over_64MiB_refused_s", 1.0, setUpFolders, refuseHugePaste, nullptr, tearDownForm});
    add({"peak_rss_mib", 250, setUpFolders, peakRss, nullptr, nullptr});
    add({"type_in_{n}_lines_ms", 16, setUpTyping, typeKeys, nullptr, tearDownForm});
    add({"memo_{n}_lines_mib", 75, nullptr, memoMib, nullptr, nullptr});
    add({"preview_{n}_first_rows_ms", 500, setUpPreview, [] { return openPreview().firstRows * 1000; }, nullptr,
         tearDownPreview});
    add({"preview_{n}_counts_s", 2.0, setUpPreview, [] { return openPreview().counts; }, nullptr,
         tearDownPreview});
    return true;
}();

}  // namespace

// The child of the peak-memory case: prints its peak resident size in MiB.
int peakChild(const std::string& folder)
{
    TMainForm f;
    f.show();
    f.FileListBox->SetFolder(folder);
    f.ButtonCopyClick();
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
    struct rusage ru {};
    ::getrusage(RUSAGE_SELF, &ru);
    std::printf("%.1f\n", ru.ru_maxrss / 1024.0);
    return 0;
}
