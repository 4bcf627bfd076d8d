// Choosing a huge folder, copying its names into the memo, and the memory
// the whole program needs for it.
#include "bench/driver.h"

#include "app/mainform.h"
#include "app/previewform.h"
#include "rename/ui/filelistbox.h"
#include "rename/ui/memo.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QTableView>
#include <QTimer>

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>

namespace {

using namespace bench;

int entries() { return config().quick ? 10000 : 100000; }
std::string bigDir() { return config().dataDir + "/list"; }
std::string smallDir() { return config().dataDir + "/list-other"; }

std::unique_ptr<TMainForm> form;

void setUpFolders()
{
    removeTree(bigDir());
    removeTree(smallDir());
    // Names in the style of a camera folder, with a few letter-case twists.
    makeFiles(bigDir(), entries(), 0, "IMG_");
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

// From the menu item until the preview of every pair is on the screen.
double openPreview()
{
    form->FileListBox->SetFolder(bigDir());
    form->ButtonCopyClick();
    QApplication::processEvents();
    double shown = -1;
    const double t0 = now();
    QTimer poll;
    poll.setInterval(0);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* p = qobject_cast<TPreviewForm*>(QApplication::activeModalWidget());
        if (!p || !p->isVisible())
            return;
        p->repaint();
        shown = now() - t0;
        poll.stop();
        if (p->PreviewList->model()->rowCount() != entries())
            std::fprintf(stderr, "previewed %d of %d\n", p->PreviewList->model()->rowCount(),
                         entries());
        p->reject();
    });
    poll.start();
    form->EditPreviewMenuClick();
    return shown;
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

const bool registered = [] {
    add({"choose_folder_100k", 4.0, setUpFolders, chooseFolder, baseline, nullptr});
    add({"copy_names_100k", 4.0, setUpFolders, copyNames, baseline, tearDownForm});
    add({"peak_rss_mib", 150, setUpFolders, peakRss, nullptr, nullptr});
    add({"preview_100k", 1.0, setUpFolders, openPreview, nullptr, tearDownForm});
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
