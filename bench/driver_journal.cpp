// Choosing a folder whose last run journalled a million entries, against
// the same folder with no journal, and opening the edit menu there: the
// window's thread reads no journal, and the look for a run to take back,
// made off that thread, reads only the journal's ends.
#include "bench/driver.h"

#include "app/mainform.h"
#include "app/undostate.h"
#include "platform/folder.h"
#include "rename/journal.h"
#include "rename/journalstore.h"
#include "rename/ui/filelistbox.h"

#include <QAction>
#include <QApplication>
#include <QMenu>

#include <cstdio>
#include <filesystem>

namespace {

using namespace bench;

int journalEntries() { return config().quick ? 100000 : 1000000; }
int folderFiles() { return config().quick ? 2000 : 20000; }
std::string journalled() { return config().dataDir + "/journalled"; }
std::string otherFolder() { return config().dataDir + "/journalled-other"; }

std::string journalPath;  // the journal of the folder's last run
std::string setAside;     // where it goes while the folder is to have none

// A journal of a run of `journalEntries()` moves in the folder, every one
// done, written by the journal's own code: the store names the file and
// writes the start, the records go after it as the writer formats them.
void writeJournal()
{
    const auto folder = platform::FolderHandle::open(journalled()).value();
    {
        renaming::JournalWriter w = renaming::journals::create(folder).value();
        if (!w.valid()) {
            std::fprintf(stderr, "no journal could be made\n");
            return;
        }
        w.begin(renaming::journals::journalFolderOf(folder), 1765250000, journalEntries(), true);
        journalPath = w.path();
    }
    std::FILE* f = std::fopen(journalPath.c_str(), "ab");
    std::string chunk;
    for (int i = 0; i < journalEntries(); ++i) {
        const std::string from = "IMG_" + std::to_string(1000000 + i) + ".JPG";
        const platform::FileId stamp{4096, 1765250000123456789, static_cast<uint64_t>(i + 100)};
        renaming::journal_text::appendIntent(chunk, i, renaming::JournalOp::move, from, "new " + from, stamp);
        renaming::journal_text::appendDone(chunk, i, renaming::JournalOp::move, stamp);
        if (chunk.size() > (size_t{4} << 20)) {
            std::fwrite(chunk.data(), 1, chunk.size(), f);
            chunk.clear();
        }
    }
    chunk += renaming::journal_text::end();
    std::fwrite(chunk.data(), 1, chunk.size(), f);
    std::fclose(f);
    setAside = journalPath + ".aside";
    std::fprintf(stderr, "   journal of %d entries: %.0f MiB\n", journalEntries(),
                 static_cast<double>(std::filesystem::file_size(journalPath)) / (1 << 20));
}

void setUp()
{
    const auto count = [](const std::string& dir) {
        long n = 0;
        std::error_code e;
        for (auto it = std::filesystem::directory_iterator(dir, e); !e && it != std::filesystem::directory_iterator();
             it.increment(e))
            ++n;
        return n;
    };
    if (count(journalled()) != folderFiles()) {
        removeTree(journalled());
        makeFiles(journalled(), folderFiles(), 0, "IMG_");
    }
    removeTree(otherFolder());
    makeFiles(otherFolder(), 3, 0, "x");
    writeJournal();
}

void tearDown()
{
    std::error_code ec;
    std::filesystem::remove(journalPath, ec);
    std::filesystem::remove(setAside, ec);
}

// Until the look for a run to take back, off the window's thread, has ended.
void settle(TMainForm& w)
{
    auto* state = static_cast<app::UndoState*>(w.findChild<QObject*>(QStringLiteral("UndoState")));
    while (state && state->looking())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

// From choosing the folder until the list holds its files and the edit
// menu knows whether there is a run to take back.
double choose()
{
    TMainForm& w = window();
    w.chooseFolder(otherFolder());
    settle(w);
    QApplication::processEvents();
    const double t0 = now();
    w.chooseFolder(journalled());
    QApplication::processEvents();
    settle(w);
    const double t = now() - t0;
    if (w.FileListBox->Count() != folderFiles())
        std::fprintf(stderr, "listed %d of %d\n", w.FileListBox->Count(), folderFiles());
    return t;
}

double chooseWithJournal()
{
    const double t = choose();
    if (!window().EditUndoMenu->isEnabled())
        std::fprintf(stderr, "the journalled run is not offered\n");
    return t;
}

double chooseWithout()
{
    std::filesystem::rename(journalPath, setAside);
    const double t = choose();
    std::filesystem::rename(setAside, journalPath);
    return t;
}

// From the click on the menu until it is shown, the undo item as the last
// look found it.
double editMenuMs()
{
    TMainForm& w = window();
    w.chooseFolder(journalled());
    settle(w);
    QApplication::processEvents();
    const double t0 = now();
    w.EditMenu->popup(w.mapToGlobal(QPoint(10, 10)));
    QApplication::processEvents();
    const double t = now() - t0;
    if (!w.EditMenu->isVisible() || !w.EditUndoMenu->isEnabled())
        std::fprintf(stderr, "the menu or its undo item is not there\n");
    w.EditMenu->hide();
    settle(w);
    return t * 1000;
}

const bool registered = [] {
    add({"choose_folder_journal_1m", 1.05, setUp, chooseWithJournal, chooseWithout, tearDown});
    add({"edit_menu_journal_1m_ms", 50, setUp, editMenuMs, nullptr, tearDown});
    return true;
}();

}  // namespace
